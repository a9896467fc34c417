#include "session.h"
#include "frame_bytes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScopeGuard>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace velmar {

namespace {

constexpr int MaxTargets = 4096;
// Every target is asked at once, in bursts of this many a tick: a burst's answers (three copies of
// about 100 bytes from each board) fit the socket's queue many times over, and an empty /24 costs one
// time-out and its retries, not one per batch of boards.
// velmar-bench builds velmarctl with other pacings beside this one, to show where answers begin to be
// lost (bench/CMakeLists.txt).
#ifndef VELMAR_ASKED_PER_TICK
#define VELMAR_ASKED_PER_TICK 64
#define VELMAR_TICK_MS 5
#endif
constexpr int AskedPerTick = VELMAR_ASKED_PER_TICK;
constexpr int TickMs = VELMAR_TICK_MS;
// After a read, for the answers still on their way (see read()).
constexpr int LingerMs = 100, ShortestQuietMs = 5;
// Between the rounds of a broadcast read: a lost datagram is asked for again before the time-out runs.
constexpr int RoundGapMs = 50;
// The shortest quiet time of a check that ends when answers stop: the jitter of two boards' answers
// (see QuietFor()).
constexpr int QuietAtLeastMs = 50;
// How long a request may wait for room in the system's queue for the socket before its board counts as
// silent: the queue empties once the segment has given up resolving the silent addresses (three
// seconds, as systems do by default).
constexpr int QueueFullMs = 10000;
// The senders an operation counts the datagrams of, to name a flood: every target of a read, and more.
constexpr int MostSendersCounted = 2 * MaxTargets;

// An answer that is not what was asked, told as the operator can act on it.
QString WhatItWas(const QByteArray &data, const DecodedDatagram &decoded)
{
    if (!decoded.reply) {
        for (const char *marker : {"otv", "vzo", "ort"})
            if (data.contains(marker))
                return QStringLiteral("its reply carries \"%1\", which a configurator ignores")
                    .arg(QLatin1String(marker));
        return QStringLiteral("%1 bytes that are no configuration reply").arg(data.size());
    }
    switch (KindOf(ViewOf(data), ReceivedBy::Configurator)) {
    case DatagramKind::FilteredReply:
        return QStringLiteral("its reply carries 4 at offset 10, which a configurator ignores");
    case DatagramKind::RebootAck: return QStringLiteral("a reboot acknowledgement");
    default: break;
    }
    if (!decoded.reply->versionText && data.size() >= qsizetype(wire::MaxReplyLength))
        return QStringLiteral("a reply of %1 bytes without the version block").arg(data.size());
    return QStringLiteral("a reply of %1 bytes, short of a whole configuration").arg(data.size());
}

// The boards' answers to a broadcast: every whole configuration, once per sender and MAC, within a
// discovery's limits.
class SightingTaker
{
public:
    enum class Taken { Nothing, Again, New };
    Taken take(const QByteArray &data, const QString &sender, quint16 port, int interfaceIndex)
    {
        if (!IsBoardPort(port))
            return Taken::Nothing;
        const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
        if (!decoded.reply || !IsWholeConfig(*decoded.reply, data.size()))
            return Taken::Nothing;  // our own request among them: a broadcast reaches its sender too
        const StoredConfig config = *WholeConfigOf(*decoded.reply, std::size_t(data.size()));
        const QString key = sender + QLatin1Char(' ') + MacText(config.config.record.mac);
        if (seen_.contains(key))
            return Taken::Again;
        if (sightings.size() >= Session::MostBoards) {
            tooMany = true;
            return Taken::Again;
        }
        // More MACs than this from one address are a flood (nameFloods() names it), not boards.
        if (int &taken = macsAt_[sender]; taken < Session::MostMacsAtOneAddress)
            ++taken;
        else
            return Taken::Again;
        seen_.insert(key);
        sightings << Session::Sighting{QHostAddress(sender), interfaceIndex, config};
        return Taken::New;
    }

