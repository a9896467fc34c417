#include "commands.h"
#include "address_lock.h"
#include "backups.h"
#include "console.h"

#include "frame_bytes.h"
#include "guard.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSet>
#include <QTimer>

namespace velmar {

QString TerminalText(const QString &text)
{
    QString shown;
    for (QChar ch : text)
        shown += ch.unicode() < 0x20 || (ch.unicode() >= 0x7F && ch.unicode() <= 0x9F)
                     ? QStringLiteral("\\x%1").arg(ch.unicode(), 2, 16, QLatin1Char('0'))
                     : QString(ch);
    return shown;
}

QString Printable(const QString &text)
{
    return TerminalText(QString(text).replace(QLatin1Char('\\'), QStringLiteral("\\\\")));
}

QString FromPrintable(const QString &text)
{
    QString plain;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QString escape = text.mid(i, 2), hex = text.mid(i + 2, 2);
        bool isHex = false;
        const ushort code = escape == QLatin1String("\\x") && hex.size() == 2 ? hex.toUShort(&isHex, 16) : 0;
        if (escape == QLatin1String("\\\\")) {
            plain += QLatin1Char('\\');
            i += 1;
        } else if (isHex) {
            plain += QChar(code);
            i += 3;
        } else {
            plain += text[i];
        }
    }
    return plain;
}

[[noreturn]] void Fail(int code, const QString &message)
{
    throw Failure{code, message};
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

const char *const Unusable = "answered, but not with what was asked";
const char *const Overtaken =
    "the board holds neither its old values nor this write's: another write overtook "
    "this one, or the board did not keep all of it";

// A board that answered only after the time-out: said, with a time-out that would have waited for it.
QString LateText(const QHostAddress &target, Session::Timing timing)
{
    return QStringLiteral("%1 answered only after the time-out of %2 ms: give it more time, say --timeout %3")
        .arg(target.toString())
        .arg(timing.timeoutMs)
        .arg(std::min(timing.timeoutMs * 4, 60000));
}

// How long a silent board is still listened to, for a late answer.
int LateWaitMs(Session::Timing timing)
{
    return std::min(timing.timeoutMs * 4, 1000);
}

// Says which silent targets answered late. For one named alone it waits a little longer: the silent
// addresses of a range are mostly empty ones, and only what came while the read lingered is said.
void SayLateAnswers(Session &session, const QList<QHostAddress> &silent, const QSet<quint32> &named,
                    Session::Timing timing, Console &console)
{
    if (std::any_of(silent.begin(), silent.end(),
                    [&](const QHostAddress &target) { return named.contains(target.toIPv4Address()); }))
        session.settle(LateWaitMs(timing));
    for (const QHostAddress &target : silent)
        if (session.answeredLate().contains(target.toIPv4Address()))
            console.err << LateText(target, timing) << '\n';
}

// Why a target gave no configuration, for its row.
QString Silence(const Session::ReadOutcome &read)
{
    if (read.unreachable)
        return QStringLiteral(
                   "no route to %1: this computer has no address in its subnet (velmarctl discover "
                   "says how to add one)")
            .arg(read.target.toString());
    if (read.unusable)
        return QString::fromLatin1(Unusable) + QStringLiteral(": ") + read.why;
    return QStringLiteral("no answer");
}

// "done/total, answered, silent" on standard error, kept on one line, once an operation takes more
// than a second and only on a terminal. Rows on standard output first clear it.
class ProgressLine
{
public:
    explicit ProgressLine(Console &console) : console_(console) { clock_.start(); }
    ~ProgressLine() { clear(); }
    void show(const Session::Progress &p)
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
        console_.err << '\r' << QString(60, QLatin1Char(' ')) << '\r';
        console_.err.flush();
        shown_ = false;
    }

private:
    void say(const QString &text)
    {
        if (!console_.progress || clock_.elapsed() < 1000)
            return;
        console_.err << '\r' << text.leftJustified(59, QLatin1Char(' '), true);
        console_.err.flush();
        shown_ = true;
    }

    Console &console_;
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

    explicit PacedRows(Console &console, ProgressLine *progress = nullptr)
        : console_(console), progress_(progress)
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
        console_.out.flush();
    }

private:
    Console &console_;
    ProgressLine *progress_;
    QTimer timer_;
};

// A session whose progress goes to the progress line, which a notice first clears.
struct OpenSession : LinkedSession
{
    OpenSession(const Link &link, ProgressLine *progress = nullptr)
        : LinkedSession(link, [progress](const Progress &p) {
              if (progress)
                  progress->show(p);
          })
    {
        if (progress && link.notices)
            setNotice([progress, notices = link.notices](const QString &line) {
                progress->clear();
                *notices << line << '\n';
                notices->flush();
            });
    }
};

