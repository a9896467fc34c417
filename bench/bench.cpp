// velmar-bench: every figure beside a baseline doing the same work in the same run, each as the median
// of several runs with their range. Start-up, memory and idle wake-ups are whole processes from exec;
// boards and floods come from other processes.

#include "codec.h"
#include "entry_fields.h"
#include "form.h"
#include "frame_bytes.h"
#include "session.h"
#include "startup.h"
#include "whole_file.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkDatagram>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>
#include <unistd.h>

using namespace velmar;

namespace {

constexpr int Runs = 5;
// A start takes some tens of milliseconds and moves by a few with what else the machine does: more of
// them make a steady median.
constexpr int StartRuns = 21;
const QString BoardAddress = QStringLiteral("127.0.77.2");

qint64 NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// ---- Figures ------------------------------------------------------------------------------------

struct Spread
{
    double median = 0, low = 0, high = 0;
};

Spread Of(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return {};
    return {values[values.size() / 2], values.front(), values.back()};
}

struct Row
{
    std::string what;
    Spread value;
    std::string baseline;
    Spread baselineValue;
    std::string unit;
};

std::string Text(const Spread &s, const std::string &unit)
{
    char text[128];
    const char *format = s.median >= 100 ? "%.0f %s (%.0f–%.0f)" : "%.2f %s (%.2f–%.2f)";
    std::snprintf(text, sizeof text, format, s.median, unit.c_str(), s.low, s.high);
    return text;
}

std::string Ratio(const Row &row)
{
    char ratio[32] = "—";
    if (row.baselineValue.median > 0)
        std::snprintf(ratio, sizeof ratio, "%.2f", row.value.median / row.baselineValue.median);
    return ratio;
}

// Each row's ratio first, beside the ratio of a second run made after the first was done; then the
// figures they come from.
std::string Table(const std::vector<Row> &rows, const std::vector<Row> &again)
{
    std::string table = "| measured | beside | ratio | second run's ratio | program | baseline | second run: "
                        "program | baseline |\n|---|---|---|---|---|---|---|---|\n";
    for (size_t i = 0; i < rows.size() && i < again.size(); ++i) {
        const Row &row = rows[i], &second = again[i];
        table += "| " + row.what + " | " + row.baseline + " | **" + Ratio(row) + "** | **" + Ratio(second) +
                 "** | " + Text(row.value, row.unit) + " | " + Text(row.baselineValue, row.unit) + " | " +
                 Text(second.value, second.unit) + " | " + Text(second.baselineValue, second.unit) + " |\n";
    }
    return table;
}

struct Silent : Notifier
{
    void message(QWidget *, const QString &) override {}
    void error(QWidget *, const QString &) override {}
};

// The window as the program builds it, with a settings file of its own and any free port.
struct TheWindow
{
    QTemporaryDir dir;
    Silent notifier;
    std::unique_ptr<TForm1_Config_UDP> form;
    // In `folder` when given: a settings file that a start before this one has left, as an operator's is.
    explicit TheWindow(const QString &folder = QString())
    {
        const QDir where(folder.isEmpty() ? dir.path() : folder);
        RunSettings run;
        run.listenPort = 0;
        run.settingsPath = where.filePath("VelmarCom.ini");
        run.fallbackSettingsPath = where.filePath("user.ini");
        form = std::make_unique<TForm1_Config_UDP>(run, notifier);
    }
};

// Sends `count` configuration replies to 127.0.0.1:port at `rate` a second, then ends: copies of one
// reply, or (`vary`) each with another identifier and lift address, as from many boards.
volatile std::sig_atomic_t floodStopped = 0;

// Sends `count` replies at `rate` a second, or until SIGTERM; then says on standard output how many it
// sent in how many seconds: a sender that falls behind its rate measures itself, not the reader.
int FloodChild(int port, int rate, int count, bool vary)
{
    std::signal(SIGTERM, [](int) { floodStopped = 1; });
    QByteArray reply = ToByteArray(ConfigReply(BoardConfig{}));
    QUdpSocket socket;
    const qint64 start = NowNs();
    int sent = 0;
    for (; sent < count && !floodStopped; ++sent) {
        const qint64 due = start + qint64(sent) * 1000000000LL / rate;
        while (NowNs() < due && !floodStopped)
            std::this_thread::yield();
        if (vary)
            reply[7] = char(sent), reply[29] = char(sent), reply[30] = char(sent >> 8);
        socket.writeDatagram(reply, QHostAddress::LocalHost, quint16(port));
    }
    std::printf("sent %d %.6f\n", sent, double(NowNs() - start) / 1e9);
    return 0;
}

// ---- Start-up and memory ------------------------------------------------------------------------

QString programFolder;  // velmar-bench's, where the other programs are

// A program beside velmar-bench.
QString Program(const char *name)
{
    return programFolder + QLatin1Char('/') + QLatin1String(name);
}

std::vector<Row> Startup()
{
    // The first run of each leaves the settings file and warms the disk cache; it is not counted. The
    // kinds take turns, so that what else the machine does falls on each alike.
    QTemporaryDir settings;
    const char *const kinds[] = {"velmar-start-window", "velmar-start-plain", "velmar-start-bare"};
    std::vector<double> time[3], memory[3];
    for (int run = -1; run < StartRuns; ++run) {
        for (int k = 0; k < 3; ++k) {
            QProcess child;
            const qint64 start = NowNs();
            child.start(Program(kinds[k]), {QStringLiteral("startup"), settings.path()});
            child.waitForFinished(30000);
            const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
            if (run < 0)
                continue;
            time[k].push_back((fields.value(0).toLongLong() - start) / 1e6);
            memory[k].push_back(fields.value(1).toDouble() / 1024);
        }
    }
    const std::string plain = "plain Qt form, the same controls made at start";
    const std::string bare = "bare window with one label";
    return {{"exec → first paint", Of(time[0]), plain, Of(time[1]), "ms"},
            {"exec → first paint", Of(time[0]), bare, Of(time[2]), "ms"},
            {"peak memory at first paint", Of(memory[0]), plain, Of(memory[1]), "MiB"},
            {"peak memory at first paint", Of(memory[0]), bare, Of(memory[2]), "MiB"}};
}

// ---- Idle ---------------------------------------------------------------------------------------

// The CPU time of every thread of a process in nanoseconds, and the times they were put on a CPU
// (each a wake-up), as the scheduler counts them (/proc/PID/task/*/schedstat).
std::pair<double, long long> Activity(qint64 pid)
{
    double cpuNs = 0;
    long long wakeups = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> fields = stat.readAll().trimmed().split(' ');
        cpuNs += fields.value(0).toDouble();
        wakeups += fields.value(2).toLongLong();
    }
    return {cpuNs, wakeups};
}

