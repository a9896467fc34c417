// The discover command: what a discovery found, as rows (or JSON objects) with how to reach the boards
// in subnets this computer has no address in, and the clashes.

#include "discover.h"
#include "commands.h"
#include "local_network.h"

#include "frame_bytes.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

namespace velmar {

namespace {

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
void PrintReach(const Unreached &u, const QList<Session::Sighting> &sightings, Terminal &terminal)
{
    QList<QHostAddress> boards;
    for (const qsizetype row : u.rows)
        if (!boards.contains(sightings[row].from))
            boards << sightings[row].from;
    const ConfigRecord &r = sightings[u.rows.first()].config.config.record;
    if (u.rows.size() == 1 && u.reach.usableMask)
        terminal.out << "  in no subnet of this computer; to reach it, add an address of its subnet on the "
                        "interface it answered on:\n";
    else if (u.rows.size() == 1)
        terminal.out << "  in no subnet of this computer, and its mask " << IpText(r.netMask)
                     << " is unusable (not a contiguous mask of /8 to /30); to reach it anyway, add an "
                        "address in its /24 on the interface it answered on, and give it a usable mask "
                        "with a write:\n";
    else if (u.reach.usableMask)
        terminal.out << "  these " << u.rows.size() << " boards of " << u.reach.subnet()
                     << " are in no subnet of this computer; to reach them, add an address of their "
                        "subnet on the interface they answered on:\n";
    else
        terminal.out << "  these " << u.rows.size() << " boards of " << u.reach.subnet()
                     << " are in no subnet of this computer, and their masks are unusable (not a "
                        "contiguous mask of /8 to /30); to reach them anyway, add an address in their /24 "
                        "on the interface they answered on, and give each a usable mask with a write:\n";
    QStringList lines = ReachCommands(u.on ? &*u.on : nullptr, u.reach);
    if (!u.reach.usableMask)
        for (const QHostAddress &board : boards)
            lines << QStringLiteral("then:    velmarctl write %1 --mask %2")
                         .arg(board.toString(), u.reach.mask().toString());
    for (const QString &line : lines)
        terminal.out << "    " << line << '\n';
}
}  // namespace

QList<QHostAddress> WithoutNonBoards(const QList<QHostAddress> &targets, Terminal &terminal)
{
    const Boards kept = WithoutNonBoards(targets);
    if (!kept.leftOut.isEmpty())
        terminal.err << "not asked: " << kept.leftOut.join(QStringLiteral("; ")) << '\n';
    return kept.boards;
}

int DiscoverCommand(const Link &link, char selector, bool json, Terminal &terminal)
{
    const QList<LocalSubnet> subnets = LocalSubnets();
    terminal.err << "asking " << DiscoveryAsks(subnets).join(QStringLiteral(", ")) << '\n';
    terminal.err.flush();

    const Discovery found = DiscoverBoards(link, selector, subnets);
    const QList<Session::Sighting> &sightings = found.sightings;
    const QList<Unreached> &unreached = found.unreached;
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
            terminal.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
            continue;
        }
        terminal.out << qSetFieldWidth(15) << Qt::left << s.from.toString() << qSetFieldWidth(0) << "  "
                     << MacText(r.mac) << "  lift " << IpText(r.liftIp) << "  mask " << IpText(r.netMask)
                     << "  router " << IpText(r.routerIp) << "  version \""
                     << Printable(VersionToText(s.config.config.versionText)) << "\"\n";
        if (away != unreached.end() && away->rows.last() == i)
            PrintReach(*away, sightings, terminal);
    }
    terminal.out.flush();
    if (found.stopped)
        return SayStopped(terminal);
    for (const QString &why : found.refused)
        terminal.err << "not asked: " << why << '\n';
    const QMap<quint32, QStringList> &clashes = found.clashes;
    for (auto it = clashes.begin(); it != clashes.end(); ++it) {
        if (json)
            terminal.out << QJsonDocument(QJsonObject{{"clash", QHostAddress(it.key()).toString()},
                                                      {"macs", QJsonArray::fromStringList(*it)}})
                                .toJson(QJsonDocument::Compact)
                         << '\n';
        else
            terminal.out << "clash: " << TwoBoardsText(*it, QHostAddress(it.key())) << '\n';
    }
    if (sightings.isEmpty()) {
        terminal.err << "no board answered; boards answer a broadcast only on their own segment (no router "
                        "between), and only when they hear broadcasts\n";
        return SomeFailed;
    }
    QSet<QString> macs;
    for (const Session::Sighting &s : sightings)
        macs.insert(MacText(s.config.config.record.mac));
    terminal.err << macs.size() << " board(s) found" << (clashes.isEmpty() ? "" : ", with address clashes")
                 << '\n';
    return clashes.isEmpty() ? Ok : SomeFailed;
}

}  // namespace velmar
