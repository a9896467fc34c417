#include "session.h"
#include "frame_bytes.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
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
// The shortest quiet time of a discovery that ends when answers stop (see discover()): the jitter of a
// loaded laptop's event loop and of two boards' answers.
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

}  // namespace

std::optional<QList<QHostAddress>> ParseTargets(const QStringList &texts, QString &error)
{
    QList<QHostAddress> targets;
    QSet<quint32> seen;
    for (const QString &text : texts) {
        quint32 first = 0, last = 0;
        if (text.contains(QLatin1Char('-'))) {
            const auto from = ParseDottedAddress(text.section(QLatin1Char('-'), 0, 0));
            const auto to = ParseDottedAddress(text.section(QLatin1Char('-'), 1));
            if (!from || !to || to->toIPv4Address() < from->toIPv4Address()) {
                error = QStringLiteral("\"%1\" is not a range of addresses, lowest first").arg(text);
                return std::nullopt;
            }
            first = from->toIPv4Address();
            last = to->toIPv4Address();
        } else if (text.contains(QLatin1Char('/'))) {
            const auto base = ParseDottedAddress(text.section(QLatin1Char('/'), 0, 0));
            bool ok = false;
            const int bits = text.section(QLatin1Char('/'), 1).toInt(&ok);
            if (!base || !ok || bits < 16 || bits > 32) {
                error = QStringLiteral("\"%1\" is not an address with a prefix of 16 to 32 bits").arg(text);
                return std::nullopt;
            }
            const quint32 mask = bits == 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> bits);
            first = base->toIPv4Address() & mask;
            last = first | ~mask;
            if (bits <= 30) {  // the network's own address and its broadcast address are no boards
                ++first;
                --last;
            }
        } else {
            const auto address = ParseDottedAddress(text);
            if (!address) {
                error = QStringLiteral("\"%1\" is not an IPv4 address").arg(text);
                return std::nullopt;
            }
            first = last = address->toIPv4Address();
        }
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

qint64 Session::exchange(const QList<QHostAddress> &targets, const SendPlan &plan, const Accept &accept,
                         Timing timing, const OnOutcome &onOutcome, const OnOther &onOther)
{
    struct Board
    {
        QHostAddress address;
        int attempts = 0;
        qint64 sentAt = -1;
        QString why;  // set when it answered, but with nothing `accept` takes: what that answer was
        bool unreachable = false;
        qint64 refusedSince = -1;  // the system's queue was full for its requests since then
    };
    QHash<quint32, Board> open;  // asked or to be asked, not yet done
    QList<quint32> toAsk;
    for (const QHostAddress &target : targets) {
        const quint32 key = target.toIPv4Address();
        if (!open.contains(key)) {
            open.insert(key, Board{target, 0, -1, {}, false, -1});
            toAsk << key;
        }
    }
    const qsizetype total = open.size();
    qsizetype asked = 0, answered = 0, done = 0;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;

    qsizetype inFlight = 0;  // asked, not yet ended
    // On a segment, requests to addresses being resolved wait in the system's queue for the socket (and
    // to silent ones, until their resolution fails): a whole range fills it. A request the full queue
    // refuses is no attempt: the board is asked again at the next tick, from where the asking stopped,
    // and its time-out runs from when its request went out. Only a queue full for QueueFullMs makes it
    // silent.
    bool full = false;  // in this tick
    auto ask = [&](Board &board) {
        try {
            send({board.address}, plan);
            board.refusedSince = -1;
        } catch (const SendError &error) {
            if (error.full &&
                (board.refusedSince < 0 || clock.elapsed() - board.refusedSince < QueueFullMs)) {
                if (board.refusedSince < 0)
                    board.refusedSince = clock.elapsed();
                full = true;
                return false;
            }
            inFlight += board.attempts == 0;
            board.attempts += 1;
            board.sentAt = -timing.timeoutMs - 1;  // counts as silent at once
            board.unreachable = board.unreachable || error.unreachable;
            return true;
        }
        inFlight += board.attempts == 0;
        board.attempts += 1;
        board.sentAt = clock.elapsed();
        return true;
    };
    qint64 slowestAnswerMs = 0;
    auto finish = [&](quint32 key, const std::optional<QByteArray> &answer) {
        const Board board = open.take(key);
        inFlight -= board.attempts > 0;
        if (answer)
            slowestAnswerMs = std::max(slowestAnswerMs, clock.elapsed() - board.sentAt);
        ++done;
        answered += answer.has_value();
        if (onOutcome)
            onOutcome({board.address, answer, !answer && !board.why.isEmpty(), answer ? QString() : board.why,
                       !answer && board.unreachable});
        sink_->progress({done, total, answered, done - answered});
        if (open.isEmpty())
            loop.quit();
    };
    // New targets: a burst each tick, so that their answers never crowd the socket's queue and silent
    // ones cost no more than one time-out together; and, as answers come, more while fewer than a burst
    // wait, so that a site of quick boards is asked as fast as it answers.
    auto askMore = [&](qsizetype most) {
        for (qsizetype burst = 0; burst < most && asked < toAsk.size() && !full; ++asked) {
            auto board = open.find(toAsk[asked]);
            if (board != open.end() && board->attempts == 0) {
                if (!ask(*board))
                    break;  // asked again from here at the next tick
                ++burst;
            }
        }
    };
    listen([&](const QByteArray &data, const QString &sender, quint16 port) {
        const quint32 from = QHostAddress(sender).toIPv4Address();
        auto board = open.find(from);
        if (board == open.end() && onOther)
            onOther(data, from, port);
        if (board == open.end() || board->attempts == 0 || !IsBoardPort(port))
            return;
        const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
        if (decoded.reply && accept(*decoded.reply, data.size())) {
            finish(from, data);
            askMore(AskedPerTick - inFlight);
        } else {
            board->why = WhatItWas(data, decoded);
        }
    });
    auto onTick = [&] {
        if (cancelled()) {
            loop.quit();
            return;
        }
        full = false;
        askMore(AskedPerTick);
        QList<quint32> silent;
        for (auto it = open.begin(); it != open.end(); ++it) {
            if (it->attempts == 0 || clock.elapsed() - it->sentAt < timing.timeoutMs)
                continue;
            if (it->attempts > timing.retries)
                silent << it.key();
            else if (!full)
                ask(*it);
        }
        for (quint32 key : silent)
            finish(key, std::nullopt);
    };
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, onTick);
    tick.start(TickMs);
    onTick();
    if (!open.isEmpty())
        loop.exec();
    listener_.setHandler({});
    return slowestAnswerMs;
}

