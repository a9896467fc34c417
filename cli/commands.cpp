#include "commands.h"
#include "address_lock.h"
#include "backup_run.h"
#include "backups.h"
#include "read.h"
#include "restore.h"
#include "watch.h"

#include "frame_bytes.h"
#include "guard.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSet>
#include <QTimer>

namespace velmar {

int ExitCode(SiteError::Kind kind)
{
    switch (kind) {
    case SiteError::BadRequest:
    case SiteError::Refused: return BadUsage;
    case SiteError::Failed: return SomeFailed;
    case SiteError::PortTaken: return PortTaken;
    case SiteError::NotConfirmed: return NoConfirmation;
    case SiteError::Stopped: return StoppedByUser;
    }
    return SomeFailed;
}

namespace {

QString Text(const StoredConfig &s)
{
    const ConfigRecord &r = s.config.record;
    return QStringLiteral("lift %1  mask %2  router %3  mac %4  ident %5  console %6  board %7  "
                          "dispatcher %8  reserve %9 %10  version \"%11\"")
        .arg(IpText(r.liftIp), IpText(r.netMask), IpText(r.routerIp), MacText(r.mac))
        .arg(r.boardIdent)
        .arg(r.consoleDynamic ? "dynamic" : "static", s.config.boardDhcp ? "dhcp" : "static",
             IpText(r.dispatcherIp), IpText(r.reserveIp1), IpText(r.reserveIp2),
             Printable(VersionToText(s.config.versionText)));
}

}  // namespace

QString LateText(const QHostAddress &target, int timeoutMs)
{
    return QStringLiteral("%1 answered only after the time-out of %2 ms: give it more time, say --timeout %3")
        .arg(target.toString())
        .arg(timeoutMs)
        .arg(std::min(timeoutMs * 4, 60000));
}

QString SilenceText(const QHostAddress &target, const LeftOut &why)
{
    switch (why.cause) {
    case LeftOut::Unreachable:
        return QStringLiteral(
                   "no route to %1: this computer has no address in its subnet (velmarctl discover "
                   "says how to add one)")
            .arg(target.toString());
    case LeftOut::Unusable: return QStringLiteral("answered, but not with what was asked: ") + why.answered;
    case LeftOut::AnsweredLate: return LateText(target, why.timeoutMs).mid(target.toString().size() + 1);
    case LeftOut::TwoBoards: return TwoBoardsText(why.macs, target);
    case LeftOut::NoAnswer: break;
    }
    return QStringLiteral("no answer");
}

QString LeftOutText(const QHostAddress &target, const LeftOut &why, const QString &nothing)
{
    const bool sayNothing = why.cause == LeftOut::AnsweredLate || why.cause == LeftOut::TwoBoards;
    return SilenceText(target, why) + (sayNothing ? QStringLiteral("; ") + nothing : QString());
}

namespace {

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

}  // namespace

void TerminalSink::notice(const QString &text)
{
    err_ << text << '\n';
    err_.flush();
}

void TerminalSink::answeredLate(const QHostAddress &target, int timeoutMs)
{
    notice(LateText(target, timeoutMs));
}

void ThrowNoCurrent(const QHostAddress &target, const LeftOut &why)
{
    Throw(SiteError::Failed, why.cause == LeftOut::AnsweredLate
                                 ? LateText(target, why.timeoutMs) + QStringLiteral("; nothing sent")
                                 : target.toString() + ": " + SilenceText(target, why));
}

StoredConfig CurrentOf(Session &session, const QHostAddress &target, Session::Timing timing)
{
    LeftOut why;
    const std::optional<StoredConfig> current = Current(session, target, timing, why);
    if (!current)
        ThrowNoCurrent(target, why);
    return *current;
}

void TerminalSink::warning(const QString &text)
{
    err_ << "velmarctl: " << TerminalText(text) << '\n';
}

int Stopped(Terminal &terminal)
{
    terminal.out.flush();
    terminal.err << "stopped\n";
    return StoppedByUser;
}

namespace {

// Silent addresses of a range are said, not failed: exit 1 for a silent address named alone, a board
// that answered with no usable configuration, or when nothing at all answered.
struct Silences
{
    int silent = 0, named = 0, unusable = 0;

