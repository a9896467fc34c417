#pragma once
// Stand-in boards on loopback for a test, each at an address of its own, their logs kept together.

#include "board.h"
#include "loopback.h"
#include "wire.h"

#include <QHostAddress>
#include <QList>
#include <QNetworkDatagram>
#include <QStringList>
#include <QUdpSocket>

#include <memory>
#include <vector>

namespace test {

struct Site
{
    std::vector<std::unique_ptr<velmar::StandInBoard>> boards;
    QList<QHostAddress> addresses;
    QStringList log;

    velmar::StandInBoard &add(velmar::BoardOptions options = {})
    {
        options.address = test::uniqueLoopback();
        auto board = std::make_unique<velmar::StandInBoard>(options);
        board->setLog([this](const QString &line) { log << line; });
        QString error;
        if (!board->start(error))
            qFatal("%s", qPrintable(error));
        addresses << options.address;
        boards.push_back(std::move(board));
        return *boards.back();
    }
    QString at(int i) const { return addresses[i].toString(); }
    // An address in the same /prefix as board i: "127.20.3.1" for 127.20.3.2 and 24 bits.
    QString near(int i, int bits, quint32 host) const
    {
        const quint32 mask = ~0u << (32 - bits);
        return QHostAddress((addresses[i].toIPv4Address() & mask) | host).toString();
    }
};

// Stands at one address and passes every datagram to two boards and their answers back: two boards
// behind one address, as when two new boards are plugged in at once.
class Relay
{
public:
    Relay(const QHostAddress &at, const QList<QHostAddress> &boards) : boards_(boards)
    {
        for (quint16 port : {velmar::wire::WritePort, velmar::wire::BoardPort, velmar::wire::UserPort}) {
            auto socket = std::make_unique<QUdpSocket>();
            if (!socket->bind(at, port))
                qFatal("relay: cannot bind %s:%d", qPrintable(at.toString()), port);
            QUdpSocket *s = socket.get();
            QObject::connect(s, &QUdpSocket::readyRead, [this, s, port] {
                while (s->hasPendingDatagrams()) {
                    const QNetworkDatagram d = s->receiveDatagram();
                    if (boards_.contains(d.senderAddress())) {
                        s->writeDatagram(d.data(), peer_, peerPort_);
                        continue;
                    }
                    peer_ = d.senderAddress();
                    peerPort_ = quint16(d.senderPort());
                    for (const QHostAddress &board : boards_)
                        s->writeDatagram(d.data(), board, port);
                }
            });
            sockets_.push_back(std::move(socket));
        }
    }

private:
    QList<QHostAddress> boards_;
    std::vector<std::unique_ptr<QUdpSocket>> sockets_;
    QHostAddress peer_;
    quint16 peerPort_ = 0;
};

}  // namespace test
