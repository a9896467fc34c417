// velmar-site: the boards of a whole site in one window, for the technician who never opens a console.

#include "escaped_text.h"
#include "session.h"
#include "site_window.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <QTextStream>

#include <cstdio>
#include <optional>

using namespace velmar;

namespace {

// What the command line asks of the window beyond its defaults.
struct Command
{
    QStringList add;  // asked at start and on every refresh, as if typed into the address box
    SiteWindow::Options options;
    bool list = false;  // print the boards of each search at start, then end
    int searches = 1;   // with list: how many searches in a row
};

std::optional<Command> Parse(const QStringList &arguments, QString &error)
{
    Command command;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &option = arguments.at(i);
        const bool valued = option == QLatin1String("--add") || option == QLatin1String("--port") ||
                            option == QLatin1String("--searches");
        if (valued && i + 1 == arguments.size()) {
            error = QStringLiteral("%1 needs a value").arg(option);
            return std::nullopt;
        }
        if (option == QLatin1String("--list")) {
            command.list = true;
        } else if (option == QLatin1String("--no-broadcast")) {
            command.options.broadcast = false;
        } else if (option == QLatin1String("--add")) {
            const QStringList items =
                arguments.at(++i).split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
            // An empty value is refused with ParseTargets' own words, never with an empty message.
            if (!ParseTargets(items, error)) {
                error = QStringLiteral("--add: %1").arg(error);
                return std::nullopt;
            }
            command.add << items;
        } else if (option == QLatin1String("--port")) {
            bool ok = false;
            const uint port = arguments.at(++i).toUInt(&ok);
            if (!ok || port > 65535) {
                error = QStringLiteral("not a port: %1").arg(arguments.at(i));
                return std::nullopt;
            }
            command.options.port = static_cast<quint16>(port);
        } else if (option == QLatin1String("--searches")) {
            bool ok = false;
            command.searches = arguments.at(++i).toInt(&ok);
            if (!ok || command.searches < 1) {
                error = QStringLiteral("not a number of searches: %1").arg(arguments.at(i));
                return std::nullopt;
            }
        } else {
            error = QStringLiteral("unknown option %1; see --help").arg(option);
            return std::nullopt;
        }
    }
    // Each --add within the bound alone may pass it together: the window would refuse them all at once,
    // and a --list would then wait for a search that never starts.
    if (!command.add.isEmpty() && !ParseTargets(command.add, error)) {
        error = QStringLiteral("--add: %1").arg(error);
        return std::nullopt;
    }
    if (command.searches > 1 && !command.list) {
        error = QStringLiteral("--searches goes with --list");
        return std::nullopt;
    }
    return command;
}

// The table as a script reads it: a board a line, its columns as the window shows them separated by
// tabs, the boards' own text escaped; an empty line ends it.
void PrintTable(BoardTable &table)
{
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    for (int row = 0; row < table.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < BoardTable::ColumnCount; ++column)
            cells << Printable(table.index(row, column).data().toString());
        out << cells.join(QLatin1Char('\t')) << '\n';
    }
    out << '\n';
    out.flush();
}

}  // namespace

int main(int argc, char *argv[])
{
    const QString option = argc == 2 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (option == QLatin1String("--version") || option == QLatin1String("--help")) {
        QTextStream out(stdout);
        out << "velmar-site " << VELMAR_VERSION << '\n';
        if (option == QLatin1String("--help"))
            out << "The boards of a VELMAR site in one window: found by broadcast or at their addresses,\n"
                   "read, written and verified. Its settings are kept in velmar-site.ini in the user's\n"
                   "configuration folder, under VELMAR.\n"
                   "\n"
                   "Options:\n"
                   "  --add TARGETS   ask these addresses, ranges or subnets (separated by commas) at\n"
                   "                  start and on every refresh\n"
                   "  --no-broadcast  ask only the addresses added, never by broadcast\n"
                   "  --port N        listen for the answers on UDP port N instead of 6767 (0: any free\n"
                   "                  port; stand-in boards answer where they were asked from)\n"
                   "  --list          print the boards the search at start found, a line each with the\n"
                   "                  table's columns separated by tabs, then an empty line, and end\n"
                   "  --searches N    with --list: search N times in a row, printing each table\n";
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("velmar-site"));
    QApplication::setOrganizationName(QStringLiteral("VELMAR"));
    QString error;
    std::optional<Command> command = Parse(QApplication::arguments(), error);
    if (!command) {
        QTextStream(stderr) << "velmar-site: " << TerminalText(error) << '\n';
        return 2;
    }
    LoadTranslation(QLocale::system());
    SiteWindow window(command->options);
    if (command->list)
        QObject::connect(
            &window, &SiteWindow::searched, &app, [&window, left = command->searches](bool done) mutable {
                if (!done)
                    QTextStream(stderr) << "velmar-site: " << TerminalText(window.outcome().text()) << '\n';
                PrintTable(window.table());
                if (done && --left > 0)
                    window.refresh();
                else
                    QApplication::exit(done ? 0 : 1);
            });
    window.show();
    // The operator's first key is most often an address to add.
    window.addressBox().setFocus();
    if (!command->add.isEmpty())
        window.addBoards(command->add.join(QLatin1Char(' ')));
    else if (command->list && !command->options.broadcast) {
        PrintTable(window.table());  // nothing to search
        return 0;
    }
    return QApplication::exec();
}
