#include "guard.h"

#include "config_file.h"

#include <QHash>

#include <optional>

namespace velmar {

namespace {

// A run of ones, then zeros, and not 0.0.0.0.
bool IsMask(std::uint32_t mask)
{
    return mask != 0 && (~mask & (~mask + 1)) == 0;
}

}  // namespace

namespace {

using Kind = GuardProblem::Kind;

// What a board of this lift address, mask and router could not do: reach its router and dispatcher, or
// be reached at all.
struct Addressing
{
    const ConfigRecord &r;
    std::uint32_t lift = ValueOfIpv4(r.liftIp), mask = ValueOfIpv4(r.netMask),
                  router = ValueOfIpv4(r.routerIp);
    bool maskSound = IsMask(mask);
    bool hostBits = maskSound && ~mask > 1;  // a subnet with a network and a broadcast address

    GuardProblem about(Kind kind, const Ipv4 &address) const
    {
        return GuardProblem{kind, IpText(address), IpText(r.liftIp), IpText(r.netMask), {}};
    }
};

void MaskProblems(const Addressing &a, QList<GuardProblem> &problems)
{
    if (!a.maskSound)
        problems << a.about(Kind::MaskNotARun, a.r.netMask);
    else if (a.mask == 0xFFFFFFFFu)
        problems << a.about(Kind::MaskAllOnes, a.r.netMask);
}

// The first thing that makes the lift address no address of one board, if any.
std::optional<Kind> LiftProblem(const Addressing &a, bool standIn)
{
    const auto first = a.r.liftIp[0];
    if (a.lift == 0)
        return Kind::LiftZero;
    if (first == 0)
        return Kind::LiftInZeroNetwork;
    if (first == 127 && !standIn)
        return Kind::LiftLoopback;
    if (first >= 224 && first <= 239)
        return Kind::LiftMulticast;
    if (a.lift == 0xFFFFFFFFu)
        return Kind::LiftBroadcast;
    if (first >= 240)
        return Kind::LiftReserved;
    if (a.hostBits && (a.lift & ~a.mask) == 0)
        return Kind::LiftNetworkOfSubnet;
    if (a.hostBits && (a.lift & ~a.mask) == ~a.mask)
        return Kind::LiftBroadcastOfSubnet;
    return std::nullopt;
}

// A router of 0.0.0.0 is none, and needs no checking.
std::optional<Kind> RouterProblem(const Addressing &a)
{
    const std::uint32_t host = a.router & ~a.mask;
    if (a.router == 0)
        return std::nullopt;
    if (a.maskSound && (a.router & a.mask) != (a.lift & a.mask))
        return Kind::RouterOutsideSubnet;
    if (a.router == a.lift)
        return Kind::RouterIsLift;
    if (a.hostBits && host == 0)
        return Kind::RouterNetworkOfSubnet;
    if (a.hostBits && host == ~a.mask)
        return Kind::RouterBroadcastOfSubnet;
    return std::nullopt;
}

std::optional<Kind> MacProblem(const Mac &mac)
{
    const Mac zeros{}, ones{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    if (mac == zeros || mac == ones)
        return Kind::MacNotOneBoard;
    if (mac[0] & 1)
        return Kind::MacMulticast;
    return std::nullopt;
}

}  // namespace

QList<GuardProblem> GuardProblems(const StoredConfig &config, bool standIn)
{
    const ConfigRecord &r = config.config.record;
    QList<GuardProblem> problems;
    // A board on DHCP takes its address, mask and router from the network.
    if (!config.config.boardDhcp) {
        const Addressing addressing{r};
        MaskProblems(addressing, problems);
        if (const auto lift = LiftProblem(addressing, standIn))
            problems << addressing.about(*lift, r.liftIp);
        if (const auto router = RouterProblem(addressing))
            problems << addressing.about(*router, r.routerIp);
    }
    if (const auto mac = MacProblem(r.mac))
        problems << GuardProblem{*mac, {}, {}, {}, MacText(r.mac)};
    if (!AddressingAllowed(config.config.boardDhcp, r.consoleDynamic))
        problems << GuardProblem{Kind::DhcpNeedsDynamicConsole, {}, {}, {}, {}};
    return problems;
}

QString GuardText(const GuardProblem &p)
{
    switch (p.kind) {
    case Kind::MaskNotARun:
        return QStringLiteral("mask %1 is not a run of ones followed by zeros").arg(p.address);
    case Kind::MaskAllOnes:
        return QStringLiteral(
            "mask 255.255.255.255 leaves the board no subnet to reach its router or dispatcher "
            "through");
    case Kind::LiftZero: return QStringLiteral("lift address 0.0.0.0");
    case Kind::LiftInZeroNetwork:
        return QStringLiteral("lift address %1 is in 0.0.0.0/8, which names no host").arg(p.address);
    case Kind::LiftLoopback: return QStringLiteral("lift address %1 is a loopback address").arg(p.address);
    case Kind::LiftMulticast: return QStringLiteral("lift address %1 is a multicast address").arg(p.address);
    case Kind::LiftBroadcast: return QStringLiteral("lift address 255.255.255.255 is the broadcast address");
    case Kind::LiftReserved:
        return QStringLiteral("lift address %1 is in the reserved range 240.0.0.0/4").arg(p.address);
    case Kind::LiftNetworkOfSubnet:
        return QStringLiteral("lift address %1 is the network address of its subnet").arg(p.address);
    case Kind::LiftBroadcastOfSubnet:
        return QStringLiteral("lift address %1 is the broadcast address of its subnet").arg(p.address);
    case Kind::RouterOutsideSubnet:
        return QStringLiteral("router %1 is outside the subnet of %2/%3").arg(p.address, p.lift, p.mask);
    case Kind::RouterIsLift: return QStringLiteral("router %1 is the lift address itself").arg(p.address);
    case Kind::RouterNetworkOfSubnet:
        return QStringLiteral("router %1 is the network address of its subnet").arg(p.address);
    case Kind::RouterBroadcastOfSubnet:
        return QStringLiteral("router %1 is the broadcast address of its subnet").arg(p.address);
    case Kind::MacNotOneBoard: return QStringLiteral("MAC %1 is no address of one board").arg(p.mac);
    case Kind::MacMulticast:
        return QStringLiteral("MAC %1 is a multicast address (lowest bit of the first byte set)").arg(p.mac);
    case Kind::DhcpNeedsDynamicConsole: return QStringLiteral("a board on DHCP needs a dynamic console");
    }
    return {};
}

QStringList GuardTexts(const QList<GuardProblem> &problems)
{
    QStringList texts;
    for (const GuardProblem &problem : problems)
        texts << GuardText(problem);
    return texts;
}

QStringList DuplicateProblems(const QList<std::pair<QString, StoredConfig>> &boards)
{
    QStringList problems;
    QHash<QString, QString> lifts, macs;
    for (const auto &[name, config] : boards) {
        const QString lift = IpText(config.config.record.liftIp);
        const QString mac = MacText(config.config.record.mac);
        if (lifts.contains(lift))
            problems << QStringLiteral("%1 and %2 share the lift address %3").arg(lifts[lift], name, lift);
        else
            lifts.insert(lift, name);
        if (macs.contains(mac))
            problems << QStringLiteral("%1 and %2 share the MAC %3").arg(macs[mac], name, mac);
        else
            macs.insert(mac, name);
    }
    return problems;
}

}  // namespace velmar
