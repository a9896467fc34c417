#include "board.h"
#include "frame_bytes.h"

#include "config_file.h"
#include "transport.h"
#include "wire.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QSaveFile>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>

#include <cstdio>

namespace velmar {

namespace {

constexpr qsizetype PreRebootFrames = 4;
constexpr qint64 PreRebootWindowMs = 3000;

// Where the "otv" fault puts its tag: in the zero tail of a reply, which no field reads.
constexpr std::size_t OtvFaultOffset = 90;

QString Describe(const QByteArray &datagram)
{
    const std::string_view view = ViewOf(datagram);
    const DatagramKind kind = KindOf(view, ReceivedBy::Board);
    switch (kind) {
    case DatagramKind::ReadRequest:
        return QStringLiteral("ReadRequest '%1'").arg(QChar(*ParseReadRequest(view)));
    case DatagramKind::ConfigWrite: {
        const ConfigWriteValues write = *ParseConfigWrite(view);
        return QStringLiteral("ConfigWrite lift %1 mac %2 ident %3 console %4 board %5")
            .arg(IpText(write.record.liftIp), MacText(write.record.mac))
            .arg(write.record.boardIdent)
            .arg(write.record.consoleDynamic ? "dynamic" : "static", write.boardDhcp ? "dhcp" : "static");
    }
    case DatagramKind::RebootRequest: return QStringLiteral("RebootRequest");
    case DatagramKind::MsiFrame: return QStringLiteral("MsiFrame");
    case DatagramKind::VsiFrame: return QStringLiteral("VsiFrame");
    default: break;
    }
    return QStringLiteral("%1 datagram of %2 bytes, ignored")
        .arg(QLatin1String(KindName(kind)))
        .arg(datagram.size());
}

}  // namespace

StoredConfig DefaultStoredConfig(const QHostAddress &address)
{
    const quint32 value = address.toIPv4Address();
    StoredConfig state;
    ConfigRecord &r = state.config.record;
    r.liftIp = Ipv4FromValue(value);
    r.netMask = {255, 0, 0, 0};
    // The first host of its /8 routes, unless the board is that host itself.
    r.routerIp = {r.liftIp[0], 0, 0, std::uint8_t((value & 0xFFFFFFu) == 1 ? 2 : 1)};
    r.mac = MacFromLift({0x00, 0x1E}, r.liftIp);
    r.dispatcherIp = {r.liftIp[0], 0, 0, 1};
    r.boardIdent = static_cast<std::uint16_t>(value & 0xFFFF);
    state.config.versionText = VersionFromText(QStringLiteral("Стенд-плата 1.0"));
    return state;
}

// ---- The board ----------------------------------------------------------------------------------

StandInBoard::StandInBoard(BoardOptions options, QObject *parent)
    : QObject(parent), options_(std::move(options)), random_(options_.seed ? options_.seed : 1)
{
}

StandInBoard::~StandInBoard() = default;

bool StandInBoard::start(QString &error)
{
    stored_ = DefaultStoredConfig(options_.address);
    if (options_.mac)
        stored_.config.record.mac = *options_.mac;
    if (!options_.statePath.isEmpty()) {
        if (QFile::exists(options_.statePath)) {
            if (!ReadConfigFile(options_.statePath, stored_, error)) {
                error += QStringLiteral("; remove it to start afresh");
                return false;
            }
        } else if (!WriteConfigFile(options_.statePath, stored_, error)) {
            return false;
        }
    }
    working_ = stored_.config;
    if (!bindTo(options_.address, error))
        return false;
    moveToStoredAddress();  // a state file remembers where the board moved to
    return true;
}

bool StandInBoard::bindTo(const QHostAddress &address, QString &error)
{
    // The old ports are let go first: where the system takes a socket bound to one loopback address as
    // bound to all of them (Wine does), the new ports could not be had while the old are held.
    const QHostAddress old = options_.address;
    const bool moving = !sockets_.isEmpty();
    qDeleteAll(sockets_);
    sockets_.clear();
    // Ports just let go can take the system a moment to free (Wine's server closes them on its own time).
    constexpr int Tries = 20;
    for (int attempt = 1; attempt <= Tries; ++attempt) {
        if (bindPorts(address, error)) {
            options_.address = address;
            return true;
        }
        if (!moving)
            break;
        QThread::msleep(25);
    }
    if (moving) {
        QString again;
        bindPorts(old, again);
    }
    return false;
}

bool StandInBoard::bindPorts(const QHostAddress &address, QString &error)
{
    for (quint16 port : {wire::WritePort, wire::BoardPort, wire::UserPort, wire::ListenPort}) {
        if (port == wire::ListenPort && !options_.bindListenPort)
            continue;
        auto *socket = new QUdpSocket(this);
        socket->setProxy(QNetworkProxy::NoProxy);  // a board answers on the local network only
        const QHostAddress local = options_.listenAll ? QHostAddress(QHostAddress::AnyIPv4) : address;
        if (!socket->bind(local, port, QAbstractSocket::DontShareAddress)) {
            const QString why = socket->errorString();
            delete socket;
            if (port == wire::ListenPort)
                continue;  // a configurator on this machine holds it: the board does without
            error = QStringLiteral("cannot bind %1:%2: %3").arg(local.toString()).arg(port).arg(why);
            qDeleteAll(sockets_);
            sockets_.clear();
            return false;
        }
        connect(socket, &QUdpSocket::readyRead, this, [this, socket] { receive(socket); });
        sockets_ << socket;
    }
    return true;
}

// A board comes up on the lift address it stored. A stand-in board can follow it only within loopback.
void StandInBoard::moveToStoredAddress()
{
    const QHostAddress stored = HostAddressOf(stored_.config.record.liftIp);
    if (stored == options_.address || options_.listenAll)
        return;
    const QString from = options_.address.toString();
    QString error;
    if (!stored.isLoopback())
        std::fprintf(stderr,
                     "velmar-board %s: stays here: the stored lift address %s is outside 127.0.0.0/8\n",
                     qPrintable(from), qPrintable(stored.toString()));
    else if (!bindTo(stored, error))
        std::fprintf(stderr, "velmar-board %s: stays here: %s\n", qPrintable(from), qPrintable(error));
    else
        std::fprintf(stderr, "velmar-board %s: moved to %s\n", qPrintable(from),
                     qPrintable(stored.toString()));
}

QList<quint16> StandInBoard::ports() const
{
    QList<quint16> ports;
    for (auto *socket : sockets_)
        ports << socket->localPort();
    return ports;
}

void StandInBoard::note(quint16 port, const QHostAddress &peer, quint16 peerPort, const QString &what)
{
    if (log_)
        log_(QStringLiteral("%1 %2:%3 %4:%5 %6")
                 .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")),
                      options_.address.toString())
                 .arg(port)
                 .arg(peer.toString())
                 .arg(peerPort)
                 .arg(what));
}

