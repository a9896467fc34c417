#include "transport.h"

#include "codec.h"
#include "socket_error.h"
#include "wire.h"

#include <QElapsedTimer>
#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkProxy>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QUdpSocket>
#include <QVariant>

#include <exception>

namespace velmar {

namespace {

// How long one pass over the queue may take before the event loop gets its turn again (input,
// painting), and how many datagrams it may take at most.
constexpr qint64 PassBudgetNs = 500'000;
constexpr int PassMost = 4096;

}  // namespace

std::optional<QHostAddress> ParseDottedAddress(const QString &text)
{
    const QStringList groups = text.split(QLatin1Char('.'));
    if (groups.size() != 4)
        return std::nullopt;
    quint32 value = 0;
    for (const QString &group : groups) {
        if (group.isEmpty() || group.size() > 3)
            return std::nullopt;
        for (QChar ch : group)
            if (ch < QLatin1Char('0') || ch > QLatin1Char('9'))
                return std::nullopt;
        const uint octet = group.toUInt();
        if (octet > 255)
            return std::nullopt;
        value = value << 8 | octet;
    }
    return QHostAddress(value);
}

QHostAddress ResolveHost(const QString &host)
{
    if (auto dotted = ParseDottedAddress(host))
        return *dotted;
    if (host.compare(QLatin1String("LOCALHOST"), Qt::CaseInsensitive) == 0)
        return QHostAddress(QHostAddress::LocalHost);
    if (host.trimmed().isEmpty())
        throw SendError("empty host");
    const QHostInfo info = QHostInfo::fromName(host);
    for (const QHostAddress &address : info.addresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol)
            return address;
    throw SendError("cannot resolve " + host.toStdString());
}

QString PaddedDottedText(const QHostAddress &address)
{
    const quint32 value = address.toIPv4Address();
    QStringList groups;
    for (int shift = 24; shift >= 0; shift -= 8)
        groups << QStringLiteral("%1").arg((value >> shift) & 0xFF, 3, 10, QLatin1Char('0'));
    return groups.join(QLatin1Char('.'));
}

// ---- Listener -----------------------------------------------------------------------------------

Listener::Listener(quint16 port, QObject *parent) : QObject(parent), port_(port) {}

Listener::~Listener()
{
    close();
}

quint16 Listener::boundPort() const
{
    return isOpen() ? socket_->localPort() : 0;
}

bool Listener::isOpen() const
{
    return socket_ && socket_->state() == QAbstractSocket::BoundState;
}

bool Listener::open()
{
    if (isOpen())
        return true;
    auto *socket = new QUdpSocket(this);
    // Boards are on the local network: no proxy, and no look at the system's proxy settings (which on
    // a desktop can keep the program waiting at start).
    socket->setProxy(QNetworkProxy::NoProxy);
    if (!socket->bind(QHostAddress::AnyIPv4, port_, QAbstractSocket::DontShareAddress)) {
        delete socket;
        return false;
    }
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, QVariant(1 << 20));
    // Requests to a whole range wait in the system's queue while the segment resolves their addresses:
    // as much room as the system gives (it may give less).
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, QVariant(1 << 22));
    connect(socket, &QUdpSocket::readyRead, this, &Listener::drain);
    socket_ = socket;
    return true;
}

void Listener::close()
{
    if (!socket_)
        return;
    // Nothing waits on another thread: a delivery in progress sees the socket gone and stops.
    socket_->disconnect(this);
    socket_->close();
    socket_->deleteLater();
    socket_ = nullptr;
}

