// A peer that floods, for the test network: from port 8024 of each FROM address in turn, a whole
// configuration reply to TO:PORT every millisecond, each with a MAC of its own, for SECONDS at most.
// Usage: velmar-flood-sender TO PORT SECONDS FROM...

#include "board.h"
#include "frame_bytes.h"
#include "wire.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QUdpSocket>

#include <cstdio>
#include <memory>
#include <vector>

using namespace velmar;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fputs("usage: velmar-flood-sender TO PORT SECONDS FROM...\n", stderr);
        return 2;
    }
    const QHostAddress to(args[1]);
    const auto port = quint16(args[2].toUInt());
    const qint64 lastMs = args[3].toLongLong() * 1000;
    std::vector<std::unique_ptr<QUdpSocket>> sockets;
    std::vector<StoredConfig> replies;
    for (const QString &from : args.mid(4)) {
        auto socket = std::make_unique<QUdpSocket>();
        if (!socket->bind(QHostAddress(from), wire::BoardPort)) {
            std::fprintf(stderr, "cannot bind %s:%d\n", qPrintable(from), wire::BoardPort);
            return 1;
        }
        sockets.push_back(std::move(socket));
        replies.push_back(DefaultStoredConfig(QHostAddress(from)));
    }
    QElapsedTimer clock;
    clock.start();
    for (quint32 sent = 0; clock.elapsed() < lastMs; ++sent) {
        const std::size_t from = sent % sockets.size();
        Mac &mac = replies[from].config.record.mac;
        mac = {0x02, 0xF1, quint8(sent >> 24), quint8(sent >> 16), quint8(sent >> 8), quint8(sent)};
        sockets[from]->writeDatagram(ToByteArray(ConfigReply(replies[from].config)), to, port);
        QThread::usleep(1000);
    }
    return 0;
}