    QList<Session::Sighting> sightings;
    bool tooMany = false;  // a board past MostBoards answered

private:
    QSet<QString> seen_;          // sender and MAC
    QHash<QString, int> macsAt_;  // sender: how many MACs taken from it
};

// How long answers to a broadcast must have stopped before a check of who claims an address ends: the
// first answer's delay, QuietAtLeastMs at least, a time-out at most. Twins on one segment hear the same
// broadcast at the same moment, and a board takes about as long as another of its kind to answer: the
// second twin's answer comes within the first's delay plus the jitter of the two boards and of the
// segment. Boards of one kind differ in how long they take by a few milliseconds, a segment adds well
// under one, and a datagram that arrives while this computer is busy waits in the socket's queue and is
// taken before the quiet is judged over: 50 ms covers the boards' jitter many times over, also that of
// a board slower than its twin by a few dozen milliseconds (the network test has one 20 ms slower), and
// the quiet starts afresh after every answer.
qint64 QuietFor(qint64 firstAnswerMs, Session::Timing timing)
{
    const qint64 longest = std::max(timing.timeoutMs, 1);
    return std::clamp<qint64>(firstAnswerMs, std::min<qint64>(QuietAtLeastMs, longest), longest);
}

// Ends a loop once answers have stopped for QuietFor() the first one's delay, counted afresh after
// every answer.
class QuietEnd
{
public:
    explicit QuietEnd(QEventLoop &loop)
    {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &loop, [this, &loop] {
            // What came while this computer was busy is taken before the quiet counts as kept.
            heardSince_ = false;
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            if (!heardSince_)
                loop.quit();
        });
    }
    // An answer, `sinceAskedMs` after the first request.
    void heard(qint64 sinceAskedMs, Session::Timing timing)
    {
        if (timer_.interval() == 0)
            timer_.setInterval(int(QuietFor(sinceAskedMs, timing)));
        heardSince_ = true;
        timer_.start();
    }
    bool answered() const { return timer_.interval() > 0; }

private:
    QTimer timer_;
    bool heardSince_ = false;  // an answer came since the timer last ran out
};

}  // namespace

namespace {

struct Span
{
    quint32 first = 0, last = 0;
};

std::optional<Span> RangeSpan(const QString &text, QString &error)
{
    const auto from = ParseDottedAddress(text.section(QLatin1Char('-'), 0, 0));
    const auto to = ParseDottedAddress(text.section(QLatin1Char('-'), 1));
    if (!from || !to || to->toIPv4Address() < from->toIPv4Address()) {
        error = QStringLiteral("\"%1\" is not a range of addresses, lowest first").arg(text);
        return std::nullopt;
    }
    return Span{from->toIPv4Address(), to->toIPv4Address()};
}

std::optional<Span> PrefixSpan(const QString &text, QString &error)
{
    const auto base = ParseDottedAddress(text.section(QLatin1Char('/'), 0, 0));
    bool ok = false;
    const int bits = text.section(QLatin1Char('/'), 1).toInt(&ok);
    if (!base || !ok || bits < 16 || bits > 32) {
        error = QStringLiteral("\"%1\" is not an address with a prefix of 16 to 32 bits").arg(text);
        return std::nullopt;
    }
    const quint32 mask = bits == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> bits);
    Span span{base->toIPv4Address() & mask, (base->toIPv4Address() & mask) | ~mask};
    if (bits <= 30) {  // the network's own address and its broadcast address are no boards
        ++span.first;
        --span.last;
    }
    return span;
}

// The addresses one text names, first to last.
std::optional<Span> SpanOf(const QString &text, QString &error)
{
    if (text.contains(QLatin1Char('-')))
        return RangeSpan(text, error);
    if (text.contains(QLatin1Char('/')))
        return PrefixSpan(text, error);
    const auto address = ParseDottedAddress(text);
    if (!address) {
        error = QStringLiteral("\"%1\" is not an IPv4 address").arg(text);
        return std::nullopt;
    }
    return Span{address->toIPv4Address(), address->toIPv4Address()};
}

}  // namespace

std::optional<QList<QHostAddress>> ParseTargets(const QStringList &texts, QString &error)
{
    QList<QHostAddress> targets;
    QSet<quint32> seen;
    for (const QString &text : texts) {
        const std::optional<Span> span = SpanOf(text, error);
        if (!span)
            return std::nullopt;
        const auto [first, last] = *span;
        if (targets.size() + qint64(last - first) + 1 > MaxTargets) {
            error = QStringLiteral("more than %1 boards named; split the list").arg(MaxTargets);
            return std::nullopt;
        }
        if (first == last && (first == 0 || first == 0xFFFFFFFFu)) {
            error = QStringLiteral("\"%1\" names no board (velmarctl discover asks every board that hears a "
                                   "broadcast)")
                        .arg(text);
            return std::nullopt;
        }
        // A board named twice (in two ranges, say) is asked once.
        for (quint64 a = first; a <= last; ++a)
            if (!seen.contains(quint32(a))) {
                seen.insert(quint32(a));
                targets << QHostAddress(quint32(a));
            }
    }
    if (targets.isEmpty()) {
        error = QStringLiteral("no board named");
        return std::nullopt;
    }
    return targets;
}