void StandInBoard::receive(QUdpSocket *socket)
{
    while (socket->hasPendingDatagrams()) {
        const qint64 size = socket->pendingDatagramSize();
        const QNetworkDatagram datagram = socket->receiveDatagram(qMax<qint64>(size, 0));
        handle(socket, datagram.data(), datagram.senderAddress(),
               static_cast<quint16>(datagram.senderPort()));
    }
}

void StandInBoard::handle(QUdpSocket *socket, const QByteArray &datagram, const QHostAddress &peer,
                          quint16 peerPort)
{
    const quint16 port = socket->localPort();
    const QString what = Describe(datagram);
    if (rebooting_) {
        note(port, peer, peerPort, QStringLiteral("<- %1 (rebooting, silent)").arg(what));
        return;
    }
    note(port, peer, peerPort, QStringLiteral("<- ") + what);

    const std::string_view view = ViewOf(datagram);
    if (auto selector = ParseReadRequest(view)) {
        if (*selector == SelectorWorking)
            reply(socket, working_, QStringLiteral("ConfigReply working"), peer, peerPort);
        else if (*selector == SelectorStored)
            reply(socket, stored_.config, QStringLiteral("ConfigReply stored"), peer, peerPort);
        return;
    }
    if (auto write = ParseConfigWrite(view)) {
        if (!options_.faults.ignoreWrites) {
            StoredConfig next = stored_;
            if (options_.faults.partialWrites) {
                next.config.record.liftIp = write->record.liftIp;
                next.config.record.mac = write->record.mac;
            } else {
                next.config.record = write->record;
                next.config.boardDhcp = write->boardDhcp;
                next.rayNumber = write->rayNumber;
            }
            // A board whose memory cannot take the write keeps what it had, and answers with that.
            QString error;
            if (options_.statePath.isEmpty() || WriteConfigFile(options_.statePath, next, error))
                stored_ = next;
            else
                std::fprintf(stderr, "velmar-board %s: write not kept: %s\n",
                             qPrintable(options_.address.toString()), qPrintable(error));
        }
        reply(socket, stored_.config, QStringLiteral("ConfigReply stored"), peer, peerPort);
        return;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // A reboot asks for four pre-reboot frames within the last few seconds: older ones, and any beyond
    // four, are forgotten as they come, so that a flood of them costs nothing.
    auto forgetOld = [this, &now] {
        while (!preReboot_.isEmpty() &&
               (preReboot_.first().msecsTo(now) > PreRebootWindowMs || preReboot_.size() > PreRebootFrames))
            preReboot_.removeFirst();
    };
    if (IsMsiFrame(view) || IsVsiFrame(view)) {
        preReboot_ << now;
        forgetOld();
        return;
    }
    if (IsRebootRequest(view)) {
        forgetOld();
        if (preReboot_.size() < PreRebootFrames)
            note(port, peer, peerPort, QStringLiteral("reboot without the four pre-reboot frames"));
        preReboot_.clear();
        answer(socket, RebootAck(working_), QStringLiteral("RebootAck"), peer, peerPort);
        rebooting_ = true;
        QTimer::singleShot(options_.rebootMs, this, [this, port, peer, peerPort] {
            rebooting_ = false;
            working_ = stored_.config;  // a board comes up with what it stored
            moveToStoredAddress();
            note(port, peer, peerPort, QStringLiteral("up again"));
        });
    }
}

void StandInBoard::reply(QUdpSocket *socket, const BoardConfig &config, const QString &kind,
                         const QHostAddress &peer, quint16 peerPort)
{
    answer(socket, ConfigReply(config), kind, peer, peerPort);
    // Its twin holds what it holds but for the MAC, and answers too: a unicast on loopback reaches both.
    if (options_.faults.twin) {
        BoardConfig twin = config;
        twin.record.mac = *options_.faults.twin;
        answer(socket, ConfigReply(twin), kind + QStringLiteral(" (twin)"), peer, peerPort);
    }
}

void StandInBoard::answer(QUdpSocket *socket, Bytes frame, const QString &kind, const QHostAddress &peer,
                          quint16 peerPort)
{
    const BoardFaults &faults = options_.faults;
    const quint16 port = socket->localPort();
    if (!faults.answerPorts.isEmpty() && !faults.answerPorts.contains(port))
        return;
    random_ = random_ * 1103515245u + 12345u;
    if (faults.dropPercent > 0 && int((random_ >> 16) % 100) < faults.dropPercent) {
        note(port, peer, peerPort, QStringLiteral("-> %1 dropped").arg(kind));
        return;
    }
    if (faults.withoutVersion)
        std::fill(frame.begin() + wire::VersionTagOffset, frame.begin() + wire::AddressingModeOffset, '\0');
    if (faults.filterByte)
        frame[wire::FilterMarkOffset] = char(wire::FilterMark);
    if (faults.withOtv)
        frame.replace(OtvFaultOffset, 3, "otv");
    if (faults.truncateTo >= 0 && static_cast<std::size_t>(faults.truncateTo) < frame.size())
        frame.resize(static_cast<std::size_t>(faults.truncateTo));

    const QByteArray data = ToByteArray(frame);
    auto send = [this, socket, data, kind, peer, peerPort, port] {
        socket->writeDatagram(data, peer, peerPort);
        if (!options_.reportTo.isNull())
            socket->writeDatagram(data, options_.reportTo, options_.reportPort);
        note(port, peer, peerPort, QStringLiteral("-> %1 (%2 bytes)").arg(kind).arg(data.size()));
    };
    if (faults.replyDelayMs > 0)
        QTimer::singleShot(faults.replyDelayMs, socket, send);
    else
        send();
}

}  // namespace velmar
