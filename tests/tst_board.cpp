#include "board.h"
#include "codec.h"
#include "frame_bytes.h"
#include "loopback.h"
#include "wire.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace velmar;

namespace {

DecodedDatagram decode(const QNetworkDatagram &datagram)
{
    const QByteArray data = datagram.data();
    return DecodeDatagram(ViewOf(data));
}

// A plain socket playing the configurator.
struct Peer
{
    test::Receiver socket{QHostAddress("127.0.0.1")};
    void send(const Bytes &frame, const QHostAddress &board, quint16 port = wire::BoardPort)
    {
        socket.socket.writeDatagram(ToByteArray(frame), board, port);
    }
};

ConfigWriteValues sampleWrite(const QHostAddress &board)
{
    const quint32 a = board.toIPv4Address();
    ConfigWriteValues values;
    values.record = {{10, 0, 0, 9},
                     {std::uint8_t(a >> 24), std::uint8_t(a >> 16), std::uint8_t(a >> 8), 99},
                     {255, 255, 0, 0},
                     {127, 0, 0, 1},
                     {0x02, 0x1E, 1, 2, 3, 4},
                     4660,
                     true,
                     {1, 1, 1, 1},
                     {2, 2, 2, 2}};
    values.rayNumber = 5;
    values.record.consoleDynamic = true;
    values.boardDhcp = true;
    return values;
}

}  // namespace

class TestBoard : public QObject
{
    Q_OBJECT
private slots:
    void answersBothConfigurationsOnEveryPort();
    void writeIsStoredAndAnsweredWithTheStoredConfiguration();
    void rebootAcknowledgesThenIsSilentThenRunsTheStoredConfiguration();
    void stateSurvivesRestartsAndDamageIsReported();
    void faults_data();
    void faults();
    void keepsPartOfAWrite();
    void garbageIsLoggedAndIgnored();
    void programStopsOnSigtermAndRejectsBadOptions();
};

void TestBoard::answersBothConfigurationsOnEveryPort()
{
    BoardOptions options;
    options.address = test::uniqueLoopback();
    options.bindListenPort = true;
    StandInBoard board(options);
    QString error;
    QVERIFY2(board.start(error), qPrintable(error));
    QVERIFY(board.ports().contains(wire::BoardPort));
    const int ports = board.ports().contains(wire::ListenPort) ? 4 : 3;  // 6767 only when it was free

    Peer peer;
    for (quint16 port : {wire::UserPort, wire::BoardPort, wire::WritePort, wire::ListenPort})
        peer.send(ReadRequest('C'), options.address, port);
    QTRY_COMPARE(peer.socket.received.size(), ports);
    for (const QNetworkDatagram &reply : peer.socket.received) {
        const auto decoded = decode(reply);
        QVERIFY(decoded.reply);
        QCOMPARE(decoded.reply->kind, ReplyKind::Record);
        const quint32 a = options.address.toIPv4Address();
        QCOMPARE(decoded.reply->recordHead[7], std::uint8_t(a & 0xFF));
        QVERIFY(decoded.reply->versionText.has_value());
        QCOMPARE(reply.senderAddress(), options.address);
    }
}

void TestBoard::writeIsStoredAndAnsweredWithTheStoredConfiguration()
{
    BoardOptions options;
    options.address = test::uniqueLoopback();
    StandInBoard board(options);
    QString error;
    QVERIFY(board.start(error));
    const BoardConfig before = board.working();

    Peer peer;
    const ConfigWriteValues values = sampleWrite(options.address);
    peer.send(ConfigWrite(values), options.address, wire::WritePort);
    QTRY_COMPARE(peer.socket.received.size(), 1);
    QCOMPARE(board.stored().config.record, values.record);
    QCOMPARE(board.stored().config.boardDhcp, true);
    QCOMPARE(int(board.stored().rayNumber), 5);
    QCOMPARE(board.working(), before);  // the working configuration waits for a reboot

    const auto answer = decode(peer.socket.received[0]);
    QCOMPARE(answer.reply->ident->boardIdent, 4660);
    QVERIFY(answer.reply->boardDhcp);

    peer.send(ReadRequest('C'), options.address);
    QTRY_COMPARE(peer.socket.received.size(), 2);
    QCOMPARE(decode(peer.socket.received[1]).reply->recordHead[0], before.record.dispatcherIp[0]);
}

