#include "guard.h"

#include "config_file.h"

#include <QHash>

namespace velmar {

namespace {

// A run of ones, then zeros, and not 0.0.0.0.
bool IsMask(std::uint32_t mask)
{
    return mask != 0 && (~mask & (~mask + 1)) == 0;
}

}  // namespace

QStringList GuardProblems(const StoredConfig &config, bool standIn)
{
    const ConfigRecord &r = config.config.record;
    QStringList problems;
    // A board on DHCP takes its address, mask and router from the network.
    if (!config.config.boardDhcp) {
        const std::uint32_t lift = ValueOfIpv4(r.liftIp), mask = ValueOfIpv4(r.netMask),
                            router = ValueOfIpv4(r.routerIp);
        const bool maskSound = IsMask(mask);
        const bool hostBits = maskSound && ~mask > 1;  // a subnet with a network and a broadcast address
        const QString liftText = IpText(r.liftIp);
        if (!maskSound)
            problems
                << QStringLiteral("mask %1 is not a run of ones followed by zeros").arg(IpText(r.netMask));
        else if (mask == 0xFFFFFFFFu)
            problems << QStringLiteral("mask 255.255.255.255 leaves the board no subnet to reach its router "
                                       "or dispatcher through");
        if (lift == 0)
            problems << QStringLiteral("lift address 0.0.0.0");
        else if (r.liftIp[0] == 0)
            problems << QStringLiteral("lift address %1 is in 0.0.0.0/8, which names no host").arg(liftText);
        else if (r.liftIp[0] == 127 && !standIn)
            problems << QStringLiteral("lift address %1 is a loopback address").arg(liftText);
        else if (r.liftIp[0] >= 224 && r.liftIp[0] <= 239)
            problems << QStringLiteral("lift address %1 is a multicast address").arg(liftText);
        else if (lift == 0xFFFFFFFFu)
            problems << QStringLiteral("lift address 255.255.255.255 is the broadcast address");
        else if (r.liftIp[0] >= 240)
            problems << QStringLiteral("lift address %1 is in the reserved range 240.0.0.0/4").arg(liftText);
        else if (hostBits && (lift & ~mask) == 0)
            problems << QStringLiteral("lift address %1 is the network address of its subnet").arg(liftText);
        else if (hostBits && (lift & ~mask) == ~mask)
            problems
                << QStringLiteral("lift address %1 is the broadcast address of its subnet").arg(liftText);
        if (router != 0 && maskSound && (router & mask) != (lift & mask))
            problems << QStringLiteral("router %1 is outside the subnet of %2/%3")
                            .arg(IpText(r.routerIp), liftText, IpText(r.netMask));
        else if (router != 0 && router == lift)
            problems << QStringLiteral("router %1 is the lift address itself").arg(IpText(r.routerIp));
        else if (router != 0 && hostBits && ((router & ~mask) == ~mask || (router & ~mask) == 0))
            problems << QStringLiteral("router %1 is the %2 address of its subnet")
                            .arg(IpText(r.routerIp), (router & ~mask) == 0 ? QStringLiteral("network")
                                                                           : QStringLiteral("broadcast"));
    }
    const Mac zeros{}, ones{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    if (r.mac == zeros || r.mac == ones)
        problems << QStringLiteral("MAC %1 is no address of one board").arg(MacText(r.mac));
    else if (r.mac[0] & 1)
        problems << QStringLiteral("MAC %1 is a multicast address (lowest bit of the first byte set)")
                        .arg(MacText(r.mac));
    if (!AddressingAllowed(config.config.boardDhcp, r.consoleDynamic))
        problems << QStringLiteral("a board on DHCP needs a dynamic console");
    return problems;
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
