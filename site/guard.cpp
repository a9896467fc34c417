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

namespace {

// What a board of this lift address, mask and router could not do: reach its router and dispatcher, or
// be reached at all.
struct Addressing
{
    const ConfigRecord &r;
    std::uint32_t lift = ValueOfIpv4(r.liftIp), mask = ValueOfIpv4(r.netMask),
                  router = ValueOfIpv4(r.routerIp);
    bool maskSound = IsMask(mask);
    bool hostBits = maskSound && ~mask > 1;  // a subnet with a network and a broadcast address
    QString liftText = IpText(r.liftIp);
};

void MaskProblems(const Addressing &a, QStringList &problems)
{
    if (!a.maskSound)
        problems << QStringLiteral("mask %1 is not a run of ones followed by zeros").arg(IpText(a.r.netMask));
    else if (a.mask == 0xFFFFFFFFu)
        problems << QStringLiteral("mask 255.255.255.255 leaves the board no subnet to reach its router "
                                   "or dispatcher through");
}

// The first thing that makes the lift address no address of one board, if any.
QString LiftProblem(const Addressing &a, bool standIn)
{
    const auto first = a.r.liftIp[0];
    if (a.lift == 0)
        return QStringLiteral("lift address 0.0.0.0");
    if (first == 0)
        return QStringLiteral("lift address %1 is in 0.0.0.0/8, which names no host").arg(a.liftText);
    if (first == 127 && !standIn)
        return QStringLiteral("lift address %1 is a loopback address").arg(a.liftText);
    if (first >= 224 && first <= 239)
        return QStringLiteral("lift address %1 is a multicast address").arg(a.liftText);
    if (a.lift == 0xFFFFFFFFu)
        return QStringLiteral("lift address 255.255.255.255 is the broadcast address");
    if (first >= 240)
        return QStringLiteral("lift address %1 is in the reserved range 240.0.0.0/4").arg(a.liftText);
    if (a.hostBits && (a.lift & ~a.mask) == 0)
        return QStringLiteral("lift address %1 is the network address of its subnet").arg(a.liftText);
    if (a.hostBits && (a.lift & ~a.mask) == ~a.mask)
        return QStringLiteral("lift address %1 is the broadcast address of its subnet").arg(a.liftText);
    return {};
}

// A router of 0.0.0.0 is none, and needs no checking.
QString RouterProblem(const Addressing &a)
{
    const QString router = IpText(a.r.routerIp);
    const std::uint32_t host = a.router & ~a.mask;
    if (a.router == 0)
        return {};
    if (a.maskSound && (a.router & a.mask) != (a.lift & a.mask))
        return QStringLiteral("router %1 is outside the subnet of %2/%3")
            .arg(router, a.liftText, IpText(a.r.netMask));
    if (a.router == a.lift)
        return QStringLiteral("router %1 is the lift address itself").arg(router);
    if (a.hostBits && (host == ~a.mask || host == 0))
        return QStringLiteral("router %1 is the %2 address of its subnet")
            .arg(router, host == 0 ? QStringLiteral("network") : QStringLiteral("broadcast"));
    return {};
}

QString MacProblem(const Mac &mac)
{
    const Mac zeros{}, ones{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    if (mac == zeros || mac == ones)
        return QStringLiteral("MAC %1 is no address of one board").arg(MacText(mac));
    if (mac[0] & 1)
        return QStringLiteral("MAC %1 is a multicast address (lowest bit of the first byte set)")
            .arg(MacText(mac));
    return {};
}

void AddIfAny(QStringList &problems, const QString &problem)
{
    if (!problem.isEmpty())
        problems << problem;
}

}  // namespace

QStringList GuardProblems(const StoredConfig &config, bool standIn)
{
    const ConfigRecord &r = config.config.record;
    QStringList problems;
    // A board on DHCP takes its address, mask and router from the network.
    if (!config.config.boardDhcp) {
        const Addressing addressing{r};
        MaskProblems(addressing, problems);
        AddIfAny(problems, LiftProblem(addressing, standIn));
        AddIfAny(problems, RouterProblem(addressing));
    }
    AddIfAny(problems, MacProblem(r.mac));
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
