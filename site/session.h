#pragma once
// Talking to many boards at once from one listening socket: requests go out to every target, replies
// are matched to targets by their sender's address.

#include "cancel.h"
#include "codec.h"
#include "config_file.h"
#include "local_network.h"
#include "sink.h"
#include "transport.h"

#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>

namespace velmar {

// A target list: "10.0.0.2" (zero-padded groups allowed), "127.0.0.2-127.0.0.40", "127.0.0.0/24".
// Returns nothing and says why for text that is none of these, or names too many boards.
std::optional<QList<QHostAddress>> ParseTargets(const QStringList &texts, QString &error);

// "two boards (MACs 00:1E:7F:00:00:05 and 00:1E:7F:00:00:06) answer at 10.0.0.2 — connect one at a time"
QString TwoBoardsText(const QStringList &macs, const QHostAddress &at);

// A reply that carries a whole configuration.
bool IsWholeConfig(const ConfigReplyFields &reply, qsizetype length);

class Session
{
public:
    struct Timing
    {
        int timeoutMs = 500;
        int retries = 2;
    };
    // One target's end: the answer taken, or none; `unusable` when it answered only with datagrams the
    // operation could not use, `unreachable` when this computer has no route to it.
    struct Outcome
    {
        QHostAddress target;
        std::optional<QByteArray> answer;
        bool unusable = false;
        QString why;  // what the unusable answer was
        bool unreachable = false;
    };
    struct BoardRead
    {
        QHostAddress target;
        std::optional<StoredConfig> config;
        bool unusable = false;
        QString why;  // what the unusable answer was
        bool unreachable = false;
    };
    // A board that answered a broadcast: from where, on which interface (0 where unknown), and what.
    struct Sighting
    {
        QHostAddress from;
        int interfaceIndex = 0;
        StoredConfig config;
    };

    // A discovery takes at most MostBoards boards, and at most MostMacsAtOneAddress MACs answering from
    // one address; it ends at most DiscoveryLimitTimeouts time-outs after it began (or a time-out after
    // its last request, where that is later), whatever keeps answering.
    static constexpr int MostBoards = 1000;
    static constexpr int MostMacsAtOneAddress = 16;
    static constexpr int DiscoveryLimitTimeouts = 4;
    // More datagrams than this from one address within one operation flood it (for every FloodPeriodMs
    // the operation lasts): a board answers a few.
    static constexpr int FloodDatagrams = 1000;
    static constexpr int FloodPeriodMs = 2000;
    // A session names this many floods; more are counted.
    static constexpr int MostFloodsNamed = 8;

    explicit Session(quint16 port) : listener_(port) {}
    bool open() { return listener_.open(); }
    quint16 port() const { return listener_.port(); }
    // Tests: where the sends go instead of the sockets.
    void setSender(SendPlanSender *sender) { sender_ = sender ? sender : &sockets_; }
    // Told how far a read of many targets is, and, one English line each, what the operator should know of
    // the wire beyond the answers: a peer that floods (named once a session), a discovery that reached its
    // limits. Nowhere when null.
    void setSink(Sink *sink) { sink_ = sink ? sink : &noSink_; }
    // Every wait of the session ends at its next tick once `cancel` is cancelled, keeping what it has.
    void setCancel(CancelToken cancel) { cancel_ = std::move(cancel); }
    bool cancelled() const { return cancel_.cancelled(); }
    // The session's own sockets, which a test's sender may pass sends on to.
    SendPlanSender &sockets() { return sockets_; }