// The board's stored configuration before a write, or Failure. Two boards that claim its address
// are refused here, before anything is written.
StoredConfig Current(Session &session, const QHostAddress &target, Session::Timing timing)
{
    Session::ReadOutcome outcome;
    session.read({target}, SelectorStored, timing, [&](const Session::ReadOutcome &read) { outcome = read; });
    if (Interrupted())
        Fail(StoppedByUser, QStringLiteral("stopped"));
    if (!outcome.config) {
        session.settle(LateWaitMs(timing));
        Fail(SomeFailed, session.answeredLate().contains(target.toIPv4Address())
                             ? LateText(target, timing) + QStringLiteral("; nothing sent")
                             : target.toString() + ": " + Silence(outcome));
    }
    RefuseTwoBoards(session, {target}, timing, QStringLiteral("nothing written"));
    if (Interrupted())
        Fail(StoppedByUser, QStringLiteral("stopped"));
    return *outcome.config;
}

}  // namespace

LinkedSession::LinkedSession(const Link &link, std::function<void(const Progress &)> progress)
    : Session(link.port)
{
    setSender(link.sender);
    setProgress(std::move(progress));
    if (QTextStream *notices = link.notices)
        setNotice([notices](const QString &line) {
            *notices << line << '\n';
            notices->flush();
        });
    if (!open())
        Fail(PortTaken, QStringLiteral("port %1 is taken (a running configurator holds it?); close it or "
                                       "choose another with --port")
                            .arg(port()));
}

int Stopped(Console &console)
{
    console.out.flush();
    console.err << "stopped\n";
    return StoppedByUser;
}

namespace {

// Silent addresses of a range are said, not failed: exit 1 for a silent address named alone, a board
// that answered with no usable configuration, or when nothing at all answered.
struct Silences
{
    int silent = 0, named = 0, unusable = 0;