void Session::send(const QList<QHostAddress> &targets, const SendPlan &plan)
{
    std::vector<std::string> hosts;
    for (const QHostAddress &target : targets)
        hosts.push_back(PaddedDottedText(target).toStdString());
    CarryOut(plan, hosts, *sender_);
}

// One exchange() under way: every target asked in bursts, answers matched by sender, the silent asked
// again until their retries run out.
class Session::Exchange
{
public:
    Exchange(Session &session, const SendPlan &plan, const Accept &accept, Timing timing,
             const OnOutcome &onOutcome, const OnOther &onOther)
        : session_(session), plan_(plan), accept_(accept), timing_(timing), onOutcome_(onOutcome),
          onOther_(onOther)
    {
    }

    qint64 run(const QList<QHostAddress> &targets)
    {
        for (const QHostAddress &target : targets) {
            const quint32 key = target.toIPv4Address();
            if (!open_.contains(key)) {
                open_.insert(key, Board{target, 0, -1, {}, false, -1});
                toAsk_ << key;
            }
        }
        total_ = open_.size();
        clock_.start();
        session_.listen([this](const QByteArray &data, const QString &sender, quint16 port) {
            take(data, sender, port);
        });
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, &loop_, [this] { onTick(); });
        tick.start(TickMs);
        onTick();
        if (!open_.isEmpty())
            loop_.exec();
        session_.listener_.setHandler({});
        return slowestAnswerMs_;
    }

private:
    struct Board
    {
        QHostAddress address;
        int attempts = 0;
        qint64 sentAt = -1;
        QString why;  // set when it answered, but with nothing `accept` takes: what that answer was
        bool unreachable = false;
        qint64 refusedSince = -1;  // the system's queue was full for its requests since then
    };

    // On a segment, requests to addresses being resolved wait in the system's queue for the socket (and
    // to silent ones, until their resolution fails): a whole range fills it. A request the full queue
    // refuses is no attempt: the board is asked again at the next tick, from where the asking stopped,
    // and its time-out runs from when its request went out. Only a queue full for QueueFullMs makes it
    // silent. Whether the request counts as an attempt.
    bool ask(Board &board)
    {
        try {
            session_.send({board.address}, plan_);
            board.refusedSince = -1;
            board.sentAt = clock_.elapsed();
        } catch (const SendError &error) {
            if (error.full &&
                (board.refusedSince < 0 || clock_.elapsed() - board.refusedSince < QueueFullMs)) {
                if (board.refusedSince < 0)
                    board.refusedSince = clock_.elapsed();
                full_ = true;
                return false;
            }
            board.sentAt = -timing_.timeoutMs - 1;  // counts as silent at once
            board.unreachable = board.unreachable || error.unreachable;
        }
        inFlight_ += board.attempts == 0;
        board.attempts += 1;
        return true;
    }

    void finish(quint32 key, const std::optional<QByteArray> &answer)
    {
        const Board board = open_.take(key);
        inFlight_ -= board.attempts > 0;
        if (answer)
            slowestAnswerMs_ = std::max(slowestAnswerMs_, clock_.elapsed() - board.sentAt);
        ++done_;
        answered_ += answer.has_value();
        if (onOutcome_)
            onOutcome_({board.address, answer, !answer && !board.why.isEmpty(),
                        answer ? QString() : board.why, !answer && board.unreachable});
        session_.sink_->progress({done_, total_, answered_, done_ - answered_});
        if (open_.isEmpty())
            loop_.quit();
    }

    // New targets: a burst each tick, so that their answers never crowd the socket's queue and silent
    // ones cost no more than one time-out together; and, as answers come, more while fewer than a burst
    // wait, so that a site of quick boards is asked as fast as it answers.
    void askMore(qsizetype most)
    {
        for (qsizetype burst = 0; burst < most && asked_ < toAsk_.size() && !full_; ++asked_) {
            auto board = open_.find(toAsk_[asked_]);
            if (board == open_.end() || board->attempts != 0)
                continue;
            if (!ask(*board))
                break;  // asked again from here at the next tick
            ++burst;
        }
    }

    // Only answers from a board's own ports count.
    void take(const QByteArray &data, const QString &sender, quint16 port)
    {
        const quint32 from = QHostAddress(sender).toIPv4Address();
        auto board = open_.find(from);
        if (board == open_.end() && onOther_)
            onOther_(data, from, port);
        if (board == open_.end() || board->attempts == 0 || !IsBoardPort(port))
            return;
        const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
        if (decoded.reply && accept_(*decoded.reply, data.size())) {
            finish(from, data);
            askMore(AskedPerTick - inFlight_);
        } else {
            board->why = WhatItWas(data, decoded);
        }
    }

    void onTick()
    {
        if (session_.cancelled()) {
            loop_.quit();
            return;
        }
        full_ = false;
        askMore(AskedPerTick);
        QList<quint32> silent;
        for (auto it = open_.begin(); it != open_.end(); ++it) {
            if (it->attempts == 0 || clock_.elapsed() - it->sentAt < timing_.timeoutMs)
                continue;
            if (it->attempts > timing_.retries)
                silent << it.key();
            else if (!full_)
                ask(*it);
        }
        for (quint32 key : silent)
            finish(key, std::nullopt);
    }

    Session &session_;
    const SendPlan &plan_;
    const Accept &accept_;
    const Timing timing_;
    const OnOutcome &onOutcome_;
    const OnOther &onOther_;
    QHash<quint32, Board> open_;  // asked or to be asked, not yet done
    QList<quint32> toAsk_;
    qsizetype total_ = 0, asked_ = 0, answered_ = 0, done_ = 0;
    qsizetype inFlight_ = 0;  // asked, not yet ended
    bool full_ = false;       // in this tick
    qint64 slowestAnswerMs_ = 0;
    QElapsedTimer clock_;
    QEventLoop loop_;
};

