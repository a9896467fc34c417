// The reboot command: each target's answer, each board that answers again, and a line of totals.

#include "commands.h"
#include "text.h"

namespace velmar {

namespace {

// A reboot's events as rows: each target's answer and each board that answers again on standard output,
// the boards left out on standard error, the wait on the progress line.
class RebootLines : public Sink
{
public:
    RebootLines(Terminal &terminal, ProgressLine &progress, PacedRows &rows)
        : terminal_(terminal), progress_(progress), rows_(rows)
    {
    }
    void notice(const QString &text) override { terminal_.err << text << '\n'; }
    void answeredLate(const QHostAddress &target, int timeoutMs) override
    {
        terminal_.err << LateText(target, timeoutMs) << '\n';
    }
    void notDone(const QHostAddress &target, const LeftOut &why) override
    {
        rows_.now();
        terminal_.err << target.toString() << ": "
                      << LeftOutText(target, why, QStringLiteral("nothing rebooted")) << '\n';
    }
    void rebootAnswered(const QHostAddress &target, RebootAnswer ack) override
    {
        progress_.clear();
        terminal_.out << target.toString() << "  ";
        switch (ack) {
        case RebootAnswer::Acknowledged: terminal_.out << "acknowledged\n"; break;
        case RebootAnswer::Unreachable:
            terminal_.out << SilenceText(target, LeftOut::Of(LeftOut::Unreachable)) << '\n';
            break;
        case RebootAnswer::Unusable: terminal_.out << "answered, but with no acknowledgement\n"; break;
        case RebootAnswer::None: terminal_.out << "no acknowledgement\n"; break;
        }
        rows_.added();
    }
    void waiting(qsizetype pending, qint64 seconds, int limitSeconds) override
    {
        progress_.waitFor(QStringLiteral("waiting for %1 board(s) to answer again, %2 of %3 s")
                              .arg(pending)
                              .arg(seconds)
                              .arg(limitSeconds));
    }
    void answersAgain(const QHostAddress &board, const QHostAddress &at, qint64 ms) override
    {
        progress_.clear();
        terminal_.out << board.toString() << "  answers again ";
        if (at != board)
            terminal_.out << "at " << at.toString() << ' ';
        terminal_.out << "after " << ms << " ms\n";
        rows_.added();
    }

private:
    Terminal &terminal_;
    ProgressLine &progress_;
    PacedRows &rows_;
};

}  // namespace

int RebootCommand(const Link &link, const RebootOrder &request, Terminal &terminal)
{
    ProgressLine progress(terminal);
    OpenSession session(link, &progress);
    PacedRows rows(terminal, &progress);
    RebootLines lines(terminal, progress, rows);
    const RebootResult result = RebootBoards(session, link.timing, request, lines);
    if (result.stopped)
        return SayStopped(terminal);
    for (const QHostAddress &target : result.stillSilent)
        terminal.out << target.toString() << "  still silent after " << request.waitLimitSeconds << " s\n";
    QStringList summary;
    if (!request.wait)
        summary << QStringLiteral("%1 of %2 board(s) acknowledged the reboot")
                       .arg(result.acknowledged)
                       .arg(result.survey.boards());
    if (request.wait) {
        summary
            << QStringLiteral("%1 of %2 board(s) answered again").arg(result.back).arg(result.acknowledged);
        if (!result.stillSilent.isEmpty())
            summary << QStringLiteral("%1 still silent after %2 s")
                           .arg(result.stillSilent.size())
                           .arg(request.waitLimitSeconds);
    }
    if (result.failed)
        summary << QStringLiteral("%1 not rebooted").arg(result.failed);
    if (result.survey.silent)
        summary << SilentText(result.survey.silent, result.survey.unreachable);
    rows.now();
    terminal.err << summary.join(QStringLiteral("; ")) << '\n';
    return RebootExit(result);
}

}  // namespace velmar
