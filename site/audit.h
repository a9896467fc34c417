#pragma once
// A site checked against its plan: every lift where the plan puts it, as planned, and nothing else on the
// planned subnets. What is read (every planned lift, stored and working, and every other address of the
// planned subnets, within a bound), and a pure classification of what was read against the plan.

#include "link.h"
#include "sink.h"
#include "site_plan.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace velmar {

// The addresses read at most, all the planned subnets together, the planned lifts always among them:
// where the subnets hold more, each is read around its planned lifts, and said so.
inline constexpr int ScanBound = 4096;

// A planned subnet: its host addresses, without the network's and the broadcast address (a /31 or /32
// has none), and how many of them are read.
struct Subnet
{
    quint32 network = 0, mask = 0;
    quint64 read = 0;

    quint64 hosts() const { return quint64(~mask) + 1 <= 2 ? quint64(~mask) + 1 : quint64(~mask) - 1; }
    quint32 first() const { return quint64(~mask) + 1 <= 2 ? network : network + 1; }
    quint32 last() const { return quint64(~mask) + 1 <= 2 ? network | ~mask : (network | ~mask) - 1; }
    QString text() const;
};

// What the audit reads: every planned lift, and the other addresses of the planned subnets, at most
// ScanBound in all.
struct Scan
{
    QList<QHostAddress> addresses;  // the planned lifts first
    QList<Subnet> subnets;
    quint64 hosts = 0;  // of all the planned subnets together
};
Scan ScanOf(const SitePlan &plan);

// What was read: each address's stored configuration, each planned lift's working one, and the
// addresses two boards claim, with their MACs in order.
struct SiteReads
{
    QHash<quint32, StoredConfig> stored, working;
    QHash<quint32, QStringList> twoBoards;
    bool stopped = false;
};
// Two boards on one address: a unicast reaches one of them, so every board that could claim an address
// read is asked at once by broadcast, before the reads. On loopback, where every board hears the read,
// the read alone tells.
SiteReads ReadSite(const Link &link, const Scan &scan, const SitePlan &plan);

enum class AuditState {
    AsPlanned,
    Differs,        // a field differs from the plan
    Moved,          // its planned MAC answers at another address
    RebootPending,  // as planned, but what it runs differs from what it stored
    Silent,
    TwoBoards,
    NotInPlan,  // a board at an address the plan does not name
};

struct AuditFinding
{
    QString row;  // empty for an address the plan does not name
    QHostAddress address;
    AuditState state = AuditState::AsPlanned;
    bool rebootPending = false;  // besides a difference or a move
    // "mask 255.255.0.0 (planned 255.255.255.0)", "answers at A instead of B", "runs ... (stored ...)",
    // the two boards' MACs, a board's MAC.
    QStringList details;
    // The same as values, for a window to word: the fields that differ (from: the board's, to: the plan's),
    // what it runs beside what it stored (from: running, to: stored), where a moved board answers, the MACs
    // of two boards, or of a board the plan does not name.
    QList<FieldChange> differs, runs;
    QHostAddress answersAt;
    QStringList macs;
};

struct SiteAudit
{
    QList<AuditFinding> findings;  // one per lift in the plan's order, then the other addresses
    QMap<AuditState, int> lifts;   // the lifts by state
    int pending = 0;               // lifts with a reboot pending
    int notInPlan = 0, otherClashes = 0;
};

// `everywhere`: the addresses read (Scan::addresses).
SiteAudit ClassifySite(const SitePlan &plan, const QList<QHostAddress> &everywhere, const SiteReads &reads);

}  // namespace velmar