// Reads until the queue is empty, one system call a datagram, and ends with the read that finds it
// empty. That last read matters: a socket that has announced data which nobody then read (another
// reader emptied the queue in the same pass of the event loop, as GLib's loop allows) keeps
// announcing nothing until it is read once more, and datagrams would wait unread.
void Listener::drain()
{
    // A handler that runs a nested event loop (a message box) must not see a second datagram before
    // it has returned; the outer pass reads on.
    if (delivering_ || resting_)
        return;
    int delivered = 0;
    bool more = false;
    QElapsedTimer pass;
    pass.start();
    for (int handled = 0; isOpen(); ++handled) {
        // The clock is read every 16 datagrams: a pass runs over its budget a little at most.
        if (handled == PassMost || (handled % 16 == 15 && pass.nsecsElapsed() > PassBudgetNs)) {
            more = true;
            break;
        }
        // Room for the largest UDP datagram there is, so that every datagram arrives whole and a longer
        // one than we take is told by its length and dropped. (Asked for less, systems differ: Linux
        // cuts the datagram silently, Windows reports an error that Qt passes on as a cut datagram.)
        const QNetworkDatagram datagram = socket_->receiveDatagram(qint64(wire::LargestDatagram));
        if (!datagram.isValid())
            break;  // the queue is empty
        if (datagram.data().size() > qsizetype(wire::ReceiveBufferSize)) {
            if (oversize_)
                oversize_(datagram.data().size(), datagram.senderAddress().toString(),
                          static_cast<quint16>(datagram.senderPort()));
            continue;
        }
        if (!handler_)
            continue;
        // A flood comes from few senders: each one's text is made once.
        if (datagram.senderAddress() != lastSender_) {
            lastSender_ = datagram.senderAddress();
            lastSenderText_ = lastSender_.toString();
        }
        delivering_ = true;
        deliveredOn_ = datagram.interfaceIndex() > 0 ? int(datagram.interfaceIndex()) : 0;
        ++delivered;
        // This runs in a slot, through which no exception may pass: a handler keeps its own errors, and
        // one that escapes all the same is told here and ends only this datagram.
        try {
            handler_(datagram.data(), lastSenderText_, static_cast<quint16>(datagram.senderPort()));
        } catch (const std::exception &error) {
            qWarning("a datagram's handler failed: %s", error.what());
        } catch (...) {
            qWarning("a datagram's handler failed");
        }
        delivering_ = false;
    }
    // After a full pass, the rest comes with the socket's next announcement, once other events (input,
    // painting) had their turn.
    if (delivered && passDone_)
        passDone_();
    if (more && restMs_ > 0) {
        resting_ = true;
        QTimer::singleShot(restMs_, Qt::PreciseTimer, this, [this] {
            resting_ = false;
            drain();
        });
    }
}

void Listener::send(const QHostAddress &address, quint16 port, const QByteArray &data, int interfaceIndex)
{
    if (!isOpen())
        throw SendError("listening socket is closed");
    QNetworkDatagram datagram(data, address, port);
    if (interfaceIndex > 0)
        datagram.setInterfaceIndex(uint(interfaceIndex));
    if (socket_->writeDatagram(datagram) != data.size()) {
        const bool noRoute = LastSendFoundNoRoute(), full = LastSendFoundQueueFull();
        throw SendError(full ? std::string("the send queue is full") : socket_->errorString().toStdString(),
                        noRoute, full);
    }
}

void ServerSend(Listener &listener, const QString &host, int port, const QByteArray &data)
{
    const QHostAddress address = ResolveHost(host);
    if (!listener.isOpen() && !listener.open())
        throw SendError("cannot open port " + std::to_string(listener.port()));
    listener.send(address, static_cast<quint16>(port), data);
}

// ---- Sending socket -----------------------------------------------------------------------------

void SendingSocket::aim(const QString &newHost, quint16 newPort)
{
    close();
    host = newHost;
    port = newPort;
    active = true;
}

void ClientSend(SendingSocket &socket, const QByteArray &data, const QString &host, int port)
{
    if (host.isEmpty() || host == QLatin1String("000.000.000.000") || port == 0 || data.isEmpty() ||
        host.size() != 15)
        return;
    socket.aim(host, static_cast<quint16>(port));
    try {
        const Bytes padded = PadWithCounterDigits(data.toStdString());
        QUdpSocket sender;
        sender.setProxy(QNetworkProxy::NoProxy);
        sender.writeDatagram(padded.data(), static_cast<qint64>(padded.size()), ResolveHost(host),
                             static_cast<quint16>(port));
    } catch (const SendError &) {
        // ClientSend never reports.
    }
    socket.close();
}

void SocketSender::send(const std::string &host, const PlannedSend &send)
{
    const QString text = QString::fromStdString(host);
    const QByteArray data(send.frame.data(), qsizetype(send.frame.size()));
    if (send.socket == FromSocket::Listening)
        ServerSend(listener_, text, send.port, data);
    else
        ClientSend(client_, data, text, send.port);
}

void SocketSender::pause(int ms)
{
    QThread::msleep(static_cast<unsigned long>(ms));
}

}  // namespace velmar
