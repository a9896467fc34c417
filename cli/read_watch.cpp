// The read and watch commands: each board's configuration, and every datagram that reaches the port, as
// rows of text or JSON objects.

#include "commands.h"
#include "json.h"
#include "read.h"
#include "text.h"
#include "watch.h"

namespace velmar {

namespace {

// Each target's row as it comes: its configuration, or why it gave none.
class ReadRows : public Sink
{
public:
    ReadRows(Terminal &terminal, bool json, ProgressLine &progress, PacedRows &rows)
        : terminal_(terminal), json_(json), progress_(progress), rows_(rows)
    {
    }
    void boardRead(const QHostAddress &target, const StoredConfig *config, const LeftOut &why) override
    {
        progress_.clear();
        if (json_) {
            terminal_.out << ReadJson(target, config, why) << '\n';
        } else {
            terminal_.out << qSetFieldWidth(15) << Qt::left << target.toString() << qSetFieldWidth(0) << "  "
                          << (config ? ConfigText(*config) : SilenceText(target, why)) << '\n';
        }
        rows_.added();
    }

private:
    Terminal &terminal_;
    bool json_;
    ProgressLine &progress_;
    PacedRows &rows_;
};

}  // namespace

int ReadCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                char selector, bool json, Terminal &terminal)
{
    ProgressLine progress(terminal);
    OpenSession session(link, &progress);
    PacedRows rows(terminal, &progress);
    ReadRows lines(terminal, json, progress, rows);
    const ReadResult result = ReadBoards(session, link.timing, {targets, named, selector}, lines);
    rows.now();  // the summary on a line of its own, after the rows
    if (result.stopped)
        return SayStopped(terminal);
    for (const QHostAddress &target : result.late)
        terminal.err << LateText(target, link.timing.timeoutMs) << '\n';
    for (const QHostAddress &target : targets)
        if (result.twoBoards.contains(target.toIPv4Address()))
            terminal.err << TwoBoardsText(result.twoBoards.value(target.toIPv4Address()), target) << '\n';
    SaySilences(result, targets.size(), terminal);
    return ReadExit(result, targets.size());
}

namespace {

// Each datagram on a line of its own as it comes, flushed at once: a watch runs until it is stopped.
class DatagramLines : public Sink
{
public:
    DatagramLines(Terminal &terminal, bool json) : terminal_(terminal), json_(json) {}
    void datagram(const WatchedDatagram &d) override
    {
        terminal_.out << (json_ ? DatagramJson(d) : DatagramRow(d)) << '\n';
        terminal_.out.flush();
    }

private:
    Terminal &terminal_;
    bool json_;
};

}  // namespace

int WatchCommand(const Link &link, bool json, int count, Terminal &terminal)
{
    OpenSession session(link);
    if (!json)
        terminal.err << "listening on port " << link.port << "; Ctrl+C ends" << Qt::endl;
    DatagramLines lines(terminal, json);
    WatchPort(session, count, lines);
    return session.cancelled() ? SayStopped(terminal) : Ok;
}

}  // namespace velmar