    void count(const Session::ReadOutcome &read, const QSet<quint32> &alone)
    {
        if (read.config)
            return;
        ++silent;
        named += alone.contains(read.target.toIPv4Address());
        unusable += read.unusable;
    }
    int outcome(qsizetype total, Console &console) const
    {
        if (silent)
            console.err << silent << " of " << total << " board(s) did not answer with their configuration"
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

// What one read of every target at once found, before an operation on each board that answered: a
// silent address costs one time-out and its retries together with all the others, not one each. The
// silent addresses of a range are counted apart; an address named alone that stays silent fails, as
// does one that answered with nothing usable, and an address two boards claim (`nothing`: what is
// therefore not done there).
struct Survey
{
    QHash<quint32, StoredConfig> configs;  // the boards to work on
    QHash<quint32, QString> failed;        // why, for the addresses that fail before anything is sent
    int silent = 0, unreachable = 0;

    qsizetype boards() const { return configs.size() + failed.size(); }
};

Survey SurveyOf(Session &session, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                Session::Timing timing, const QString &nothing, Console &console)
{
    Survey survey;
    QHash<quint32, Session::ReadOutcome> outcomes;
    QList<QHostAddress> answered, silent;
    session.read(targets, SelectorStored, timing, [&](const Session::ReadOutcome &read) {
        outcomes.insert(read.target.toIPv4Address(), read);
    });
    if (Interrupted())
        return survey;
    bool namedSilent = false;
    for (const QHostAddress &target : targets) {
        const Session::ReadOutcome read = outcomes.value(target.toIPv4Address());
        if (read.config)
            answered << target;
        else if (!read.unusable && !read.unreachable)
            silent << target;
        namedSilent = namedSilent || (!read.config && named.contains(target.toIPv4Address()));
    }
    // A silent board named alone is listened to a little longer, for a late answer to name.
    if (namedSilent)
        session.settle(LateWaitMs(timing));
    for (const QHostAddress &target : silent)
        if (session.answeredLate().contains(target.toIPv4Address()) &&
            !named.contains(target.toIPv4Address()))
            console.err << LateText(target, timing) << '\n';
    const QHash<quint32, QStringList> two =
        answered.isEmpty() ? QHash<quint32, QStringList>() : TwoBoardsOn(session, answered, timing);
    for (const QHostAddress &target : targets) {
        const quint32 key = target.toIPv4Address();
        const Session::ReadOutcome read = outcomes.value(key);
        if (read.config && two.contains(key))
            survey.failed.insert(key, TwoBoardsText(two.value(key), target) + QStringLiteral("; ") + nothing);
        else if (read.config)
            survey.configs.insert(key, *read.config);
        else if (named.contains(key) && session.answeredLate().contains(key))
            survey.failed.insert(key, LateText(target, timing).mid(target.toString().size() + 1) +
                                          QStringLiteral("; ") + nothing);
        else if (named.contains(key) || read.unusable)
            survey.failed.insert(key, Silence(read));
        else {
            ++survey.silent;
            survey.unreachable += read.unreachable;
        }
    }
    return survey;
}

}  // namespace

ConfigWriteValues ValuesFor(const StoredConfig &stored)
{
    ConfigWriteValues values;
    values.record = stored.config.record;
    values.rayNumber = stored.rayNumber;
    values.boardDhcp = stored.config.boardDhcp;
    return values;
}

StoredConfig Expected(const ConfigWriteValues &values)
{
    const auto parsed = ParseConfigWrite(ConfigWrite(values));
    StoredConfig expected;
    expected.config.record = parsed->record;
    expected.config.boardDhcp = parsed->boardDhcp;
    return expected;
}

namespace {

using FieldPairs = QList<std::pair<QString, std::pair<QString, QString>>>;

FieldPairs Fields(const StoredConfig &a, const StoredConfig &b)
{
    const ConfigRecord &x = a.config.record, &y = b.config.record;
    auto mode = [](bool dynamic, const char *on) { return QString::fromLatin1(dynamic ? on : "static"); };
    return {
        {"lift", {IpText(x.liftIp), IpText(y.liftIp)}},
        {"mask", {IpText(x.netMask), IpText(y.netMask)}},
        {"router", {IpText(x.routerIp), IpText(y.routerIp)}},
        {"mac", {MacText(x.mac), MacText(y.mac)}},
        {"dispatcher", {IpText(x.dispatcherIp), IpText(y.dispatcherIp)}},
        {"ident", {QString::number(x.boardIdent), QString::number(y.boardIdent)}},
        {"console", {mode(x.consoleDynamic, "dynamic"), mode(y.consoleDynamic, "dynamic")}},
        {"board", {mode(a.config.boardDhcp, "dhcp"), mode(b.config.boardDhcp, "dhcp")}},
        {"reserve1", {IpText(x.reserveIp1), IpText(y.reserveIp1)}},
        {"reserve2", {IpText(x.reserveIp2), IpText(y.reserveIp2)}},
    };
}

}  // namespace

QStringList Differences(const StoredConfig &have, const StoredConfig &want)
{
    QStringList differences;
    for (const auto &[field, pair] : Fields(have, want))
        if (pair.first != pair.second)
            differences << QStringLiteral("%1 %2 (planned %3)").arg(field, pair.first, pair.second);
    return differences;
}

bool Same(const StoredConfig &a, const StoredConfig &b)
{
    for (const auto &[field, pair] : Fields(a, b))
        if (pair.first != pair.second)
            return false;
    return true;
}

namespace {

// "  mask: 255.0.0.0 -> 255.255.255.0" for each field that differs; how many.
int SayChanges(QTextStream &out, const StoredConfig &from, const StoredConfig &to, const char *indent = "  ")
{
    int changes = 0;
    for (const auto &[field, pair] : Fields(from, to)) {
        if (pair.first != pair.second) {
            out << indent << field << ": " << pair.first << " -> " << pair.second << '\n';
            ++changes;
        }
    }
    return changes;
}

// The guard's problems said; Failure(BadUsage) unless link.force.
void Guard(const Link &link, const QHostAddress &target, const StoredConfig &expected, Console &console)
{
    const QStringList problems = GuardProblems(expected, target.isLoopback());
    for (const QString &problem : problems)
        console.err << target.toString() << ": " << problem << '\n';
    if (!problems.isEmpty() && !link.force)
        Fail(BadUsage,
             QStringLiteral("this configuration would leave the board unreachable or broken; nothing "
                            "sent (--force sends it anyway)"));
    if (!problems.isEmpty())
        console.err << target.toString() << ": sent all the same (--force)\n";
}

}  // namespace

int WriteAndVerify(Session &session, const Link &link, const QHostAddress &target, const StoredConfig &before,
                   const IntentFor &intent, bool dryRun, Console &console)
{
    QTextStream &out = console.out;
    WriteIntent want = intent(before);
    StoredConfig expected = Expected(ValuesFor(want.wanted));
    const int changes = SayChanges(out, before, expected);
    for (const auto &[field, pair] : Fields(want.judge, expected))
        if (pair.first != pair.second)
            console.err << target.toString() << ": " << field << " " << pair.first
                        << " cannot go out with a static console; the board will hold " << pair.second
                        << '\n';
    if (!changes) {
        out << "  no change: nothing sent\n";
        return Same(want.judge, expected) ? Ok : SomeFailed;
    }
    Guard(link, target, expected, console);
    if (dryRun) {
        out << "dry run: nothing sent\n";
        return Ok;
    }
    session.settle(50);
    // A whole configuration goes out: had another configurator (a second laptop) written the board
    // since it was read, sending what was made from that read would undo its change. The board is read
    // once more, and this write's intent applied to what it holds now.
    const auto now = session.readUntil(
        target, SelectorStored, [](const StoredConfig &) { return true; }, link.timing);
    if (Interrupted())
        Fail(StoppedByUser, QStringLiteral("stopped"));
    if (!now)
        Fail(SomeFailed,
             target.toString() + QStringLiteral(": no answer just before the write; nothing sent"));
    StoredConfig base = before;
    if (!Same(*now, before)) {
        out << "  written meanwhile by another configurator:\n";
        SayChanges(out, before, *now, "    ");
        base = *now;
        want = intent(base);
        expected = Expected(ValuesFor(want.wanted));
        if (Same(base, expected)) {
            out << "  no change left: nothing sent\n";
            return Same(want.judge, expected) ? Ok : SomeFailed;
        }
        Guard(link, target, expected, console);
    }
    const ConfigWriteValues values = ValuesFor(want.wanted);
    try {
        session.write(target, values);
    } catch (const SendError &error) {
        Fail(SomeFailed, QStringLiteral("cannot send to %1: %2").arg(target.toString(), error.what()));
    }
    // A slow board's late answers to the read before the write disagree; its answers to the write agree.
    const auto after = session.readUntil(
        target, SelectorStored, [&](const StoredConfig &config) { return Same(config, expected); },
        link.timing);
    if (Interrupted() && !(after && Same(*after, expected))) {
        console.out.flush();
        console.err << target.toString()
                    << ": stopped after the write went out; not confirmed: read the board "
                    << "to see what it holds\n";
        return NoConfirmation;
    }
    if (!after) {
        console.err << target.toString() << ": no answer after the write\n";
        return NoConfirmation;
    }
    // Values that are neither the old ones nor ours: another configurator wrote the board meanwhile (or
    // the board keeps only part of what it is sent).
    if (!Same(*after, expected) && !Same(*after, base)) {
        for (const QString &difference : Differences(*after, expected))
            out << "  board holds: "
                << QString(difference).replace(QStringLiteral("(planned "), QStringLiteral("(wanted "))
                << '\n';
        out << target.toString() << ": " << Overtaken << '\n';
        return SomeFailed;
    }
    // Answers that still show the old values may be late copies of answers given before the write (a
    // slow board's, or where answers get lost): they neither confirm the write nor show it lost.
    if (!Same(*after, expected)) {
        for (const QString &difference : Differences(*after, expected))
            out << "  last answer: "
                << QString(difference).replace(QStringLiteral("(planned "), QStringLiteral("(wanted "))
                << '\n';
        out << target.toString() << ": no confirmation of the write; read the board again in a while\n";
        return NoConfirmation;
    }
    int lost = 0;
    for (const auto &[field, pair] : Fields(want.judge, *after)) {
        const bool kept = pair.first == pair.second;
        lost += !kept;
        out << "  " << field << ": "
            << (kept ? "kept " + pair.second
                     : "NOT kept: wanted " + pair.first + ", board has " + pair.second)
            << '\n';
    }
    out << target.toString()
        << (lost ? ": the board does not hold everything asked for\n" : ": the board kept the write\n");
    return lost ? SomeFailed : Ok;
}

namespace {

const char *const ConsoleOnly = "the dispatcher address, identifier and reserve addresses go only with a "
                                "dynamic console (--console dynamic)";

bool ChangesConsoleBlock(const Changes &c)
{
    return c.dispatcher || c.ident || c.reserve1 || c.reserve2;
}

// What the changes ask for whatever the board holds.
void CheckChanges(const Changes &c)
{
    if (c.consoleDynamic && c.boardDhcp && !AddressingAllowed(*c.boardDhcp, *c.consoleDynamic))
        Fail(BadUsage, QStringLiteral("a board on DHCP needs --console dynamic"));
    if (c.consoleDynamic == false && ChangesConsoleBlock(c))
        Fail(BadUsage, QString::fromLatin1(ConsoleOnly));
}

}  // namespace

StoredConfig Apply(StoredConfig wanted, const Changes &c)
{
    CheckChanges(c);
    ConfigRecord &r = wanted.config.record;
    for (auto [change, field] : {std::pair{&c.lift, &r.liftIp},
                                 {&c.mask, &r.netMask},
                                 {&c.router, &r.routerIp},
                                 {&c.dispatcher, &r.dispatcherIp},
                                 {&c.reserve1, &r.reserveIp1},
                                 {&c.reserve2, &r.reserveIp2}})
        if (*change)
            *field = **change;
    if (c.mac)
        r.mac = *c.mac;
    if (c.macFromLift)
        r.mac = MacFromLift(r.mac, r.liftIp);
    // A change of one addressing box brings the other into line, as the window's boxes do.
    if (c.consoleDynamic) {
        r.consoleDynamic = *c.consoleDynamic;
        if (!AddressingAllowed(wanted.config.boardDhcp, r.consoleDynamic))
            wanted.config.boardDhcp = false;
    }
    if (c.boardDhcp) {
        wanted.config.boardDhcp = *c.boardDhcp;
        if (!AddressingAllowed(wanted.config.boardDhcp, r.consoleDynamic))
            r.consoleDynamic = true;
    }
    if (!r.consoleDynamic && ChangesConsoleBlock(c))
        Fail(BadUsage, QString::fromLatin1(ConsoleOnly));
    if (c.ident)
        r.boardIdent = *c.ident;
    return wanted;
}

int ReadCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                char selector, bool json, Console &console)
{
    ProgressLine progress(console);
    OpenSession session(link, &progress);
    PacedRows rows(console, &progress);
    Silences silences;
    QList<QHostAddress> silent;
    session.read(targets, selector, link.timing, [&](const Session::ReadOutcome &read) {
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
            console.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        } else {
            console.out << qSetFieldWidth(15) << Qt::left << read.target.toString() << qSetFieldWidth(0)
                        << "  " << (read.config ? Text(*read.config) : Silence(read)) << '\n';
        }
        rows.added();
    });
    rows.now();  // the summary on a line of its own, after the rows
    if (Interrupted())
        return Stopped(console);
    SayLateAnswers(session, silent, named, link.timing, console);
    // Two boards behind one address take one configuration between them: a clash to be told at once.
    const QHash<quint32, QStringList> two = TwoBoardsOn(session, targets, link.timing);
    for (const QHostAddress &target : targets)
        if (two.contains(target.toIPv4Address()))
            console.err << TwoBoardsText(two.value(target.toIPv4Address()), target) << '\n';
    return silences.outcome(targets.size(), console) != Ok || !two.isEmpty() ? SomeFailed : Ok;
}

