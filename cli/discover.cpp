// Finding boards by broadcast: the discover command, and the check that no two boards claim the
// address an operation is about to send to.

#include "commands.h"
#include "console.h"
#include "local_network.h"

#include "frame_bytes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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

// The subnet the board answered on: by the interface its answer came in on, else the only one there is.
const LocalSubnet *ArrivedOn(const QList<LocalSubnet> &subnets, const Session::Sighting &s)
{
    for (const LocalSubnet &subnet : subnets)
        if (subnet.interfaceIndex == s.interfaceIndex && s.interfaceIndex != 0)
            return &subnet;
    return subnets.size() == 1 ? &subnets.first() : nullptr;
}

// The boards of one subnet this computer has no address in, by the interface they answered on, and
// where this computer takes an address to reach them.
struct Unreached
{
    const LocalSubnet *on = nullptr;
    Reach reach;
    QList<qsizetype> rows;  // of the sightings, in their order
};

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
        const LocalSubnet *on = ArrivedOn(subnets, s);
        auto same = std::find_if(unreached.begin(), unreached.end(), [&](const Unreached &u) {
            return u.on == on && u.reach.network == reach.network && u.reach.prefix == reach.prefix &&
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

// What a script needs to reach the boards: the subnet, the interface, the address to add, and for a
// mask that makes no subnet, the mask to give the board.
QJsonObject ReachToJson(const Unreached &u)
{
    QJsonObject reach{
        {"subnet", u.reach.subnet()}, {"address", u.reach.address.toString()}, {"prefix", u.reach.prefix}};
    if (u.on)
        reach.insert("interface", u.on->interfaceName);
    if (!u.reach.usableMask)
        reach.insert("write", QJsonObject{{"mask", u.reach.mask().toString()}});
    return reach;
}

// One block for the subnet's boards, after the last of them.
void PrintReach(const Unreached &u, const QList<Session::Sighting> &sightings, Console &console)
{
    QList<QHostAddress> boards;
    for (const qsizetype row : u.rows)
        if (!boards.contains(sightings[row].from))
            boards << sightings[row].from;
    const ConfigRecord &r = sightings[u.rows.first()].config.config.record;
    if (u.rows.size() == 1 && u.reach.usableMask)
        console.out << "  in no subnet of this computer; to reach it, add an address of its subnet on the "
                       "interface it answered on:\n";
    else if (u.rows.size() == 1)
        console.out << "  in no subnet of this computer, and its mask " << IpText(r.netMask)
                    << " is unusable (not a contiguous mask of /8 to /30); to reach it anyway, add an "
                       "address in its /24 on the interface it answered on, and give it a usable mask "
                       "with a write:\n";
    else if (u.reach.usableMask)
        console.out << "  these " << u.rows.size() << " boards of " << u.reach.subnet()
                    << " are in no subnet of this computer; to reach them, add an address of their "
                       "subnet on the interface they answered on:\n";
    else
        console.out << "  these " << u.rows.size() << " boards of " << u.reach.subnet()
                    << " are in no subnet of this computer, and their masks are unusable (not a "
                       "contiguous mask of /8 to /30); to reach them anyway, add an address in their /24 "
                       "on the interface they answered on, and give each a usable mask with a write:\n";
    QStringList lines = ReachCommands(u.on, u.reach);
    if (!u.reach.usableMask)
        for (const QHostAddress &board : boards)
            lines << QStringLiteral("then:    velmarctl write %1 --mask %2")
                         .arg(board.toString(), u.reach.mask().toString());
    for (const QString &line : lines)
        console.out << "    " << line << '\n';
}
}  // namespace

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
        const QMap<quint32, QStringList> claims =
            Claims(session.discover(broadcasts, session.readSelector(), timing, 1, {}, nullptr,
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
    for (const QHostAddress &target : targets)
        if (two.contains(target.toIPv4Address()))
            said << TwoBoardsText(two.value(target.toIPv4Address()), target);
    Fail(SomeFailed, said.join(QStringLiteral("; ")) + QStringLiteral("; ") + nothing);
}

void RefuseNonBoards(const QList<QHostAddress> &targets)
{
    const QList<LocalSubnet> subnets = LocalSubnets();
    for (const QHostAddress &target : targets) {
        if (const QString why = NamesNoBoard(subnets, target); !why.isEmpty())
            Fail(BadUsage,
                 why + QStringLiteral(": it names no board, and every board that hears it would take "
                                      "what is sent there; velmarctl discover finds the boards"));
        if (IsOwnAddress(subnets, target))
            Fail(BadUsage,
                 target.toString() + QStringLiteral(" is this computer's own address, not a board's"));
    }
}

QList<QHostAddress> WithoutNonBoards(const QList<QHostAddress> &targets, Console &console)
{
    if (targets.size() == 1) {
        RefuseNonBoards(targets);
        return targets;
    }
    const QList<LocalSubnet> subnets = LocalSubnets();
    QList<QHostAddress> boards;
    QStringList skipped;
    for (const QHostAddress &target : targets) {
        QString why = NamesNoBoard(subnets, target);
        if (why.isEmpty() && IsOwnAddress(subnets, target))
            why = target.toString() + QStringLiteral(" is this computer's own address");
        if (why.isEmpty())
            boards << target;
        else
            skipped << why;
    }
    if (!skipped.isEmpty())
        console.err << "not asked: " << skipped.join(QStringLiteral("; ")) << '\n';
    if (boards.isEmpty())
        Fail(BadUsage, QStringLiteral("no board named"));
    return boards;
}

int DiscoverCommand(const Link &link, char selector, bool json, Console &console)
{
    const QList<LocalSubnet> subnets = LocalSubnets();
    const QList<Broadcast> broadcasts = EverySegment(subnets);
    QStringList asked;
    for (const LocalSubnet &subnet : subnets)
        if (const QString one =
                QStringLiteral("%1 (%2)").arg(subnet.broadcast().toString(), subnet.describe());
            !asked.contains(one))
            asked << one;
    asked << QStringLiteral("255.255.255.255");
    console.err << "asking " << asked.join(QStringLiteral(", ")) << '\n';
    console.err.flush();

    LinkedSession session(link);
    QStringList refused;
    QList<Session::Sighting> sightings =
        session.discover(broadcasts, selector, link.timing, link.timing.retries + 1, {}, &refused);
    // By address, so that boards sharing one stand together, and by MAC among them: the same order on
    // every run, whichever answered first.
    std::sort(sightings.begin(), sightings.end(), [](const Session::Sighting &a, const Session::Sighting &b) {
        return std::pair(a.from.toIPv4Address(), MacOf(a)) < std::pair(b.from.toIPv4Address(), MacOf(b));
    });
    const QList<Unreached> unreached = UnreachedOf(subnets, sightings);
    auto unreachedOf = [&](qsizetype row) {
        return std::find_if(unreached.begin(), unreached.end(),
                            [row](const Unreached &u) { return u.rows.contains(row); });
    };
    for (qsizetype i = 0; i < sightings.size(); ++i) {
        const Session::Sighting &s = sightings[i];
        const ConfigRecord &r = s.config.config.record;
        const auto away = unreachedOf(i);
        if (json) {
            QJsonObject object = ConfigToJson(s.config);
            object.insert("address", s.from.toString());
            if (const LocalSubnet *on = ArrivedOn(subnets, s))
                object.insert("interface", on->interfaceName);
            if (away != unreached.end())
                object.insert("reach", ReachToJson(*away));
            console.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
            continue;
        }
        console.out << qSetFieldWidth(15) << Qt::left << s.from.toString() << qSetFieldWidth(0) << "  "
                    << MacText(r.mac) << "  lift " << IpText(r.liftIp) << "  mask " << IpText(r.netMask)
                    << "  router " << IpText(r.routerIp) << "  version \""
                    << Printable(VersionToText(s.config.config.versionText)) << "\"\n";
        if (away != unreached.end() && away->rows.last() == i)
            PrintReach(*away, sightings, console);
    }
    console.out.flush();
    if (Interrupted())
        return Stopped(console);
    for (const QString &why : refused)
        console.err << "not asked: " << why << '\n';
    const QMap<quint32, QStringList> clashes = Clashes(sightings);
    for (auto it = clashes.begin(); it != clashes.end(); ++it) {
        if (json)
            console.out << QJsonDocument(QJsonObject{{"clash", QHostAddress(it.key()).toString()},
                                                     {"macs", QJsonArray::fromStringList(*it)}})
                               .toJson(QJsonDocument::Compact)
                        << '\n';
        else
            console.out << "clash: " << TwoBoardsText(*it, QHostAddress(it.key())) << '\n';
    }
    if (sightings.isEmpty()) {
        console.err << "no board answered; boards answer a broadcast only on their own segment (no router "
                       "between), and only when they hear broadcasts\n";
        return SomeFailed;
    }
    QSet<QString> macs;
    for (const Session::Sighting &s : sightings)
        macs.insert(MacOf(s));
    console.err << macs.size() << " board(s) found" << (clashes.isEmpty() ? "" : ", with address clashes")
                << '\n';
    return clashes.isEmpty() ? Ok : SomeFailed;
}

}  // namespace velmar
