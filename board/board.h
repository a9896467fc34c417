#pragma once
// A stand-in for a lift controller board: answers reads, writes and reboots on its own address the way
// a board in the field does, keeps its stored configuration in a file, and can misbehave on request.

#include "codec.h"
#include "config_file.h"

#include <QDateTime>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

class QUdpSocket;

namespace velmar {

// Ways to misbehave, for tests and training.
struct BoardFaults
{
    int replyDelayMs = 0;
    int dropPercent = 0;          // share of replies not sent, 0..100
    QSet<quint16> answerPorts;    // answer only on these ports; empty means every port
    int truncateTo = -1;          // cut replies to this many bytes; -1 keeps them whole
    bool withOtv = false;         // replies carry "otv"
    bool filterByte = false;      // replies carry 4 at offset 10
    bool withoutVersion = false;  // replies lack "VER"
    bool ignoreWrites = false;    // writes are answered but not kept
    bool partialWrites = false;   // a write keeps its lift address and MAC, nothing else
    std::optional<Mac> twin;      // a second board with this MAC answers beside it, at its address
};

// The state of a board first started on this address.
StoredConfig DefaultStoredConfig(const QHostAddress &address);

struct BoardOptions
{
    QHostAddress address{QStringLiteral("127.0.0.2")};
    QString statePath;  // empty: the board forgets its writes when it stops
    int rebootMs = 1500;
    // A board in the field also listens on 6767. On the configurator's own machine that would keep the
    // configurator from listening there, so a stand-in board takes 6767 only when asked.
    bool bindListenPort = false;
    // As a board on a real network: its ports on every address of the machine (or network namespace) it
    // runs in, so that it hears broadcasts, and its answers leave from the address of the interface the
    // system sends them through. Its lift address is then the interface's business: it does not move.
    bool listenAll = false;
    std::optional<Mac> mac;  // instead of the one made from its address
    BoardFaults faults;
    quint32 seed = 1;
    // Where a copy of every reply goes as well (say `velmarctl watch`); a null address sends none.
    QHostAddress reportTo;
    quint16 reportPort = 0;
};

class StandInBoard : public QObject
{
    Q_OBJECT
public:
    using Log = std::function<void(const QString &line)>;

    explicit StandInBoard(BoardOptions options, QObject *parent = nullptr);
    ~StandInBoard() override;

    // Loads or creates the state file and binds 8023, 8024 and 8026 (and 6767 when asked and free).
    bool start(QString &error);
    void setLog(Log log) { log_ = std::move(log); }

    const StoredConfig &stored() const { return stored_; }
    const BoardConfig &working() const { return working_; }
    QList<quint16> ports() const;
    // Where it answers now: its first address, or the lift address it came up with after a reboot.
    QHostAddress address() const { return options_.address; }
    bool rebooting() const { return rebooting_; }
    // The pre-reboot frames it keeps the time of: the last four at most, as a reboot looks at no more.
    qsizetype preRebootFramesKept() const { return preReboot_.size(); }

private:
    // Moves the board's ports to `address`; where they cannot be bound there, they stay where they were.
    bool bindTo(const QHostAddress &address, QString &error);
    bool bindPorts(const QHostAddress &address, QString &error);
    void moveToStoredAddress();
    void receive(QUdpSocket *socket);
    void handle(QUdpSocket *socket, const QByteArray &datagram, const QHostAddress &peer, quint16 peerPort);
    void reply(QUdpSocket *socket, const BoardConfig &config, const QString &kind, const QHostAddress &peer,
               quint16 peerPort);
    void answer(QUdpSocket *socket, Bytes frame, const QString &kind, const QHostAddress &peer,
                quint16 peerPort);
    void note(quint16 port, const QHostAddress &peer, quint16 peerPort, const QString &what);

    BoardOptions options_;
    StoredConfig stored_;
    BoardConfig working_;
    QList<QUdpSocket *> sockets_;
    QList<QDateTime> preReboot_;  // the last PreRebootFrames within PreRebootWindowMs
    bool rebooting_ = false;
    Log log_;
    quint32 random_;
};

}  // namespace velmar
