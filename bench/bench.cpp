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

std::string Table(const std::vector<Row> &rows)
{
    std::string table = "| measured | velmarcom | beside | baseline | ratio |\n|---|---|---|---|---|\n";
    for (const Row &row : rows) {
        char ratio[32] = "—";
        if (row.baselineValue.median > 0)
            std::snprintf(ratio, sizeof ratio, "%.2f", row.value.median / row.baselineValue.median);
        table += "| " + row.what + " | " + Text(row.value, row.unit) + " | " + row.baseline + " | " +
                 Text(row.baselineValue, row.unit) + " | " + ratio + " |\n";
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

// The bare window of every baseline: one label that shows text, as the configurator's captions do, in a
// window of the configurator's size (the same pixels to paint and to keep). For the idle figures it also
// has an entry field with the focus, whose caret blinks as the configurator's does.
struct BareWindow : QWidget
{
    QLabel *label = new QLabel(QStringLiteral("Конфігуратор плат \"ВЕЛМАР\" 2026-V_8.6"), this);
    explicit BareWindow(bool withField)
    {
        resize(729, 665);
        if (withField)
            (new QLineEdit(this))->move(0, 40);
    }
};

// A widget that says when it is first painted.
class PaintWatch : public QObject
{
public:
    std::function<void()> onPaint;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && onPaint) {
            auto call = std::move(onPaint);
            onPaint = nullptr;
            QTimer::singleShot(0, call);
        }
        return false;
    }
};

QStringList ChildArgs(const QString &mode, const QString &kind, const QStringList &more = {})
{
    return QStringList{QStringLiteral("--child"), mode, kind} + more;
}

// ---- Child processes ----------------------------------------------------------------------------

// Start-up: prints the monotonic time of the first paint and the peak memory then, and ends.
// Idle: shows the window and stays until killed.
int Child(const QString &mode, const QString &kind, int argc, char **argv)
{
    QApplication app(argc, argv);
    std::unique_ptr<TheWindow> window;
    std::unique_ptr<BareWindow> bare;
    QWidget *shown = nullptr;
    if (kind == QLatin1String("window")) {
        PrepareApplication(app);  // as the program starts
        window = std::make_unique<TheWindow>(qEnvironmentVariable("VELMAR_BENCH_SETTINGS"));
        shown = window->form.get();
    } else {
        bare = std::make_unique<BareWindow>(mode == QLatin1String("idle"));
        shown = bare.get();
    }
    PaintWatch watch;
    if (mode == QLatin1String("startup")) {
        watch.onPaint = [] {
            long peakKiB = 0;
            QFile status(QStringLiteral("/proc/self/status"));
            if (status.open(QIODevice::ReadOnly))
                for (const QByteArray &line : status.readAll().split('\n'))
                    if (line.startsWith("VmHWM:"))
                        peakKiB = line.mid(6).trimmed().split(' ').value(0).toLong();
            std::printf("%lld %ld\n", static_cast<long long>(NowNs()), peakKiB);
            std::fflush(stdout);
            QCoreApplication::quit();
        };
        shown->installEventFilter(&watch);
    }
    shown->show();
    return app.exec();
}

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

std::vector<Row> Startup(const QString &self)
{
    // The first run of each leaves the settings file and warms the disk cache; it is not counted.
    QTemporaryDir settings;
    qputenv("VELMAR_BENCH_SETTINGS", settings.path().toLocal8Bit());
    std::vector<double> time[2], memory[2];
    for (int run = -1; run < StartRuns; ++run) {
        for (int k = 0; k < 2; ++k) {
            QProcess child;
            const qint64 start = NowNs();
            child.start(self, ChildArgs(QStringLiteral("startup"), k ? "bare" : "window"));
            child.waitForFinished(30000);
            const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
            if (run < 0)
                continue;
            time[k].push_back((fields.value(0).toLongLong() - start) / 1e6);
            memory[k].push_back(fields.value(1).toDouble() / 1024);
        }
    }
    return {
        {"exec → first paint", Of(time[0]), "bare window with one label", Of(time[1]), "ms"},
        {"peak memory at first paint", Of(memory[0]), "bare window with one label", Of(memory[1]), "MiB"}};
}

