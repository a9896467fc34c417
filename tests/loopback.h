#pragma once
// Plain sockets on loopback that tests use to stand where a board or a peer would.

#include "installation.h"

#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QUdpSocket>

namespace test {

// A port that was free a moment ago.
inline quint16 freeUdpPort()
{
    QUdpSocket probe;
    probe.bind(QHostAddress::AnyIPv4, 0);
    return probe.localPort();
}

// Collects every datagram sent to one address and port.
class Receiver
{
public:
    explicit Receiver(const QHostAddress &address, quint16 port = 0)
    {
        bound = socket.bind(address, port);
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams())
                received << socket.receiveDatagram();
        });
    }
    quint16 port() const { return socket.localPort(); }

    QUdpSocket socket;
    bool bound = false;
    QList<QNetworkDatagram> received;
};

}  // namespace test

#include <QCoreApplication>
#include <QTest>

namespace test {

// Whether the tests run under Wine, whose loopback differs from Windows' and Linux's in one way: a socket
// bound to 127.x.y.z is bound to all of the loopback, so its datagrams leave from 127.0.0.1 and only one
// such socket fits on a port. Tests that need several boards at once are skipped there, saying why.
inline bool underWine()
{
    return velmar::RunsUnderWine();
}

// An address of 127.0.0.0/8 that no other test process uses at the same time. Under Wine, 127.0.0.1,
// where a board's replies come from (the tests there take turns).
inline QHostAddress uniqueLoopback()
{
    if (underWine())
        return QHostAddress(QHostAddress::LocalHost);
    static quint32 next = 0;
    const quint32 pid = static_cast<quint32>(QCoreApplication::applicationPid());
    const quint32 second = 16 + pid % 200;
    const quint32 third = (pid / 200) % 250;
    return QHostAddress((127u << 24) | (second << 16) | (third << 8) | (2 + next++ % 250));
}

}  // namespace test

namespace test {

// The one fixed wait the tests make: for what must NOT come (one more datagram, one more request) there
// is no event to wait for, only a time in which it would have come. Every such wait goes through here.
inline void waitForNothingMore(int ms = 50)
{
    QTest::qWait(ms);
}

}  // namespace test

// For a test that needs several boards on distinct loopback addresses at once: where Wine takes every
// loopback address for one, it is skipped with the reason.
#define SKIP_WHERE_LOOPBACK_IS_ONE()                                                                         \
    if (test::underWine())                                                                                   \
    QSKIP("several boards on distinct loopback addresses at once: under Wine every loopback address is one")
