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

// Each row beside the same row of a second run, made after the first was done.
std::string Table(const std::vector<Row> &rows, const std::vector<Row> &again)
{
    std::string table =
        "| measured | velmarcom | beside | baseline | ratio | second run: velmarcom | baseline | "
        "ratio |\n|---|---|---|---|---|---|---|---|\n";
    for (size_t i = 0; i < rows.size() && i < again.size(); ++i) {
        const Row &row = rows[i], &second = again[i];
        table += "| " + row.what + " | " + Text(row.value, row.unit) + " | " + row.baseline + " | " +
                 Text(row.baselineValue, row.unit) + " | " + Ratio(row) + " | " +
                 Text(second.value, second.unit) + " | " + Text(second.baselineValue, second.unit) + " | " +
                 Ratio(second) + " |\n";
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
int FloodChild(int port, int rate, int count, bool vary)
{
    QByteArray reply = ToByteArray(ConfigReply(BoardConfig{}));
    QUdpSocket socket;
    const qint64 start = NowNs();
    for (int i = 0; i < count; ++i) {
        const qint64 due = start + qint64(i) * 1000000000LL / rate;
        while (NowNs() < due)
            std::this_thread::yield();
        if (vary)
            reply[7] = char(i), reply[29] = char(i), reply[30] = char(i >> 8);
        socket.writeDatagram(reply, QHostAddress::LocalHost, quint16(port));
    }
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

// Replies handled a second while another process offers `rate` a second, and how late a ping that
// arrives every 10 ms on a socket of its own (as the display server's input does) is taken.
constexpr int Senders = 3;

struct FloodResult
{
    double offeredPerSecond = 0, handledPerSecond = 0, pingMedianMs = 0, pingP99Ms = 0;
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
    const long long before = handled();
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
    stop = true;
    pinger.join();
    std::sort(late.begin(), late.end());
    FloodResult result;
    result.offeredPerSecond = Senders * rate * Seconds / seconds;  // the senders end when all are sent
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
    std::vector<double> capacity[2], pingMedian[2], pingP99[2], varied[2], offered;
    for (int run = 0; run < 3; ++run) {
        FloodResult runs[4] = {Flood(self, formPort, formCount, Offered),
                               Flood(self, plain.localPort(), plainHandled, Offered),
                               Flood(self, formPort, formCount, Offered, true),
                               Flood(self, plain.localPort(), plainHandled, Offered, true)};
        const FloodResult &a = runs[0], &b = runs[1];
        varied[0].push_back(runs[2].handledPerSecond / 1000);
        varied[1].push_back(runs[3].handledPerSecond / 1000);
        for (const FloodResult &one : runs)
            offered.push_back(one.offeredPerSecond / 1000);
        capacity[0].push_back(a.handledPerSecond / 1000), capacity[1].push_back(b.handledPerSecond / 1000);
        pingMedian[0].push_back(a.pingMedianMs), pingMedian[1].push_back(b.pingMedianMs);
        pingP99[0].push_back(a.pingP99Ms), pingP99[1].push_back(b.pingP99Ms);
    }
    char handledWhat[96];
    std::snprintf(handledWhat, sizeof handledWhat, "replies handled a second, %.0f–%.0f k/s offered",
                  Of(offered).low, Of(offered).high);
    return {{handledWhat, Of(capacity[0]), "bare loop counting into a label", Of(capacity[1]), "k/s"},
            {"the same, every reply different", Of(varied[0]), "bare loop counting into a label",
             Of(varied[1]), "k/s"},
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

std::pair<double, double> Timed(const QString &program, const QStringList &args)
{
    const double before = ChildrenCpuMs();
    QElapsedTimer clock;
    clock.start();
    QProcess child;
    child.setStandardOutputFile(QProcess::nullDevice());
    child.start(program, args);
    child.waitForFinished(60000);
    const double wallMs = clock.nsecsElapsed() / 1e6;
    return {wallMs, ChildrenCpuMs() - before};
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
- Floods: three other processes send configuration replies as fast as they can, together more than
  either reader takes, for two seconds' worth; both readers' sockets ask for the same 1 MiB receive
  buffer. What is read a second is the reader's capacity (its drain rate); the rest the kernel drops.
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

Reproduce with `./do bench` (a Release build in `build-bench/`, the offscreen platform, loopback).
)";

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 6 && std::string(argv[1]) == "--flood")
        return FloodChild(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                          std::atoi(argv[5]) != 0);
    std::string out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            out = argv[++i];
        } else {
            std::printf("usage: velmar-bench [--out FILE]\n"
                        "Measures the configurator beside fair baselines and writes a Markdown table\n"
                        "(to FILE, and to standard output).\n");
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }

    // Everything twice: a row is published with its second run beside it.
    std::vector<Row> rows[2], process[2];
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
            for (auto part : {RoundTrip(), Floods(self), Site()})
                run.insert(run.end(), part.begin(), part.end());
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
        "## Processes: start-up, memory, idle\n\n" +
        Table(process[0], process[1]) + "\n## Boards and floods\n\n" + Table(rows[0], rows[1]) + "\n" + Notes;
    std::printf("%s", text.c_str());
    QString error;
    if (!out.empty() &&
        !WriteWholeFile(QString::fromStdString(out), QByteArray::fromStdString(text), error)) {
        std::fprintf(stderr, "velmar-bench: cannot write %s: %s\n", out.c_str(), qPrintable(error));
        return 1;
    }
    return 0;
}
