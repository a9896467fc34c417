// velmarctl: the configurator's board operations from the command line, for one board or a whole site.

#include "config_file.h"
#include "session.h"
#include "wire.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QSet>
#include <QTextStream>
#include <QThread>

#include <cstdio>

using namespace velmar;

namespace {

enum Exit { Ok = 0, SomeFailed = 1, BadUsage = 2, PortTaken = 3 };

QTextStream out(stdout);
QTextStream err(stderr);

const char *const Overview =
    "usage: velmarctl COMMAND [options]\n"
    "\n"
    "  read TARGET...      read the stored (or --working) configuration of each board\n"
    "  write TARGET        change a board's stored configuration and check that it kept it\n"
    "  reboot TARGET...    restart boards, optionally --wait until they answer again\n"
    "  backup TARGET...    save each board's stored configuration to a file in --dir\n"
    "  restore FILE TARGET write a saved configuration to a board\n"
    "\n"
    "TARGET is an address (10.0.0.2 or 010.000.000.002), a range (127.0.0.2-127.0.0.40) or a prefix\n"
    "(127.0.0.0/24). 'velmarctl COMMAND --help' tells more. Exit codes: 0 done, 1 some boards did not\n"
    "answer or did not keep what was written, 2 a value or option is not valid (nothing was sent),\n"
    "3 the listening port is taken.\n";

struct Failure
{
    int code;
    QString message;
};

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

// The options every command shares.
struct Common
{
    QCommandLineParser parser;
    Session::Timing timing;
    quint16 port = wire::ListenPort;
    QStringList positional;
};

void Parse(Common &c, const QStringList &args, const QString &usage, const QList<QCommandLineOption> &own)
{
    QCommandLineParser &p = c.parser;
    p.setApplicationDescription(usage);
    p.addOption({{"h", "help"}, "Show this help."});
    p.addOption({"port", "Listen on port P instead of 6767 (where boards answer).", "P", "6767"});
    p.addOption({"timeout", "Wait MS milliseconds for each answer (default 500).", "MS", "500"});
    p.addOption({"retries", "Ask N more times when a board does not answer (default 2).", "N", "2"});
    p.addOptions(own);
    if (!p.parse(args))
        Fail(BadUsage, p.errorText());
    if (p.isSet("help")) {
        out << p.helpText();
        throw Failure{Ok, QString()};
    }
    auto number = [&](const char *name, int low, int high) {
        bool ok = false;
        const int value = p.value(name).toInt(&ok);
        if (!ok || value < low || value > high)
            Fail(BadUsage, QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                               .arg(QLatin1String(name))
                               .arg(low)
                               .arg(high)
                               .arg(p.value(name)));
        return value;
    };
    c.port = static_cast<quint16>(number("port", 0, 65535));
    c.timing.timeoutMs = number("timeout", 1, 60000);
    c.timing.retries = number("retries", 0, 20);
    c.positional = p.positionalArguments();
}

QList<QHostAddress> Targets(const QStringList &texts)
{
    QString error;
    auto targets = ParseTargets(texts, error);
    if (!targets)
        Fail(BadUsage, error);
    return *targets;
}

void Open(Session &session)
{
    if (!session.open())
        Fail(PortTaken, QStringLiteral("port %1 is taken (a running configurator holds it?); close it or "
                                       "choose another with --port")
                            .arg(session.port()));
}

std::optional<StoredConfig> ReadOne(Session &session, const QHostAddress &target, Session::Timing timing)
{
    const auto configs = session.read({target}, SelectorStored, timing);
    if (!configs.contains(target.toIPv4Address()))
        return std::nullopt;
    return configs.value(target.toIPv4Address());
}

// ---- read ---------------------------------------------------------------------------------------

int Read(const QStringList &args)
{
    Common c;
    Parse(c, args, "velmarctl read TARGET... [--working] [--json]\nReads each board's stored configuration.",
          {{"working", "Read the working configuration instead of the stored one."},
           {"json", "One JSON object per board and line."}});
    const auto targets = Targets(c.positional);
    Session session(c.port);
    Open(session);
    const auto replies =
        session.read(targets, c.parser.isSet("working") ? SelectorWorking : SelectorStored, c.timing);
    int silent = 0;
    for (const QHostAddress &target : targets) {
        const auto stored = replies.contains(target.toIPv4Address())
                                ? std::optional(replies.value(target.toIPv4Address()))
                                : std::nullopt;
        silent += !stored;
        if (c.parser.isSet("json")) {
            QJsonObject json = stored ? ConfigToJson(*stored) : QJsonObject{};
            json.insert("address", target.toString());
            json.insert("answered", stored.has_value());
            out << QJsonDocument(json).toJson(QJsonDocument::Compact) << '\n';
        } else {
            out << qSetFieldWidth(15) << Qt::left << target.toString() << qSetFieldWidth(0) << "  "
                << (stored ? Text(*stored) : QStringLiteral("no answer")) << '\n';
        }
    }
    out.flush();
    if (silent)
        err << silent << " of " << targets.size() << " board(s) did not answer\n";
    return silent ? SomeFailed : Ok;
}

// ---- write and restore --------------------------------------------------------------------------

// The write as the window sends it: a static console sends zeros for its block, and the board's own
// DHCP needs a dynamic console.
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
                   const StoredConfig &wanted, bool dryRun, Session::Timing timing)
{
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
        err << target.toString() << ": no answer after the write\n";
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

int Write(const QStringList &args)
{
    Common c;
    Parse(c, args,
          "velmarctl write TARGET [changes] [--from FILE] [--dry-run]\n"
          "Starts from the board's stored configuration (or FILE), applies the changes, writes it as the\n"
          "configurator does and reads it back. The dispatcher address, identifier and reserve addresses\n"
          "go only with a dynamic console; a board on DHCP needs a dynamic console.",
          {{"lift", "Lift (board) address.", "A"},
           {"mask", "Network mask.", "M"},
           {"router", "Router address.", "R"},
           {"mac", "MAC address.", "XX:XX:XX:XX:XX:XX"},
           {"mac-from-lift", "The last four MAC bytes from the lift address."},
           {"dispatcher", "Dispatcher computer address.", "A"},
           {"reserve1", "Reserve address No. 1.", "A"},
           {"reserve2", "Reserve address No. 2.", "A"},
           {"ident", "Board identifier, 0 to 65535.", "N"},
           {"console", "Console addressing.", "static|dynamic"},
           {"board", "Board addressing.", "static|dhcp"},
           {"from", "Start from a saved configuration instead of the board's.", "FILE"},
           {"dry-run", "Show what would change; send nothing."}});
    QCommandLineParser &p = c.parser;
    if (c.positional.size() != 1)
        Fail(BadUsage, QStringLiteral("write takes exactly one board address"));
    const auto targets = Targets(c.positional);
    if (targets.size() != 1)
        Fail(BadUsage, QStringLiteral("write takes exactly one board, not a range"));

    // Every value is checked before anything is sent.
    auto ip = [&](const char *name) -> std::optional<Ipv4> {
        if (!p.isSet(name))
            return std::nullopt;
        const auto parsed = ParseIp(p.value(name));
        if (!parsed)
            Fail(BadUsage, QStringLiteral("--%1: \"%2\" is not an IPv4 address")
                               .arg(QLatin1String(name), p.value(name)));
        return parsed;
    };
    const auto lift = ip("lift"), mask = ip("mask"), router = ip("router"), dispatcher = ip("dispatcher"),
               reserve1 = ip("reserve1"), reserve2 = ip("reserve2");
    std::optional<Mac> mac;
    if (p.isSet("mac") && !(mac = ParseMac(p.value("mac"))))
        Fail(BadUsage, QStringLiteral("--mac: \"%1\" is not six hexadecimal pairs").arg(p.value("mac")));
    if (p.isSet("mac") && p.isSet("mac-from-lift"))
        Fail(BadUsage, QStringLiteral("--mac and --mac-from-lift exclude each other"));
    std::optional<int> ident;
    if (p.isSet("ident")) {
        bool ok = false;
        ident = p.value("ident").toInt(&ok);
        if (!ok || *ident < 0 || *ident > 65535)
            Fail(BadUsage, QStringLiteral("--ident takes 0 to 65535, not \"%1\"").arg(p.value("ident")));
    }
    auto choice = [&](const char *name, const char *off, const char *on) -> std::optional<bool> {
        if (!p.isSet(name))
            return std::nullopt;
        if (p.value(name) == QLatin1String(off))
            return false;
        if (p.value(name) == QLatin1String(on))
            return true;
        Fail(BadUsage, QStringLiteral("--%1 takes %2 or %3")
                           .arg(QLatin1String(name), QLatin1String(off), QLatin1String(on)));
    };
    const auto console = choice("console", "static", "dynamic");
    const auto board = choice("board", "static", "dhcp");
    if (console == false && board == true)
        Fail(BadUsage, QStringLiteral("a board on DHCP needs --console dynamic"));
    const QString consoleOnly =
        QStringLiteral("the dispatcher address, identifier and reserve addresses go only "
                       "with a dynamic console (--console dynamic)");
    if (console == false && (dispatcher || ident || reserve1 || reserve2))
        Fail(BadUsage, consoleOnly);
    StoredConfig fromFile;
    if (p.isSet("from")) {
        QString error;
        if (!ReadConfigFile(p.value("from"), fromFile, error))
            Fail(BadUsage, error);
    }

    Session session(c.port);
    Open(session);
    const auto current = ReadOne(session, targets[0], c.timing);
    if (!current)
        Fail(SomeFailed, targets[0].toString() + ": no answer");
    StoredConfig wanted = p.isSet("from") ? fromFile : *current;
    ConfigRecord &r = wanted.config.record;
    if (lift)
        r.liftIp = *lift;
    if (mask)
        r.netMask = *mask;
    if (router)
        r.routerIp = *router;
    if (mac)
        r.mac = *mac;
    if (p.isSet("mac-from-lift"))
        std::copy(r.liftIp.begin(), r.liftIp.end(), r.mac.begin() + 2);
    if (console) {
        r.consoleDynamic = *console;
        if (!*console)
            wanted.config.boardDhcp = false;
    }
    if (board) {
        wanted.config.boardDhcp = *board;
        if (*board)
            r.consoleDynamic = true;
    }
    if (!r.consoleDynamic && (dispatcher || ident || reserve1 || reserve2))
        Fail(BadUsage, consoleOnly);
    if (dispatcher)
        r.dispatcherIp = *dispatcher;
    if (reserve1)
        r.reserveIp1 = *reserve1;
    if (reserve2)
        r.reserveIp2 = *reserve2;
    if (ident)
        r.boardIdent = static_cast<std::uint16_t>(*ident);
    out << targets[0].toString() << ":\n";
    return WriteAndVerify(session, targets[0], *current, wanted, p.isSet("dry-run"), c.timing);
}

int Restore(const QStringList &args)
{
    Common c;
    Parse(c, args,
          "velmarctl restore FILE TARGET [--exact]\n"
          "Writes a saved configuration to a board. The board keeps its own lift address and MAC unless\n"
          "--exact is given.",
          {{"exact", "Copy the lift address and MAC too."},
           {"dry-run", "Show what would change; send nothing."}});
    if (c.positional.size() != 2)
        Fail(BadUsage, QStringLiteral("restore takes a file and one board address"));
    StoredConfig saved;
    QString error;
    if (!ReadConfigFile(c.positional[0], saved, error))
        Fail(BadUsage, error);
    const auto targets = Targets({c.positional[1]});
    if (targets.size() != 1)
        Fail(BadUsage, QStringLiteral("restore takes exactly one board, not a range"));
    Session session(c.port);
    Open(session);
    const auto current = ReadOne(session, targets[0], c.timing);
    if (!current)
        Fail(SomeFailed, targets[0].toString() + ": no answer");
    if (!c.parser.isSet("exact")) {
        saved.config.record.liftIp = current->config.record.liftIp;
        saved.config.record.mac = current->config.record.mac;
    }
    out << targets[0].toString() << ":\n";
    return WriteAndVerify(session, targets[0], *current, saved, c.parser.isSet("dry-run"), c.timing);
}

// ---- backup -------------------------------------------------------------------------------------

int Backup(const QStringList &args)
{
    Common c;
    Parse(c, args,
          "velmarctl backup TARGET... --dir D\n"
          "Saves each board's stored configuration as D/<MAC>_<address>.json.",
          {{"dir", "The folder for the files (created when missing).", "D"}});
    if (!c.parser.isSet("dir"))
        Fail(BadUsage, QStringLiteral("backup needs --dir"));
    const auto targets = Targets(c.positional);
    const QDir dir(c.parser.value("dir"));
    if (!QDir().mkpath(dir.path()))
        Fail(BadUsage, QStringLiteral("cannot create %1").arg(dir.path()));
    Session session(c.port);
    Open(session);
    const auto replies = session.read(targets, SelectorStored, c.timing);
    int failed = 0;
    for (const QHostAddress &target : targets) {
        const auto stored = replies.contains(target.toIPv4Address())
                                ? std::optional(replies.value(target.toIPv4Address()))
                                : std::nullopt;
        if (!stored) {
            out << target.toString() << "  no answer\n";
            ++failed;
            continue;
        }
        const QString name = MacText(stored->config.record.mac).replace(QLatin1Char(':'), QLatin1Char('-')) +
                             QLatin1Char('_') + target.toString() + QStringLiteral(".json");
        QString error;
        if (!WriteConfigFile(dir.filePath(name), *stored, error, {{"address", target.toString()}})) {
            out << target.toString() << "  " << error << '\n';
            ++failed;
            continue;
        }
        out << target.toString() << "  " << dir.filePath(name) << '\n';
    }
    return failed ? SomeFailed : Ok;
}

// ---- reboot -------------------------------------------------------------------------------------

int Reboot(const QStringList &args)
{
    Common c;
    Parse(c, args,
          "velmarctl reboot TARGET... [--wait]\n"
          "Sends the pre-reboot frames and the reboot request as the configurator does.",
          {{"wait", "Read each board until it answers again, and say how long it took."},
           {"wait-limit", "Give up waiting after S seconds (default 30).", "S", "30"}});
    const auto targets = Targets(c.positional);
    bool ok = false;
    const int limit = c.parser.value("wait-limit").toInt(&ok);
    if (!ok || limit < 1 || limit > 3600)
        Fail(BadUsage, QStringLiteral("--wait-limit takes 1 to 3600 seconds"));
    Session session(c.port);
    Open(session);
    QElapsedTimer clock;
    clock.start();
    const QSet<quint32> acknowledged = session.reboot(targets, c.timing.timeoutMs);
    int failed = 0;
    for (const QHostAddress &target : targets) {
        const bool ack = acknowledged.contains(target.toIPv4Address());
        failed += !ack;
        out << target.toString() << (ack ? "  acknowledged\n" : "  no acknowledgement\n");
    }
    if (!c.parser.isSet("wait"))
        return failed ? SomeFailed : Ok;

    QList<QHostAddress> pending = targets;
    while (!pending.isEmpty() && clock.elapsed() < limit * 1000LL) {
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
        out << target.toString() << "  still silent after " << limit << " s\n";
    return failed || !pending.isEmpty() ? SomeFailed : Ok;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmarctl"));
    QStringList args = app.arguments();
    const QString command = args.value(1);
    if (command.isEmpty() || command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << Overview;
        return command.isEmpty() ? BadUsage : Ok;
    }
    args.removeAt(1);
    try {
        if (command == QLatin1String("read"))
            return Read(args);
        if (command == QLatin1String("write"))
            return Write(args);
        if (command == QLatin1String("reboot"))
            return Reboot(args);
        if (command == QLatin1String("backup"))
            return Backup(args);
        if (command == QLatin1String("restore"))
            return Restore(args);
        Fail(BadUsage, QStringLiteral("unknown command \"%1\"; see velmarctl --help").arg(command));
    } catch (const Failure &failure) {
        out.flush();
        if (!failure.message.isEmpty())
            err << "velmarctl: " << failure.message << '\n';
        return failure.code;
    }
}
