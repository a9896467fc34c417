#pragma once
// Running the site's operations for a window. Each operation is a synchronous function that waits in
// short nested event loops of its own thread; run on the window's thread, every one of those waits would
// hold the window up (and a second operation could start inside the first one's wait). A SiteWorker owns
// a thread and runs one operation at a time there: its session and sockets are made, used and destroyed
// on that thread, none of its waits holds up the caller's event loop, and no operation has to be
// rewritten as a state machine. Every event the operation tells its sink, and its end (a result or a
// SiteError), reach the caller's thread through queued signals. velmarctl, which has nothing else to do
// meanwhile, calls the operations directly on its main thread.

#include "cancel.h"
#include "commission.h"
#include "sink.h"
#include "site_error.h"

#include <QObject>
#include <QThread>
#include <QVariant>

#include <functional>

namespace velmar {

class SiteWorker : public QObject
{
    Q_OBJECT
public:
    // The operation as the worker's thread runs it, told where its events go and what stops it; what it
    // returns is handed to finished(). An operation that takes a Sink is given one; a commissioning's
    // steps go to stepped().
    using Operation = std::function<QVariant(CommissionSink &sink, const CancelToken &cancel)>;

    explicit SiteWorker(QObject *parent = nullptr);
    // Cancels the operation under way and waits for its thread to end.
    ~SiteWorker() override;

    // Starts `operation` on the worker's thread, with a token of its own; false, and nothing started,
    // while another runs (until its finished() or failed() has reached this thread).
    bool start(Operation operation);
    bool running() const { return running_; }
    // Stops the operation under way at its next check: a write already sent ends not confirmed.
    void cancel() { cancel_.cancel(); }

signals:
    void progressed(const velmar::Progress &progress);
    void noticed(const QString &line);
    void warned(const QString &line);
    void stepped(const velmar::CommissionEvent &event);
    void finished(const QVariant &result);
    void failed(const velmar::SiteError &error);

private:
    QThread thread_;
    QObject *context_;  // lives on thread_: what runs there is queued to it
    CancelToken cancel_;
    bool running_ = false;
};

}  // namespace velmar
