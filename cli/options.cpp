#include "options.h"
#include "audit_command.h"
#include "backups.h"
#include "command_line.h"
#include "commands.h"
#include "commission_command.h"
#include "config_file.h"
#include "session.h"
#include "terminal.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace velmar {

namespace {

// An option's whole number from low to high; a bad one ends the command with BadUsage.
int Number(const QCommandLineParser &parser, const char *name, int low, int high)
{
    QString error;
    const auto value = NumberOption(parser, QLatin1String(name), low, high, error);
    if (!value)
        Throw(SiteError::BadRequest, error);
    return *value;
}

// The options every command shares, parsed.
struct Options
{
    QCommandLineParser parser;
    Link link;
    QStringList positional;

    bool isSet(const char *name) const { return parser.isSet(QLatin1String(name)); }
    QString value(const char *name) const { return parser.value(QLatin1String(name)); }
};

// `asksBoards`: the command sends requests, so the time-out and retries apply (watch only listens).
void Parse(Options &o, const QStringList &args, const QString &usage, const QList<QCommandLineOption> &own,
           Terminal &terminal, bool asksBoards = true)
{
    QTextStream &out = terminal.out;
    o.link.sink = terminal.sink;
    o.link.cancel = terminal.cancel;
    QCommandLineParser &p = o.parser;
    p.setApplicationDescription(usage);
    p.addOption({{"h", "help"}, "Show this help."});
    p.addOption({"port", "Listen on port P instead of 6767 (where boards answer).", "P", "6767"});
    if (asksBoards) {
        p.addOption({"timeout", "Wait MS milliseconds for each answer (default 500).", "MS", "500"});
        p.addOption({"retries", "Ask N more times when a board does not answer (default 2).", "N", "2"});
    }
    p.addOptions(own);
    if (!p.parse(args))
        Throw(SiteError::BadRequest, p.errorText());
    if (p.isSet("help")) {
        // Qt's first line names the program by its path; the description starts with the usage.
        const QString help = p.helpText();
        out << QStringLiteral("Usage: ") + help.mid(help.indexOf(QLatin1Char('\n')) + 1);
        throw HelpShown{};
    }
    // "--mask --port 7002" would take "--port" as the mask.
    for (const QCommandLineOption &option : own)
        if (!option.valueName().isEmpty() && p.isSet(option) &&
            p.value(option).startsWith(QLatin1String("--")))
            Throw(SiteError::BadRequest,
                  QStringLiteral("--%1 needs a value before %2").arg(option.names().last(), p.value(option)));
    o.link.port = static_cast<quint16>(Number(p, "port", 0, 65535));
    if (asksBoards) {
        o.link.timing.timeoutMs = Number(p, "timeout", 1, 60000);
        o.link.timing.retries = Number(p, "retries", 0, 20);
    }
    o.positional = p.positionalArguments();
}

QList<QHostAddress> Targets(const QStringList &texts)
{
    QString error;
    auto targets = ParseTargets(texts, error);
    if (!targets)
        Throw(SiteError::BadRequest, error);
    return *targets;
}

// The addresses named alone, not as part of a range or prefix: such a one that is silent fails.
QSet<quint32> NamedAlone(const QStringList &texts)
{
    QSet<quint32> named;
    for (const QString &text : texts)
        if (!text.contains(QLatin1Char('-')) && !text.contains(QLatin1Char('/')))
            for (const QHostAddress &address : Targets({text}))
                named.insert(address.toIPv4Address());
    return named;
}

// One board's address: no range, and no address that names no board.
QHostAddress OneTarget(const QString &text, const char *command)
{
    const auto targets = Targets({text});
    if (targets.size() != 1)
        Throw(SiteError::BadRequest,
              QStringLiteral("%1 takes exactly one board, not a range").arg(QLatin1String(command)));
    RefuseNonBoards(targets);
    return targets[0];
}

// Several boards at once (a building's lifts) are never changed by a slip of the keyboard: asked on a
// terminal, and --yes elsewhere.
void ConfirmMany(const QList<QHostAddress> &targets, const Options &o, const char *verb, Terminal &terminal)
{
    if (targets.size() < 2 || o.isSet("yes"))
        return;
    if (!IsTerminal(stdin) || !terminal.progress)
        Throw(
            SiteError::BadRequest,
            QStringLiteral("%1 %2 boards at once needs --yes").arg(QLatin1String(verb)).arg(targets.size()));
    terminal.err << verb << ' ' << targets.size() << " boards (" << targets.first().toString() << " to "
                 << targets.last().toString() << ")? [y/N] ";
    terminal.err.flush();
    QTextStream in(stdin);
    const QString answer = in.readLine().trimmed().toLower();
    if (answer != QLatin1String("y") && answer != QLatin1String("yes"))
        Throw(SiteError::BadRequest, QStringLiteral("nothing sent"));
}

WriteOptions WriteOptionsOf(const Options &o)
{
    return {o.isSet("force"), o.isSet("dry-run")};
}

QString BackupParent(const Options &o)
{
    return o.isSet("dir") ? o.value("dir") : DefaultBackupParent();
}

int Read(const QStringList &args, Terminal &terminal)
{
    Options o;
    Parse(o, args, "velmarctl read TARGET... [--working] [--json]\nReads each board's stored configuration.",
          {{"working", "Read the working configuration instead of the stored one."},
           {"json", "One JSON object per board and line."}},
          terminal);
    return ReadCommand(o.link, WithoutNonBoards(Targets(o.positional), terminal), NamedAlone(o.positional),
                       o.isSet("working") ? SelectorWorking : SelectorStored, o.isSet("json"), terminal);
}

int Discover(const QStringList &args, Terminal &terminal)
{
    Options o;
    Parse(o, args,
          "velmarctl discover [--working] [--json]\n"
          "Sends a read request to the broadcast address of every network interface that is up, and to\n"
          "255.255.255.255, and prints every board that answers: the address it answered from, its MAC,\n"
          "lift address, mask, router and version. A board in a subnet this computer has no address in\n"
          "is shown with the commands that add one (Linux and Windows). Boards that claim one address\n"
          "with different MACs are shown as a clash. Only boards on this computer's own segments answer:\n"
          "a router between stops a broadcast. Ends a time-out after the last new answer, four time-outs\n"
          "after it began at the latest, with 1000 boards at most and 16 MACs of one address at most.",
          {{"working", "Read the working configuration instead of the stored one."},
           {"json", "One JSON object per board (and per clash) and line."}},
          terminal);
    if (!o.positional.isEmpty())
        Throw(SiteError::BadRequest,
              QStringLiteral("discover takes no address: it asks every board that hears a broadcast"));
    return DiscoverCommand(o.link, o.isSet("working") ? SelectorWorking : SelectorStored, o.isSet("json"),
                           terminal);
}

// Every value is checked here, before anything is sent.
Changes ChangesOf(const Options &o)
{
    Changes c;
    auto ip = [&](const char *name, std::optional<Ipv4> &into) {
        if (!o.isSet(name))
            return;
        into = ParseIp(o.value(name));
        if (!into)
            Throw(SiteError::BadRequest, QStringLiteral("--%1: \"%2\" is not an IPv4 address")
                                             .arg(QLatin1String(name), o.value(name)));
    };
    ip("lift", c.lift), ip("mask", c.mask), ip("router", c.router), ip("dispatcher", c.dispatcher);
    ip("reserve1", c.reserve1), ip("reserve2", c.reserve2);
    if (o.isSet("mac") && !(c.mac = ParseMac(o.value("mac"))))
        Throw(SiteError::BadRequest,
              QStringLiteral("--mac: \"%1\" is not six hexadecimal pairs").arg(o.value("mac")));
    c.macFromLift = o.isSet("mac-from-lift");
    if (c.mac && c.macFromLift)
        Throw(SiteError::BadRequest, QStringLiteral("--mac and --mac-from-lift exclude each other"));
    if (o.isSet("ident"))
        c.ident = static_cast<std::uint16_t>(Number(o.parser, "ident", 0, 65535));
    auto choice = [&](const char *name, const char *off, const char *on) -> std::optional<bool> {
        if (!o.isSet(name))
            return std::nullopt;
        const QString value = o.value(name).toLower();  // as plans take them: in any case
        if (value == QLatin1String(off))
            return false;
        if (value == QLatin1String(on))
            return true;
        Throw(SiteError::BadRequest, QStringLiteral("--%1 takes %2 or %3")
                                         .arg(QLatin1String(name), QLatin1String(off), QLatin1String(on)));
    };
    c.consoleDynamic = choice("console", "static", "dynamic");
    c.boardDhcp = choice("board", "static", "dhcp");
    return c;
}

int Write(const QStringList &args, Terminal &terminal)
{
    Options o;
    Parse(o, args,
          "velmarctl write TARGET... [changes] [--from FILE] [--dry-run] [--yes] [--dir D]\n"
          "Starts from the board's stored configuration (or FILE), applies the changes, writes it as the\n"
          "configurator does and reads it back. The dispatcher address, identifier and reserve addresses\n"
          "go only with a dynamic console; a board on DHCP needs a dynamic console.\n"
          "Several boards (a range or a list) are read at once, then those that answered get the same\n"
          "changes one after another, each one's configuration first backed up in a new folder under D\n"
          "(restore D TARGET... puts them back), with a line of totals that counts the silent addresses\n"
          "apart; asked first on a terminal, --yes elsewhere. --lift and --mac name one board and are\n"
          "refused for several.",
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
           {"dry-run", "Show what would change; send nothing."},
           {"force", "Send a configuration that would leave the board unreachable, after saying why."},
           {"yes", "Write several boards without asking."},
           {"dir",
            "Several boards: their backups go in a new folder under D (default: the user's data "
            "folder, VelmarCom/backups).",
            "D"}},
          terminal);
    if (o.positional.isEmpty())
        Throw(SiteError::BadRequest, QStringLiteral("write takes the address of a board, a range or a list"));
    const auto targets = WithoutNonBoards(Targets(o.positional), terminal);
    const Changes changes = ChangesOf(o);
    const auto from = o.isSet("from") ? std::optional(ReadBackupFile(o.value("from"))) : std::nullopt;
    if (!o.isSet("dry-run"))
        ConfirmMany(targets, o, "write", terminal);
    return WriteCommand(o.link, targets, NamedAlone(o.positional), changes, from, WriteOptionsOf(o),
                        BackupParent(o), terminal);
}