namespace {

// What a write of one or more boards carries: the changes, the file it starts from, and where each
// board's configuration is kept first (with how many were kept there).
struct WriteJob
{
    const Changes &changes;
    const std::optional<StoredConfig> &from;
    bool dryRun = false;
    const QDir *backups = nullptr;
    int saved = 0;
};

// One board written on an open session: its lock held, its configuration read (unless the read of a
// whole range brought it: `known`) and, given a folder, kept there first, the changes applied and
// verified.
int WriteOne(Session &session, const Link &link, const QHostAddress &target, const StoredConfig *known,
             WriteJob &job, Console &console)
{
    const Changes &changes = job.changes;
    const std::optional<StoredConfig> &from = job.from;
    const AddressLock lock(target, QStringLiteral("writes to"), console.err);
    const StoredConfig current = known ? *known : Current(session, target, link.timing);
    if (job.backups && !job.dryRun) {
        // Saved before anything of its line is said: a full disk's message is a line of its own.
        const QString path = SaveBackup(*job.backups, target, current);
        ++job.saved;
        console.out << target.toString() << ": backed up in " << path << '\n';
    }
    // Another board's file must not make this board its twin: its identity stays unless asked for.
    const bool ownIdentity = from && !changes.lift && !changes.macFromLift && !changes.mac;
    const ConfigRecord &own = current.config.record;
    if (ownIdentity && (from->config.record.liftIp != own.liftIp || from->config.record.mac != own.mac))
        console.err << target.toString() << ": keeping its own lift address " << IpText(own.liftIp)
                    << " and MAC " << MacText(own.mac) << " (the file has "
                    << IpText(from->config.record.liftIp) << " and " << MacText(from->config.record.mac)
                    << "; --lift and --mac change them)\n";
    console.out << target.toString() << ":\n";
    return WriteAndVerify(
        session, link, target, current,
        [&](const StoredConfig &holds) {
            StoredConfig base = from ? *from : holds;
            if (ownIdentity) {
                base.config.record.liftIp = holds.config.record.liftIp;
                base.config.record.mac = holds.config.record.mac;
            }
            const StoredConfig wanted = Apply(base, changes);
            return WriteIntent{wanted, Expected(ValuesFor(wanted))};
        },
        job.dryRun, console);
}

// Each board the survey found, in the targets' order; one that fails is said and the next one taken,
// until Ctrl+C. The writes go one after another on the open session (a few round trips each), so that
// each board's lines stay together. Then a line of totals, with the silent addresses of a range
// counted apart. The worst outcome is the exit code: a refused configuration (2) before a failure (1)
// before an unconfirmed write (4); nothing that answered at all is a failure.
int EachBoard(const QList<QHostAddress> &targets, const Survey &survey, const char *done, Console &console,
              const std::function<int(const QHostAddress &, const StoredConfig &)> &one)
{
    int ok = 0, failed = 0, unconfirmed = 0, refused = 0, stopped = 0;
    for (const QHostAddress &target : targets) {
        if (Interrupted())
            break;
        const quint32 key = target.toIPv4Address();
        if (!survey.configs.contains(key) && !survey.failed.contains(key))
            continue;  // silent: counted apart
        int code = SomeFailed;
        try {
            if (survey.failed.contains(key))
                Fail(SomeFailed, survey.failed.value(key));
            code = one(target, survey.configs.value(key));
        } catch (const Failure &failure) {
            code = failure.code;
            console.out.flush();
            console.err << target.toString() << ": " << failure.message << '\n';
        }
        console.out.flush();
        ok += code == Ok;
        refused += code == BadUsage;
        unconfirmed += code == NoConfirmation;
        stopped += code == StoppedByUser;  // Ctrl+C before anything was sent to it: untouched
        failed += code != Ok && code != BadUsage && code != NoConfirmation && code != StoppedByUser;
    }
    if (Interrupted())
        console.err << "stopped; ";
    console.err << ok << " of " << survey.boards() << " board(s) " << done;
    for (auto [count, what] : {std::pair{failed, "failed"},
                               {refused, "refused"},
                               {unconfirmed, "not confirmed"},
                               {stopped, "left as it was"}})
        if (count)
            console.err << ", " << count << ' ' << what;
    if (survey.silent)
        console.err << "; " << SilentText(survey.silent, survey.unreachable);
    console.err << '\n';
    if (Interrupted())
        return unconfirmed ? NoConfirmation : StoppedByUser;
    return refused                ? BadUsage
           : failed               ? SomeFailed
           : unconfirmed          ? NoConfirmation
           : survey.boards() == 0 ? SomeFailed
                                  : Ok;
}

}  // namespace

int WriteCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                 const Changes &changes, const std::optional<StoredConfig> &from, bool dryRun,
                 const QString &backupParent, Console &console)
{
    // A change that cannot go out is named before anything is sent.
    CheckChanges(changes);
    if (from)
        Apply(*from, changes);
    WriteJob job{changes, from, dryRun};
    if (targets.size() == 1) {
        OpenSession session(link);
        return WriteOne(session, link, targets[0], nullptr, job, console);
    }
    // One lift address or MAC given to many boards would make them twins.
    if (changes.lift || changes.mac)
        Fail(BadUsage,
             QStringLiteral("--lift and --mac name one board: write them to one address at a time"));
    OpenSession session(link);
    const std::optional<QDir> folder = dryRun ? std::nullopt : std::optional(NewBackupFolder(backupParent));
    job.backups = folder ? &*folder : nullptr;
    const Survey survey =
        SurveyOf(session, targets, named, link.timing, QStringLiteral("nothing written"), console);
    if (Interrupted()) {
        if (folder)
            QDir().rmdir(folder->path());
        return Stopped(console);
    }
    const int code = EachBoard(targets, survey, dryRun ? "checked" : "kept the write", console,
                               [&](const QHostAddress &target, const StoredConfig &current) {
                                   return WriteOne(session, link, target, &current, job, console);
                               });
    if (folder && job.saved) {
        console.err << "each board's configuration before the write: " << folder->path() << '\n';
    } else if (folder) {
        QDir().rmdir(folder->path());  // an empty folder would be the newest backup of nothing
        console.err << "no backup was made; nothing was sent\n";
    }
    return code;
}

