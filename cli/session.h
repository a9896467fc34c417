#pragma once
// Talking to many boards at once from one listening socket: requests go out to every target, replies
// are matched to targets by their sender's address.

#include "codec.h"
#include "config_file.h"
#include "transport.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace velmar {

// A target list: "10.0.0.2" (zero-padded groups allowed), "127.0.0.2-127.0.0.40", "127.0.0.0/24".
// Returns nothing and says why for text that is none of these, or names too many boards.
std::optional<QList<QHostAddress>> ParseTargets(const QStringList &texts, QString &error);

class Session
{
public:
    struct Timing
    {
        int timeoutMs = 500;
        int retries = 2;
    };

    explicit Session(quint16 port) : listener_(port) {}
    // Tests: where the sends go instead of the sockets.
    void setSender(PlanSender *sender) { sender_ = sender ? sender : &sockets_; }
    bool open() { return listener_.open(); }
    quint16 port() const { return listener_.port(); }

    // Reads every target; a target that does not answer with a whole configuration is missing.
    QHash<quint32, StoredConfig> read(const QList<QHostAddress> &targets, char selector, Timing timing);
    // Sends the write to every port a board takes it on, as the window does. Throws SendError.
    void write(const QHostAddress &target, const ConfigWriteValues &values);
    // Sends the pre-reboot frames and the reboot request to every target, and collects the
    // acknowledgements that arrive within the time-out.
    QSet<quint32> reboot(const QList<QHostAddress> &targets, int timeoutMs);

    // Takes in and drops whatever arrives for a moment: late copies of earlier answers.
    void settle(int ms);

private:
    using Accept = std::function<bool(const ConfigReplyFields &, qsizetype length)>;
    void send(const QList<QHostAddress> &targets, const SendPlan &plan);
    // Carries the plan out to the targets, a few dozen at a time so that their answers never overflow
    // the socket, and again to those that stay silent. Returns the first answer `accept` takes from each.
    QHash<quint32, QByteArray> exchange(const QList<QHostAddress> &targets, const SendPlan &plan,
                                        const Accept &accept, Timing timing);

    Listener listener_;
    SendingSocket client_;
    SocketSender sockets_{listener_, client_};
    PlanSender *sender_ = &sockets_;
};

}  // namespace velmar