qint64 Session::exchange(const QList<QHostAddress> &targets, const SendPlan &plan, const Accept &accept,
                         Timing timing, const OnOutcome &onOutcome, const OnOther &onOther)
{
    Exchange exchange(*this, plan, accept, timing, onOutcome, onOther);
    return exchange.run(targets);
}

// The two-boards check of a read: its broadcast's answers, taken while the read runs and lingers.
class Session::Check
{
public:
    Check(Session &session, QList<Broadcast> broadcasts, Timing timing)
        : session_(session), broadcasts_(std::move(broadcasts)), timing_(timing)
    {
    }

    // Asks every broadcast address; a refusal of any leaves the check to a discover() of its own.
    void ask(char selector)
    {
        clock_.start();
        session_.broadcast(broadcasts_, ReadSendPlan(selector),
                           [this](qsizetype, const SendError &) { refused_ = true; });
    }

    void take(const QByteArray &data, const QString &sender, quint16 port)
    {
        if (taker_.take(data, sender, port, session_.listener_.deliveredOn()) ==
            SightingTaker::Taken::Nothing)
            return;
        if (firstAnswerMs_ < 0)
            firstAnswerMs_ = clock_.elapsed();
        lastAnswerMs_ = clock_.elapsed();
    }

    // How long until it is done: once answers have stopped for QuietFor() the first one's delay, a
    // time-out after the broadcast where nobody answers, DiscoveryLimitTimeouts time-outs at the latest.
    qint64 leftMs() const
    {
        if (refused_)
            return 0;  // its discover() waits instead
        const qint64 limit = qint64(DiscoveryLimitTimeouts) * timing_.timeoutMs;
        const qint64 end =
            firstAnswerMs_ < 0 ? timing_.timeoutMs : lastAnswerMs_ + QuietFor(firstAnswerMs_, timing_);
        return std::min(end, limit) - clock_.elapsed();
    }

    // Its sightings to the session, where every broadcast went out.
    void keep()
    {
        if (refused_ || session_.cancelled())
            return;
        const qint64 limit = qint64(DiscoveryLimitTimeouts) * timing_.timeoutMs;
        const bool cutShort =
            firstAnswerMs_ >= 0 && lastAnswerMs_ + QuietFor(firstAnswerMs_, timing_) > limit;
        session_.tellLimits(taker_.tooMany, {}, cutShort, limit);
        session_.checkAsked_ = broadcasts_;
        session_.checked_ = taker_.sightings;
    }

private:
    Session &session_;
    const QList<Broadcast> broadcasts_;
    const Timing timing_;
    SightingTaker taker_;
    QElapsedTimer clock_;
    qint64 firstAnswerMs_ = -1, lastAnswerMs_ = -1;
    bool refused_ = false;
};

