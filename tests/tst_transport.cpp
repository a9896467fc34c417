#include "codec.h"
#include "loopback.h"
#include "transport.h"

#include <QtTest>

using namespace velmar;

class TestTransport : public QObject
{
    Q_OBJECT
private slots:
    void dottedTextIsDecimalNeverOctal_data();
    void dottedTextIsDecimalNeverOctal();
    void localhostInAnyCase();
    void secondListenerOnTheSamePortFails();
    void deliversInOrderAndDropsOversize();
    void closingDuringDeliveryStopsCleanly();
    void serverSendReopensTheListener();
    void serverSendRaisesWhenThePortIsTaken();
    void serverSendReachesTheZeroPaddedAddress();
    void clientSendChecksAndPads();
};

void TestTransport::dottedTextIsDecimalNeverOctal_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("address");
    QTest::newRow("octal trap") << "010.000.000.002"
                                << "10.0.0.2";
    QTest::newRow("008 rejected by QHostAddress") << "192.168.001.008"
                                                  << "192.168.1.8";
    QTest::newRow("plain") << "127.0.0.1"
                           << "127.0.0.1";
    QTest::newRow("broadcast") << "255.255.255.255"
                               << "255.255.255.255";
    QTest::newRow("octet over 255") << "256.000.000.001"
                                    << "";
    QTest::newRow("three groups") << "010.000.002"
                                  << "";
    QTest::newRow("sign") << "+10.0.0.2"
                          << "";
    QTest::newRow("blank group") << "10..0.2"
                                 << "";
    QTest::newRow("four digits") << "0010.0.0.2"
                                 << "";
}

void TestTransport::dottedTextIsDecimalNeverOctal()
{
    QFETCH(QString, text);
    QFETCH(QString, address);
    auto parsed = ParseDottedAddress(text);
    QCOMPARE(parsed ? parsed->toString() : QString(), address);
    if (parsed)
        QCOMPARE(ParseDottedAddress(PaddedDottedText(*parsed))->toString(), address);
}

void TestTransport::localhostInAnyCase()
{
    QCOMPARE(ResolveHost("LOCALHOST"), QHostAddress(QHostAddress::LocalHost));
    QCOMPARE(ResolveHost("LocalHost"), QHostAddress(QHostAddress::LocalHost));
    QVERIFY_THROWS_EXCEPTION(SendError, ResolveHost(""));
    QCOMPARE(PaddedDottedText(QHostAddress("10.0.0.2")), QString("010.000.000.002"));
}

void TestTransport::secondListenerOnTheSamePortFails()
{
    Listener first(0);
    QVERIFY(first.open());
    Listener second(first.boundPort());
    QVERIFY(!second.open());
    first.close();
    QVERIFY(!first.isOpen());
    QVERIFY(second.open());
}

void TestTransport::deliversInOrderAndDropsOversize()
{
    Listener listener(0);
    QVERIFY(listener.open());
    QList<QByteArray> seen;
    QString senderText;
    quint16 senderPort = 0;
    listener.setHandler([&](const QByteArray &data, const QString &address, quint16 port) {
        seen << data;
        senderText = address;
        senderPort = port;
    });

    QUdpSocket peer;
    QVERIFY(peer.bind(QHostAddress("127.0.0.1"), 0));
    const QList<QByteArray> sent = {"first",
                                    QByteArray(),
                                    QByteArray(9000, 'x'),
                                    QByteArray(8192, 'y'),
                                    QByteArray(8193, 'z'),
                                    QByteArray("a\0b", 3),
                                    "last"};
    for (const QByteArray &data : sent)
        peer.writeDatagram(data, QHostAddress::LocalHost, listener.boundPort());

    QTRY_COMPARE(seen.size(), 5);
    QCOMPARE(seen, (QList<QByteArray>{"first", QByteArray(), QByteArray(8192, 'y'), QByteArray("a\0b", 3),
                                      "last"}));
    QCOMPARE(senderText, QString("127.0.0.1"));
    QCOMPARE(senderPort, peer.localPort());
}

void TestTransport::closingDuringDeliveryStopsCleanly()
{
    Listener listener(0);
    QVERIFY(listener.open());
    int handled = 0;
    listener.setHandler([&](const QByteArray &, const QString &, quint16) {
        ++handled;
        listener.close();  // the handler itself closes the socket mid-batch
    });
    QUdpSocket peer;
    for (int i = 0; i < 10; ++i)
        peer.writeDatagram("x", QHostAddress::LocalHost, listener.boundPort());
    QTRY_COMPARE(handled, 1);
    test::waitForNothingMore();
    QCOMPARE(handled, 1);
    QVERIFY(!listener.isOpen());
}

void TestTransport::serverSendReopensTheListener()
{
    const quint16 port = test::freeUdpPort();
    Listener listener(port);
    test::Receiver board(QHostAddress("127.0.0.1"));
    ServerSend(listener, "127.000.000.001", board.port(), "hello");
    QVERIFY(listener.isOpen());
    listener.close();
    ServerSend(listener, "LOCALHOST", board.port(), "again");
    QVERIFY(listener.isOpen());
    QTRY_COMPARE(board.received.size(), 2);
    QCOMPARE(board.received[0].data(), QByteArray("hello"));
    QCOMPARE(board.received[1].data(), QByteArray("again"));
    QCOMPARE(board.received[1].senderPort(), int(port));
}

void TestTransport::serverSendRaisesWhenThePortIsTaken()
{
    Listener holder(0);
    QVERIFY(holder.open());
    Listener listener(holder.boundPort());
    QVERIFY_THROWS_EXCEPTION(SendError, ServerSend(listener, "127.0.0.1", 9, "x"));
    QVERIFY_THROWS_EXCEPTION(SendError, ServerSend(holder, "", 9, "x"));
}

void TestTransport::serverSendReachesTheZeroPaddedAddress()
{
    Listener listener(0);
    test::Receiver board(QHostAddress("127.0.0.10"));
    ServerSend(listener, "127.000.000.010", board.port(), "to ten");
    QTRY_COMPARE(board.received.size(), 1);
    QCOMPARE(board.received[0].data(), QByteArray("to ten"));
}

void TestTransport::clientSendChecksAndPads()
{
    test::Receiver board(QHostAddress("127.0.0.1"));
    SendingSocket socket;
    const int port = board.port();
    ClientSend(socket, "msi", "127.0.0.1", port);        // 9 characters: nothing
    ClientSend(socket, "msi", "127.000.0.001", port);    // 13 characters: nothing
    ClientSend(socket, "msi", "000.000.000.000", port);  // nothing
    ClientSend(socket, "msi", "127.000.000.001", 0);     // nothing
    ClientSend(socket, "", "127.000.000.001", port);     // nothing
    ClientSend(socket, "vsi", "127.000.000.001", port);
    ClientSend(socket, QByteArray(120, 'q'), "127.000.000.001", port);
    QTRY_COMPARE(board.received.size(), 2);
    test::waitForNothingMore();
    QCOMPARE(board.received.size(), 2);
    QCOMPARE(board.received[0].data(), QByteArray::fromStdString(VsiFrame()));
    QCOMPARE(board.received[1].data(), QByteArray(120, 'q'));
    QVERIFY(!socket.active);
    QCOMPARE(socket.port, quint16(port));
}

QTEST_GUILESS_MAIN(TestTransport)
#include "tst_transport.moc"