int Restore(const QStringList &args, Terminal &terminal)
{
    Options o;
    Parse(o, args,
          "velmarctl restore FILE TARGET | restore DIR TARGET... [--exact] [--yes]\n"
          "Writes a saved configuration to a board. From a folder of backups (backup's or write's D),\n"
          "each board gets the newest backup of its MAC, or else of its address, by the run numbers of\n"
          "the backup folders, never by a clock; each board is told which backup it got and when it was\n"
          "made. A board keeps its own lift address and MAC, and says so, unless --exact is given.",
          {{"exact", "Copy the lift address and MAC too."},
           {"dry-run", "Show what would change; send nothing."},
           {"force", "Send a configuration that would leave the board unreachable, after saying why."},
           {"yes", "Restore several boards without asking."}},
          terminal);
    if (o.positional.size() < 2)
        Throw(SiteError::BadRequest,
              QStringLiteral("restore takes a file or a folder of backups, and board addresses"));
    const QString source = o.positional[0];
    const auto targets = WithoutNonBoards(Targets(o.positional.mid(1)), terminal);
    if (!QFileInfo(source).isDir())
        ReadBackupFile(source);  // a damaged file is said before any board is asked
    if (!o.isSet("dry-run"))
        ConfirmMany(targets, o, "restore", terminal);
    return RestoreCommand(o.link, source, targets, NamedAlone(o.positional.mid(1)), o.isSet("exact"),
                          WriteOptionsOf(o), terminal);
}

