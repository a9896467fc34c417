#include "commands.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QSet>

namespace velmar {

namespace {

[[noreturn]] void Fail(int code, const QString &message)
{
    throw Failure{code, message};
}

QString Text(const StoredConfig &s)
{
    const ConfigRecord &r = s.config.record;
    return QStringLiteral("lift %1  mask %2  router %3  mac %4  ident %5  console %6  board %7  "
                          "dispatcher %8  reserve %9 %10  version \"%11\"")
        .arg(IpText(r.liftIp), IpText(r.netMask), IpText(r.routerIp), MacText(r.mac))
        .arg(r.boardIdent)
        .arg(r.consoleDynamic ? "dynamic" : "static", s.config.boardDhcp ? "dhcp" : "static",
             IpText(r.dispatcherIp), IpText(r.reserveIp1), IpText(r.reserveIp2),
             VersionToText(s.config.versionText));
}

// A session on the link's port, open, or Failure(PortTaken).
struct OpenSession : Session
{
    explicit OpenSession(const Link &link) : Session(link.port)
    {
        setSender(link.sender);
        if (!open())
            Fail(PortTaken, QStringLiteral("port %1 is taken (a running configurator holds it?); close it or "
                                           "choose another with --port")
                                .arg(port()));
    }
};

std::optional<StoredConfig> ReadOne(Session &session, const QHostAddress &target, Session::Timing timing)
{
    const auto configs = session.read({target}, SelectorStored, timing);
    if (!configs.contains(target.toIPv4Address()))
        return std::nullopt;
    return configs.value(target.toIPv4Address());
}

// The write as the window sends it.
ConfigWriteValues ValuesFor(const StoredConfig &stored)
{
    ConfigWriteValues values;
    values.record = stored.config.record;
    values.rayNumber = stored.rayNumber;
    values.consoleDynamic = stored.config.record.consoleDynamic;
    values.boardDhcp = stored.config.boardDhcp;
    return values;
}

// What a board that keeps the write reports afterwards.
StoredConfig Expected(const ConfigWriteValues &values)
{
    const auto parsed = ParseConfigWrite(ConfigWrite(values));
    StoredConfig expected;
    expected.config.record = parsed->record;
    expected.config.boardDhcp = parsed->boardDhcp;
    return expected;
}

QList<std::pair<QString, std::pair<QString, QString>>> Fields(const StoredConfig &a, const StoredConfig &b)
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

int WriteAndVerify(Session &session, const QHostAddress &target, const StoredConfig &before,
                   const StoredConfig &wanted, bool dryRun, Session::Timing timing, Console &console)
{
    QTextStream &out = console.out;
    const ConfigWriteValues values = ValuesFor(wanted);
    const StoredConfig expected = Expected(values);
    int changes = 0;
    for (const auto &[field, pair] : Fields(before, expected)) {
        if (pair.first != pair.second) {
            out << "  " << field << ": " << pair.first << " -> " << pair.second << '\n';
            ++changes;
        }
    }
    if (!changes)
        out << "  no change\n";
    if (dryRun) {
        out << "dry run: nothing sent\n";
        return Ok;
    }
    session.settle(50);
    try {
        session.write(target, values);
    } catch (const SendError &error) {
        Fail(SomeFailed, QStringLiteral("cannot send to %1: %2").arg(target.toString(), error.what()));
    }
    const auto after = ReadOne(session, target, timing);
    if (!after) {
        console.err << target.toString() << ": no answer after the write\n";
        return SomeFailed;
    }
    int lost = 0;
    for (const auto &[field, pair] : Fields(expected, *after)) {
        const bool kept = pair.first == pair.second;
        lost += !kept;
        out << "  " << field << ": "
            << (kept ? "kept " + pair.second : "NOT kept: sent " + pair.first + ", board has " + pair.second)
            << '\n';
    }
    out << target.toString()
        << (lost ? ": the board did not keep everything\n" : ": the board kept the write\n");
    return lost ? SomeFailed : Ok;
}

}  // namespace

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

int ReadCommand(const Link &link, const QList<QHostAddress> &targets, char selector, bool json,
                Console &console)
{
    OpenSession session(link);
    const auto replies = session.read(targets, selector, link.timing);
    int silent = 0;
    for (const QHostAddress &target : targets) {
        const auto stored = replies.contains(target.toIPv4Address())
                                ? std::optional(replies.value(target.toIPv4Address()))
                                : std::nullopt;
        silent += !stored;
        if (json) {
            QJsonObject object = stored ? ConfigToJson(*stored) : QJsonObject{};
            object.insert("address", target.toString());
            object.insert("answered", stored.has_value());
            console.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        } else {
            console.out << qSetFieldWidth(15) << Qt::left << target.toString() << qSetFieldWidth(0) << "  "
                        << (stored ? Text(*stored) : QStringLiteral("no answer")) << '\n';
        }
    }
    console.out.flush();
    if (silent)
        console.err << silent << " of " << targets.size() << " board(s) did not answer\n";
    return silent ? SomeFailed : Ok;
}

int WriteCommand(const Link &link, const QHostAddress &target, const Changes &changes,
                 const std::optional<StoredConfig> &from, bool dryRun, Console &console)
{
    // A change that cannot go out is named before anything is sent.
    CheckChanges(changes);
    if (from)
        Apply(*from, changes);
    OpenSession session(link);
    const auto current = ReadOne(session, target, link.timing);
    if (!current)
        Fail(SomeFailed, target.toString() + ": no answer");
    const StoredConfig wanted = Apply(from ? *from : *current, changes);
    console.out << target.toString() << ":\n";
    return WriteAndVerify(session, target, *current, wanted, dryRun, link.timing, console);
}

int RestoreCommand(const Link &link, StoredConfig saved, const QHostAddress &target, bool exact, bool dryRun,
                   Console &console)
{
    OpenSession session(link);
    const auto current = ReadOne(session, target, link.timing);
    if (!current)
        Fail(SomeFailed, target.toString() + ": no answer");
    if (!exact) {
        saved.config.record.liftIp = current->config.record.liftIp;
        saved.config.record.mac = current->config.record.mac;
    }
    console.out << target.toString() << ":\n";
    return WriteAndVerify(session, target, *current, saved, dryRun, link.timing, console);
}

int BackupCommand(const Link &link, const QList<QHostAddress> &targets, const QDir &dir, Console &console)
{
    if (!QDir().mkpath(dir.path()))
        Fail(BadUsage, QStringLiteral("cannot create %1").arg(dir.path()));
    OpenSession session(link);
    const auto replies = session.read(targets, SelectorStored, link.timing);
    int failed = 0;
    for (const QHostAddress &target : targets) {
        const auto stored = replies.contains(target.toIPv4Address())
                                ? std::optional(replies.value(target.toIPv4Address()))
                                : std::nullopt;
        if (!stored) {
            console.out << target.toString() << "  no answer\n";
            ++failed;
            continue;
        }
        const QString name = MacText(stored->config.record.mac).replace(QLatin1Char(':'), QLatin1Char('-')) +
                             QLatin1Char('_') + target.toString() + QStringLiteral(".json");
        QString error;
        if (!WriteConfigFile(dir.filePath(name), *stored, error, {{"address", target.toString()}})) {
            console.out << target.toString() << "  " << error << '\n';
            ++failed;
            continue;
        }
        console.out << target.toString() << "  " << dir.filePath(name) << '\n';
    }
    return failed ? SomeFailed : Ok;
}

int RebootCommand(const Link &link, const QList<QHostAddress> &targets, bool wait, int waitLimitSeconds,
                  Console &console)
{
    QTextStream &out = console.out;
    OpenSession session(link);
    QElapsedTimer clock;
    clock.start();
    const QSet<quint32> acknowledged = session.reboot(targets, link.timing.timeoutMs);
    int failed = 0;
    for (const QHostAddress &target : targets) {
        const bool ack = acknowledged.contains(target.toIPv4Address());
        failed += !ack;
        out << target.toString() << (ack ? "  acknowledged\n" : "  no acknowledgement\n");
    }
    if (!wait)
        return failed ? SomeFailed : Ok;

    QList<QHostAddress> pending = targets;
    while (!pending.isEmpty() && clock.elapsed() < waitLimitSeconds * 1000LL) {
        const auto replies = session.read(pending, SelectorWorking, {250, 0});
        QList<QHostAddress> still;
        for (const QHostAddress &target : pending) {
            if (replies.contains(target.toIPv4Address()))
                out << target.toString() << "  answers again after " << clock.elapsed() << " ms\n";
            else
                still << target;
        }
        pending = still;
        out.flush();
    }
    for (const QHostAddress &target : pending)
        out << target.toString() << "  still silent after " << waitLimitSeconds << " s\n";
    return failed || !pending.isEmpty() ? SomeFailed : Ok;
}

}  // namespace velmar