std::vector<Row> Idle()
{
    constexpr int Seconds = 5;
    QTemporaryDir settings;
    std::vector<double> wakeups[2], cpu[2];
    for (int run = 0; run < 3; ++run) {
        for (int k = 0; k < 2; ++k) {
            QProcess child;
            child.start(Program(k ? "velmar-start-bare" : "velmar-start-window"),
                        {QStringLiteral("idle"), settings.path()});
            child.waitForStarted();
            QThread::sleep(1);  // settled
            const auto before = Activity(child.processId());
            QThread::sleep(Seconds);
            const auto after = Activity(child.processId());
            child.kill();
            child.waitForFinished();
            cpu[k].push_back((after.first - before.first) / 1e3 / Seconds);
            wakeups[k].push_back(double(after.second - before.second) / Seconds);
        }
    }
    const std::string bare = "bare window with a label and a focused entry field";
    return {{"idle wake-ups a second", Of(wakeups[0]), bare, Of(wakeups[1]), "/s"},
            {"idle CPU a second", Of(cpu[0]), bare, Of(cpu[1]), "µs"}};
}

// ---- Round trip against a board in another process ----------------------------------------------

std::vector<Row> RoundTrip()
{
    constexpr int Trips = 200;
    const QHostAddress address(BoardAddress);
    std::vector<double> window, bareWindow, bareUdp;

    TheWindow w;
    TForm1_Config_UDP &form = *w.form;
    form.show();
    const quint32 a = address.toIPv4Address();
    for (int k = 0; k < 4; ++k)
        form.octets(0)[k]->setValue((a >> (24 - 8 * k)) & 0xFF);
    QEventLoop loop;
    form.listener().setHandler([&](const QByteArray &data, const QString &sender, quint16 port) {
        form.IdUDPServer_ConfUDPRead(data, sender, port);
        loop.quit();
    });

    // A bare window doing the same: clear thirty fields, send, fill them from the reply.
    QWidget bare;
    std::vector<QLineEdit *> fields;
    for (int i = 0; i < 30; ++i)  // at fixed places, as the window's are
        fields.emplace_back(new QLineEdit(&bare))->setGeometry(10 + 45 * (i % 6), 10 + 30 * (i / 6), 41, 22);
    bare.resize(300, 170);
    bare.show();
    QUdpSocket socket;
    socket.bind(QHostAddress::AnyIPv4, 0);
    const QByteArray request = ToByteArray(ReadRequest(SelectorWorking));
    bool fill = true;
    QObject::connect(&socket, &QUdpSocket::readyRead, [&] {
        while (socket.hasPendingDatagrams()) {
            const QByteArray reply = socket.receiveDatagram().data();
            if (fill)
                for (int i = 0; i < 30; ++i)
                    fields[i]->setText(QString::number(quint8(reply.at(i % reply.size()))));
        }
        loop.quit();
    });

    for (int run = 0; run < Runs; ++run) {
        std::vector<double> trips[3];
        for (int i = 0; i < Trips; ++i) {
            // Each trip starts on a quiet loop: the other copies of an answer and the repaint of the last
            // trip are done.
            QTest::qWait(2);
            QElapsedTimer clock;
            clock.start();
            form.Button8->click();
            loop.exec();
            trips[0].push_back(clock.nsecsElapsed() / 1e3);

            for (int k = 1; k <= 2; ++k) {
                fill = k == 1;
                QTest::qWait(2);
                clock.restart();
                if (fill)
                    for (QLineEdit *field : fields)
                        field->clear();
                socket.writeDatagram(request, address, wire::BoardPort);
                loop.exec();
                trips[k].push_back(clock.nsecsElapsed() / 1e3);
            }
        }
        window.push_back(Of(trips[0]).median);
        bareWindow.push_back(Of(trips[1]).median);
        bareUdp.push_back(Of(trips[2]).median);
    }
    // The first click after a start, each in a window of its own: nothing is left to make on first use.
    std::vector<double> first;
    for (int run = 0; run < StartRuns; ++run) {
        TheWindow fresh;
        TForm1_Config_UDP &one = *fresh.form;
        one.show();
        QTest::qWait(20);
        for (int k = 0; k < 4; ++k)
            one.octets(0)[k]->setValue((a >> (24 - 8 * k)) & 0xFF);
        one.listener().setHandler([&](const QByteArray &data, const QString &sender, quint16 port) {
            one.IdUDPServer_ConfUDPRead(data, sender, port);
            loop.quit();
        });
        QElapsedTimer clock;
        clock.start();
        one.Button8->click();
        loop.exec();
        first.push_back(clock.nsecsElapsed() / 1e3);
    }
    return {
        {"click → first reply handled", Of(window), "bare window: clear, send, fill", Of(bareWindow), "µs"},
        {"click → first reply handled", Of(window), "bare UDP across two processes", Of(bareUdp), "µs"},
        {"the first click after a start", Of(first), "later clicks (the first row)", Of(window), "µs"}};
}

