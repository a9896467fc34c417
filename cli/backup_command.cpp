// The backup command: where each board's backup went, or why it has none, and a line of totals.

#include "backup_run.h"
#include "commands.h"
#include "escaped_text.h"
#include "text.h"

namespace velmar {

namespace {

// Each board's row as it comes: where its backup went, or why it has none.
class BackupRows : public Sink
{
public:
    BackupRows(Terminal &terminal, ProgressLine &progress, PacedRows &rows)
        : terminal_(terminal), progress_(progress), rows_(rows)
    {
    }
    void boardRead(const QHostAddress &target, const StoredConfig *, const LeftOut &why) override
    {
        row(target, SilenceText(target, why));
    }
    void backedUp(const QHostAddress &target, const QString &path) override { row(target, path); }
    // Saved before anything of its row is written: a full disk's message is a line of its own.
    void notBackedUp(const QHostAddress &target, const QString &why) override
    {
        progress_.clear();
        rows_.now();
        terminal_.err << target.toString() << "  " << TerminalText(why) << '\n';
        rows_.added();
    }

private:
    void row(const QHostAddress &target, const QString &text)
    {
        progress_.clear();
        terminal_.out << target.toString() << "  " << text << '\n';
        rows_.added();
    }

    Terminal &terminal_;
    ProgressLine &progress_;
    PacedRows &rows_;
};

}  // namespace

int BackupCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                  const QString &parent, Terminal &terminal)
{
    ProgressLine progress(terminal);
    OpenSession session(link, &progress);
    PacedRows rows(terminal, &progress);
    BackupRows lines(terminal, progress, rows);
    const BackupResult result =
        BackUpBoards(session, link.timing, {targets, named, SelectorStored}, parent, lines);
    rows.now();
    if (result.read.stopped)
        return SayStopped(terminal);
    terminal.err << result.saved << " of " << targets.size() << " board(s) backed up"
                 << (result.saved ? QStringLiteral(" in ") + result.folder : QString());
    if (result.failed)
        terminal.err << ", " << result.failed << " not saved";
    terminal.err << '\n';
    SaySilences(result.read, targets.size(), terminal);
    for (const QHostAddress &target : targets)
        if (result.read.twoBoards.contains(target.toIPv4Address()))
            terminal.err << TwoBoardsText(result.read.twoBoards.value(target.toIPv4Address()), target)
                         << '\n';
    return BackupExit(result, targets.size());
}

}  // namespace velmar