int Backup(const QStringList &args, Terminal &terminal)
{
    Options o;
    Parse(
        o, args,
        "velmarctl backup TARGET... [--dir D]\n"
        "Saves each board's stored configuration as <MAC>_<address>.json in a new folder of this run,\n"
        "D/<run number>_<date>_<time><offset from UTC>: no backup ever replaces another. restore D\n"
        "TARGET... takes each board's newest, by the run numbers.",
        {{"dir", "The parent of the run folders (default: the user's data folder, VelmarCom/backups).", "D"}},
        terminal);
    if (o.isSet("dir") && o.value("dir").isEmpty())
        Throw(SiteError::BadRequest, QStringLiteral("--dir needs a folder"));
    return BackupCommand(o.link, WithoutNonBoards(Targets(o.positional), terminal), NamedAlone(o.positional),
                         BackupParent(o), terminal);
}

int Reboot(const QStringList &args, Terminal &terminal)
{
    Options o;
    Parse(o, args,
          "velmarctl reboot TARGET... [--wait] [--yes]\n"
          "Sends the pre-reboot frames and the reboot request as the configurator does, to each board that\n"
          "answers a read of them all; a line of totals follows. Rebooting more than one board asks first\n"
          "on a terminal, and needs --yes elsewhere.",
          {{"wait", "Read each board until it answers again, and say how long it took from its "
                    "acknowledgement."},
           {"wait-limit", "Give up waiting after S seconds (default 30).", "S", "30"},
           {"yes", "Reboot several boards without asking."}},
          terminal);
    const auto targets = WithoutNonBoards(Targets(o.positional), terminal);
    ConfirmMany(targets, o, "reboot", terminal);
    return RebootCommand(
        o.link, {targets, NamedAlone(o.positional), o.isSet("wait"), Number(o.parser, "wait-limit", 1, 3600)},
        terminal);
}

int Watch(const QStringList &args, Terminal &terminal)
{
    Options o;
    Parse(
        o, args,
        "velmarctl watch [--json] [--count N]\n"
        "Prints every datagram that reaches the port as it arrives: the time, the sender's address and\n"
        "port, and what it is (a configuration reply with its fields, a reboot acknowledgement, an \"ikl\"\n"
        "report, an identifier mark, or unknown with its bytes in hexadecimal). Ctrl+C ends.",
        {{"json", "One JSON object per datagram and line."}, {"count", "End after N datagrams.", "N", "0"}},
        terminal, false);
    return WatchCommand(o.link, o.isSet("json"), Number(o.parser, "count", 0, 1000000000), terminal);
}

