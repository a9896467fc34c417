#pragma once
// The configurator's two UDP sockets and their send routines.

#include "plan.h"
#include "wire.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <stdexcept>

class QUdpSocket;

namespace velmar {

// A send that could not be made: the listening socket cannot be opened, the host cannot be
// resolved, or the system refused the datagram; `unreachable` when it has no route to that network.
class SendError : public std::runtime_error
{
public:
    explicit SendError(const std::string &what, bool noRoute = false, bool queueFull = false)
        : std::runtime_error(what), unreachable(noRoute), full(queueFull)
    {
    }
    bool unreachable;
    bool full;  // the system's queue for the socket is full: the same send has room a moment later
};

// Four dot-separated decimal groups 0..255, leading zeros allowed and never octal:
// "010.000.000.002" is 10.0.0.2. Nothing for any other text.
std::optional<QHostAddress> ParseDottedAddress(const QString &text);
// Dotted text as above, "LOCALHOST" in any case, or a host name to look up (IPv4 only).
// Throws SendError when nothing usable comes of it.
QHostAddress ResolveHost(const QString &host);
// The zero-padded form of an address: 10.0.0.2 -> "010.000.000.002".
QString PaddedDottedText(const QHostAddress &address);

// The listening socket: one port on every local IPv4 address, broadcast permitted, bound exclusively
// so that a second program cannot share the port. Each datagram of at most 8192 bytes reaches the
// handler on this object's thread, one at a time and in arrival order; a longer one is dropped.
class Listener : public QObject
{
    Q_OBJECT
public:
    using Handler =
        std::function<void(const QByteArray &datagram, const QString &senderAddress, quint16 senderPort)>;

    explicit Listener(quint16 port, QObject *parent = nullptr);
    ~Listener() override;

    // The handler keeps its own errors: it runs in a slot, and one that throws ends only its datagram.
    void setHandler(Handler handler) { handler_ = std::move(handler); }
    // Told of each datagram dropped for being longer than any the handler takes (its length instead of
    // its bytes): a tool that shows the traffic says so.
    using OversizeHandler =
        std::function<void(qsizetype length, const QString &senderAddress, quint16 senderPort)>;
    void setOversizeHandler(OversizeHandler oversize) { oversize_ = std::move(oversize); }
    // Called once after each pass that delivered datagrams, before the event loop goes on.
    void setPassDone(std::function<void()> passDone) { passDone_ = std::move(passDone); }
    // How long to sleep after a pass that left datagrams queued before reading on (0, the default: at
    // once). A window's thread also takes the operator's input: during a flood it must not be a busy
    // thread that the scheduler makes keys wait behind.
    void setRestAfterFullPass(int ms) { restMs_ = ms; }
    quint16 port() const { return port_; }
    // Within a handler: the index of the interface its datagram came in on (0 where unknown).
    int deliveredOn() const { return deliveredOn_; }
    // The port actually bound (differs from port() only when port() is 0).
    quint16 boundPort() const;

    bool open();
    void close();
    bool isOpen() const;

    // Sends from the bound socket; through the interface of that index where it is not 0 (a broadcast
    // to 255.255.255.255 then leaves through that interface, whatever the routes say). Throws SendError.
    void send(const QHostAddress &address, quint16 port, const QByteArray &data, int interfaceIndex = 0);

private:
    void drain();

    quint16 port_;
    QUdpSocket *socket_ = nullptr;
    Handler handler_;
    OversizeHandler oversize_;
    std::function<void()> passDone_;
    bool delivering_ = false;
    int restMs_ = 0;
    bool resting_ = false;  // between a pass that found more than it could take and the next
    int deliveredOn_ = 0;
    QHostAddress lastSender_;
    QString lastSenderText_;
};

// Sends data unchanged as one datagram from the listening socket, opening the socket again first when
// it is closed. Throws SendError.
void ServerSend(Listener &listener, const QString &host, int port, const QByteArray &data);

// The sending socket. It only remembers where it points; each send uses a short-lived socket with an
// ephemeral source port, so a reply to it is never received.
class SendingSocket
{
public:
    QString host = QStringLiteral("1");
    quint16 port = wire::BoardPort;
    bool active = true;

    // Close, point at host:port, open again.
    void aim(const QString &newHost, quint16 newPort);
    void close() { active = false; }
};

// Sends data padded to 100 bytes with counter digits, from an ephemeral port. Sends nothing unless the
// host is a 15-character text other than "000.000.000.000", the port is not 0 and the data is not
// empty. Never reports: a failed send is dropped. Leaves the sending socket closed.
void ClientSend(SendingSocket &socket, const QByteArray &data, const QString &host, int port);

// Carries plans out over the two sockets: ServerSend from the listener, ClientSend from the sending
// socket; a pause blocks the thread, so nothing is received in the middle of an operation.
class SocketSender : public SendPlanSender
{
public:
    SocketSender(Listener &listener, SendingSocket &client) : listener_(listener), client_(client) {}
    void send(const std::string &host, const PlannedSend &send) override;
    void pause(int ms) override;

private:
    Listener &listener_;
    SendingSocket &client_;
};

}  // namespace velmar