QHash<quint32, StoredConfig> Session::read(const QList<QHostAddress> &targets, char selector, Timing timing,
                                           const std::function<void(const BoardRead &)> &onRead,
                                           const QList<Broadcast> &check)
{
    beginTally();
    QHash<quint32, StoredConfig> configs;
    twoBoards_.clear();
    readMacs_.clear();
    readSelector_ = selector;
    silent_.clear();
    answeredLate_.clear();
    checkAsked_.clear();
    checked_.reset();
    auto seen = [&](quint32 target, const StoredConfig &config) {
        const QString mac = MacText(config.config.record.mac);
        const auto known = configs.find(target);
        if (known == configs.end() || MacText(known->config.record.mac) == mac)
            return;
        QStringList &macs = twoBoards_[target];
        if (macs.isEmpty())
            macs << MacText(known->config.record.mac);
        if (!macs.contains(mac) && macs.size() < MostMacsAtOneAddress)
            macs << mac;
    };
    // Each board answers every copy of the request (one per port): the other copies, and another
    // board's answers, arrive within moments of the first, also after the read has ended.
    auto other = [&](const QByteArray &data, quint32 from, quint16 port) {
        const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
        if (IsBoardPort(port) && decoded.reply && IsWholeConfig(*decoded.reply, data.size()))
            seen(from, *WholeConfigOf(*decoded.reply, std::size_t(data.size())));
        noteLate(data, from, port);
    };
    // The check's broadcast goes out first: its answers come while the targets are asked, and a target
    // the address resolution leads astray is read by its answer to it.
    std::optional<Check> twins;
    // The check's handler refers to this frame: it is gone with it, however the read ends.
    const auto forgetTwins = qScopeGuard([this] { overhear_ = {}; });
    if (!check.isEmpty()) {
        twins.emplace(*this, check, timing);
        twins->ask(selector);
        overhear_ = [&](const QByteArray &data, const QString &sender, quint16 port) {
            twins->take(data, sender, port);
        };
    }
    const qint64 slowestAnswerMs = exchange(
        targets, ReadSendPlan(selector), &IsWholeConfig, timing,
        [&](const Outcome &outcome) {
            BoardRead read{outcome.target, std::nullopt, outcome.unusable, outcome.why, outcome.unreachable};
            if (!outcome.answer && !outcome.unusable && !outcome.unreachable)
                silent_.insert(outcome.target.toIPv4Address());
            if (outcome.answer) {
                read.config = *WholeConfigOf(*DecodeDatagram(ViewOf(*outcome.answer)).reply,
                                             std::size_t(outcome.answer->size()));
                configs.insert(outcome.target.toIPv4Address(), *read.config);
                readMacs_.insert(outcome.target.toIPv4Address(), MacText(read.config->config.record.mac));
            }
            if (onRead)
                onRead(read);
        },
        other);
    linger(slowestAnswerMs, timing, twins ? &*twins : nullptr, other);
    overhear_ = {};
    if (twins)
        twins->keep();
    nameFloods();
    return configs;
}

void Session::linger(qint64 slowestAnswerMs, Timing timing, Check *check, const OnOther &onOther)
{
    // The read lingers while answers keep coming: until none has come for as long as the slowest answer
    // took (a few milliseconds at least), LingerMs at most.
    const qint64 quietMs = std::clamp<qint64>(slowestAnswerMs, ShortestQuietMs, LingerMs);
    const qint64 mostMs = std::min(timing.timeoutMs, LingerMs);
    QElapsedTimer clock;
    clock.start();
    qint64 lastMs = 0;
    QEventLoop loop;
    QTimer next;
    next.setSingleShot(true);
    next.setTimerType(Qt::PreciseTimer);
    auto leftMs = [&] {
        const qint64 own = std::min(lastMs + quietMs, mostMs) - clock.elapsed();
        return std::max(own, check ? check->leftMs() : 0);
    };
    bool lookedAgain = false;
    auto rearm = [&] {
        if (cancelled()) {
            loop.quit();
        } else if (const qint64 left = leftMs(); left > 0) {
            next.start(int(std::min<qint64>(left, TickMs)));
        } else if (!lookedAgain) {
            // What came while this computer was busy is taken before the quiet counts as kept.
            lookedAgain = true;
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            next.start(0);
        } else {
            loop.quit();
        }
    };
    QObject::connect(&next, &QTimer::timeout, &loop, rearm);
    listen([&](const QByteArray &data, const QString &sender, quint16 port) {
        onOther(data, QHostAddress(sender).toIPv4Address(), port);
        lastMs = clock.elapsed();
        lookedAgain = false;
    });
    rearm();
    if (next.isActive())
        loop.exec();
    listener_.setHandler({});
}

std::optional<QList<Session::Sighting>> Session::checkedBy(const QList<Broadcast> &broadcasts) const
{
    if (!checked_)
        return std::nullopt;
    for (const Broadcast &broadcast : broadcasts)
        if (!checkAsked_.contains(broadcast))
            return std::nullopt;
    return checked_;
}