int Commission(const QStringList &args, Terminal &terminal)
{
    Options o;
    Parse(
        o, args,
        "velmarctl commission PLAN.csv [--check] [--at ADDRESS] [--row NAME | --redo NAME | --forget NAME]\n"
        "Sets up a site's boards from a plan, one board at a time: waits until a new board answers at\n"
        "ADDRESS (default 010.000.000.002), writes the next row of the plan not yet done, checks that the\n"
        "board kept it, reboots it and waits until it answers on its planned address. Each row's outcome\n"
        "is added to PLAN.log.csv beside the plan; a run started again skips the rows done.\n"
        "PLAN.csv has a header and one row per board: name,lift,mask,router and, optionally, mac\n"
        "(default: from the lift address), console (static|dynamic), dispatcher, ident, board\n"
        "(static|dhcp), also under Ukrainian headings (README); other columns are ignored. --check checks\n"
        "the whole plan and sends nothing.",
        {{"check", "Check the plan only: every row through the guard, no two boards alike."},
         {"at", "Where a new board answers (default 010.000.000.002).", "ADDRESS", "010.000.000.002"},
         {"row", "Commission this row of the plan, not the next one.", "NAME"},
         {"redo", "Commission this row again although it is done: its board was replaced.", "NAME"},
         {"forget", "A written row whose board is gone: record it as free again, and do nothing else.",
          "NAME"},
         {"wait-limit", "Wait S seconds at most for a rebooted board on its new address (default 30).", "S",
          "30"},
         {"force", "Go on with rows in a subnet this computer has no address in."}},
        terminal);
    if (o.positional.size() != 1)
        Throw(SiteError::BadRequest, QStringLiteral("commission takes one plan file"));
    CommissionOptions options;
    options.force = o.isSet("force");
    options.planPath = o.positional[0];
    options.at = OneTarget(o.value("at"), "--at");
    if (o.isSet("row") && o.isSet("redo"))
        Throw(SiteError::BadRequest, QStringLiteral("--row and --redo name one row each; give one of them"));
    options.onlyRow = o.isSet("redo") ? o.value("redo") : o.value("row");
    options.redo = o.isSet("redo");
    options.checkOnly = o.isSet("check");
    options.forget = o.value("forget");
    if (!options.forget.isEmpty() && !options.onlyRow.isEmpty())
        Throw(SiteError::BadRequest,
              QStringLiteral("--forget frees a row and does nothing else: give it alone"));
    options.waitLimitSeconds = Number(o.parser, "wait-limit", 1, 3600);
    return CommissionCommand(o.link, options, terminal);
}

int Audit(const QStringList &args, Terminal &terminal)
{
    Options o;
    Parse(o, args,
          "velmarctl audit PLAN.csv [--json] [--html FILE [--title TEXT]]\n"
          "Checks a commissioned site against its plan, reading the whole site at once: one row per lift\n"
          "(as planned, differs with the fields, moved when its MAC answers elsewhere, reboot pending with\n"
          "what it runs, silent, two boards), one per board on the planned subnets that the plan does not\n"
          "know, and a line of totals. At most 4096 addresses are read, all the planned subnets together:\n"
          "where they hold more, each is read around its lifts, and the subnets read in part are named.\n"
          "Exit 0 when all is as planned, 1 otherwise. The plan is read as commission reads it.",
          {{"json", "One JSON object per line."},
           {"html", "Also write the report as one HTML file, a printed page per 40 lifts.", "FILE"},
           {"title",
            "The site's name atop the HTML report (by default the plan's file name without its "
            "extension).",
            "TEXT"}},
          terminal);
    if (o.positional.size() != 1)
        Throw(SiteError::BadRequest, QStringLiteral("audit takes one plan file"));
    return AuditCommand(o.link, o.positional[0], o.isSet("json"), o.value("html"), o.value("title"),
                        terminal);
}

}  // namespace

int RunCommand(const QString &command, const QStringList &args, Terminal &terminal)
{
    const QList<std::pair<const char *, int (*)(const QStringList &, Terminal &)>> commands = {
        {"discover", Discover}, {"read", Read},       {"write", Write}, {"reboot", Reboot},
        {"backup", Backup},     {"restore", Restore}, {"watch", Watch}, {"commission", Commission},
        {"audit", Audit}};
    const auto found = std::find_if(commands.begin(), commands.end(),
                                    [&](const auto &entry) { return command == QLatin1String(entry.first); });
    if (found == commands.end())
        Throw(SiteError::BadRequest,
              QStringLiteral("unknown command \"%1\"; see velmarctl --help").arg(command));
    return found->second(args, terminal);
}

}  // namespace velmar
