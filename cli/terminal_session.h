#pragma once
// How velmarctl talks on a terminal while an operation runs: its two streams, the progress line, rows
// paced in bursts, and the session whose events go there.

#include "link.h"
#include "sink.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QString>
#include <QTextStream>
#include <QTimer>

namespace velmar {

struct Terminal
{
    QTextStream &out;
    QTextStream &err;
    bool progress = false;  // standard error is a terminal: long operations show how far they are
    Sink *sink = nullptr;   // the operations' notices and warnings, on `err`
    CancelToken cancel;     // Ctrl+C
};

// Where velmarctl tells what happens while an operation runs: what the wire showed on standard error, and
// warnings there after the program's name.
class TerminalSink : public Sink
{
public:
    explicit TerminalSink(QTextStream &err) : err_(err) {}
    void notice(const QString &text) override;
    void warning(const QString &text) override;
    void answeredLate(const QHostAddress &target, int timeoutMs) override;

private:
    QTextStream &err_;
};

// Ctrl+C ends an operation with what it has printed, says so, and gives StoppedByUser.
int SayStopped(Terminal &terminal);

// "done/total, answered, silent" on standard error, kept on one line, once an operation takes more
// than a second and only on a terminal. Rows on standard output first clear it.
class ProgressLine
{
public:
    explicit ProgressLine(Terminal &terminal) : terminal_(terminal) { clock_.start(); }
    ~ProgressLine() { clear(); }
    void show(const Progress &p)
    {
        say(waiting_.isEmpty() ? QStringLiteral("%1/%2 done, %3 answered, %4 silent")
                                     .arg(p.done)
                                     .arg(p.total)
                                     .arg(p.answered)
                                     .arg(p.silent)
                               : waiting_);
    }
    // From now on the line says what is waited for, whatever the reads under way count.
    void waitFor(const QString &what)
    {
        waiting_ = what;
        say(what);
    }
    void clear()
    {
        if (!shown_)
            return;
        terminal_.err << '\r' << QString(60, QLatin1Char(' ')) << '\r';
        terminal_.err.flush();
        shown_ = false;
    }

private:
    void say(const QString &text)
    {
        if (!terminal_.progress || clock_.elapsed() < 1000)
            return;
        terminal_.err << '\r' << text.leftJustified(59, QLatin1Char(' '), true);
        terminal_.err.flush();
        shown_ = true;
    }

    Terminal &terminal_;
    QElapsedTimer clock_;
    QString waiting_;
    bool shown_ = false;
};

// Rows on standard output go out together, one system call for a burst of them rather than one a row:
// a moment after the first row not yet out (while the event loop turns, so a long run still shows each
// board as it answers), before a line on standard error that must follow them, and at the end.
class PacedRows
{
public:
    static constexpr int FlushMs = 50;

    explicit PacedRows(Terminal &terminal, ProgressLine *progress = nullptr)
        : terminal_(terminal), progress_(progress)
    {
        timer_.setSingleShot(true);
        timer_.setInterval(FlushMs);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { now(); });
    }
    ~PacedRows() { now(); }
    PacedRows(const PacedRows &) = delete;
    PacedRows &operator=(const PacedRows &) = delete;
    // A row was written: it goes out with the rest of its burst.
    void added()
    {
        if (!timer_.isActive())
            timer_.start();
    }
    // Every row so far, at once; the progress line first cleared.
    void now()
    {
        timer_.stop();
        if (progress_)
            progress_->clear();
        terminal_.out.flush();
    }

private:
    Terminal &terminal_;
    ProgressLine *progress_;
    QTimer timer_;
};

// The progress line for the link's sink: progress shown there, the line cleared before anything else is
// said.
class LineSink : public Sink
{
public:
    LineSink(ProgressLine *line, Sink *next) : line_(line), next_(next) {}
    void progress(const Progress &progress) override
    {
        if (line_)
            line_->show(progress);
    }
    void notice(const QString &text) override
    {
        if (line_)
            line_->clear();
        if (next_)
            next_->notice(text);
    }
    void warning(const QString &text) override
    {
        if (line_)
            line_->clear();
        if (next_)
            next_->warning(text);
    }

private:
    ProgressLine *line_;
    Sink *next_;
};

// A session whose progress goes to the progress line, which a notice first clears.
struct OpenSession : private LineSink, LinkedSession
{
    explicit OpenSession(const Link &link, ProgressLine *progress = nullptr)
        : LineSink(progress, link.sink), LinkedSession(link, this)
    {
    }
};

}  // namespace velmar