    int outcome(qsizetype total, Terminal &terminal) const
    {
        if (silent)
            terminal.err << silent << " of " << total << " board(s) did not answer with their configuration"
                         << (named ? QStringLiteral(", %1 of them named alone").arg(named) : QString())
                         << '\n';
        return named || unusable || (total && silent == total) ? SomeFailed : Ok;
    }
};

// "1 address silent", "33 addresses silent", and how many of them this computer has no route to.
QString SilentText(int silent, int unreachable)
{
    QString text =
        silent == 1 ? QStringLiteral("1 address silent") : QStringLiteral("%1 addresses silent").arg(silent);
    if (unreachable)
        text += QStringLiteral(" (no route to %1 of them: this computer has no address in their subnet)")
                    .arg(unreachable);
    return text;
}

}  // namespace

namespace {

const char *const Overtaken =
    "the board holds neither its old values nor this write's: another write overtook "
    "this one, or the board did not keep all of it";

// A write's events on the terminal as they come: the changes on standard output, what cannot go out and
// what the guard finds on standard error.
class WriteLines : public Sink
{
public:
    explicit WriteLines(Terminal &terminal) : terminal_(terminal) {}
    void writeChanges(const QHostAddress &target, const QList<FieldChange> &changes,
                      const QList<FieldChange> &uncarried) override
    {
        for (const FieldChange &change : changes)
            terminal_.out << "  " << change.field << ": " << change.from << " -> " << change.to << '\n';
        for (const FieldChange &field : uncarried)
            terminal_.err << target.toString() << ": " << field.field << " " << field.from
                          << " cannot go out with a static console; the board will hold " << field.to << '\n';
    }
    void guardProblems(const QHostAddress &target, const QStringList &problems, bool forced) override
    {
        for (const QString &problem : problems)
            terminal_.err << target.toString() << ": " << problem << '\n';
        if (forced)
            terminal_.err << target.toString() << ": sent all the same (--force)\n";
    }
    void writtenMeanwhile(const QHostAddress &, const QList<FieldChange> &changes) override
    {
        terminal_.out << "  written meanwhile by another configurator:\n";
        for (const FieldChange &change : changes)
            terminal_.out << "    " << change.field << ": " << change.from << " -> " << change.to << '\n';
    }

private:
    Terminal &terminal_;
};

// "  board holds: mask 255.0.0.0 (wanted 255.255.255.0)"
void SayDifferences(QTextStream &out, const char *what, const QStringList &differences)
{
    for (const QString &difference : differences)
        out << "  " << what << ": "
            << QString(difference).replace(QStringLiteral("(planned "), QStringLiteral("(wanted ")) << '\n';
}

// The verdict's lines, and its exit code.
int PresentWrite(const WriteResult &result, Terminal &terminal)
{
    QTextStream &out = terminal.out;
    const QString target = result.target.toString();
    switch (result.verdict) {
    case WriteVerdict::NoChange:
        out << (result.afterMeanwhile ? "  no change left: nothing sent\n" : "  no change: nothing sent\n");
        return result.complete ? Ok : SomeFailed;
    case WriteVerdict::Refused:
        Throw(SiteError::Refused,
              QStringLiteral("this configuration would leave the board unreachable or broken; nothing "
                             "sent (--force sends it anyway)"));
    case WriteVerdict::Checked: out << "dry run: nothing sent\n"; return Ok;
    case WriteVerdict::Overtaken:
        SayDifferences(out, "board holds", result.differences);
        out << target << ": " << Overtaken << '\n';
        return SomeFailed;
    case WriteVerdict::NotConfirmed: break;
    case WriteVerdict::Kept:
    case WriteVerdict::NotAllKept:
        for (const FieldChange &field : result.fields)
            out << "  " << field.field << ": "
                << (field.from == field.to ? "kept " + field.to
                                           : "NOT kept: wanted " + field.from + ", board has " + field.to)
                << '\n';
        out << target
            << (result.verdict == WriteVerdict::NotAllKept
                    ? ": the board does not hold everything asked for\n"
                    : ": the board kept the write\n");
        return result.verdict == WriteVerdict::Kept ? Ok : SomeFailed;
    }
    if (result.stopped) {
        terminal.out.flush();
        terminal.err << target << ": stopped after the write went out; not confirmed: read the board "
                     << "to see what it holds\n";
    } else if (result.noAnswer) {
        terminal.err << target << ": no answer after the write\n";
    } else {
        SayDifferences(out, "last answer", result.differences);
        out << target << ": no confirmation of the write; read the board again in a while\n";
    }
    return NoConfirmation;
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
            QJsonObject object = config ? ConfigToJson(*config) : QJsonObject{};
            object.insert("address", target.toString());
            object.insert("answered", config != nullptr);
            if (!config && why.cause == LeftOut::Unusable)
                object.insert("unusable", true);
            if (!config && why.cause == LeftOut::Unreachable)
                object.insert("unreachable", true);
            terminal_.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        } else {
            terminal_.out << qSetFieldWidth(15) << Qt::left << target.toString() << qSetFieldWidth(0) << "  "
                          << (config ? Text(*config) : SilenceText(target, why)) << '\n';
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
        return Stopped(terminal);
    for (const QHostAddress &target : result.late)
        terminal.err << LateText(target, link.timing.timeoutMs) << '\n';
    for (const QHostAddress &target : targets)
        if (result.twoBoards.contains(target.toIPv4Address()))
            terminal.err << TwoBoardsText(result.twoBoards.value(target.toIPv4Address()), target) << '\n';
    const Silences silences{int(result.silences.size()), result.named, int(result.unusable())};
    return silences.outcome(targets.size(), terminal) != Ok || !result.twoBoards.isEmpty() ? SomeFailed : Ok;
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

// Each board the survey found, in the targets' order; one that fails is said and the next one taken,
// until cancelled. The writes go one after another on the open session (a few round trips each), so that
// each board's lines stay together. Then a line of totals, with the silent addresses of a range
// counted apart. The worst outcome is the exit code: a refused configuration (2) before a failure (1)
// before an unconfirmed write (4); nothing that answered at all is a failure.
// The exit codes of the boards an operation on many went through, counted.
struct Tally
{
    int ok = 0, failed = 0, unconfirmed = 0, refused = 0, untouched = 0;

    void count(int code)
    {
        ok += code == Ok;
        refused += code == BadUsage;
        unconfirmed += code == NoConfirmation;
        untouched += code == StoppedByUser;  // Ctrl+C before anything was sent to it
        failed += code != Ok && code != BadUsage && code != NoConfirmation && code != StoppedByUser;
    }
    // "3 of 4 board(s) kept the write, 1 failed; 2 addresses silent"
    void say(const Survey &survey, const char *done, bool stopped, Terminal &terminal) const
    {
        if (stopped)
            terminal.err << "stopped; ";
        terminal.err << ok << " of " << survey.boards() << " board(s) " << done;
        for (auto [count, what] : {std::pair{failed, "failed"},
                                   {refused, "refused"},
                                   {unconfirmed, "not confirmed"},
                                   {untouched, "left as it was"}})
            if (count)
                terminal.err << ", " << count << ' ' << what;
        if (survey.silent)
            terminal.err << "; " << SilentText(survey.silent, survey.unreachable);
        terminal.err << '\n';
    }
    // The worst outcome: a refused configuration before a failure before an unconfirmed write.
    int exitCode(const Survey &survey, bool stopped) const
    {
        if (stopped)
            return unconfirmed ? NoConfirmation : StoppedByUser;
        return refused                ? BadUsage
               : failed               ? SomeFailed
               : unconfirmed          ? NoConfirmation
               : survey.boards() == 0 ? SomeFailed
                                      : Ok;
    }
};

// One board of many: what the survey refused there is said as a failure of its own.
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
    tally.say(survey, done, cancel.cancelled(), terminal);
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
        return Stopped(terminal);
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
    void restoring(const RestoreStep &step) override
    {
        QTextStream &out = terminal_.out;
        const QString target = step.target.toString();
        const ConfigRecord &own = step.current.config.record;
        if (step.byAddress)
            out << target << ": no backup of its MAC " << MacText(own.mac)
                << "; taking the newest of its address\n";
        if (step.problem)
            return;
        out << target << ": from " << step.file;
        if (step.made.isValid())
            out << " (backed up " << step.made.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                << ')';
        out << '\n';
        if (step.keepsOwn)
            out << "  keeps its own lift address " << IpText(own.liftIp) << " and MAC " << MacText(own.mac)
                << " (the file has " << IpText(step.filed.liftIp) << " and " << MacText(step.filed.mac)
                << "; --exact copies them)\n";
        if (step.nothingToSend)
            out << "  the board already holds the rest of what the file holds: nothing sent\n";
    }
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
        return Stopped(terminal);
    if (!plan.fromFolder) {
        const QHostAddress &target = targets[0];
        if (plan.survey.failed.contains(target.toIPv4Address()))
            ThrowNoCurrent(target, plan.survey.failed.value(target.toIPv4Address()));
        return RestoreLines::CodeOf(RestoreBoards(session, link.timing, plan, options, lines).first(),
                                    terminal);
    }
    RestoreBoards(session, link.timing, plan, options, lines);
    lines.tally.say(plan.survey, options.dryRun ? "checked" : "restored", link.cancel.cancelled(), terminal);
    return lines.tally.exitCode(plan.survey, link.cancel.cancelled());
}

namespace {

// One datagram that reached the port, decoded: a JSON object, or a row of text.
QString DatagramJson(const WatchedDatagram &d)
{
    const QString kind = d.oversize ? QStringLiteral("oversize") : QLatin1String(KindName(d.kind));
    QJsonObject object{{"time", d.at.toString(QStringLiteral("HH:mm:ss.zzz"))},
                       {"from", d.from},
                       {"port", d.port},
                       {"bytes", d.bytes},
                       {"kind", kind}};
    if (d.config)
        object.insert("config", ConfigToJson(*d.config));
    if (d.ikl)
        object.insert("ikl", *d.ikl);
    if (d.ident)
        object.insert("ident", *d.ident);
    if (!d.oversize && d.kind == DatagramKind::Unknown)
        object.insert("hex", QString::fromLatin1(d.data.toHex()));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString DatagramRow(const WatchedDatagram &d)
{
    QStringList parts{QLatin1String(KindName(d.kind))};
    if (d.oversize)
        parts = QStringList{QStringLiteral("oversize: longer than any board sends, not decoded")};
    if (d.config)
        parts << Text(*d.config);
    if (d.ikl)
        parts << QStringLiteral("ikl %1").arg(*d.ikl);
    if (d.ident)
        parts << QStringLiteral("ident %1").arg(*d.ident);
    if (!d.oversize && d.kind == DatagramKind::Unknown)
        parts << QString::fromLatin1(d.data.left(64).toHex(' ')) + (d.data.size() > 64 ? " ..." : "");
    return QStringLiteral("%1  %2:%3  %4 bytes  %5")
        .arg(d.at.toString(QStringLiteral("HH:mm:ss.zzz")), d.from)
        .arg(d.port)
        .arg(d.bytes)
        .arg(parts.join(QLatin1String("  ")));
}

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
    return session.cancelled() ? Stopped(terminal) : Ok;
}

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
        return Stopped(terminal);
    terminal.err << result.saved << " of " << targets.size() << " board(s) backed up"
                 << (result.saved ? QStringLiteral(" in ") + result.folder : QString());
    if (result.failed)
        terminal.err << ", " << result.failed << " not saved";
    terminal.err << '\n';
    const Silences silences{int(result.read.silences.size()), result.read.named, int(result.read.unusable())};
    return silences.outcome(targets.size(), terminal) != Ok || result.failed ? SomeFailed : Ok;
}

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
        return Stopped(terminal);
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
    return result.failed || !result.stillSilent.isEmpty() || result.survey.boards() == 0 ? SomeFailed : Ok;
}

}  // namespace velmar
