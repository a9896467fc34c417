#include "worker.h"

#include <exception>

namespace velmar {

namespace {

// The sink an operation gets on the worker's thread: each event becomes a signal of the worker, which
// Qt queues to the caller's thread, where the worker lives.
class ForwardingSink : public CommissionSink
{
public:
    explicit ForwardingSink(SiteWorker &worker) : worker_(worker) {}
    void progress(const Progress &progress) override { emit worker_.progressed(progress); }
    void notice(const QString &line) override { emit worker_.noticed(line); }
    void warning(const QString &line) override { emit worker_.warned(line); }
    void step(const CommissionEvent &event) override { emit worker_.stepped(event); }

private:
    SiteWorker &worker_;
};

}  // namespace

SiteWorker::SiteWorker(QObject *parent) : QObject(parent), context_(new QObject)
{
    context_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, context_, &QObject::deleteLater);
    // Connected first, so that the caller's own slots find the worker free again.
    connect(this, &SiteWorker::finished, this, [this] { running_ = false; });
    connect(this, &SiteWorker::failed, this, [this] { running_ = false; });
    thread_.start();
}

SiteWorker::~SiteWorker()
{
    cancel_.cancel();
    thread_.quit();
    thread_.wait();
}

bool SiteWorker::start(Operation operation)
{
    if (running_)
        return false;
    running_ = true;
    cancel_ = CancelToken();
    QMetaObject::invokeMethod(
        context_,
        [this, operation = std::move(operation), cancel = cancel_] {
            ForwardingSink sink(*this);
            try {
                emit finished(operation(sink, cancel));
            } catch (const SiteError &error) {
                emit failed(error);
            } catch (const std::exception &error) {
                emit failed(SiteError{SiteError::Failed, QString::fromLocal8Bit(error.what()), {}, {}, {}});
            }
        },
        Qt::QueuedConnection);
    return true;
}

}  // namespace velmar
