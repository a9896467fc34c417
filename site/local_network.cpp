#include "local_network.h"

#include <QNetworkInterface>

#include <algorithm>

namespace velmar {

namespace {

constexpr quint32 LimitedBroadcast = 0xFFFFFFFFu;

int PrefixOf(quint32 mask)
{
    int bits = 0;
    while (bits < 32 && (mask & (0x80000000u >> bits)))
        ++bits;
    return bits;
}

}  // namespace

QString LocalSubnet::describe() const
{
    return QStringLiteral("%1/%2 on %3").arg(network().toString()).arg(prefix).arg(friendlyName);
}

QList<LocalSubnet> LocalSubnets()
{
    QList<LocalSubnet> subnets;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack) ||
            !flags.testFlag(QNetworkInterface::CanBroadcast))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || entry.ip().isLoopback())
                continue;
            LocalSubnet subnet;
            subnet.interfaceName = interface.name();
            subnet.friendlyName = interface.humanReadableName();
            subnet.interfaceIndex = interface.index();
            subnet.address = entry.ip();
            subnet.prefix =
                entry.prefixLength() >= 0 ? entry.prefixLength() : PrefixOf(entry.netmask().toIPv4Address());
            subnets << subnet;
        }
    }
    return subnets;
}

std::optional<LocalSubnet> SubnetHolding(const QList<LocalSubnet> &subnets, const QHostAddress &address)
{
    for (const LocalSubnet &subnet : subnets)
        if (subnet.contains(address))
            return subnet;
    return std::nullopt;
}

QString NamesNoBoard(const QList<LocalSubnet> &subnets, const QHostAddress &address)
{
    const quint32 value = address.toIPv4Address();
    if (value == LimitedBroadcast)
        return QStringLiteral("255.255.255.255 is the broadcast address of every network");
    for (const LocalSubnet &subnet : subnets) {
        if (subnet.prefix > 30 || !subnet.contains(address))
            continue;
        if (address == subnet.broadcast())
            return QStringLiteral("%1 is the broadcast address of %2")
                .arg(address.toString(), subnet.describe());
        if (address == subnet.network())
            return QStringLiteral("%1 is the network address of %2")
                .arg(address.toString(), subnet.describe());
    }
    return QString();
}

bool IsOwnAddress(const QList<LocalSubnet> &subnets, const QHostAddress &address)
{
    return std::any_of(subnets.begin(), subnets.end(),
                       [&](const LocalSubnet &subnet) { return subnet.address == address; });
}

QList<Broadcast> EverySegment(const QList<LocalSubnet> &subnets)
{
    QList<Broadcast> broadcasts;
    auto add = [&](const Broadcast &broadcast) {
        if (!broadcasts.contains(broadcast))
            broadcasts << broadcast;
    };
    for (const LocalSubnet &subnet : subnets)
        add({subnet.broadcast(), 0});
    for (const LocalSubnet &subnet : subnets)
        add({QHostAddress(LimitedBroadcast), subnet.interfaceIndex});
    if (subnets.isEmpty())
        add({QHostAddress(LimitedBroadcast), 0});
    return broadcasts;
}

QList<Broadcast> BroadcastsFor(const QList<LocalSubnet> &subnets, const QList<QHostAddress> &targets)
{
    QList<Broadcast> broadcasts;
    for (const QHostAddress &target : targets) {
        if (target.isLoopback())
            continue;
        // A board that claims the target with another mask (a new board on a /8 beside a laptop on a
        // /24) takes the subnet's broadcast for a host address: 255.255.255.255 through the subnet's
        // interface reaches it all the same.
        const auto subnet = SubnetHolding(subnets, target);
        for (const Broadcast &broadcast :
             subnet ? QList<Broadcast>{{subnet->broadcast(), 0},
                                       {QHostAddress(LimitedBroadcast), subnet->interfaceIndex}}
                    : EverySegment(subnets))
            if (!broadcasts.contains(broadcast))
                broadcasts << broadcast;
    }
    return broadcasts;
}

bool UsableMask(const QHostAddress &mask)
{
    const quint32 bits = mask.toIPv4Address();
    const int prefix = PrefixOf(bits);
    return prefix >= 8 && prefix <= 30 && bits == ~0u << (32 - prefix);
}

QHostAddress Reach::mask() const
{
    return QHostAddress(prefix == 0 ? 0u : ~0u << (32 - prefix));
}

QString Reach::subnet() const
{
    return QStringLiteral("%1/%2").arg(network.toString()).arg(prefix);
}

Reach ReachFor(const QHostAddress &board, const QHostAddress &boardMask, const QList<QHostAddress> &taken)
{
    Reach reach;
    reach.usableMask = UsableMask(boardMask);
    const quint32 bits = reach.usableMask ? boardMask.toIPv4Address() : 0xFFFFFF00u;
    reach.prefix = PrefixOf(bits);
    const quint32 network = board.toIPv4Address() & bits;
    reach.network = QHostAddress(network);
    quint32 own = (network | ~bits) - 1;
    while (own > network + 1 && taken.contains(QHostAddress(own)))
        --own;
    reach.address = QHostAddress(own);
    return reach;
}

QStringList ReachCommands(const LocalSubnet *on, const Reach &reach)
{
    const QString address = reach.address.toString();
    const QString linuxName = on ? on->interfaceName : QStringLiteral("IFACE");
    const QString windowsName = on ? on->friendlyName : QStringLiteral("Ethernet");
    return {QStringLiteral("Linux:   sudo ip addr add %1/%2 dev %3")
                .arg(address)
                .arg(reach.prefix)
                .arg(linuxName),
            QStringLiteral("Windows: netsh interface ipv4 add address \"%1\" %2 %3")
                .arg(windowsName, address, reach.mask().toString())};
}

QStringList HowToReach(const LocalSubnet *on, const QHostAddress &board, const QHostAddress &boardMask,
                       const QHostAddress &router)
{
    const Reach reach = ReachFor(board, boardMask, {board, router});
    QStringList commands = ReachCommands(on, reach);
    if (!reach.usableMask)
        commands << QStringLiteral("then:    velmarctl write %1 --mask %2")
                        .arg(board.toString(), reach.mask().toString());
    return commands;
}

}  // namespace velmar
