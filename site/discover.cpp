#include "discover.h"
#include "site_error.h"

#include "frame_bytes.h"

#include <QSet>

#include <algorithm>

namespace velmar {

namespace {

QString MacOf(const Session::Sighting &s)
{
    return MacText(s.config.config.record.mac);
}

// Every address a board claims, by answering from it or by holding it as lift address: address ->
// the MACs that claim it, in the order they were seen.
QMap<quint32, QStringList> Claims(const QList<Session::Sighting> &sightings)
{
    QMap<quint32, QStringList> claims;
    for (const Session::Sighting &s : sightings) {
        const quint32 lift = ValueOfIpv4(s.config.config.record.liftIp);
        for (const quint32 address : {s.from.toIPv4Address(), lift})
            if (QStringList &macs = claims[address]; !macs.contains(MacOf(s)))
                macs << MacOf(s);
    }
    return claims;
}

// The addresses that more than one MAC claims.
QMap<quint32, QStringList> Clashes(const QList<Session::Sighting> &sightings)
{
    QMap<quint32, QStringList> claims = Claims(sightings);
    for (auto it = claims.begin(); it != claims.end();)
        it = it->size() < 2 ? claims.erase(it) : std::next(it);
    return claims;
}

QList<Unreached> UnreachedOf(const QList<LocalSubnet> &subnets, const QList<Session::Sighting> &sightings)
{
    QList<Unreached> unreached;
    QList<QList<QHostAddress>> taken;  // each subnet's boards and routers
    for (qsizetype i = 0; i < sightings.size(); ++i) {
        const Session::Sighting &s = sightings[i];
        if (SubnetHolding(subnets, s.from) || s.from.isLoopback())
            continue;
        const ConfigRecord &r = s.config.config.record;
        const Reach reach = ReachFor(s.from, HostAddressOf(r.netMask), {});
        const LocalSubnet *arrived = ArrivedOn(subnets, s);
        const std::optional<LocalSubnet> on = arrived ? std::optional(*arrived) : std::nullopt;
        auto same = std::find_if(unreached.begin(), unreached.end(), [&](const Unreached &u) {
            return (u.on ? u.on->interfaceIndex : -1) == (on ? on->interfaceIndex : -1) &&
                   (u.on ? u.on->address : QHostAddress()) == (on ? on->address : QHostAddress()) &&
                   u.reach.network == reach.network && u.reach.prefix == reach.prefix &&
                   u.reach.usableMask == reach.usableMask;
        });
        if (same == unreached.end()) {
            unreached << Unreached{on, reach, {}};
            taken << QList<QHostAddress>();
            same = std::prev(unreached.end());
        }
        same->rows << i;
        taken[same - unreached.begin()] << s.from << HostAddressOf(r.routerIp);
    }
    for (qsizetype g = 0; g < unreached.size(); ++g) {
        const Session::Sighting &first = sightings[unreached[g].rows.first()];
        unreached[g].reach =
            ReachFor(first.from, HostAddressOf(first.config.config.record.netMask), taken[g]);
    }
    return unreached;
}

}  // namespace

const LocalSubnet *ArrivedOn(const QList<LocalSubnet> &subnets, const Session::Sighting &sighting)
{
    for (const LocalSubnet &subnet : subnets)
        if (subnet.interfaceIndex == sighting.interfaceIndex && sighting.interfaceIndex != 0)
            return &subnet;
    return subnets.size() == 1 ? &subnets.first() : nullptr;
}

QStringList DiscoveryAsks(const QList<LocalSubnet> &subnets)
{
    QStringList asked;
    for (const LocalSubnet &subnet : subnets)
        if (const QString one =
                QStringLiteral("%1 (%2)").arg(subnet.broadcast().toString(), subnet.describe());
            !asked.contains(one))
            asked << one;
    asked << QStringLiteral("255.255.255.255");
    return asked;
}

Discovery DiscoverBoards(const Link &link, char selector, const QList<LocalSubnet> &subnets)
{
    LinkedSession session(link);
    Discovery found;
    found.sightings = session.discover(EverySegment(subnets), selector, link.timing, link.timing.retries + 1,
                                       {}, &found.refused);
    // By address, so that boards sharing one stand together, and by MAC among them: the same order on
    // every run, whichever answered first.
    std::sort(found.sightings.begin(), found.sightings.end(),
              [](const Session::Sighting &a, const Session::Sighting &b) {
                  return std::pair(a.from.toIPv4Address(), MacOf(a)) <
                         std::pair(b.from.toIPv4Address(), MacOf(b));
              });
    found.unreached = UnreachedOf(subnets, found.sightings);
    found.clashes = Clashes(found.sightings);
    found.stopped = session.cancelled();
    return found;
}

QHash<quint32, StoredConfig> ReadChecked(Session &session, const QList<QHostAddress> &targets, char selector,
                                         Session::Timing timing,
                                         const std::function<void(const Session::BoardRead &)> &onRead)
{
    return session.read(targets, selector, timing, onRead, BroadcastsFor(LocalSubnets(), targets));
}

QHash<quint32, QStringList> TwoBoardsOn(Session &session, const QList<QHostAddress> &targets,
                                        Session::Timing timing)
{
    QHash<quint32, QStringList> macs = session.twoBoards();  // seen by the last read, where both hear it
    const QList<Broadcast> broadcasts = BroadcastsFor(LocalSubnets(), targets);
    if (!broadcasts.isEmpty()) {
        // On a real segment a unicast reaches one board of two (the one the address resolution picked):
        // a broadcast reaches both, and both answer at once. The exchange ends when answers stop (or at
        // once on one target's clash); only where nobody answers does it wait a whole time-out.
        // The broadcast asks for what the read asked for, so that a board's MAC is the same in both (a
        // board whose stored MAC differs from the one it runs with is one board).
        const QHash<quint32, QString> readMacs = session.readMacs();
        auto clashAtTheTarget = [&](const QList<Session::Sighting> &sightings) {
            if (targets.size() != 1)
                return false;
            const quint32 key = targets.first().toIPv4Address();
            QStringList claiming = Claims(sightings).value(key);
            if (const QString read = readMacs.value(key); !read.isEmpty() && !claiming.contains(read))
                claiming << read;
            return claiming.size() >= 2;
        };
        // A read that took the check along has its answers already.
        const std::optional<QList<Session::Sighting>> checked = session.checkedBy(broadcasts);
        const QMap<quint32, QStringList> claims =
            Claims(checked ? *checked
                           : session.discover(broadcasts, session.readSelector(), timing, 1, {}, nullptr,
                                              clashAtTheTarget, Session::Ending::WhenAnswersStop));
        for (const QHostAddress &target : targets) {
            const quint32 key = target.toIPv4Address();
            QStringList &known = macs[key];
            // The board the read reached may hear no broadcast, or answer it later than the other: it
            // and the one the broadcast found are two boards all the same.
            for (const QString &mac : QStringList{readMacs.value(key)} + claims.value(key))
                if (!mac.isEmpty() && !known.contains(mac))
                    known << mac;
        }
    }
    for (auto it = macs.begin(); it != macs.end();)
        it = it->size() < 2 ? macs.erase(it) : std::next(it);
    return macs;
}

void RefuseTwoBoards(Session &session, const QList<QHostAddress> &targets, Session::Timing timing,
                     const QString &nothing)
{
    const QHash<quint32, QStringList> two = TwoBoardsOn(session, targets, timing);
    if (two.isEmpty())
        return;
    QStringList said;
    SiteError error{SiteError::Failed, {}, {}, {}, {}};
    for (const QHostAddress &target : targets) {
        if (!two.contains(target.toIPv4Address()))
            continue;
        said << TwoBoardsText(two.value(target.toIPv4Address()), target);
        if (error.address.isNull()) {
            error.address = target;
            error.macs = two.value(target.toIPv4Address());
        }
    }
    error.text = said.join(QStringLiteral("; ")) + QStringLiteral("; ") + nothing;
    Throw(error);
}

void RefuseNonBoards(const QList<QHostAddress> &targets)
{
    const QList<LocalSubnet> subnets = LocalSubnets();
    for (const QHostAddress &target : targets) {
        if (const QString why = NamesNoBoard(subnets, target); !why.isEmpty())
            Throw(SiteError::BadRequest,
                  why + QStringLiteral(": it names no board, and every board that hears it would take "
                                       "what is sent there; velmarctl discover finds the boards"));
        if (IsOwnAddress(subnets, target))
            Throw(SiteError::BadRequest,
                  target.toString() + QStringLiteral(" is this computer's own address, not a board's"));
    }
}

Boards WithoutNonBoards(const QList<QHostAddress> &targets)
{
    if (targets.size() == 1) {
        RefuseNonBoards(targets);
        return {targets, {}};
    }
    const QList<LocalSubnet> subnets = LocalSubnets();
    Boards kept;
    for (const QHostAddress &target : targets) {
        QString why = NamesNoBoard(subnets, target);
        if (why.isEmpty() && IsOwnAddress(subnets, target))
            why = target.toString() + QStringLiteral(" is this computer's own address");
        if (why.isEmpty())
            kept.boards << target;
        else
            kept.leftOut << why;
    }
    if (kept.boards.isEmpty())
        Throw(SiteError::BadRequest, QStringLiteral("no board named"));
    return kept;
}

}  // namespace velmar