// ---- Idle ---------------------------------------------------------------------------------------

// Context switches of every thread of a process, and its CPU time in milliseconds.
std::pair<long long, double> Activity(qint64 pid)
{
    long long switches = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status(tasks.filePath(task + QStringLiteral("/status")));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray &line : status.readAll().split('\n'))
                if (line.startsWith("voluntary_ctxt_switches:") ||
                    line.startsWith("nonvoluntary_ctxt_switches:"))
                    switches += line.split(':').value(1).trimmed().toLongLong();
    }
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    double cpuMs = 0;
    if (stat.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> fields = stat.readAll().split(')').value(1).trimmed().split(' ');
        cpuMs = (fields.value(11).toDouble() + fields.value(12).toDouble()) * 1000.0 / sysconf(_SC_CLK_TCK);
    }
    return {switches, cpuMs};
}

std::vector<Row> Idle(const QString &self)
{
    constexpr int Seconds = 5;
    std::vector<double> wakeups[2], cpu[2];
    for (int run = 0; run < 3; ++run) {
        for (int k = 0; k < 2; ++k) {
            QProcess child;
            child.start(self, ChildArgs(QStringLiteral("idle"), k ? "bare" : "window"));
            child.waitForStarted();
            QThread::sleep(1);  // settled
            const auto before = Activity(child.processId());
            QThread::sleep(Seconds);
            const auto after = Activity(child.processId());
            child.kill();
            child.waitForFinished();
            wakeups[k].push_back(double(after.first - before.first) / Seconds);
            cpu[k].push_back((after.second - before.second) / Seconds);
        }
    }
    const std::string bare = "bare window with a label and a focused entry field";
    return {{"idle wake-ups a second", Of(wakeups[0]), bare, Of(wakeups[1]), "/s"},
            {"idle CPU a second", Of(cpu[0]), bare, Of(cpu[1]), "ms"}};
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
    return {
        {"click → first reply handled", Of(window), "bare window: clear, send, fill", Of(bareWindow), "µs"},
        {"click → first reply handled", Of(window), "bare UDP across two processes", Of(bareUdp), "µs"}};
}

// ---- Floods -------------------------------------------------------------------------------------

// Replies handled a second while another process offers `rate` a second, and how late a ping that
// arrives every 10 ms on a socket of its own (as the display server's input does) is taken.
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
    QProcess sender;
    sender.start(self, {QStringLiteral("--flood"), QString::number(port), QString::number(rate),
                        QString::number(rate * Seconds), QString::number(int(vary))});
    sender.waitForStarted();
    QElapsedTimer clock;
    clock.start();
    while (sender.state() != QProcess::NotRunning)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double seconds = clock.nsecsElapsed() / 1e9;
    const long long handledCount = handled() - before;
    QTest::qWait(50);  // what is still queued is read here, not counted in the next flood
    stop = true;
    pinger.join();
    std::sort(late.begin(), late.end());
    FloodResult result;
    result.offeredPerSecond = rate * Seconds / seconds;  // the sender ends when all are sent
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

std::vector<Row> Site()
{
    QProcess boards;
    boards.start(QCoreApplication::applicationDirPath() + "/velmar-board",
                 {"--address", "127.0.78.1", "--count", "254", "--quiet"});
    boards.waitForStarted();
    QTest::qWait(500);
    QList<QHostAddress> targets;
    for (int i = 1; i <= 254; ++i)
        targets << QHostAddress(QStringLiteral("127.0.78.%1").arg(i));
    Session session(0);
    session.open();
    std::vector<double> together, oneByOne;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        session.read(targets, SelectorStored, {500, 2});
        together.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        for (const QHostAddress &target : targets)
            session.read({target}, SelectorStored, {500, 2});
        oneByOne.push_back(clock.nsecsElapsed() / 1e6);
    }
    boards.kill();
    boards.waitForFinished();
    return {{"velmarctl: 254 boards read at once", Of(together), "the same boards one at a time",
             Of(oneByOne), "ms"}};
}

const char *const Notes = R"(## How to read this