    // Reads every target; a target that does not answer with a whole configuration is missing. Each
    // target's end is told to `onRead` as it comes. Answers that keep coming for a short while after
    // the last target's end are looked at too: a target answered with two MACs has two boards behind
    // its address (see twoBoards()).
    // With `check`, the two-boards check rides along: the same request goes to each of these broadcast
    // addresses before the first target is asked, and the boards' answers to it are taken in the same
    // wait (see checkedBy()), which lasts, beyond the read, until they have stopped as a discover() with
    // Ending::WhenAnswersStop waits for them.
    QHash<quint32, StoredConfig> read(const QList<QHostAddress> &targets, char selector, Timing timing,
                                      const std::function<void(const BoardRead &)> &onRead = {},
                                      const QList<Broadcast> &check = {});
    // What the broadcast of the last operation's check found, where that operation was a read whose
    // check asked every one of `broadcasts`; nothing otherwise.
    std::optional<QList<Sighting>> checkedBy(const QList<Broadcast> &broadcasts) const;
    // The targets of the last read() that answered with more than one MAC, with those MACs.
    const QHash<quint32, QStringList> &twoBoards() const { return twoBoards_; }
    // The MAC each target of the last read() answered with first, and which configuration it asked for:
    // a unicast reaches one board of two, and the two-boards check holds it against what a broadcast
    // asking for the same finds.
    const QHash<quint32, QString> &readMacs() const { return readMacs_; }
    char readSelector() const { return readSelector_; }
    // "two boards (MACs 00:1E:7F:00:00:05 and 00:1E:7F:00:00:06) answer at 10.0.0.2 — connect one at a
    // time", or empty.
    QString twoBoardsAt(const QHostAddress &target) const;
    // Asks again and again, within the time-out and its retries, until an answer is `wanted`; the last
    // answer otherwise. Answers that disagree (late copies of earlier ones, say) do not end it.
    std::optional<StoredConfig> readUntil(const QHostAddress &target, char selector,
                                          const std::function<bool(const StoredConfig &)> &wanted,
                                          Timing timing);
    // As readUntil(), for a board that is coming up (after a reboot, or a new one plugged in): asked
    // every LookoutAskMs, by unicast and by each of `broadcasts` (BroadcastsFor() the target; none for a
    // board on loopback). A board answers a broadcast from its own address, so it is found even where
    // this computer's address resolution still names another board's MAC for the target.
    static constexpr int LookoutAskMs = 100;
    std::optional<StoredConfig> lookFor(const QHostAddress &target, char selector,
                                        const QList<Broadcast> &broadcasts,
                                        const std::function<bool(const StoredConfig &)> &wanted,
                                        Timing timing);
    // When a discovery ends once boards have answered: a time-out after the last new board (every board
    // that hears it is wanted), or as soon as answers stop coming (a check of who claims an address; see
    // discover()).
    enum class Ending { TimeoutAfterLast, WhenAnswersStop };
    // Sends a read request to each broadcast address, `rounds` times a few dozen milliseconds apart,
    // and takes every whole configuration that comes back from any board, once per sender and MAC,
    // within the limits above. Ends a time-out after the last request or the last new board, whichever
    // is later (with Ending::WhenAnswersStop, once answers have stopped for a quiet time made from the
    // first answer's delay; a time-out only when nobody answers), and at the latest at its limit; on
    // cancel; or as soon as `enough` (when given) says so. Broadcast addresses the system refuses are
    // skipped and named in `refused`.
    QList<Sighting> discover(const QList<Broadcast> &broadcasts, char selector, Timing timing, int rounds,
                             const std::function<void(const Sighting &)> &onSighting = {},
                             QStringList *refused = nullptr,
                             const std::function<bool(const QList<Sighting> &)> &enough = {},
                             Ending ending = Ending::TimeoutAfterLast);
    // Sends the write to every port a board takes it on, as the window does. Throws SendError.
    void write(const QHostAddress &target, const ConfigWriteValues &values);
    // Sends the pre-reboot frames and the reboot request to every target, and collects the
    // acknowledgements that arrive within the time-out.
    QSet<quint32> reboot(const QList<QHostAddress> &targets, int timeoutMs,
                         const std::function<void(const Outcome &)> &onAck = {});