namespace {

// `made`: when the backup was made, for a backup found in a folder of backups. `known`: the board's
// configuration, where the read of a whole range brought it.
int RestoreOne(Session &session, const Link &link, StoredConfig saved, const QString &file,
               const QHostAddress &target, bool exact, bool dryRun, Console &console,
               const QDateTime &made = QDateTime(), const StoredConfig *known = nullptr)
{
    if (!AddressingAllowed(saved.config.boardDhcp, saved.config.record.consoleDynamic))
        Fail(BadUsage, QStringLiteral("%1 holds a board on DHCP with a static console: a board on DHCP "
                                      "needs a dynamic console")
                           .arg(file));
    const AddressLock lock(target, QStringLiteral("writes to"), console.err);
    const StoredConfig current = known ? *known : Current(session, target, link.timing);
    console.out << target.toString() << ": from " << file;
    if (made.isValid())
        console.out << " (backed up " << made.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                    << ')';
    console.out << '\n';
    // The board's identity is its own: another board's file never makes it that board's twin.
    const ConfigRecord &own = current.config.record, &filed = saved.config.record;
    if (!exact && (own.liftIp != filed.liftIp || own.mac != filed.mac)) {
        console.out << "  keeps its own lift address " << IpText(own.liftIp) << " and MAC "
                    << MacText(own.mac) << " (the file has " << IpText(filed.liftIp) << " and "
                    << MacText(filed.mac) << "; --exact copies them)\n";
        saved.config.record.liftIp = own.liftIp;
        saved.config.record.mac = own.mac;
    }
    // A board that holds what the file holds gets nothing: a write would also send what a static
    // console cannot carry (zeros for its dispatcher and identifier).
    if (Same(current, saved)) {
        console.out << "  the board already holds the rest of what the file holds: nothing sent\n";
        return Ok;
    }
    return WriteAndVerify(
        session, link, target, current,
        [&](const StoredConfig &holds) {
            StoredConfig restored = saved;
            if (!exact) {
                restored.config.record.liftIp = holds.config.record.liftIp;
                restored.config.record.mac = holds.config.record.mac;
            }
            return WriteIntent{restored, restored};
        },
        dryRun, console);
}

}  // namespace