QList<Session::Sighting>
Session::discover(const QList<Broadcast> &broadcasts, char selector, Timing timing, int rounds,
                  const std::function<void(const Sighting &)> &onSighting, QStringList *refused,
                  const std::function<bool(const QList<Sighting> &)> &enough, Ending ending)
{
    beginTally();
    checkAsked_.clear();
    checked_.reset();
    SightingTaker taker;
    QElapsedTimer clock;
    clock.start();
    qint64 lastEvent = 0;
    // The rounds all go out before the limit, and each gets its time-out.
    const qint64 limitMs = std::max(qint64(DiscoveryLimitTimeouts) * timing.timeoutMs,
                                    qint64(rounds - 1) * RoundGapMs + timing.timeoutMs);
    bool cutShort = false;
    QEventLoop loop;
    // Ending::WhenAnswersStop: the discovery ends once answers have stopped.
    QuietEnd quiet(loop);
    listen([&](const QByteArray &data, const QString &sender, quint16 port) {
        const SightingTaker::Taken taken = taker.take(data, sender, port, listener_.deliveredOn());
        if (taken != SightingTaker::Taken::Nothing && ending == Ending::WhenAnswersStop)
            quiet.heard(clock.elapsed(), timing);
        if (taken != SightingTaker::Taken::New)
            return;
        lastEvent = clock.elapsed();
        if (onSighting)
            onSighting(taker.sightings.last());
        if (enough && enough(taker.sightings))
            loop.quit();
    });
    QList<Broadcast> refusedOnce;
    // Refused by a full queue for the socket (requests of a read just before wait there while the segment
    // resolves their addresses): sent again at every tick until there is room.
    QList<Broadcast> waiting;
    int sent = 0;
    const SendPlan plan = ReadSendPlan(selector);
    auto ask = [&](const QList<Broadcast> &to) {
        if (askBroadcasts(to, plan, waiting, refusedOnce, refused))
            lastEvent = std::max(lastEvent, clock.elapsed());
    };
    auto round = [&] {
        ask(broadcasts);
        ++sent;
    };
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (!waiting.isEmpty())
            ask(std::exchange(waiting, {}));
        // Once answers come, the quiet timer alone ends a discovery that waits for them to stop.
        const bool answered = ending == Ending::WhenAnswersStop && quiet.answered();
        const bool done = !answered && waiting.isEmpty() && clock.elapsed() - lastEvent >= timing.timeoutMs;
        cutShort = !done && !cancelled() && clock.elapsed() >= limitMs;
        if (done || cancelled() || cutShort)
            loop.quit();
        else if (sent < rounds && clock.elapsed() >= qint64(sent) * RoundGapMs)
            round();
    });
    round();
    tick.start(TickMs);
    loop.exec();
    listener_.setHandler({});
    tellLimits(taker.tooMany, waiting, cutShort, limitMs);
    nameFloods();
    return taker.sightings;
}

bool Session::askBroadcasts(const QList<Broadcast> &to, const SendPlan &plan, QList<Broadcast> &waiting,
                            QList<Broadcast> &refusedOnce, QStringList *refused)
{
    qsizetype wentOut = to.size();
    broadcast(to, plan, [&](qsizetype i, const SendError &error) {
        --wentOut;
        if (error.full) {
            if (!waiting.contains(to[i]))
                waiting << to[i];
            return;
        }
        if (refused && !refusedOnce.contains(to[i]))
            *refused << QStringLiteral("%1: %2").arg(to[i].address.toString(),
                                                     QString::fromStdString(error.what()));
        refusedOnce << to[i];
    });
    return wentOut > 0;
}

void Session::tellLimits(bool tooMany, const QList<Broadcast> &waiting, bool cutShort, qint64 limitMs)
{
    if (tooMany)
        sink_->notice(QStringLiteral("more than %1 boards answered; the first %1 taken").arg(MostBoards));
    if (!waiting.isEmpty())
        sink_->notice(
            QStringLiteral("the send queue of this computer stayed full: no broadcast reached %1, so "
                           "two boards on one address there may have gone unseen")
                .arg(waiting.first().address.toString()));
    if (cutShort && waiting.isEmpty())
        sink_->notice(QStringLiteral("new boards kept answering; the discovery ended at its limit of %1 ms "
                                     "(%2 time-outs)")
                          .arg(limitMs)
                          .arg(DiscoveryLimitTimeouts));
}

QString Session::twoBoardsAt(const QHostAddress &target) const
{
    const QStringList macs = twoBoards_.value(target.toIPv4Address());
    return macs.size() < 2 ? QString() : TwoBoardsText(macs, target);
}

