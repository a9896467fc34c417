// velmar-board: stand-in lift controller boards on loopback (or any local address).

#include "board.h"
#include "command_line.h"
#include "installation.h"
#include "terminal.h"
#include "transport.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

using namespace velmar;

namespace {

[[noreturn]] void fail(const QString &message)
{
    std::fprintf(stderr, "velmar-board: %s\n", qPrintable(message));
    std::exit(2);
}

int number(const QCommandLineParser &parser, const QString &name, int low, int high)
{
    QString error;
    const auto value = NumberOption(parser, name, low, high, error);
    if (!value)
        fail(error);
    return *value;
}

// "board.json" for the first board, "board-127.0.0.3.json" for the others.
QString StatePathFor(const QString &path, int index, const QHostAddress &address)
{
    if (path.isEmpty() || index == 0)
        return path;
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : "." + info.suffix();
    return info.path() + "/" + info.completeBaseName() + "-" + address.toString() + suffix;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PrepareTerminal();
    QCoreApplication::setApplicationName(QStringLiteral("velmar-board"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMAR_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Stand-in lift controller boards. Each board binds UDP ports 8023, 8024 and 8026 on its own\n"
        "address, answers reads, writes and reboots like a board in the field, and logs every datagram\n"
        "to standard error.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {"address", "Address of the first board (default 127.0.0.2).", "A", "127.0.0.2"},
        {"count", "Run N boards on consecutive addresses from A (default 1).", "N", "1"},
        {"state",
         "Keep the stored configuration in FILE (created on first use). With --count, the "
         "other boards use FILE with their address added to the name. Without it, an installed board "
         "keeps it in the user's data folder (VelmarCom/board.json), one run from the build tree "
         "forgets its writes when it stops.",
         "FILE"},
        {"reboot-ms", "Silence after a reboot request, in milliseconds (default 1500).", "MS", "1500"},
        {"quiet", "Do not log datagrams."},
        {"with-6767", "Also answer on port 6767 when it is free, as boards in the field do. A configurator "
                      "started later on this machine then cannot listen on 6767."},
        {"listen-all",
         "Listen on every address of this machine (or network namespace), as a board on a real "
         "network does: it hears broadcasts, and answers from its interface's address. A stored "
         "lift address then takes effect only where the interface has it. One board only."},
        {"mac", "The board's MAC at first start, instead of one made from its address.", "XX:XX:XX:XX:XX:XX"},
        {"delay", "Fault: delay every reply by MS milliseconds.", "MS", "0"},
        {"drop", "Fault: drop PERCENT of the replies.", "PERCENT", "0"},
        {"answer-ports", "Fault: answer only on these ports (comma-separated).", "LIST"},
        {"truncate", "Fault: cut every reply to N bytes.", "N"},
        {"otv", "Fault: replies carry \"otv\", so the configurator ignores them."},
        {"filter4", "Fault: replies carry 4 at offset 10."},
        {"no-ver", "Fault: replies lack the \"VER\" version block."},
        {"ignore-writes", "Fault: answer configuration writes without keeping them."},
        {"partial-writes", "Fault: keep only the lift address and MAC of a configuration write."},
        {"twin", "Fault: a second board with this MAC answers beside each board, at its address.",
         "XX:XX:XX:XX:XX:XX"},
        {"exit-with-input",
         "End when standard input closes: started by another program through a pipe, the boards end "
         "with it, even when it crashed."},
        {"seed", "Seed of the --drop choice (default 1).", "N", "1"},
        {"report-to",
         "Send a copy of every reply to ADDRESS:PORT as well, where velmarctl watch --port PORT "
         "shows it.",
         "ADDRESS:PORT"},
    });
    // Help and version go to standard output on every system (on Windows, Qt's own would show a message
    // box where the program has no console window).
    if (!parser.parse(app.arguments()))
        fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("version"))) {
        const QString text = parser.isSet(QStringLiteral("help"))
                                 ? parser.helpText()
                                 : QStringLiteral("velmar-board %1\n").arg(QStringLiteral(VELMAR_VERSION));
        std::fputs(text.toUtf8().constData(), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    if (!parser.positionalArguments().isEmpty())
        fail("unexpected argument: " + parser.positionalArguments().first() + " (see --help)");

    const auto first = ParseDottedAddress(parser.value("address"));
    if (!first)
        fail("--address takes a dotted IPv4 address, not \"" + parser.value("address") + "\"");
    const int count = number(parser, "count", 1, 254 * 256);
    if (quint64(first->toIPv4Address()) + count - 1 > 0xFFFFFFFFu)
        fail("--count runs past 255.255.255.255");

    BoardOptions options;
    options.rebootMs = number(parser, "reboot-ms", 0, 600000);
    options.faults.replyDelayMs = number(parser, "delay", 0, 600000);
    options.faults.dropPercent = number(parser, "drop", 0, 100);
    options.seed = static_cast<quint32>(number(parser, "seed", 0, 0x7FFFFFFF));
    if (parser.isSet("truncate"))
        options.faults.truncateTo = number(parser, "truncate", 0, 100);
    if (parser.isSet("answer-ports")) {
        for (const QString &text : parser.value("answer-ports").split(',')) {
            const auto port = WholeNumber(text, 1, 65535);
            if (!port)
                fail("--answer-ports takes port numbers, not \"" + text + "\"");
            options.faults.answerPorts.insert(static_cast<quint16>(*port));
        }
    }
    options.bindListenPort = parser.isSet("with-6767");
    options.listenAll = parser.isSet("listen-all");
    if (options.listenAll && count > 1)
        fail("--listen-all runs one board (its ports are on every address)");
    if (parser.isSet("mac") && !(options.mac = ParseMac(parser.value("mac"))))
        fail("--mac takes six hexadecimal pairs, not \"" + parser.value("mac") + "\"");
    options.faults.withOtv = parser.isSet("otv");
    options.faults.filterByte = parser.isSet("filter4");
    options.faults.withoutVersion = parser.isSet("no-ver");
    options.faults.ignoreWrites = parser.isSet("ignore-writes");
    options.faults.partialWrites = parser.isSet("partial-writes");
    if (parser.isSet("twin") && !(options.faults.twin = ParseMac(parser.value("twin"))))
        fail("--twin takes six hexadecimal pairs, not \"" + parser.value("twin") + "\"");
    if (parser.isSet("report-to")) {
        const QString text = parser.value("report-to");
        const qsizetype colon = text.lastIndexOf(':');
        const auto address = ParseDottedAddress(text.left(colon));
        const auto port = WholeNumber(text.mid(colon + 1), 1, 65535);
        if (colon < 0 || !address || !port)
            fail("--report-to takes ADDRESS:PORT, say 127.0.0.1:7000, not \"" + text + "\"");
        options.reportTo = *address;
        options.reportPort = static_cast<quint16>(*port);
    }

    QString statePath = parser.value("state");
    if (statePath.isEmpty() && RunsInstalled()) {
        const QDir data(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QStringLiteral("/VelmarCom"));
        data.mkpath(QStringLiteral("."));
        statePath = data.filePath(QStringLiteral("board.json"));
    }
    const bool quiet = parser.isSet("quiet");
    std::vector<std::unique_ptr<StandInBoard>> boards;
    for (int i = 0; i < count; ++i) {
        BoardOptions own = options;
        own.address = QHostAddress(first->toIPv4Address() + quint32(i));
        own.statePath = StatePathFor(statePath, i, own.address);
        auto board = std::make_unique<StandInBoard>(own);
        if (!quiet)
            board->setLog([](const QString &line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });
        QString error;
        if (!board->start(error))
            fail(error);
        boards.push_back(std::move(board));
    }
    // Said even with --quiet: whoever started the boards in the background waits for this line.
    std::fprintf(stderr, "velmar-board: %d board(s) from %s listening; target %s in the configurator\n",
                 count, qPrintable(first->toString()), qPrintable(PaddedDottedText(*first)));
    std::fflush(stderr);

    OnInterrupt(&app, [] { QCoreApplication::quit(); });
    // The pipe's other end closes when the program that started the boards ends, however it ends. The
    // read blocks, so it waits on a thread of its own, left to the process's end.
    if (parser.isSet("exit-with-input")) {
        std::thread([] {
            QFile input;
            if (input.open(0, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) {
                char buffer[256];
                while (input.read(buffer, sizeof buffer) > 0) {
                }
            }
            QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                      Qt::QueuedConnection);
        }).detach();
    }
    return app.exec();
}