int RestoreCommand(const Link &link, const QString &source, const QList<QHostAddress> &targets,
                   const QSet<quint32> &named, bool exact, bool dryRun, Console &console)
{
    OpenSession session(link);
    if (!QFileInfo(source).isDir()) {
        if (targets.size() != 1)
            Fail(BadUsage, QStringLiteral("one file restores one board; a folder of backups restores each "
                                          "board its own"));
        return RestoreOne(session, link, ReadBackupFile(source), source, targets[0], exact, dryRun, console);
    }
    const Survey survey =
        SurveyOf(session, targets, named, link.timing, QStringLiteral("nothing sent"), console);
    if (Interrupted())
        return Stopped(console);
    return EachBoard(targets, survey, dryRun ? "checked" : "restored", console,
                     [&](const QHostAddress &target, const StoredConfig &current) {
                         const Mac &mac = current.config.record.mac;
                         const auto found = NewestBackup(source, mac, target);
                         if (!found)
                             Fail(SomeFailed,
                                  QStringLiteral("no backup of MAC %1 or of address %2 in %3; nothing sent")
                                      .arg(MacText(mac), target.toString(), source));
                         if (!found->byMac)
                             console.out << target.toString() << ": no backup of its MAC " << MacText(mac)
                                         << "; taking the newest of its address\n";
                         return RestoreOne(session, link, ReadBackupFile(found->path), found->path, target,
                                           exact, dryRun, console, found->made, &current);
                     });
}

StoredConfig ReadBackupFile(const QString &path)
{
    StoredConfig stored;
    QString error;
    if (!ReadConfigFile(path, stored, error))
        Fail(BadUsage, error + QStringLiteral("; nothing sent"));
    return stored;
}

int WatchCommand(const Link &link, bool json, int count, Console &console)
{
    OpenSession session(link);
    if (!json)
        console.err << "listening on port " << link.port << "; Ctrl+C ends" << Qt::endl;
    int seen = 0;
    session.watch(
        [&](const QByteArray &data, const QString &sender, quint16 port) {
            const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz"));
            const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
            const auto whole =
                decoded.reply ? WholeConfigOf(*decoded.reply, std::size_t(data.size())) : std::nullopt;
            const QString kind = QLatin1String(KindName(KindOf(ViewOf(data), ReceivedBy::Configurator)));
            if (json) {
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
                console.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
            } else {
                QStringList parts{kind};
                if (whole)
                    parts << Text(*whole);
                if (decoded.iklText)
                    parts << QStringLiteral("ikl %1").arg(QString::fromStdString(*decoded.iklText));
                if (decoded.identMark)
                    parts << QStringLiteral("ident %1").arg(*decoded.identMark);
                if (kind == QLatin1String("unknown"))
                    parts << QString::fromLatin1(data.left(64).toHex(' ')) + (data.size() > 64 ? " ..." : "");
                console.out << time << "  " << sender << ':' << port << "  " << data.size() << " bytes  "
                            << parts.join(QLatin1String("  ")) << '\n';
            }
            console.out.flush();
            return count == 0 || ++seen < count;
        },
        [&](qsizetype length, const QString &sender, quint16 port) {
            const QString time = QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz"));
            if (json)
                console.out << QJsonDocument(QJsonObject{{"time", time},
                                                         {"from", sender},
                                                         {"port", port},
                                                         {"bytes", length},
                                                         {"kind", "oversize"}})
                                   .toJson(QJsonDocument::Compact)
                            << '\n';
            else
                console.out << time << "  " << sender << ':' << port << "  " << length
                            << " bytes  oversize: longer than any board sends, not decoded\n";
            console.out.flush();
        });
    return Interrupted() ? Stopped(console) : Ok;
}

int BackupCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                  const QString &parent, Console &console)
{
    const QDir folder = NewBackupFolder(parent);
    ProgressLine progress(console);
    OpenSession session(link, &progress);
    PacedRows rows(console, &progress);
    int saved = 0, failed = 0;
    Silences silences;
    session.read(targets, SelectorStored, link.timing, [&](const Session::ReadOutcome &read) {
        progress.clear();
        const QString address = read.target.toString();
        if (!read.config) {
            console.out << address << "  " << Silence(read) << '\n';
            silences.count(read, named);
        } else {
            try {
                // Saved before anything of its row is written: a full disk's message is a line of its own.
                const QString path = SaveBackup(folder, read.target, *read.config);
                console.out << address << "  " << path << '\n';
                ++saved;
            } catch (const Failure &failure) {
                rows.now();
                console.err << address << "  " << failure.message << '\n';
                ++failed;
            }
        }
        rows.added();
    });
    rows.now();
    if (!saved)
        QDir().rmdir(folder.path());  // an empty folder would be the newest backup of nothing
    if (Interrupted())
        return Stopped(console);
    console.err << saved << " of " << targets.size() << " board(s) backed up"
                << (saved ? QStringLiteral(" in ") + folder.path() : QString());
    if (failed)
        console.err << ", " << failed << " not saved";
    console.err << '\n';
    return silences.outcome(targets.size(), console) != Ok || failed ? SomeFailed : Ok;
}

int RebootCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named, bool wait,
                  int waitLimitSeconds, Console &console)
{
    QTextStream &out = console.out;
    ProgressLine progress(console);
    OpenSession session(link, &progress);
    PacedRows rows(console, &progress);
    // Every target read at once first: the silent addresses of a range are left out at the cost of one
    // time-out together, two boards at one address are refused there, and a board that stored another
    // lift address is known to come up there.
    const Survey survey =
        SurveyOf(session, targets, named, link.timing, QStringLiteral("nothing rebooted"), console);
    if (Interrupted())
        return Stopped(console);
    QList<QHostAddress> asked;
    QHash<quint32, QHostAddress> comesUpAt;
    for (const QHostAddress &target : targets) {
        const quint32 key = target.toIPv4Address();
        if (survey.failed.contains(key)) {
            rows.now();
            console.err << target.toString() << ": " << survey.failed.value(key) << '\n';
        }
        if (!survey.configs.contains(key))
            continue;
        asked << target;
        const StoredConfig &stored = survey.configs[key];
        const QHostAddress lift = HostAddressOf(stored.config.record.liftIp);
        if (!stored.config.boardDhcp && lift.toIPv4Address() != key)
            comesUpAt.insert(key, lift);
    }
    QElapsedTimer clock;
    clock.start();
    QHash<quint32, qint64> acknowledgedAt;  // only these are waited for
    QList<QHostAddress> pending;
    int failed = int(survey.failed.size());
    if (!asked.isEmpty())
        session.reboot(asked, link.timing.timeoutMs, [&](const Session::Outcome &outcome) {
            progress.clear();
            const bool ack = outcome.answer.has_value();
            failed += !ack;
            if (ack) {
                pending << outcome.target;
                acknowledgedAt.insert(outcome.target.toIPv4Address(), clock.elapsed());
            }
            out << outcome.target.toString() << "  ";
            if (ack)
                out << "acknowledged\n";
            else if (outcome.unreachable)
                out << Silence({outcome.target, std::nullopt, false, QString(), true}) << '\n';
            else
                out << (outcome.unusable ? "answered, but with no acknowledgement\n"
                                         : "no acknowledgement\n");
            rows.added();
        });
    if (Interrupted())
        return Stopped(console);
    const qsizetype acknowledged = acknowledgedAt.size();
    QStringList summary;
    if (!wait)
        summary << QStringLiteral("%1 of %2 board(s) acknowledged the reboot")
                       .arg(acknowledged)
                       .arg(survey.boards());

    // Each board is asked every PollMs from its acknowledgement on, and its time is its own: from its
    // acknowledgement to its first answer.
    constexpr int PollMs = 100;
    qsizetype back = 0;
    while (wait && !pending.isEmpty() && clock.elapsed() < waitLimitSeconds * 1000LL && !Interrupted()) {
        progress.waitFor(QStringLiteral("waiting for %1 board(s) to answer again, %2 of %3 s")
                             .arg(pending.size())
                             .arg(clock.elapsed() / 1000)
                             .arg(waitLimitSeconds));
        QList<QHostAddress> asking;
        QHash<quint32, QHostAddress> whose;  // the address asked: the board it stands for
        for (const QHostAddress &target : pending) {
            for (const QHostAddress &at : {target, comesUpAt.value(target.toIPv4Address())})
                if (!at.isNull() && !whose.contains(at.toIPv4Address())) {
                    whose.insert(at.toIPv4Address(), target);
                    asking << at;
                }
        }
        QSet<quint32> answered;
        session.read(asking, SelectorWorking, {PollMs, 0}, [&](const Session::ReadOutcome &read) {
            const QHostAddress target = whose.value(read.target.toIPv4Address());
            if (!read.config || answered.contains(target.toIPv4Address()))
                return;
            answered.insert(target.toIPv4Address());
            const qint64 took = clock.elapsed() - acknowledgedAt.value(target.toIPv4Address());
            progress.clear();
            out << target.toString() << "  answers again ";
            if (read.target != target)
                out << "at " << read.target.toString() << ' ';
            out << "after " << took << " ms\n";
            rows.added();
        });
        back += answered.size();
        pending.removeIf(
            [&](const QHostAddress &target) { return answered.contains(target.toIPv4Address()); });
    }
    if (Interrupted())
        return Stopped(console);
    if (!wait)
        pending.clear();  // acknowledged, and nothing waited for
    for (const QHostAddress &target : pending)
        out << target.toString() << "  still silent after " << waitLimitSeconds << " s\n";
    if (wait) {
        summary << QStringLiteral("%1 of %2 board(s) answered again").arg(back).arg(acknowledged);
        if (!pending.isEmpty())
            summary << QStringLiteral("%1 still silent after %2 s").arg(pending.size()).arg(waitLimitSeconds);
    }
    if (failed)
        summary << QStringLiteral("%1 not rebooted").arg(failed);
    if (survey.silent)
        summary << SilentText(survey.silent, survey.unreachable);
    rows.now();
    console.err << summary.join(QStringLiteral("; ")) << '\n';
    return failed || !pending.isEmpty() || survey.boards() == 0 ? SomeFailed : Ok;
}

}  // namespace velmar
