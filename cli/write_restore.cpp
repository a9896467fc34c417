// The write and restore commands: each board's changes, what the guard finds and the verdict, and for
// several boards a line of totals.

#include "address_lock.h"
#include "backups.h"
#include "commands.h"
#include "escaped_text.h"
#include "restore.h"
#include "text.h"

#include <QDir>
#include <QFileInfo>

namespace velmar {

namespace {

// SiteError(Failed) saying why a board named alone gave no configuration before a write.
[[noreturn]] void ThrowNoCurrent(const QHostAddress &target, const LeftOut &why)
{
    Throw(SiteError::Failed, why.cause == LeftOut::AnsweredLate
                                 ? LateText(target, why.timeoutMs) + QStringLiteral("; nothing sent")
                                 : target.toString() + ": " + SilenceText(target, why));
}

// The board's stored configuration before a write, or SiteError(Failed) saying why there is none.
StoredConfig CurrentOf(Session &session, const QHostAddress &target, Session::Timing timing)
{
    LeftOut why;
    const std::optional<StoredConfig> current = Current(session, target, timing, why);
    if (!current)
        ThrowNoCurrent(target, why);
    return *current;
}

}  // namespace

int ShowWrite(Session &session, const Link &link, const QHostAddress &target, const StoredConfig &before,
              const IntentFor &intent, const WriteOptions &options, Terminal &terminal)
{
    WriteLines lines(terminal);
    return PresentWrite(WriteAndVerify(session, link.timing, target, before, intent, options, lines),
                        terminal);
}

namespace {

// What a write of one or more boards carries: the changes, the file it starts from, and where each
// board's configuration is kept first (with how many were kept there).
struct WriteJob
{
    const Changes &changes;
    const std::optional<StoredConfig> &from;
    WriteOptions options;
    const QDir *backups = nullptr;
    int saved = 0;
};

// One board written on an open session: its lock held, its configuration read (unless the read of a
// whole range brought it: `known`) and, given a folder, kept there first, the changes applied and
// verified.
int WriteOne(Session &session, const Link &link, const QHostAddress &target, const StoredConfig *known,
             WriteJob &job, Terminal &terminal)
{
    const Changes &changes = job.changes;
    const std::optional<StoredConfig> &from = job.from;
    TerminalSink said(terminal.err);
    const AddressLock lock(target, QStringLiteral("writes to"), said);
    const StoredConfig current = known ? *known : CurrentOf(session, target, link.timing);
    if (job.backups && !job.options.dryRun) {
        // Saved before anything of its line is said: a full disk's message is a line of its own.
        const QString path = SaveBackup(*job.backups, target, current);
        ++job.saved;
        terminal.out << target.toString() << ": backed up in " << path << '\n';
    }
    // Another board's file must not make this board its twin: its identity stays unless asked for.
    const bool ownIdentity = from && !changes.lift && !changes.macFromLift && !changes.mac;
    const ConfigRecord &own = current.config.record;
    if (ownIdentity && (from->config.record.liftIp != own.liftIp || from->config.record.mac != own.mac))
        terminal.err << target.toString() << ": keeping its own lift address " << IpText(own.liftIp)
                     << " and MAC " << MacText(own.mac) << " (the file has "
                     << IpText(from->config.record.liftIp) << " and " << MacText(from->config.record.mac)
                     << "; --lift and --mac change them)\n";
    terminal.out << target.toString() << ":\n";
    return ShowWrite(
        session, link, target, current,
        [&](const StoredConfig &holds) {
            StoredConfig base = from ? *from : holds;
            if (ownIdentity) {
                base.config.record.liftIp = holds.config.record.liftIp;
                base.config.record.mac = holds.config.record.mac;
            }
            const StoredConfig wanted = Apply(base, changes);
            return WriteIntent{wanted, HeldAfterWrite(wanted)};
        },
        job.options, terminal);
}

// One board of many: what stops it (a failure the survey found there too) is said as a line of its own,
// and its exit code counted, so that the next board is taken.
int Caught(const QHostAddress &target, Terminal &terminal, const std::function<int()> &one)
{
    int code = SomeFailed;
    try {
        code = one();
    } catch (const SiteError &failure) {
        code = ExitCode(failure.kind);
        terminal.out.flush();
        terminal.err << target.toString() << ": " << TerminalText(failure.text) << '\n';
    }
    terminal.out.flush();
    return code;
}

// Each board the survey found, in the targets' order; one that fails is said and the next one taken,
// until cancelled. The writes go one after another on the open session (a few round trips each), so that
// each board's lines stay together. Then a line of totals, with the silent addresses of a range
// counted apart.
int EachBoard(const CancelToken &cancel, const QList<QHostAddress> &targets, const Survey &survey,
              const char *done, const QString &nothing, Terminal &terminal,
              const std::function<int(const QHostAddress &, const StoredConfig &)> &one)
{
    Tally tally;
    for (const QHostAddress &target : targets) {
        if (cancel.cancelled())
            break;
        const quint32 key = target.toIPv4Address();
        if (survey.configs.contains(key) || survey.failed.contains(key))  // the silent are counted apart
            tally.count(Caught(target, terminal, [&] {
                if (survey.failed.contains(key))
                    Throw(SiteError::Failed, LeftOutText(target, survey.failed.value(key), nothing));
                return one(target, survey.configs.value(key));
            }));
    }
    SayTotals(tally, survey, done, cancel.cancelled(), terminal);
    return tally.exitCode(survey, cancel.cancelled());
}

}  // namespace

int WriteCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                 const Changes &changes, const std::optional<StoredConfig> &from, const WriteOptions &options,
                 const QString &backupParent, Terminal &terminal)
{
    // A change that cannot go out is named before anything is sent.
    CheckChanges(changes);
    if (from)
        Apply(*from, changes);
    WriteJob job{changes, from, options};
    if (targets.size() == 1) {
        OpenSession session(link);
        return WriteOne(session, link, targets[0], nullptr, job, terminal);
    }
    // One lift address or MAC given to many boards would make them twins.
    if (changes.lift || changes.mac)
        Throw(SiteError::BadRequest,
              QStringLiteral("--lift and --mac name one board: write them to one address at a time"));
    OpenSession session(link);
    const std::optional<QDir> folder =
        options.dryRun ? std::nullopt : std::optional(NewBackupFolder(backupParent));
    job.backups = folder ? &*folder : nullptr;
    TerminalSink said(terminal.err);
    const Survey survey = SurveyOf(session, targets, named, link.timing, said);
    if (session.cancelled()) {
        if (folder)
            QDir().rmdir(folder->path());
        return SayStopped(terminal);
    }
    const int code = EachBoard(link.cancel, targets, survey, options.dryRun ? "checked" : "kept the write",
                               QStringLiteral("nothing written"), terminal,
                               [&](const QHostAddress &target, const StoredConfig &current) {
                                   return WriteOne(session, link, target, &current, job, terminal);
                               });
    if (folder && job.saved) {
        terminal.err << "each board's configuration before the write: " << folder->path() << '\n';
    } else if (folder) {
        QDir().rmdir(folder->path());  // an empty folder would be the newest backup of nothing
        terminal.err << "no backup was made; nothing was sent\n";
    }
    return code;
}

