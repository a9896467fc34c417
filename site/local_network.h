#pragma once
// This computer's own IPv4 subnets, as the boards on the wire see them: where a broadcast reaches,
// which addresses name no board, and how to reach a board that sits in a subnet this computer has no
// address in.

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmar {

struct LocalSubnet
{
    QString interfaceName;  // "eth0", "ethernet_32769"
    QString friendlyName;   // what the system shows the operator: "Ethernet" on Windows, else the name
    int interfaceIndex = 0;
    QHostAddress address;  // this computer's own address in the subnet
    int prefix = 24;

    quint32 mask() const { return prefix == 0 ? 0u : ~0u << (32 - prefix); }
    QHostAddress network() const { return QHostAddress(address.toIPv4Address() & mask()); }
    QHostAddress broadcast() const { return QHostAddress(address.toIPv4Address() | ~mask()); }
    bool contains(const QHostAddress &other) const
    {
        return (other.toIPv4Address() & mask()) == (address.toIPv4Address() & mask());
    }
    // "10.0.0.0/24 on eth0"
    QString describe() const;
};

// Every IPv4 subnet of an interface that is up and can broadcast (loopback has none).
QList<LocalSubnet> LocalSubnets();

// The subnet of `subnets` that holds `address`, if any.
std::optional<LocalSubnet> SubnetHolding(const QList<LocalSubnet> &subnets, const QHostAddress &address);

// Why `address` names no board: 255.255.255.255, or the broadcast or network address of one of
// `subnets` (every board there would take it). Empty when it may name a board.
QString NamesNoBoard(const QList<LocalSubnet> &subnets, const QHostAddress &address);

// This computer's own address in one of `subnets`.
bool IsOwnAddress(const QList<LocalSubnet> &subnets, const QHostAddress &address);

// Where a broadcast goes: an address, and the index of the interface it leaves through (0: where the
// system's routes send it).
struct Broadcast
{
    QHostAddress address;
    int interfaceIndex = 0;
    bool operator==(const Broadcast &) const = default;
};

// Every board that hears broadcasts on this computer's segments: each subnet's broadcast address, and
// 255.255.255.255 through each interface (boards in subnets this computer has no address in hear only
// that one); where there is no interface, 255.255.255.255 where the routes send it.
QList<Broadcast> EverySegment(const QList<LocalSubnet> &subnets);

// Where a broadcast asks the boards that may claim `targets`: the broadcast address of each local
// subnet that holds one of them and 255.255.255.255 through that subnet's interface (a board with
// another mask hears only that one), or every segment for a target in none. Nothing for loopback
// targets, which hear no broadcast.
QList<Broadcast> BroadcastsFor(const QList<LocalSubnet> &subnets, const QList<QHostAddress> &targets);

// Whether a board's mask makes a subnet that an address can be added in: contiguous, /8 to /30. Boards
// hold whatever was written to them (0.0.0.0, 255.0.255.0, 255.255.255.255).
bool UsableMask(const QHostAddress &mask);

// Where this computer takes an address to reach the boards of a subnet it has none in: the boards'
// subnet (their /24 where their mask is not UsableMask()), and the address taken in it, the subnet's
// last host or the nearest one below it that no address of `taken` (the boards', their routers') holds.
struct Reach
{
    QHostAddress network;
    int prefix = 24;
    QHostAddress address;
    bool usableMask = true;

    QHostAddress mask() const;
    // "10.77.0.0/24"
    QString subnet() const;
};
Reach ReachFor(const QHostAddress &board, const QHostAddress &boardMask, const QList<QHostAddress> &taken);

// The commands that give this computer `reach`'s address on the interface the boards answered on: one
// for Linux (ip) and one for Windows (netsh).
QStringList ReachCommands(const LocalSubnet *on, const Reach &reach);

// The commands that give this computer an address in the subnet of a board at `board` with `mask`,
// on the interface it answered on: ReachCommands() for the board and its router. For a mask that is
// not UsableMask(), then the write that gives the board the mask of its /24.
QStringList HowToReach(const LocalSubnet *on, const QHostAddress &board, const QHostAddress &mask,
                       const QHostAddress &router);

}  // namespace velmar