void TestBoard::rebootAcknowledgesThenIsSilentThenRunsTheStoredConfiguration()
{
    BoardOptions options;
    options.address = test::uniqueLoopback();
    options.rebootMs = 300;
    StandInBoard board(options);
    QStringList log;
    board.setLog([&](const QString &line) { log << line; });
    QString error;
    QVERIFY(board.start(error));
    Peer peer;
    peer.send(ConfigWrite(sampleWrite(options.address)), options.address);
    QTRY_COMPARE(peer.socket.received.size(), 1);

    peer.send(RebootRequest(), options.address, wire::UserPort);
    QTRY_COMPARE(peer.socket.received.size(), 2);
    QCOMPARE(decode(peer.socket.received[1]).reply->kind, ReplyKind::RebootAck);
    QVERIFY(log.join('\n').contains("without the four pre-reboot frames"));
    QVERIFY(board.rebooting());

    peer.send(ReadRequest('C'), options.address);
    test::waitForNothingMore(100);
    QCOMPARE(peer.socket.received.size(), 2);  // silent while rebooting

    QTRY_VERIFY(!board.rebooting());
    QCOMPARE(board.working(), board.stored().config);
    // Up again on the lift address it stored, as a board in the field comes up.
    const QHostAddress moved = board.address();
    QCOMPARE(moved.toString(), IpText(board.stored().config.record.liftIp));
    QVERIFY(moved != options.address);
    log.clear();
    for (int flood = 0; flood < 50; ++flood)  // a flood of them keeps no more than a reboot needs
        for (const Bytes &frame : {MsiFrame(), VsiFrame()})
            peer.send(frame, moved, wire::UserPort);
    if (!test::underWine())                            // there, every loopback address is the board's
        peer.send(ReadRequest('C'), options.address);  // nobody there now
    peer.send(ReadRequest('C'), moved);
    QTRY_COMPARE(peer.socket.received.size(), 3);
    QCOMPARE(board.preRebootFramesKept(), 4);
    QCOMPARE(decode(peer.socket.received[2]).reply->ident->boardIdent, 4660);
    peer.send(RebootRequest(), moved);
    QTRY_COMPARE(peer.socket.received.size(), 4);
    QVERIFY(!log.join('\n').contains("without"));
    QVERIFY(log.join('\n').contains("MsiFrame"));
}