namespace {

// A restore's events on the terminal: each board's backup and what it keeps before its write's lines,
// and its verdict after them; for several boards each one's exit code counted.
class RestoreLines : public WriteLines
{
public:
    RestoreLines(Terminal &terminal, bool many) : WriteLines(terminal), terminal_(terminal), many_(many) {}
    void notice(const QString &text) override { TerminalSink(terminal_.err).notice(text); }
    void warning(const QString &text) override { TerminalSink(terminal_.err).warning(text); }
    void answeredLate(const QHostAddress &target, int timeoutMs) override
    {
        TerminalSink(terminal_.err).answeredLate(target, timeoutMs);
    }
    void restoring(const RestoreStep &step) override { SayRestoreStep(step, terminal_); }
    void restored(const RestoreOutcome &outcome) override
    {
        if (many_)
            tally.count(Caught(outcome.target, terminal_, [&] { return CodeOf(outcome, terminal_); }));
    }
    // One board's exit code, its verdict said; SiteError for one not restored.
    static int CodeOf(const RestoreOutcome &outcome, Terminal &terminal)
    {
        if (outcome.leftOut)
            Throw(SiteError::Failed,
                  LeftOutText(outcome.target, *outcome.leftOut, QStringLiteral("nothing sent")));
        if (outcome.error)
            Throw(*outcome.error);
        return outcome.write ? PresentWrite(*outcome.write, terminal) : Ok;
    }

    Tally tally;

private:
    Terminal &terminal_;
    bool many_;
};

}  // namespace

int RestoreCommand(const Link &link, const QString &source, const QList<QHostAddress> &targets,
                   const QSet<quint32> &named, bool exact, const WriteOptions &options, Terminal &terminal)
{
    OpenSession session(link);
    RestoreLines lines(terminal, QFileInfo(source).isDir());
    const RestorePlan plan = PlanRestore(session, link.timing, {source, targets, named, exact}, lines);
    if (plan.stopped)
        return SayStopped(terminal);
    if (!plan.fromFolder) {
        const QHostAddress &target = targets[0];
        if (plan.survey.failed.contains(target.toIPv4Address()))
            ThrowNoCurrent(target, plan.survey.failed.value(target.toIPv4Address()));
        const QList<RestoreOutcome> outcomes = RestoreBoards(session, link.timing, plan, options, lines);
        if (outcomes.isEmpty())  // Ctrl+C after the board was read
            Throw(SiteError::Stopped, QStringLiteral("stopped"));
        return RestoreLines::CodeOf(outcomes.first(), terminal);
    }
    RestoreBoards(session, link.timing, plan, options, lines);
    SayTotals(lines.tally, plan.survey, options.dryRun ? "checked" : "restored", link.cancel.cancelled(),
              terminal);
    return lines.tally.exitCode(plan.survey, link.cancel.cancelled());
}

}  // namespace velmar
