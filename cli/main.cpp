// velmarctl: the configurator's board operations from the command line, for one board or a whole site.
// This file runs one command and makes its end an exit code; options.cpp parses the options, and the
// commands present what the site's operations (site/) found.

#include "exit_codes.h"
#include "options.h"
#include "terminal.h"

#include "escaped_text.h"

#include <QCoreApplication>
#include <QTextStream>

using namespace velmar;

namespace {

const char *const Overview =
    "usage: velmarctl COMMAND [options]\n"
    "\n"
    "  discover             find every board that hears a broadcast on this computer's networks\n"
    "  read TARGET...       read the stored (or --working) configuration of each board\n"
    "  write TARGET...      change boards' stored configuration and check that each kept it\n"
    "  reboot TARGET...     restart boards, optionally --wait until they answer again\n"
    "  backup TARGET...     save each board's stored configuration in a new folder of backups\n"
    "  restore FILE|DIR TARGET...  write a saved configuration back (a folder: each board its newest)\n"
    "  watch                print every datagram that reaches the port, decoded, until Ctrl+C\n"
    "  commission PLAN.csv  set up new boards one after another from a plan of the site\n"
    "  audit PLAN.csv       check a commissioned site against its plan\n"
    "\n"
    "  --version            say which version this is\n"
    "\n"
    "TARGET is an address (10.0.0.2 or 010.000.000.002), a range (127.0.0.2-127.0.0.40) or a prefix\n"
    "(127.0.0.0/24). A FILE or PLAN.csv of - is read from standard input (not for a commission run,\n"
    "whose log is kept beside its plan). 'velmarctl COMMAND --help' tells more.\n"
    "\n"
    "Exit codes: 0 done, 1 a board named alone did not answer (the silent addresses of a range are\n"
    "counted, not failed, unless none answered) or did not keep what was written, 2 a value or option is\n"
    "not valid (nothing was sent), 3 the listening port is taken, 4 a write went out but no answer\n"
    "confirmed it (Ctrl+C after it went out too), 5 stopped by Ctrl+C. Before a write or restore, a\n"
    "configuration that would leave a board unreachable (a mask with holes, a lift address that is no "
    "host's, a router outside the subnet, a\n"
    "multicast MAC) is refused with exit 2 unless --force is given. A broadcast or network address, or\n"
    "this computer's own, names no board (exit 2; in a range or list it is left out); two boards that\n"
    "claim one address are named and nothing is written to or rebooted there (exit 1).\n";

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmarctl"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    TerminalSink said(err);
    Terminal terminal{out, err, IsTerminal(stderr), &said, CancelToken()};
    PrepareTerminal();
    // Every exchange under way ends at its next tick, keeping what it has.
    OnInterrupt(&app, [cancel = terminal.cancel]() mutable { cancel.cancel(); });
    QStringList args = app.arguments();
    const QString command = args.value(1);
    // Rows that could not reach standard output (a full disk, a closed pipe) are a failure too.
    auto finish = [&](int code) {
        out.flush();
        if (out.status() == QTextStream::Ok)
            return code;
        err << "velmarctl: cannot write to standard output\n";
        return code == Ok ? int(SomeFailed) : code;
    };
    if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
        out << "velmarctl " << VELMAR_VERSION << '\n';
        return finish(Ok);
    }
    if (command.isEmpty() || command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << Overview;
        return finish(command.isEmpty() ? BadUsage : Ok);
    }
    args.removeAt(1);
    int code = BadUsage;
    try {
        code = RunCommand(command, args, terminal);
    } catch (const HelpShown &) {
        code = Ok;
    } catch (const SiteError &failure) {
        code = ExitCode(failure.kind);
        out.flush();
        // Names from plans, files and boards are in it: control characters are shown, never obeyed.
        if (!failure.text.isEmpty())
            err << "velmarctl: " << TerminalText(failure.text) << '\n';
    }
    return finish(code);
}