QHash<quint32, StoredConfig> Session::read(const QList<QHostAddress> &targets, char selector, Timing timing,
                                           const std::function<void(const BoardRead &)> &onRead)
{
    beginTally();
    QHash<quint32, StoredConfig> configs;
    twoBoards_.clear();
    readMacs_.clear();
    readSelector_ = selector;
    silent_.clear();
    answeredLate_.clear();
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
    // The read lingers while answers keep coming: until none has come for as long as the slowest answer
    // took (a few milliseconds at least), LingerMs at most.
    QEventLoop linger;
    QTimer quiet;
    quiet.setSingleShot(true);
    quiet.setInterval(int(std::clamp<qint64>(slowestAnswerMs, ShortestQuietMs, LingerMs)));
    QObject::connect(&quiet, &QTimer::timeout, &linger, &QEventLoop::quit);
    listen([&](const QByteArray &data, const QString &sender, quint16 port) {
        other(data, QHostAddress(sender).toIPv4Address(), port);
        quiet.start();
    });
    quiet.start();
    QTimer::singleShot(std::min(timing.timeoutMs, LingerMs), &linger, &QEventLoop::quit);
    linger.exec();
    listener_.setHandler({});
    nameFloods();
    return configs;
}

QList<Session::Sighting>
Session::discover(const QList<Broadcast> &broadcasts, char selector, Timing timing, int rounds,
                  const std::function<void(const Sighting &)> &onSighting, QStringList *refused,
                  const std::function<bool(const QList<Sighting> &)> &enough, Ending ending)
{
    beginTally();
    QList<Sighting> sightings;
    QSet<QString> seen;          // sender and MAC
    QHash<QString, int> macsAt;  // sender: how many MACs taken from it
    bool tooMany = false;        // a board past MostBoards answered
    QElapsedTimer clock;
    clock.start();
    qint64 lastEvent = 0;
    // The rounds all go out before the limit, and each gets its time-out.
    const qint64 limitMs = std::max(qint64(DiscoveryLimitTimeouts) * timing.timeoutMs,
                                    qint64(rounds - 1) * RoundGapMs + timing.timeoutMs);
    bool cutShort = false;
    QEventLoop loop;
    // Ending::WhenAnswersStop: the discovery ends once no answer has come for a quiet time, the first
    // answer's delay from the first request (QuietAtLeastMs at least, a time-out at most). Twins on one
    // segment hear the same broadcast at the same moment, and a board takes about as long as another of
    // its kind to answer: the second twin's answer comes within the first's delay plus the jitter of
    // the two boards and the segment, which the quiet time covers, once more after every answer.
    QTimer quiet;
    quiet.setSingleShot(true);
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    listen([&](const QByteArray &data, const QString &sender, quint16 port) {
        if (!IsBoardPort(port))
            return;
        const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
        if (!decoded.reply || !IsWholeConfig(*decoded.reply, data.size()))
            return;  // our own request among them: a broadcast reaches its sender too
        if (ending == Ending::WhenAnswersStop) {
            if (quiet.interval() == 0) {
                const qint64 longest = std::max(timing.timeoutMs, 1);
                quiet.setInterval(int(
                    std::clamp<qint64>(clock.elapsed(), std::min<qint64>(QuietAtLeastMs, longest), longest)));
            }
            quiet.start();
        }
        const StoredConfig config = *WholeConfigOf(*decoded.reply, std::size_t(data.size()));
        const QString key = sender + QLatin1Char(' ') + MacText(config.config.record.mac);
        if (seen.contains(key))
            return;
        if (sightings.size() >= MostBoards) {
            tooMany = true;
            return;
        }
        // More MACs than this from one address are a flood (nameFloods() names it), not boards.
        if (int &taken = macsAt[sender]; taken < MostMacsAtOneAddress)
            ++taken;
        else
            return;
        seen.insert(key);
        sightings << Sighting{QHostAddress(sender), listener_.deliveredOn(), config};
        lastEvent = clock.elapsed();
        if (onSighting)
            onSighting(sightings.last());
        if (enough && enough(sightings))
            loop.quit();
    });
    QList<Broadcast> refusedOnce;
    // Refused by a full queue for the socket (requests of a read just before wait there while the segment
    // resolves their addresses): sent again at every tick until there is room.
    QList<Broadcast> waiting;
    int sent = 0;
    const SendPlan plan = ReadSendPlan(selector);
    auto ask = [&](const QList<Broadcast> &to) {
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
        if (wentOut > 0)
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
        const bool answered = ending == Ending::WhenAnswersStop && quiet.interval() > 0;
        if (cancelled() ||
            (!answered && waiting.isEmpty() && clock.elapsed() - lastEvent >= timing.timeoutMs)) {
            loop.quit();
        } else if (clock.elapsed() >= limitMs) {
            cutShort = true;
            loop.quit();
        } else if (sent < rounds && clock.elapsed() >= qint64(sent) * RoundGapMs) {
            round();
        }
    });
    round();
    tick.start(TickMs);
    loop.exec();
    listener_.setHandler({});
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
    nameFloods();
    return sightings;
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
    send({target}, WriteSendPlan(values));
}

QSet<quint32> Session::reboot(const QList<QHostAddress> &targets, int timeoutMs,
                              const std::function<void(const Outcome &)> &onAck)
{
    beginTally();
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
