#pragma once
// Plain sockets on loopback that tests use to stand where a board or a peer would.

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

namespace test {

// An address of 127.0.0.0/8 that no other test process uses at the same time.
inline QHostAddress uniqueLoopback()
{
    static quint32 next = 0;
    const quint32 pid = static_cast<quint32>(QCoreApplication::applicationPid());
    const quint32 second = 16 + pid % 200;
    const quint32 third = (pid / 200) % 250;
    return QHostAddress((127u << 24) | (second << 16) | (third << 8) | (2 + next++ % 250));
}

}  // namespace test