QString TwoBoardsText(const QStringList &macs, const QHostAddress &at)
{
    // A flood's dozens of MACs make no line to read: the first few stand for them.
    constexpr qsizetype Shown = 4;
    QStringList shown = macs.mid(0, Shown);
    if (macs.size() > Shown)
        shown << QStringLiteral("%1 more").arg(macs.size() - Shown);
    return QStringLiteral("%1 boards (MACs %2) answer at %3 — connect one at a time")
        .arg(macs.size() == 2 ? QStringLiteral("two") : QString::number(macs.size()),
             shown.join(QStringLiteral(" and ")), at.toString());
}

void Session::broadcast(const QList<Broadcast> &broadcasts, const SendPlan &plan,
                        const std::function<void(qsizetype, const SendError &)> &onRefused)
{
    // Straight through the listener, not through the plan's sender: a broadcast to 255.255.255.255 names
    // the interface it leaves through, which a plan's host text cannot carry.
    for (qsizetype i = 0; i < broadcasts.size(); ++i) {
        try {
            for (const PlannedSend &step : plan.sends)
                listener_.send(broadcasts[i].address, step.port, ToByteArray(step.frame),
                               broadcasts[i].interfaceIndex);
        } catch (const SendError &error) {
            if (onRefused)
                onRefused(i, error);
        }
    }
}

std::optional<StoredConfig> Session::readUntil(const QHostAddress &target, char selector,
                                               const std::function<bool(const StoredConfig &)> &wanted,
                                               Timing timing)
{
    return askUntil(target, selector, {}, timing.timeoutMs, wanted, timing);
}

std::optional<StoredConfig> Session::lookFor(const QHostAddress &target, char selector,
                                             const QList<Broadcast> &broadcasts,
                                             const std::function<bool(const StoredConfig &)> &wanted,
                                             Timing timing)
{
    return askUntil(target, selector, broadcasts, std::min(LookoutAskMs, timing.timeoutMs), wanted, timing);
}

std::optional<StoredConfig> Session::askUntil(const QHostAddress &target, char selector,
                                              const QList<Broadcast> &broadcasts, int everyMs,
                                              const std::function<bool(const StoredConfig &)> &wanted,
                                              Timing timing)
{
    beginTally();
    checkAsked_.clear();
    checked_.reset();
    std::optional<StoredConfig> last;
    QEventLoop loop;
    listen([&](const QByteArray &data, const QString &sender, quint16 port) {
        if (QHostAddress(sender).toIPv4Address() != target.toIPv4Address() || !IsBoardPort(port))
            return;
        const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
        if (!decoded.reply || !IsWholeConfig(*decoded.reply, data.size()))
            return;
        last = WholeConfigOf(*decoded.reply, std::size_t(data.size()));
        if (wanted(*last))
            loop.quit();
    });
    // Only the target's own answers count, by unicast or by broadcast: the other boards on the segment
    // answer the broadcast too.
    auto ask = [&] {
        try {
            send({target}, ReadSendPlan(selector));
        } catch (const SendError &) {
        }
        broadcast(broadcasts, ReadSendPlan(selector));
    };
    QTimer again;
    QObject::connect(&again, &QTimer::timeout, &loop, ask);
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, &loop, [&] {
        if (cancelled())
            loop.quit();
    });
    QTimer::singleShot(timing.timeoutMs * (timing.retries + 1), &loop, &QEventLoop::quit);
    again.start(std::max(everyMs, TickMs));
    stop.start(TickMs);
    ask();
    loop.exec();
    listener_.setHandler({});
    nameFloods();
    return last;
}

void Session::noteLate(const QByteArray &data, quint32 from, quint16 port)
{
    if (!silent_.contains(from) || !IsBoardPort(port))
        return;
    const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
    if (decoded.reply && IsWholeConfig(*decoded.reply, data.size()))
        answeredLate_.insert(from);
}

void Session::settle(int ms)
{
    beginTally();
    QEventLoop loop;
    listen([this](const QByteArray &data, const QString &sender, quint16 port) {
        noteLate(data, QHostAddress(sender).toIPv4Address(), port);
    });
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    listener_.setHandler({});
    nameFloods();
}

void Session::settleQuiet(int ms)
{
    const qint64 quietMs = heard_.isValid() ? heard_.elapsed() : ms;
    if (quietMs < ms)
        settle(int(ms - quietMs));
}