void TestBoard::stateSurvivesRestartsAndDamageIsReported()
{
    QTemporaryDir dir;
    BoardOptions options;
    options.address = test::uniqueLoopback();
    options.statePath = dir.filePath("board.json");
    const ConfigWriteValues values = sampleWrite(options.address);
    {
        StandInBoard board(options);
        QString error;
        QVERIFY(board.start(error));
        QVERIFY(QFile::exists(options.statePath));
        Peer peer;
        peer.send(ConfigWrite(values), options.address);
        QTRY_COMPARE(peer.socket.received.size(), 1);
    }
    {
        StandInBoard board(options);
        QString error;
        QVERIFY2(board.start(error), qPrintable(error));
        QCOMPARE(board.stored().config.record, values.record);
        QCOMPARE(board.working(), board.stored().config);
    }
    for (const QByteArray &damage :
         {QByteArray("{\"lift\": "), QByteArray("[]"), QByteArray("{\"lift\":\"x\"}")}) {
        QFile file(options.statePath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(damage);
        file.close();
        StandInBoard board(options);
        QString error;
        QVERIFY(!board.start(error));
        QVERIFY2(error.contains("damaged"), qPrintable(error));
    }
}

// One fault of the stand-in board: how it is set, and what the first answer then shows.
struct FaultCase
{
    std::function<void(BoardFaults &)> set;
    int answers = 2;          // to a request on the user port and one on the board port; 0: none at all
    int length = 100;         // of each answer
    bool sendsWrite = false;  // the first request is a write instead of a read
    std::function<bool(const DecodedDatagram &first, int senderPort, qint64 elapsedMs, bool storedAsBefore)>
        holds;
};
Q_DECLARE_METATYPE(FaultCase)

void TestBoard::faults_data()
{
    QTest::addColumn<FaultCase>("fault");
    QTest::newRow("truncated") << FaultCase{
        [](BoardFaults &f) { f.truncateTo = 30; }, 2, 30, false,
        [](const DecodedDatagram &d, int, qint64, bool) { return d.reply && !d.reply->versionText; }};
    QTest::newRow("otv") << FaultCase{[](BoardFaults &f) { f.withOtv = true; }, 2, 100, false,
                                      [](const DecodedDatagram &d, int, qint64, bool) { return !d.reply; }};
    QTest::newRow("4 at offset 10") << FaultCase{
        [](BoardFaults &f) { f.filterByte = true; }, 2, 100, false,
        [](const DecodedDatagram &d, int, qint64, bool) { return d.reply->kind == ReplyKind::Filtered; }};
    QTest::newRow("no VER") << FaultCase{
        [](BoardFaults &f) { f.withoutVersion = true; }, 2, 100, false,
        [](const DecodedDatagram &d, int, qint64, bool) { return !d.reply->versionText; }};
    QTest::newRow("answers on 8026 only")
        << FaultCase{[](BoardFaults &f) { f.answerPorts = {wire::UserPort}; }, 1, 100, false,
                     [](const DecodedDatagram &, int port, qint64, bool) { return port == wire::UserPort; }};
    QTest::newRow("drops every reply")
        << FaultCase{[](BoardFaults &f) { f.dropPercent = 100; }, 0, 0, false, {}};
    QTest::newRow("delayed") << FaultCase{
        [](BoardFaults &f) { f.replyDelayMs = 200; }, 2, 100, false,
        [](const DecodedDatagram &, int, qint64 ms, bool) { return ms >= 190; }};
    QTest::newRow("ignores writes") << FaultCase{
        [](BoardFaults &f) { f.ignoreWrites = true; }, 2, 100, true,
        [](const DecodedDatagram &, int, qint64, bool same) { return same; }};
    QTest::newRow("a twin answers too")
        << FaultCase{[](BoardFaults &f) { f.twin = Mac{0x00, 0x1E, 9, 9, 9, 9}; }, 4, 100, false,
                     [](const DecodedDatagram &, int, qint64, bool) { return true; }};
}

void TestBoard::faults()
{
    QFETCH(FaultCase, fault);
    BoardOptions options;
    options.address = test::uniqueLoopback();
    fault.set(options.faults);
    StandInBoard board(options);
    QString error;
    QVERIFY(board.start(error));
    const StoredConfig before = board.stored();
    Peer peer;
    QElapsedTimer clock;
    clock.start();
    peer.send(fault.sendsWrite ? ConfigWrite(sampleWrite(options.address)) : ReadRequest('d'),
              options.address, wire::UserPort);
    peer.send(ReadRequest('d'), options.address, wire::BoardPort);
    if (fault.answers == 0) {
        test::waitForNothingMore(200);
        QCOMPARE(peer.socket.received.size(), 0);
        return;
    }
    QTRY_VERIFY(!peer.socket.received.isEmpty());
    test::waitForNothingMore();
    QCOMPARE(peer.socket.received.size(), fault.answers);
    const QNetworkDatagram &first = peer.socket.received[0];
    QCOMPARE(first.data().size(), fault.length);
    QVERIFY(fault.holds(decode(first), first.senderPort(), clock.elapsed(), board.stored() == before));
}

// A board that keeps only the lift address and MAC of a write: its mask stays.
void TestBoard::keepsPartOfAWrite()
{
    BoardOptions options;
    options.address = test::uniqueLoopback();
    options.faults.partialWrites = true;
    StandInBoard board(options);
    QString error;
    QVERIFY(board.start(error));
    const ConfigRecord before = board.stored().config.record;
    Peer peer;
    peer.send(ConfigWrite(sampleWrite(options.address)), options.address, wire::WritePort);
    QTRY_COMPARE(peer.socket.received.size(), 1);
    const ConfigRecord &after = board.stored().config.record;
    QCOMPARE(after.liftIp, sampleWrite(options.address).record.liftIp);
    QCOMPARE(after.mac, sampleWrite(options.address).record.mac);
    QCOMPARE(after.netMask, before.netMask);
    QCOMPARE(after.dispatcherIp, before.dispatcherIp);
}

void TestBoard::garbageIsLoggedAndIgnored()
{
    BoardOptions options;
    options.address = test::uniqueLoopback();
    StandInBoard board(options);
    int logged = 0;
    board.setLog([&](const QString &) { ++logged; });
    QString error;
    QVERIFY(board.start(error));
    Peer peer;
    auto *random = QRandomGenerator::global();
    for (int i = 0; i < 300; ++i) {
        QByteArray junk(random->bounded(i < 290 ? 130 : 8192), '\0');
        for (auto &ch : junk)
            ch = char(random->bounded(256));
        peer.socket.socket.writeDatagram(junk, options.address, wire::BoardPort);
        if (i % 50 == 0)
            QTest::qWait(5);
    }
    peer.send(ReadRequest('d'), options.address);
    QTRY_VERIFY(!peer.socket.received.isEmpty() && decode(peer.socket.received.last()).reply.has_value());
    QVERIFY(logged > 100);
}

void TestBoard::programStopsOnSigtermAndRejectsBadOptions()
{
    const QString program = QCoreApplication::applicationDirPath() + "/velmar-board";
    QProcess bad;
    bad.start(program, {"--count", "zero"});
    QVERIFY(bad.waitForFinished(10000));
    QVERIFY(bad.exitCode() != 0);
    QVERIFY(bad.readAllStandardError().contains("--count"));

    if (test::underWine()) {
        qInfo("not checked under Wine: it binds an address that is not on the machine");
    } else {
        QProcess busy;  // an address that is not on this machine cannot be bound
        busy.start(program, {"--address", "203.0.113.7"});
        QVERIFY(busy.waitForFinished(10000));
        QVERIFY(busy.exitCode() != 0);
        QVERIFY(busy.readAllStandardError().contains("cannot bind"));
    }

#ifdef Q_OS_UNIX
    QProcess running;
    running.start(program, {"--address", test::uniqueLoopback().toString(), "--count", "3"});
    QVERIFY(running.waitForStarted());
    QByteArray said;
    QTRY_VERIFY((said += running.readAllStandardError()).contains("3 board(s)"));
    running.terminate();
    QVERIFY(running.waitForFinished(5000));
    QCOMPARE(running.exitStatus(), QProcess::NormalExit);
    QCOMPARE(running.exitCode(), 0);
#endif
}

QTEST_GUILESS_MAIN(TestBoard)
#include "tst_board.moc"
