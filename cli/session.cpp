#include "session.h"
#include "frame_bytes.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSet>
#include <QTimer>

namespace velmar {

namespace {

constexpr int MaxTargets = 4096;
// Boards asked at once: their answers fit the socket's queue many times over.
constexpr int InFlightLimit = 32;

}  // namespace

std::optional<QList<QHostAddress>> ParseTargets(const QStringList &texts, QString &error)
{
    QList<QHostAddress> targets;
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
        for (quint64 a = first; a <= last; ++a)
            targets << QHostAddress(quint32(a));
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

QHash<quint32, QByteArray> Session::exchange(const QList<QHostAddress> &targets, const SendPlan &plan,
                                             const Accept &accept, Timing timing)
{
    struct InFlight
    {
        QHostAddress address;
        int attempts = 0;
        qint64 sentAt = 0;
    };
    QHash<quint32, QByteArray> replies;
    QHash<quint32, InFlight> inFlight;
    qsizetype next = 0;
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;

    auto ask = [&](InFlight &board) {
        board.attempts += 1;
        board.sentAt = clock.elapsed();
        try {
            send({board.address}, plan);
        } catch (const SendError &) {
            board.sentAt = -1;  // counts as silent at once
        }
    };
    auto refill = [&] {
        while (inFlight.size() < InFlightLimit && next < targets.size()) {
            const QHostAddress &address = targets[next++];
            if (inFlight.contains(address.toIPv4Address()) || replies.contains(address.toIPv4Address()))
                continue;
            InFlight board{address};
            ask(board);
            inFlight.insert(address.toIPv4Address(), board);
        }
        if (inFlight.isEmpty() && next >= targets.size())
            loop.quit();
    };
    listener_.setHandler([&](const QByteArray &data, const QString &sender, quint16) {
        const quint32 from = QHostAddress(sender).toIPv4Address();
        if (!inFlight.contains(from))
            return;
        const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
        if (!decoded.reply || !accept(*decoded.reply, data.size())) {
            return;
        }
        replies.insert(from, data);
        inFlight.remove(from);
        refill();
    });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        for (auto it = inFlight.begin(); it != inFlight.end();) {
            if (it->sentAt >= 0 && clock.elapsed() - it->sentAt < timing.timeoutMs) {
                ++it;
            } else if (it->sentAt >= 0 && it->attempts <= timing.retries) {
                ask(*it);
                ++it;
            } else {
                it = inFlight.erase(it);
            }
        }
        refill();
    });
    tick.start(10);
    refill();
    if (!inFlight.isEmpty() || next < targets.size())
        loop.exec();
    listener_.setHandler({});
    return replies;
}

QHash<quint32, StoredConfig> Session::read(const QList<QHostAddress> &targets, char selector, Timing timing)
{
    const auto whole = [](const ConfigReplyFields &reply, qsizetype length) {
        return WholeConfigOf(reply, std::size_t(length)).has_value();
    };
    const auto replies = exchange(targets, ReadPlan(selector), whole, timing);
    QHash<quint32, StoredConfig> configs;
    for (auto it = replies.begin(); it != replies.end(); ++it)
        configs.insert(it.key(), *WholeConfigOf(*DecodeDatagram(ViewOf(*it)).reply, std::size_t(it->size())));
    return configs;
}

void Session::settle(int ms)
{
    QEventLoop loop;
    listener_.setHandler([](const QByteArray &, const QString &, quint16) {});
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
    listener_.setHandler({});
}

void Session::write(const QHostAddress &target, const ConfigWriteValues &values)
{
    send({target}, WritePlan(values));
}

QSet<quint32> Session::reboot(const QList<QHostAddress> &targets, int timeoutMs)
{
    send(targets, PreRebootPlan());
    // A reboot request is never repeated: a second one would restart a board that is coming up.
    const auto acks =
        exchange(targets, RebootPlan(),
                 [](const ConfigReplyFields &reply, qsizetype) { return reply.kind == ReplyKind::RebootAck; },
                 {timeoutMs, 0});
    QSet<quint32> acknowledged;
    for (auto it = acks.begin(); it != acks.end(); ++it)
        acknowledged.insert(it.key());
    return acknowledged;
}

}  // namespace velmar