void Session::watch(const std::function<bool(const QByteArray &, const QString &, quint16)> &onDatagram,
                    const Listener::OversizeHandler &onOversize)
{
    QEventLoop loop;
    // The rest of a pass that brought the last datagram wanted is dropped, not handed on.
    bool done = false;
    listener_.setOversizeHandler([&](qsizetype length, const QString &sender, quint16 port) {
        if (!done && onOversize)
            onOversize(length, sender, port);
    });
    listener_.setHandler([&](const QByteArray &data, const QString &sender, quint16 port) {
        if (done)
            return;
        done = !onDatagram(data, sender, port);
        if (done)
            loop.quit();
    });
    QTimer stop;
    QObject::connect(&stop, &QTimer::timeout, &loop, [&] {
        if (cancelled())
            loop.quit();
    });
    stop.start(50);
    loop.exec();
    listener_.setHandler({});
    listener_.setOversizeHandler({});
}

void Session::write(const QHostAddress &target, const ConfigWriteValues &values)
{
    checkAsked_.clear();
    checked_.reset();
    send({target}, WriteSendPlan(values));
}

QSet<quint32> Session::reboot(const QList<QHostAddress> &targets, int timeoutMs,
                              const std::function<void(const Outcome &)> &onAck)
{
    beginTally();
    checkAsked_.clear();
    checked_.reset();
    send(targets, PreRebootSendPlan());
    // A reboot request is never repeated: a second one would restart a board that is coming up.
    QSet<quint32> acknowledged;
    exchange(
        targets, RebootSendPlan(),
        [](const ConfigReplyFields &reply, qsizetype) { return reply.kind == ReplyKind::RebootAck; },
        {timeoutMs, 0},
        [&](const Outcome &outcome) {
            if (outcome.answer)
                acknowledged.insert(outcome.target.toIPv4Address());
            if (onAck)
                onAck(outcome);
        });
    nameFloods();
    return acknowledged;
}

void Session::listen(const Listener::Handler &handler)
{
    listener_.setHandler([this, handler](const QByteArray &data, const QString &sender, quint16 port) {
        heard_.start();
        if (overhear_)
            overhear_(data, sender, port);
        auto tally = tally_.find(sender);
        if (tally == tally_.end() && tally_.size() < MostSendersCounted)
            tally = tally_.insert(sender, {});
        if (tally != tally_.end()) {
            ++tally->datagrams;
            if (tally->macs.size() <= MostMacsAtOneAddress && IsBoardPort(port)) {
                const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
                const auto whole =
                    decoded.reply ? WholeConfigOf(*decoded.reply, std::size_t(data.size())) : std::nullopt;
                if (whole)
                    tally->macs.insert(MacText(whole->config.record.mac));
            }
        }
        handler(data, sender, port);
    });
}

void Session::beginTally()
{
    tally_.clear();
    tallyClock_.start();
}

void Session::nameFloods()
{
    // The heaviest first; past MostFloodsNamed a session counts them only.
    QStringList senders = tally_.keys();
    std::sort(senders.begin(), senders.end(), [this](const QString &a, const QString &b) {
        return tally_[a].datagrams > tally_[b].datagrams;
    });
    // A count for every FloodPeriodMs the exchange lasted: a long wait (a board asked every 100 ms for
    // half a minute, say) hears its boards often, and none of them floods.
    const qint64 most = FloodDatagrams * std::max<qint64>(1, tallyClock_.elapsed() / FloodPeriodMs + 1);
    qsizetype more = 0;
    for (const QString &sender : senders) {
        const Tally &tally = tally_[sender];
        const bool manyMacs = tally.macs.size() > MostMacsAtOneAddress;
        if ((tally.datagrams <= most && !manyMacs) || floodsNamed_.contains(sender))
            continue;
        if (floodsNamed_.size() >= MostFloodsNamed) {
            ++more;
            continue;
        }
        floodsNamed_.insert(sender);
        sink_->notice(QStringLiteral("%1 floods: %2 datagrams with %3 MACs within %4 ms (a board sends a "
                                     "few, with its one MAC)")
                          .arg(sender)
                          .arg(tally.datagrams)
                          .arg(manyMacs ? QStringLiteral("more than %1").arg(MostMacsAtOneAddress)
                                        : QString::number(tally.macs.size()))
                          .arg(tallyClock_.elapsed()));
    }
    if (more)
        sink_->notice(QStringLiteral("%1 more addresses flood as well").arg(more));
    tally_.clear();
}

bool IsWholeConfig(const ConfigReplyFields &reply, qsizetype length)
{
    return WholeConfigOf(reply, std::size_t(length)).has_value();
}

}  // namespace velmar