    // Takes in and drops whatever arrives for a moment: late copies of earlier answers.
    void settle(int ms);
    // The same, less the time nothing has arrived before it: a check that waited for answers to stop has
    // heard them stop already.
    void settleQuiet(int ms);
    // The targets of the last read() that gave no answer within its time-out and retries, and answered
    // with a whole configuration afterwards (while the read lingered, or in a settle() since).
    const QSet<quint32> &answeredLate() const { return answeredLate_; }
    // Hands every datagram that arrives to `onDatagram` until it returns false or the session is cancelled,
    // and none after that, however many arrived together; one longer than any board sends is told to
    // `onOversize` by its length.
    void watch(const std::function<bool(const QByteArray &, const QString &, quint16)> &onDatagram,
               const Listener::OversizeHandler &onOversize = {});

private:
    class Exchange;
    class Check;
    using Accept = std::function<bool(const ConfigReplyFields &, qsizetype length)>;
    using OnOutcome = std::function<void(const Outcome &)>;
    using OnOther = std::function<void(const QByteArray &, quint32 from, quint16 port)>;
    void send(const QList<QHostAddress> &targets, const SendPlan &plan);
    // Sends the plan's frames to each broadcast address, through its interface; the index of each the
    // system refuses goes to `onRefused`.
    void broadcast(const QList<Broadcast> &broadcasts, const SendPlan &plan,
                   const std::function<void(qsizetype, const SendError &)> &onRefused = {});
    // readUntil() and lookFor(): asks every `everyMs`.
    std::optional<StoredConfig> askUntil(const QHostAddress &target, char selector,
                                         const QList<Broadcast> &broadcasts, int everyMs,
                                         const std::function<bool(const StoredConfig &)> &wanted,
                                         Timing timing);
    // Sets the listener's handler, counting what each sender sends first (see nameFloods()).
    void listen(const Listener::Handler &handler);
    // Starts counting afresh for an operation.
    void beginTally();
    // Ends the operation's count: tells the sink of each sender that flooded, once a session.
    void nameFloods();
    // Carries the plan out to every target, in paced bursts, and again to those that stay silent.
    // Only answers from a board's own ports count; each target's end goes to `onOutcome`.
    // Datagrams from targets already ended (or from elsewhere) go to `onOther`. Returns the slowest
    // answer's time in milliseconds, from a board's last ask.
    qint64 exchange(const QList<QHostAddress> &targets, const SendPlan &plan, const Accept &accept,
                    Timing timing, const OnOutcome &onOutcome, const OnOther &onOther = {});
    // After a read's exchange: until answers have stopped for as long as the slowest took (see read()),
    // and, with a check, until the check is done too. Every datagram goes to `onOther`.
    void linger(qint64 slowestAnswerMs, Timing timing, Check *check, const OnOther &onOther);
    // Sends the read's request to each broadcast address; the system's refusals go to `waiting` (a full
    // queue: to be sent again) or `refused` (said once each). Whether any went out.
    bool askBroadcasts(const QList<Broadcast> &to, const SendPlan &plan, QList<Broadcast> &waiting,
                       QList<Broadcast> &refusedOnce, QStringList *refused);
    // What a discovery that stopped at its limits tells the sink.
    void tellLimits(bool tooMany, const QList<Broadcast> &waiting, bool cutShort, qint64 limitMs);

    Listener listener_;
    SendingSocket client_;
    SocketSender sockets_{listener_, client_};
    SendPlanSender *sender_ = &sockets_;
    Sink noSink_;
    Sink *sink_ = &noSink_;
    CancelToken cancel_;
    // Whether a datagram is a late whole configuration from a target of the last read that stayed silent.
    void noteLate(const QByteArray &data, quint32 from, quint16 port);

    // What each sender sent within the operation under way: its datagrams, and the MACs of its whole
    // configurations (MostMacsAtOneAddress + 1 at most), for a bounded number of senders.
    struct Tally
    {
        qint64 datagrams = 0;
        QSet<QString> macs;
    };
    QHash<QString, Tally> tally_;
    QElapsedTimer tallyClock_;
    // When the session last took in a datagram (see settleQuiet()).
    QElapsedTimer heard_;
    // Hears every datagram before the operation's handler (a read's check).
    Listener::Handler overhear_;
    QSet<QString> floodsNamed_;

    QHash<quint32, QStringList> twoBoards_;
    QHash<quint32, QString> readMacs_;
    char readSelector_ = SelectorWorking;
    QSet<quint32> silent_, answeredLate_;  // of the last read
    // The last read's check: what it asked, and what answered.
    QList<Broadcast> checkAsked_;
    std::optional<QList<Sighting>> checked_;
};

}  // namespace velmar
