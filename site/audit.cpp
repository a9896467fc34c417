#include "audit.h"
#include "discover.h"
#include "write.h"

#include <QSet>

#include <algorithm>
#include <bit>

namespace velmar {

QString Subnet::text() const
{
    return QStringLiteral("%1/%2").arg(QHostAddress(network).toString()).arg(32 - std::popcount(~mask));
}

namespace {

using SubnetKey = std::pair<quint32, quint32>;  // network and mask

// The addresses to read in the order they were taken, each once.
class ReadOrder
{
public:
    void take(quint32 address)
    {
        if (!seen_.contains(address))
            seen_.insert(address), order_ << address;
    }
    qsizetype size() const { return order_.size(); }
    const QList<quint32> &order() const { return order_; }

private:
    QSet<quint32> seen_;
    QList<quint32> order_;
};

// The addresses nearest the lifts first, a step further out each round, so that every subnet is read
// around its lifts. A lift with no address of its subnet left either side drops out.
void TakeAroundLifts(QList<std::pair<quint32, Subnet>> around, ReadOrder &order)
{
    for (quint64 step = 1; !around.isEmpty() && order.size() < ScanBound; ++step) {
        QList<std::pair<quint32, Subnet>> further;
        for (const auto &[lift, subnet] : around) {
            const bool below = lift >= subnet.first() + step, above = lift + step <= subnet.last();
            if (below && order.size() < ScanBound)
                order.take(quint32(lift - step));
            if (above && order.size() < ScanBound)
                order.take(quint32(lift + step));
            if (below || above)
                further << std::pair{lift, subnet};
        }
        around = further;
    }
}

// How many of each subnet's addresses are read.
QList<Subnet> Counted(const QMap<SubnetKey, Subnet> &subnets, QList<quint32> sorted)
{
    std::sort(sorted.begin(), sorted.end());
    QList<Subnet> counted;
    for (Subnet subnet : subnets) {
        subnet.read = quint64(std::upper_bound(sorted.begin(), sorted.end(), subnet.last()) -
                              std::lower_bound(sorted.begin(), sorted.end(), subnet.first()));
        counted << subnet;
    }
    return counted;
}

}  // namespace

Scan ScanOf(const SitePlan &plan)
{
    QMap<SubnetKey, Subnet> subnets;
    QList<std::pair<quint32, Subnet>> lifts;  // each with its subnet
    for (const SitePlanRow &row : plan.rows) {
        const quint32 lift = ValueOfIpv4(*row.changes.lift), mask = ValueOfIpv4(*row.changes.mask);
        const Subnet subnet{lift & mask, mask, 0};
        subnets.insert(SubnetKey{subnet.network, mask}, subnet);
        lifts << std::pair{lift, subnet};
    }
    Scan scan;
    for (const Subnet &subnet : subnets)
        scan.hosts += subnet.hosts();
    ReadOrder order;
    for (const auto &lift : lifts)  // every planned lift is read, wherever the bound falls
        order.take(lift.first);
    if (scan.hosts <= quint64(ScanBound)) {
        for (const Subnet &subnet : subnets)
            for (quint64 host = subnet.first(); host <= subnet.last(); ++host)
                order.take(quint32(host));
    } else {
        TakeAroundLifts(lifts, order);
    }
    scan.subnets = Counted(subnets, order.order());
    for (const quint32 address : order.order())
        scan.addresses << QHostAddress(address);
    return scan;
}

namespace {

// Each field that differs: "mask 255.255.0.0 (stored 255.255.255.0)".
QStringList Against(const StoredConfig &have, const StoredConfig &other, const char *what)
{
    QStringList differences = Differences(have, other);
    for (QString &difference : differences)
        difference.replace(QStringLiteral("(planned "), QStringLiteral("(%1 ").arg(QLatin1String(what)));
    return differences;
}

QList<QHostAddress> PlannedLifts(const SitePlan &plan)
{
    QList<QHostAddress> planned;
    for (const SitePlanRow &row : plan.rows)
        planned << HostAddressOf(*row.changes.lift);
    return planned;
}

}  // namespace

SiteReads ReadSite(const Link &link, const Scan &scan, const SitePlan &plan)
{
    LinkedSession session(link);
    SiteReads reads;
    reads.twoBoards = TwoBoardsOn(session, scan.addresses, link.timing);
    reads.stored = session.read(scan.addresses, SelectorStored, link.timing);
    for (auto it = session.twoBoards().begin(); it != session.twoBoards().end(); ++it)
        for (const QString &mac : *it)
            if (QStringList &macs = reads.twoBoards[it.key()]; !macs.contains(mac))
                macs << mac;
    for (QStringList &macs : reads.twoBoards)
        macs.sort();
    reads.working = session.read(PlannedLifts(plan), SelectorWorking, link.timing);
    reads.stopped = session.cancelled();
    return reads;
}

namespace {

// The lifts' addresses, and the boards that answer where no lift is planned; a board that answers
// elsewhere with a row's planned MAC is that row's board, moved, and is accounted for by it.
class Accounts
{
public:
    Accounts(const SitePlan &plan, const QHash<quint32, StoredConfig> &stored) : stored_(stored)
    {
        for (const QHostAddress &lift : PlannedLifts(plan))
            lifts_.insert(lift.toIPv4Address());
        accounted_ = lifts_;
        for (auto it = stored.begin(); it != stored.end(); ++it)
            if (!lifts_.contains(it.key()))
                others_ << it.key();
    }
    bool isLift(quint32 address) const { return lifts_.contains(address); }
    bool accounted(quint32 address) const { return accounted_.contains(address); }
    std::optional<quint32> takeMovedBoardOf(const SitePlanRow &row)
    {
        for (const quint32 other : others_) {
            const StoredConfig &board = *stored_.constFind(other);
            if (!accounted_.contains(other) &&
                board.config.record.mac == HeldAfterWrite(PlannedConfig(row, board)).config.record.mac) {
                accounted_.insert(other);
                return other;
            }
        }
        return std::nullopt;
    }

private:
    const QHash<quint32, StoredConfig> &stored_;
    QSet<quint32> lifts_, accounted_;
    QList<quint32> others_;
};

// A lift's board against its row: the fields that differ (the lift address not again for a moved one),
// and what it runs beside what it stored.
void Judge(AuditFinding &finding, const SitePlanRow &row, const StoredConfig &have,
           const std::optional<StoredConfig> &running)
{
    const StoredConfig planned = HeldAfterWrite(PlannedConfig(row, have));
    QStringList differs = Differences(have, planned);
    finding.differs = ChangesBetween(have, planned);
    if (finding.state == AuditState::Moved) {  // said already
        differs.removeIf([](const QString &d) { return d.startsWith(QLatin1String("lift ")); });
        finding.differs.removeIf([](const FieldChange &c) { return c.field == QLatin1String("lift"); });
    }
    if (!differs.isEmpty() && finding.state == AuditState::AsPlanned)
        finding.state = AuditState::Differs;
    finding.details += differs;
    if (!running || Same(*running, have))
        return;
    if (finding.state == AuditState::AsPlanned)
        finding.state = AuditState::RebootPending;
    else
        finding.rebootPending = true;
    for (const QString &difference : Against(*running, have, "stored"))
        finding.details << QStringLiteral("runs ") + difference;
    finding.runs = ChangesBetween(*running, have);
}

AuditFinding LiftFinding(const SitePlanRow &row, const SiteReads &reads, Accounts &accounts)
{
    const QHostAddress address = HostAddressOf(*row.changes.lift);
    const quint32 key = address.toIPv4Address();
    AuditFinding finding;
    finding.row = row.name;
    finding.address = address;
    if (reads.twoBoards.contains(key)) {
        finding.state = AuditState::TwoBoards;
        finding.details << TwoBoardsText(reads.twoBoards[key], address);
        finding.macs = reads.twoBoards[key];
        return finding;
    }
    quint32 at = key;
    if (!reads.stored.contains(key)) {
        const auto moved = accounts.takeMovedBoardOf(row);
        if (!moved) {
            finding.state = AuditState::Silent;
            return finding;
        }
        finding.state = AuditState::Moved;
        finding.details << QStringLiteral("answers at %1 instead of %2")
                               .arg(QHostAddress(*moved).toString(), address.toString());
        finding.answersAt = QHostAddress(*moved);
        at = *moved;
    }
    const auto running = reads.working.find(at);
    Judge(finding, row, reads.stored[at],
          running == reads.working.end() ? std::nullopt : std::optional(*running));
    return finding;
}

}  // namespace

SiteAudit ClassifySite(const SitePlan &plan, const QList<QHostAddress> &everywhere, const SiteReads &reads)
{
    SiteAudit audit;
    Accounts accounts(plan, reads.stored);
    for (const SitePlanRow &row : plan.rows) {
        const AuditFinding finding = LiftFinding(row, reads, accounts);
        audit.lifts[finding.state] += 1;
        audit.pending += finding.state == AuditState::RebootPending || finding.rebootPending;
        audit.findings << finding;
    }
    for (const QHostAddress &host : everywhere) {
        const quint32 key = host.toIPv4Address();
        if (accounts.isLift(key))
            continue;
        if (reads.twoBoards.contains(key)) {
            ++audit.otherClashes;
            AuditFinding finding;
            finding.address = host;
            finding.state = AuditState::TwoBoards;
            finding.details << TwoBoardsText(reads.twoBoards[key], host);
            finding.macs = reads.twoBoards[key];
            audit.findings << finding;
        } else if (reads.stored.contains(key) && !accounts.accounted(key)) {
            ++audit.notInPlan;
            const QString mac = MacText(reads.stored[key].config.record.mac);
            AuditFinding finding;
            finding.address = host;
            finding.state = AuditState::NotInPlan;
            finding.details << QStringLiteral("MAC %1").arg(mac);
            finding.macs << mac;
            audit.findings << finding;
        }
    }
    return audit;
}

}  // namespace velmar