// ---- Floods -------------------------------------------------------------------------------------

// Datagrams the kernel dropped at the UDP socket bound to `port` (its queue was full), from /proc/net/udp.
long long Drops(quint16 port)
{
    QFile table(QStringLiteral("/proc/net/udp"));
    if (!table.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray local = QByteArray(":") + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    long long drops = 0;
    for (const QByteArray &line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 12 && fields[1].endsWith(local))
            drops += fields.last().toLongLong();
    }
    return drops;
}

// Replies handled a second while another process offers `rate` a second, and how late a ping that
// arrives every 10 ms on a socket of its own (as the display server's input does) is taken.
constexpr int Senders = 3;

struct FloodResult
{
    // Offered: what reached the reader's socket a second, read or dropped there, as received (not as the
    // senders meant to send it); dropped: what its full queue refused. Nothing dropped means the reader
    // took all that came: the senders were the limit, not the reader.
    double offeredPerSecond = 0, handledPerSecond = 0, pingMedianMs = 0, pingP99Ms = 0;
    long long dropped = 0;
};

FloodResult Flood(const QString &self, quint16 port, const std::function<long long()> &handled, int rate,
                  bool vary = false)
{
    constexpr int Seconds = 2;
    QUdpSocket ping;
    ping.bind(QHostAddress::LocalHost, 0);
    std::vector<double> late;
    QObject::connect(&ping, &QUdpSocket::readyRead, [&] {
        while (ping.hasPendingDatagrams()) {
            const QByteArray sent = ping.receiveDatagram().data();
            late.push_back((NowNs() - sent.toLongLong()) / 1e6);
        }
    });
    std::atomic<bool> stop{false};
    std::thread pinger([&] {
        QUdpSocket out;
        while (!stop) {
            out.writeDatagram(QByteArray::number(NowNs()), QHostAddress::LocalHost, ping.localPort());
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    const long long before = handled(), droppedBefore = Drops(port);
    // Several senders at once offer more than one reader takes: what is read is the reader's capacity.
    QProcess senders[Senders];
    for (QProcess &sender : senders)
        sender.start(self, {QStringLiteral("--flood"), QString::number(port), QString::number(rate),
                            QString::number(rate * Seconds), QString::number(int(vary))});
    for (QProcess &sender : senders)
        sender.waitForStarted();
    QElapsedTimer clock;
    clock.start();
    auto running = [&] {
        return std::any_of(std::begin(senders), std::end(senders),
                           [](const QProcess &sender) { return sender.state() != QProcess::NotRunning; });
    };
    while (running())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const long long handledCount = handled() - before;
    QTest::qWait(50);  // what is still queued is read here, not counted in the next flood
    const long long arrived = handled() - before, dropped = Drops(port) - droppedBefore;
    stop = true;
    pinger.join();
    std::sort(late.begin(), late.end());
    FloodResult result;
    result.offeredPerSecond = double(arrived + dropped) / seconds;
    result.dropped = dropped;
    result.handledPerSecond = handledCount / seconds;
    if (!late.empty()) {
        result.pingMedianMs = late[late.size() / 2];
        result.pingP99Ms = late[std::min(late.size() - 1, late.size() * 99 / 100)];
    }
    return result;
}

std::vector<Row> Floods(const QString &self)
{
    TheWindow w;
    TForm1_Config_UDP &form = *w.form;
    form.show();
    const quint16 formPort = form.listener().boundPort();
    auto formCount = [&] { return form.LabIn->text().toLongLong(); };

    // The bare loop: one socket, a count shown in a label.
    QLabel label(QStringLiteral("0"));
    label.show();
    QUdpSocket plain;
    plain.bind(QHostAddress::LocalHost, 0);
    plain.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption,
                          QVariant(1 << 20));  // as the window's
    long long plainCount = 0;
    QObject::connect(&plain, &QUdpSocket::readyRead, [&] {
        while (plain.hasPendingDatagrams()) {
            plain.receiveDatagram();
            label.setText(QString::number(++plainCount));
        }
    });
    auto plainHandled = [&] { return plainCount; };

    // More than the sender can send on most machines: it sends as fast as it can.
    constexpr int Offered = 1000000;
    std::vector<double> capacity[2], pingMedian[2], pingP99[2], varied[2], offered[4];
    long long fewestDropped[4] = {-1, -1, -1, -1};
    for (int run = 0; run < 3; ++run) {
        FloodResult runs[4] = {Flood(self, formPort, formCount, Offered),
                               Flood(self, plain.localPort(), plainHandled, Offered),
                               Flood(self, formPort, formCount, Offered, true),
                               Flood(self, plain.localPort(), plainHandled, Offered, true)};
        const FloodResult &a = runs[0], &b = runs[1];
        varied[0].push_back(runs[2].handledPerSecond / 1000);
        varied[1].push_back(runs[3].handledPerSecond / 1000);
        for (int k = 0; k < 4; ++k) {
            offered[k].push_back(runs[k].offeredPerSecond / 1000);
            if (fewestDropped[k] < 0 || runs[k].dropped < fewestDropped[k])
                fewestDropped[k] = runs[k].dropped;
        }
        capacity[0].push_back(a.handledPerSecond / 1000), capacity[1].push_back(b.handledPerSecond / 1000);
        pingMedian[0].push_back(a.pingMedianMs), pingMedian[1].push_back(b.pingMedianMs);
        pingP99[0].push_back(a.pingP99Ms), pingP99[1].push_back(b.pingP99Ms);
    }
    // What reached each reader, and whether a run of it dropped nothing: there the reader took all that
    // came, and the row measured the senders, not the reader.
    auto offeredText = [&](int window, int bare) {
        std::string text = "offered as received: " + Text(Of(offered[window]), "k/s") + " to the window, " +
                           Text(Of(offered[bare]), "k/s") + " to the bare loop";
        if (fewestDropped[window] == 0 || fewestDropped[bare] == 0)
            text += std::string("; **the senders were the limit** (nothing dropped in a run) for ") +
                    (fewestDropped[window] == 0 && fewestDropped[bare] == 0 ? "both"
                     : fewestDropped[window] == 0                           ? "the window"
                                                                            : "the bare loop");
        return text;
    };
    return {{"replies handled a second (" + offeredText(0, 1) + ")", Of(capacity[0]),
             "bare loop counting into a label", Of(capacity[1]), "k/s"},
            {"the same, every reply different (" + offeredText(2, 3) + ")", Of(varied[0]),
             "bare loop counting into a label", Of(varied[1]), "k/s"},
            {"input taken during that flood, median", Of(pingMedian[0]), "bare loop counting into a label",
             Of(pingMedian[1]), "ms"},
            {"input taken during that flood, p99", Of(pingP99[0]), "bare loop counting into a label",
             Of(pingP99[1]), "ms"}};
}

// ---- A site -------------------------------------------------------------------------------------

// Wall and CPU time of a whole program run, from exec to exit.
double ChildrenCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// `said`, when given, takes what it printed on standard output and error.
std::pair<double, double>
Timed(const QString &program, const QStringList &args, QByteArray *said = nullptr,
      const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    const double before = ChildrenCpuMs();
    QElapsedTimer clock;
    clock.start();
    QProcess child;
    child.setProcessEnvironment(environment);
    if (said)
        child.setProcessChannelMode(QProcess::MergedChannels);
    else
        child.setStandardOutputFile(QProcess::nullDevice()),
            child.setStandardErrorFile(QProcess::nullDevice());
    child.start(program, args);
    child.waitForFinished(60000);
    const double wallMs = clock.nsecsElapsed() / 1e6;
    if (said)
        *said = child.readAllStandardOutput();
    return {wallMs, ChildrenCpuMs() - before};
}

// An environment whose home and data folder are `home`: backups and locks of the runs stay there.
QProcessEnvironment At(const QTemporaryDir &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    return environment;
}

// A range restore beside a read of the same range: 60 boards among 254 addresses, 194 of them silent.
// Two folders of backups hold the boards as they are and with another mask; the restores take them in
// turn, so that each one really writes every board, and each is checked to have restored all 60.
std::vector<Row> Range()
{
    QTemporaryDir home;
    const QProcessEnvironment environment = At(home);
    QProcess boards;
    boards.setProcessEnvironment(environment);
    boards.start(Program("velmar-board"), {"--address", "127.0.80.1", "--count", "60", "--quiet"});
    boards.waitForStarted();
    QTest::qWait(500);
    const QStringList range = {"127.0.80.1-127.0.80.254", "--port", "0"};
    QByteArray said;
    auto run = [&](const QStringList &args) {
        return Timed(Program("velmarctl"), args + range, &said, environment);
    };
    // Each state written first, as a board with a static console holds it (no dispatcher, no identifier).
    for (const char *mask : {"255.0.0.0", "255.255.0.0"}) {
        run({"write", "--mask", mask, "--yes", "--dir", home.filePath("before-each-write")});
        run({"backup", "--dir", home.filePath(mask)});
    }
    std::vector<double> restoreWall, readWall;
    for (int i = 0; i < Runs; ++i) {
        const auto restore = run({"restore", home.filePath(i % 2 ? "255.255.0.0" : "255.0.0.0"), "--yes"});
        if (!said.contains("60 of 60 board(s) restored; 194 addresses silent"))
            std::fprintf(stderr, "velmar-bench: a range restore said:\n%s\n", said.right(2000).constData());
        const auto read = run({"read"});
        restoreWall.push_back(restore.first), readWall.push_back(read.first);
    }
    boards.kill();
    boards.waitForFinished();
    return {{"velmarctl: restore of 60 boards among 254 addresses (194 silent), wall", Of(restoreWall),
             "velmarctl read of the same range", Of(readWall), "ms"}};
}

// How many of 254 boards answer a read that asks each once (no retries), for velmarctl built with each
// send pacing, its socket's receive queue that of a stock Debian (the kernel drops what does not fit
// in it) and this machine's; and the read's wall time with its defaults (lost answers asked again after
// a time-out), beside the C fan-out, which asks every board at once. The boards answer three copies
// each, as boards in the field do.
std::string Pacing()
{
    constexpr int PacingRuns = 7;
    QTemporaryDir home;
    const QProcessEnvironment own = At(home);
    QProcessEnvironment stock = own;
    stock.insert(QStringLiteral("LD_PRELOAD"), Program("velmar-smallqueue.so"));
    QProcess boards;
    boards.setProcessEnvironment(own);
    boards.start(Program("velmar-board"),
                 {"--address", "127.0.83.1", "--count", "254", "--with-6767", "--quiet"});
    boards.waitForStarted();
    QTest::qWait(1000);
    const char *const pacings[] = {"32-5", "64-5", "128-5", "192-5", "254-5"};
    constexpr int Kinds = std::size(pacings) + 1;  // the last is the C fan-out
    std::vector<double> stockAnswered[Kinds], ownAnswered[Kinds], wall[Kinds];
    const QStringList range = {"read", "127.0.83.1-127.0.83.254", "--port", "0", "--timeout", "500"};
    QByteArray said;
    for (int run = 0; run < PacingRuns; ++run) {
        for (int k = 0; k < Kinds; ++k) {
            const bool c = k == Kinds - 1;
            const QString program = c ? Program("velmar-fanout") : Program("velmarctl-pacing-") + pacings[k];
            auto answered = [&](const QProcessEnvironment &environment) {
                Timed(program,
                      c ? QStringList{"127.0.83.1", "254", "500", "0"}
                        : range + QStringList{"--retries", "0"},
                      &said, environment);
                return c ? said.split(' ').value(0).toDouble() : double(said.count(" lift "));
            };
            stockAnswered[k].push_back(answered(stock));
            ownAnswered[k].push_back(answered(own));
            wall[k].push_back(
                Timed(program, c ? QStringList{"127.0.83.1", "254", "500", "2"} : range, nullptr, stock)
                    .first);
        }
    }
    boards.kill();
    boards.waitForFinished();
    std::string table = "| sent | boards answered, each asked once: stock queue | this machine's queue | "
                        "wall, defaults, stock queue | ratio to the C fan-out |\n|---|---|---|---|---|\n";
    char line[512];
    for (int k = 0; k < Kinds; ++k) {
        const bool c = k == Kinds - 1;
        const std::string what =
            c ? std::string("the C fan-out, every board at once")
              : "velmarctl, " +
                    std::string(pacings[k]).replace(std::string(pacings[k]).find('-'), 1, " a tick of ") +
                    " ms" + (std::string(pacings[k]) == "64-5" ? " (its own)" : "");
        std::snprintf(line, sizeof line, "| %s | %.0f (%.0f–%.0f) | %.0f (%.0f–%.0f) | %s | %.2f |\n",
                      what.c_str(), Of(stockAnswered[k]).median, Of(stockAnswered[k]).low,
                      Of(stockAnswered[k]).high, Of(ownAnswered[k]).median, Of(ownAnswered[k]).low,
                      Of(ownAnswered[k]).high, Text(Of(wall[k]), "ms").c_str(),
                      Of(wall[k]).median / Of(wall[Kinds - 1]).median);
        table += line;
    }
    return table;
}

std::vector<Row> Site()
{
    QProcess boards;
    boards.start(Program("velmar-board"), {"--address", "127.0.78.1", "--count", "254", "--quiet"});
    boards.waitForStarted();
    QTest::qWait(500);
    std::vector<double> ctlWall, ctlCpu, bareWall, bareCpu, startWall, startCpu, bareStartWall, bareStartCpu;
    for (int run = 0; run < StartRuns; ++run) {
        const auto ctl = Timed(Program("velmarctl"), {"read", "127.0.78.1-127.0.78.254", "--timeout", "500",
                                                      "--retries", "2", "--port", "0"});
        const auto bare = Timed(Program("velmar-fanout"), {"127.0.78.1", "254", "500", "2"});
        const auto start = Timed(Program("velmarctl"), {"--version"});
        const auto bareStart = Timed(Program("velmar-fanout"), {});  // says how to use it, and ends
        ctlWall.push_back(ctl.first), ctlCpu.push_back(ctl.second);
        bareWall.push_back(bare.first), bareCpu.push_back(bare.second);
        startWall.push_back(start.first), startCpu.push_back(start.second);
        bareStartWall.push_back(bareStart.first), bareStartCpu.push_back(bareStart.second);
    }
    boards.kill();
    boards.waitForFinished();
    const std::string fanout = "bare fan-out in C, the same requests";
    return {{"velmarctl: 254 boards read, wall", Of(ctlWall), fanout, Of(bareWall), "ms"},
            {"velmarctl: 254 boards read, CPU", Of(ctlCpu), fanout, Of(bareCpu), "ms"},
            {"velmarctl start alone (--version), wall", Of(startWall), "the C program's start alone",
             Of(bareStartWall), "ms"},
            {"velmarctl start alone (--version), CPU", Of(startCpu), "the C program's start alone",
             Of(bareStartCpu), "ms"}};
}

const char *const Notes = R"(## How to read this

- Every figure is the median of several runs, with the lowest and highest in brackets; the baseline beside
  it is measured in the same run, by the same program, on the same machine, the two taking turns. The
  whole is measured twice, one after the other, and each row shows both: a figure is only as good as it
  reproduces. Ratios
  between runs on a shared machine still move by some tens of per cent: compare figures of one run, and
  read a ratio as a size, not as a constant that carries over to other machines.
- Start-up and memory: whole processes from exec to the first paint (a start after the first, when the
  settings file exists), each kind its own small program that loads only what it needs: the
  configurator as the program starts it (application set-up, window icon, window, settings file read
  and written), a plain Qt form with the same controls (same kinds, count, places, texts and font, every
  one made at start, the ordinary way), and a bare window of the same size with one label. The plain
  form is the fair baseline; the bare window says what Qt itself costs. Peak memory is VmHWM at that
  moment; 21 starts of each. Every control of the configurator is made at start, as in the plain form.
- Idle: the CPU time of every thread of a process and the times they were put on a CPU, from the
  scheduler's own accounting (schedstat, in nanoseconds), over five seconds after a second to settle;
  the bare window has a focused entry field, whose caret blinks as the configurator's does.
- Round trip: the stand-in board runs as a process of its own; the window is driven through an ordinary
  event loop, beside a bare window that clears thirty fields, sends one request and fills them from the
  reply, and beside a bare socket doing just the request and reply. The first click after a start is
  measured in a window of its own each time, beside the later clicks.
- Floods: three other processes send configuration replies as fast as they can, for two seconds'
  worth; both readers' sockets ask for the same 1 MiB receive buffer. What is offered is counted as
  received: what the reader read and what the kernel dropped at its socket (`/proc/net/udp`), a second.
  Where the kernel dropped some in every run, the reader was the limit, and what it read a second is
  its capacity (its drain rate); where a run dropped nothing, the reader took all that came and the
  row measured the senders: the row says so in bold.
  A board answers each request with up to three identical copies, and a copy of the reply just shown
  changes nothing; in the other flood every reply differs (identifier and lift address), so each one is
  taken over into the read side. The window reads for at most 0.5 ms at a time, and after a pass that
  left datagrams queued it sleeps 1 ms before the next: input and painting have their turn, and a flood
  takes about a third of a core. That third is what it reads of a flood, less than the bare loop, which
  reads on as long as anything is queued; keys are what it gains (the X display's section below). Fields
  and labels show what a pass brought when it ends, and passes back to back once a frame (16 ms): a flood
  redraws the window some sixty times a second, not for every datagram. Beside
  the window, a bare loop reads the same flood and shows its count in a label (it reads on as long as
  anything is queued). "Input taken" is how late a datagram that arrives every 10 ms on a socket of its
  own is taken, as input from the display server would be; the bare loop takes it only when its queue
  runs empty.
- A site: 254 stand-in boards in one process; `velmarctl read` of all of them as a whole process,
  beside a small C program (`bench/fanout.c`) that sends the same request to the same three ports of
  each board from one socket, with the same time-out (500 ms) and retries (2), and ends when every board
  has answered. CPU is the children's user and system time (getrusage). velmarctl then waits a little more for
  answers still on their way (until none has come for as long as its slowest answer took, 5 to 100 ms: a
  second board answering at one address is told so), and starts as a Qt program: the rows of its start
  alone say how much of the difference that is.

- A range: 60 stand-in boards among 254 addresses, 194 of them silent. `velmarctl restore` of the
  range from a folder of backups, beside `velmarctl read` of the same range, taking turns. Both read the
  range at once first, so the silent addresses cost one time-out and its retries together (about
  1.5 s); the restore then writes the 60 boards one after another, each write read back and verified.
  The restores are real: two folders of backups hold the boards with two masks, and the restores take
  them in turn, so each one changes every board; each run is checked to have restored all 60.

Reproduce with `./do bench` (a Release build in `build-bench/`, the offscreen platform, loopback).
)";

const char *const PacingNotes = R"(velmarctl asks a range in bursts: so many targets a tick, and more as
answers come while fewer than a burst wait. Each row above is velmarctl built with another burst (the
benchmark builds these beside it), reading 254 stand-in boards on loopback that answer three copies
each, as boards in the field do; seven runs of each, interleaved, with the lowest and highest count in
brackets. Answers beyond the socket's receive queue are dropped by the kernel, so the counts are taken
with every board asked once (`--retries 0`): a lost answer is a board missing. The stock queue is what
a Debian system gives by default (`net.core.rmem_max` 212992 bytes, doubled by the kernel: 512 answers
of a board here), put in place under velmarctl by a preloaded `setsockopt`; this machine's own limit is
higher. The wall time is of a read with its defaults on the stock queue, where a lost answer is asked
again after the time-out (500 ms): a loss shows there as half a second. velmarctl asks 64 targets every
5 ms: 192 answers, under two fifths of the stock queue, at most a burst ahead of what it has read.
)";

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 6 && std::string(argv[1]) == "--flood")
        return FloodChild(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                          std::atoi(argv[5]) != 0);
    // One part alone, for a quick look: its table on standard output.
    if (argc == 3 && std::string(argv[1]) == "--part") {
        QApplication app(argc, argv);
        PrepareApplication(app);
        programFolder = QCoreApplication::applicationDirPath();
        const std::string part = argv[2];
        if (part == "pacing")
            std::printf("%s", Pacing().c_str());
        else if (part == "range" || part == "site") {
            const std::vector<Row> rows = part == "range" ? Range() : Site();
            std::printf("%s", Table(rows, rows).c_str());
        } else
            return 2;
        return 0;
    }
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else {
            std::printf("usage: velmar-bench [--out FILE] | --part pacing|range|site\n"
                        "Measures the configurator beside fair baselines and writes a Markdown table\n"
                        "(to FILE, and to standard output).\n");
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }

    // Everything twice: a row is published with its second run beside it.
    std::vector<Row> rows[2], process[2];
    std::string pacing;
    {
        QApplication app(argc, argv);
        PrepareApplication(app);  // the window's exchanges run in an application set up as the program's
        const QString self = QCoreApplication::applicationFilePath();
        programFolder = QCoreApplication::applicationDirPath();
        QProcess board;
        board.start(Program("velmar-board"), {"--address", BoardAddress, "--quiet"});
        board.waitForStarted();
        QTest::qWait(300);
        for (std::vector<Row> &run : rows)
            for (auto part : {RoundTrip(), Floods(self), Site(), Range()})
                run.insert(run.end(), part.begin(), part.end());
        pacing = Pacing();
        board.kill();
        board.waitForFinished();
    }
    for (std::vector<Row> &run : process)
        for (auto part : {Startup(), Idle()})
            run.insert(run.end(), part.begin(), part.end());

    char cpu[256] = "unknown";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0) {
            std::snprintf(cpu, sizeof cpu, "%s", line.substr(line.find(':') + 2).c_str());
            break;
        }
    const std::string text =
        std::string("# Performance\n\nMeasured by `./do bench` on ") + cpu + ", " +
        std::to_string(std::thread::hardware_concurrency()) + " cores, Debian 12 with Qt " + qVersion() +
        " (a " VELMAR_BUILD_TYPE " build, the offscreen platform, loopback UDP).\n\n"
        "Read the ratios: each is a program's figure over a baseline doing the same work, measured side by "
        "side in one run, the two taking turns, and the whole run made twice. The absolute figures beside "
        "them are this machine's at that moment (its cores are shared with other work): they move from one "
        "run to the next by more than the ratios do, and carry over to no other machine. A row that measured "
        "its load generator rather than the program says so in bold.\n\n"
        "## Processes: start-up, memory, idle\n\n" +
        Table(process[0], process[1]) + "\n## Boards and floods\n\n" + Table(rows[0], rows[1]) +
        "\n## Send pacing: where a site read begins to lose answers\n\n" + pacing + "\n" + PacingNotes +
        "\n" + Notes;
    std::printf("%s", text.c_str());
    QString error;
    if (!out.empty() &&
        !WriteWholeFile(QString::fromStdString(out), QByteArray::fromStdString(text), error)) {
        std::fprintf(stderr, "velmar-bench: cannot write %s: %s\n", out.c_str(), qPrintable(error));
        return 1;
    }
    return 0;
}