- Every figure is the median of several runs, with the lowest and highest in brackets; the baseline beside
  it is measured in the same run, by the same program, on the same machine. Ratios between runs on a
  shared machine still move by some tens of per cent: compare figures of one run, and read a ratio as a
  size, not as a constant that carries over to other machines.
- Start-up and memory: whole processes from exec to the first paint (a start after the first, when the
  settings file exists), the configurator started as the program starts (application set-up, window
  icon, style, window) beside a bare window of the same size that shows one label of text (so both load
  the font database and paint as many pixels). Peak memory is VmHWM at that moment; 21 starts of each.
  What the window adds is Qt making the controls it shows and painting them once (controls hidden at the
  start are made when first used): some forty entry fields and twenty labels, each text laid out; the
  bold face of the public-address field; Fusion's buttons (the two tall ones drawn ahead on a second
  thread as the window is shown); the group frames; and the settings file written at every start.
- Idle: the context switches of every thread of a process, and its CPU time, over five seconds after a
  second to settle; the bare window wakes only when something happens to it.
- Round trip: the stand-in board runs as a process of its own; the window is driven through an ordinary
  event loop, beside a bare window that clears thirty fields, sends one request and fills them from the
  reply, and beside a bare socket doing just the request and reply.
- Floods: another process sends configuration replies as fast as it can (aiming at a million a second)
  until it has sent two seconds' worth; the first row says how many a second it managed in the slowest
  and the fastest of these floods, sharing the machine with the reader. What is not read in time the
  kernel drops; where a figure comes near the rate sent, the reader took nearly all of it and the
  sender set the pace. A board answers each request with up to three identical copies, and a copy of
  the reply just shown changes nothing; in the other flood every reply differs (identifier and lift
  address), so each one is taken over into the read side. The window reads for at most 2 ms at a time
  and then lets the event loop have its turn: fields and labels are redrawn once for such a pass, not
  for every datagram. Beside the window, a bare loop reads the same flood and shows its count in a
  label (it reads on as long as anything is queued). "Input taken" is how late a datagram that arrives
  every 10 ms on a socket of its own is taken, as input from the display server would be; the bare loop
  takes it only when its queue runs empty.

Reproduce with `./do bench` (a Release build in `build-bench/`, the offscreen platform, loopback).
)";

}  // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc >= 4 && std::string(argv[1]) == "--child")
        return Child(QString::fromLatin1(argv[2]), QString::fromLatin1(argv[3]), argc, argv);
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

    std::vector<Row> rows;
    QString self;
    {
        QApplication app(argc, argv);
        PrepareApplication(app);  // the window's exchanges run in an application set up as the program's
        self = QCoreApplication::applicationFilePath();
        QProcess board;
        board.start(QCoreApplication::applicationDirPath() + "/velmar-board",
                    {"--address", BoardAddress, "--quiet"});
        board.waitForStarted();
        QTest::qWait(300);
        for (auto part : {RoundTrip(), Floods(self), Site()})
            rows.insert(rows.end(), part.begin(), part.end());
        board.kill();
        board.waitForFinished();
    }
    std::vector<Row> process;
    for (auto part : {Startup(self), Idle(self)})
        process.insert(process.end(), part.begin(), part.end());

    char cpu[256] = "unknown";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0) {
            std::snprintf(cpu, sizeof cpu, "%s", line.substr(line.find(':') + 2).c_str());
            break;
        }
    const std::string text = std::string("# Performance\n\nMeasured by `./do bench` on ") + cpu + ", " +
                             std::to_string(std::thread::hardware_concurrency()) +
                             " cores, Debian 12 with Qt " + qVersion() +
                             " (a Release build, the offscreen platform, loopback UDP).\n\n"
                             "## Processes: start-up, memory, idle\n\n" +
                             Table(process) + "\n## Boards and floods\n\n" + Table(rows) + "\n" + Notes;
    std::printf("%s", text.c_str());
    QString error;
    if (!out.empty() &&
        !WriteWholeFile(QString::fromStdString(out), QByteArray::fromStdString(text), error)) {
        std::fprintf(stderr, "velmar-bench: cannot write %s: %s\n", out.c_str(), qPrintable(error));
        return 1;
    }
    return 0;
}
