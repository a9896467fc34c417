#include "commands.h"
#include "address_lock.h"
#include "backups.h"

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

// addresses of a range are mostly empty ones, and only what came while the read lingered is said.
void SayLateAnswers(Session &session, const QList<QHostAddress> &silent, const QSet<quint32> &named,
                    Session::Timing timing, Terminal &terminal)
{
    if (std::any_of(silent.begin(), silent.end(),
                    [&](const QHostAddress &target) { return named.contains(target.toIPv4Address()); }))
        session.settle(LateWaitMs(timing));
    for (const QHostAddress &target : silent)
        if (session.answeredLate().contains(target.toIPv4Address()))
            terminal.err << LateText(target, timing) << '\n';
}

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

    void count(const Session::BoardRead &read, const QSet<quint32> &alone)
    {
        if (read.config)
            return;
        ++silent;
        named += alone.contains(read.target.toIPv4Address());
        unusable += read.unusable;
    }
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

}  // namespace

void WriteLines::writeChanges(const QHostAddress &target, const QList<FieldChange> &changes,
                              const QList<FieldChange> &uncarried)
{
    for (const FieldChange &change : changes)
        terminal_.out << "  " << change.field << ": " << change.from << " -> " << change.to << '\n';
    for (const FieldChange &field : uncarried)
        terminal_.err << target.toString() << ": " << field.field << " " << field.from
                      << " cannot go out with a static console; the board will hold " << field.to << '\n';
}

void WriteLines::guardProblems(const QHostAddress &target, const QStringList &problems, bool forced)
{
    for (const QString &problem : problems)
        terminal_.err << target.toString() << ": " << problem << '\n';
    if (forced)
        terminal_.err << target.toString() << ": sent all the same (--force)\n";
}

void WriteLines::writtenMeanwhile(const QHostAddress &, const QList<FieldChange> &changes)
{
    terminal_.out << "  written meanwhile by another configurator:\n";
    for (const FieldChange &change : changes)
        terminal_.out << "    " << change.field << ": " << change.from << " -> " << change.to << '\n';
}

namespace {

// "  board holds: mask 255.0.0.0 (wanted 255.255.255.0)"
void SayDifferences(QTextStream &out, const char *what, const QStringList &differences)
{
    for (const QString &difference : differences)
        out << "  " << what << ": "
            << QString(difference).replace(QStringLiteral("(planned "), QStringLiteral("(wanted ")) << '\n';
}

}  // namespace

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

int ShowWrite(Session &session, const Link &link, const QHostAddress &target, const StoredConfig &before,
              const IntentFor &intent, const WriteOptions &options, Terminal &terminal)
{
    WriteLines lines(terminal);
    return PresentWrite(WriteAndVerify(session, link.timing, target, before, intent, options, lines),
                        terminal);
}

int ReadCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                char selector, bool json, Terminal &terminal)
{
    ProgressLine progress(terminal);
    OpenSession session(link, &progress);
    PacedRows rows(terminal, &progress);
    Silences silences;
    QList<QHostAddress> silent;
    ReadChecked(session, targets, selector, link.timing, [&](const Session::BoardRead &read) {
        progress.clear();
        silences.count(read, named);
        if (!read.config && !read.unusable && !read.unreachable)
            silent << read.target;
        if (json) {
            QJsonObject object = read.config ? ConfigToJson(*read.config) : QJsonObject{};
            object.insert("address", read.target.toString());
            object.insert("answered", read.config.has_value());
            if (read.unusable)
                object.insert("unusable", true);
            if (read.unreachable)
                object.insert("unreachable", true);
            terminal.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        } else {
            terminal.out << qSetFieldWidth(15) << Qt::left << read.target.toString() << qSetFieldWidth(0)
                         << "  " << (read.config ? Text(*read.config) : Silence(read)) << '\n';
        }
        rows.added();
    });
    rows.now();  // the summary on a line of its own, after the rows
    if (session.cancelled())
        return Stopped(terminal);
    SayLateAnswers(session, silent, named, link.timing, terminal);
    // Two boards behind one address take one configuration between them: a clash to be told at once.
    const QHash<quint32, QStringList> two = TwoBoardsOn(session, targets, link.timing);
    for (const QHostAddress &target : targets)
        if (two.contains(target.toIPv4Address()))
            terminal.err << TwoBoardsText(two.value(target.toIPv4Address()), target) << '\n';
    return silences.outcome(targets.size(), terminal) != Ok || !two.isEmpty() ? SomeFailed : Ok;
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
    const StoredConfig current = known ? *known : Current(session, target, link.timing);
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
int OneOfMany(const QHostAddress &target, const Survey &survey, Terminal &terminal,
              const std::function<int(const QHostAddress &, const StoredConfig &)> &one)
{
    const quint32 key = target.toIPv4Address();
    int code = SomeFailed;
    try {
        if (survey.failed.contains(key))
            Throw(SiteError::Failed, survey.failed.value(key));
        code = one(target, survey.configs.value(key));
    } catch (const SiteError &failure) {
        code = ExitCode(failure.kind);
        terminal.out.flush();
        terminal.err << target.toString() << ": " << TerminalText(failure.text) << '\n';
    }
    terminal.out.flush();
    return code;
}

int EachBoard(const CancelToken &cancel, const QList<QHostAddress> &targets, const Survey &survey,
              const char *done, Terminal &terminal,
              const std::function<int(const QHostAddress &, const StoredConfig &)> &one)
{
    Tally tally;
    for (const QHostAddress &target : targets) {
        if (cancel.cancelled())
            break;
        const quint32 key = target.toIPv4Address();
        if (survey.configs.contains(key) || survey.failed.contains(key))  // the silent are counted apart
            tally.count(OneOfMany(target, survey, terminal, one));
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
    const Survey survey =
        SurveyOf(session, targets, named, link.timing, QStringLiteral("nothing written"), said);
    if (session.cancelled()) {
        if (folder)
            QDir().rmdir(folder->path());
        return Stopped(terminal);
    }
    const int code = EachBoard(link.cancel, targets, survey, options.dryRun ? "checked" : "kept the write",
                               terminal, [&](const QHostAddress &target, const StoredConfig &current) {
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

// `made`: when the backup was made, for a backup found in a folder of backups. `known`: the board's
// configuration, where the read of a whole range brought it.
int RestoreOne(Session &session, const Link &link, StoredConfig saved, const QString &file,
               const QHostAddress &target, bool exact, const WriteOptions &options, Terminal &terminal,
               const QDateTime &made = QDateTime(), const StoredConfig *known = nullptr)
{
    if (!AddressingAllowed(saved.config.boardDhcp, saved.config.record.consoleDynamic))
        Throw(SiteError::BadRequest,
              QStringLiteral("%1 holds a board on DHCP with a static console: a board on DHCP "
                             "needs a dynamic console")
                  .arg(file));
    TerminalSink said(terminal.err);
    const AddressLock lock(target, QStringLiteral("writes to"), said);
    const StoredConfig current = known ? *known : Current(session, target, link.timing);
    terminal.out << target.toString() << ": from " << file;
    if (made.isValid())
        terminal.out << " (backed up " << made.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                     << ')';
    terminal.out << '\n';
    // The board's identity is its own: another board's file never makes it that board's twin.
    const ConfigRecord &own = current.config.record, &filed = saved.config.record;
    if (!exact && (own.liftIp != filed.liftIp || own.mac != filed.mac)) {
        terminal.out << "  keeps its own lift address " << IpText(own.liftIp) << " and MAC "
                     << MacText(own.mac) << " (the file has " << IpText(filed.liftIp) << " and "
                     << MacText(filed.mac) << "; --exact copies them)\n";
        saved.config.record.liftIp = own.liftIp;
        saved.config.record.mac = own.mac;
    }
    // A board that holds what the file holds gets nothing: a write would also send what a static
    // console cannot carry (zeros for its dispatcher and identifier).
    if (Same(current, saved)) {
        terminal.out << "  the board already holds the rest of what the file holds: nothing sent\n";
        return Ok;
    }
    return ShowWrite(
        session, link, target, current,
        [&](const StoredConfig &holds) {
            StoredConfig restored = saved;
            if (!exact) {
                restored.config.record.liftIp = holds.config.record.liftIp;
                restored.config.record.mac = holds.config.record.mac;
            }
            return WriteIntent{restored, restored};
        },
        options, terminal);
}

}  // namespace

int RestoreCommand(const Link &link, const QString &source, const QList<QHostAddress> &targets,
                   const QSet<quint32> &named, bool exact, const WriteOptions &options, Terminal &terminal)
{
    OpenSession session(link);
    if (!QFileInfo(source).isDir()) {
        if (targets.size() != 1)
            Throw(SiteError::BadRequest,
                  QStringLiteral("one file restores one board; a folder of backups restores each "
                                 "board its own"));
        return RestoreOne(session, link, ReadBackupFile(source), source, targets[0], exact, options,
                          terminal);
    }
    TerminalSink said(terminal.err);
    const Survey survey =
        SurveyOf(session, targets, named, link.timing, QStringLiteral("nothing sent"), said);
    if (session.cancelled())
        return Stopped(terminal);
    return EachBoard(link.cancel, targets, survey, options.dryRun ? "checked" : "restored", terminal,
                     [&](const QHostAddress &target, const StoredConfig &current) {
                         const Mac &mac = current.config.record.mac;
                         const auto found = NewestBackup(source, mac, target);
                         if (!found)
                             Throw(SiteError::Failed,
                                   QStringLiteral("no backup of MAC %1 or of address %2 in %3; nothing sent")
                                       .arg(MacText(mac), target.toString(), source));
                         if (!found->byMac)
                             terminal.out << target.toString() << ": no backup of its MAC " << MacText(mac)
                                          << "; taking the newest of its address\n";
                         return RestoreOne(session, link, ReadBackupFile(found->path), found->path, target,
                                           exact, options, terminal, found->made, &current);
                     });
}

StoredConfig ReadBackupFile(const QString &path)
{
    StoredConfig stored;
    QString error;
    if (!ReadConfigFile(path, stored, error))
        Throw(SiteError::BadRequest, error + QStringLiteral("; nothing sent"));
    return stored;
}

namespace {

// One datagram that reached the port, decoded: a JSON object, or a row of text.
QString DatagramJson(const QString &time, const QByteArray &data, const QString &sender, quint16 port)
{
    const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
    const auto whole = decoded.reply ? WholeConfigOf(*decoded.reply, std::size_t(data.size())) : std::nullopt;
    const QString kind = QLatin1String(KindName(KindOf(ViewOf(data), ReceivedBy::Configurator)));
    QJsonObject object{
        {"time", time}, {"from", sender}, {"port", port}, {"bytes", data.size()}, {"kind", kind}};
    if (whole)
        object.insert("config", ConfigToJson(*whole));
    if (decoded.iklText)
        object.insert("ikl", QString::fromStdString(*decoded.iklText));
    if (decoded.identMark)
        object.insert("ident", *decoded.identMark);
    if (kind == QLatin1String("unknown"))
        object.insert("hex", QString::fromLatin1(data.toHex()));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString DatagramRow(const QString &time, const QByteArray &data, const QString &sender, quint16 port)
{
    const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
    const auto whole = decoded.reply ? WholeConfigOf(*decoded.reply, std::size_t(data.size())) : std::nullopt;
    const QString kind = QLatin1String(KindName(KindOf(ViewOf(data), ReceivedBy::Configurator)));
    QStringList parts{kind};
    if (whole)
        parts << Text(*whole);
    if (decoded.iklText)
        parts << QStringLiteral("ikl %1").arg(QString::fromStdString(*decoded.iklText));
    if (decoded.identMark)
        parts << QStringLiteral("ident %1").arg(*decoded.identMark);
    if (kind == QLatin1String("unknown"))
        parts << QString::fromLatin1(data.left(64).toHex(' ')) + (data.size() > 64 ? " ..." : "");
    return QStringLiteral("%1  %2:%3  %4 bytes  %5")
        .arg(time, sender)
        .arg(port)
        .arg(data.size())
        .arg(parts.join(QLatin1String("  ")));
}

}  // namespace

int WatchCommand(const Link &link, bool json, int count, Terminal &terminal)
{
    OpenSession session(link);
    if (!json)
        terminal.err << "listening on port " << link.port << "; Ctrl+C ends" << Qt::endl;
    int seen = 0;
    auto now = [] { return QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")); };
    session.watch(
        [&](const QByteArray &data, const QString &sender, quint16 port) {
            terminal.out << (json ? DatagramJson(now(), data, sender, port)
                                  : DatagramRow(now(), data, sender, port))
                         << '\n';
            terminal.out.flush();
            return count == 0 || ++seen < count;
        },
        [&](qsizetype length, const QString &sender, quint16 port) {
            const QString time = now();
            if (json)
                terminal.out << QJsonDocument(QJsonObject{{"time", time},
                                                          {"from", sender},
                                                          {"port", port},
                                                          {"bytes", length},
                                                          {"kind", "oversize"}})
                                    .toJson(QJsonDocument::Compact)
                             << '\n';
            else
                terminal.out << time << "  " << sender << ':' << port << "  " << length
                             << " bytes  oversize: longer than any board sends, not decoded\n";
            terminal.out.flush();
        });
    return session.cancelled() ? Stopped(terminal) : Ok;
}

int BackupCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                  const QString &parent, Terminal &terminal)
{
    const QDir folder = NewBackupFolder(parent);
    ProgressLine progress(terminal);
    OpenSession session(link, &progress);
    PacedRows rows(terminal, &progress);
    int saved = 0, failed = 0;
    Silences silences;
    session.read(targets, SelectorStored, link.timing, [&](const Session::BoardRead &read) {
        progress.clear();
        const QString address = read.target.toString();
        if (!read.config) {
            terminal.out << address << "  " << Silence(read) << '\n';
            silences.count(read, named);
        } else {
            try {
                // Saved before anything of its row is written: a full disk's message is a line of its own.
                const QString path = SaveBackup(folder, read.target, *read.config);
                terminal.out << address << "  " << path << '\n';
                ++saved;
            } catch (const SiteError &failure) {
                rows.now();
                terminal.err << address << "  " << TerminalText(failure.text) << '\n';
                ++failed;
            }
        }
        rows.added();
    });
    rows.now();
    if (!saved)
        QDir().rmdir(folder.path());  // an empty folder would be the newest backup of nothing
    if (session.cancelled())
        return Stopped(terminal);
    terminal.err << saved << " of " << targets.size() << " board(s) backed up"
                 << (saved ? QStringLiteral(" in ") + folder.path() : QString());
    if (failed)
        terminal.err << ", " << failed << " not saved";
    terminal.err << '\n';
    return silences.outcome(targets.size(), terminal) != Ok || failed ? SomeFailed : Ok;
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
    void notDone(const QHostAddress &target, const QString &why) override
    {
        rows_.now();
        terminal_.err << target.toString() << ": " << why << '\n';
    }
    void rebootAnswered(const QHostAddress &target, RebootAnswer ack) override
    {
        progress_.clear();
        terminal_.out << target.toString() << "  ";
        switch (ack) {
        case RebootAnswer::Acknowledged: terminal_.out << "acknowledged\n"; break;
        case RebootAnswer::Unreachable:
            terminal_.out << Silence({target, std::nullopt, false, QString(), true}) << '\n';
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
