#include "audit.h"
#include "console.h"

#include "commission.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

namespace velmar {

namespace {

// The addresses of a lift's subnet that a board may have, a /24 at most around the lift.
QList<QHostAddress> SubnetOf(const Ipv4 &lift, const Ipv4 &mask)
{
    const quint32 address = QHostAddress(IpText(lift)).toIPv4Address();
    quint32 bits = QHostAddress(IpText(mask)).toIPv4Address();
    bits |= 0xFFFFFF00u;
    if (~bits < 2)
        return {QHostAddress(address)};
    QList<QHostAddress> hosts;
    for (quint32 host = 1; host < ~bits; ++host)
        hosts << QHostAddress((address & bits) | host);
    return hosts;
}

struct Finding
{
    QString row, address, state;
    QStringList details;
};

}  // namespace

int AuditCommand(const Link &link, const QString &planPath, bool json, Console &console)
{
    const SitePlan plan = LoadSitePlan(planPath, true, QHostAddress(), console);
    QList<QHostAddress> planned, everywhere;
    QSet<quint32> seen;
    for (const PlanRow &row : plan.rows) {
        planned << QHostAddress(IpText(*row.changes.lift));
        for (const QHostAddress &host : SubnetOf(*row.changes.lift, *row.changes.mask))
            if (!seen.contains(host.toIPv4Address())) {
                seen.insert(host.toIPv4Address());
                everywhere << host;
            }
    }
    LinkedSession session(link);
    const auto stored = session.read(everywhere, SelectorStored, link.timing);
    QHash<quint32, QString> twoBoards;
    for (const QHostAddress &host : everywhere)
        if (const QString two = session.twoBoardsAt(host); !two.isEmpty())
            twoBoards.insert(host.toIPv4Address(), two);
    const auto working = session.read(planned, SelectorWorking, link.timing);
    if (Interrupted())
        return Stopped(console);

    QList<Finding> findings;
    QSet<quint32> inPlan;
    for (const PlanRow &row : plan.rows) {
        const QHostAddress address(IpText(*row.changes.lift));
        const quint32 key = address.toIPv4Address();
        inPlan.insert(key);
        Finding finding{row.name, address.toString(), QStringLiteral("as planned"), {}};
        const auto have = stored.find(key);
        if (twoBoards.contains(key)) {
            finding.state = QStringLiteral("two boards");
            finding.details << twoBoards[key];
        } else if (have == stored.end()) {
            finding.state = QStringLiteral("silent");
        } else {
            finding.details = Differences(*have, Expected(ValuesFor(Planned(row, *have))));
            const auto running = working.find(key);
            if (!finding.details.isEmpty())
                finding.state = QStringLiteral("differs");
            else if (running != working.end() && !Same(*running, *have)) {
                finding.state = QStringLiteral("reboot pending");
                finding.details << QStringLiteral("the board runs another configuration than it stored");
            }
        }
        findings << finding;
    }
    for (const QHostAddress &host : everywhere) {
        const auto have = stored.find(host.toIPv4Address());
        if (have != stored.end() && !inPlan.contains(host.toIPv4Address()))
            findings << Finding{QString(),
                                host.toString(),
                                QStringLiteral("not in plan"),
                                {QStringLiteral("MAC %1").arg(MacText(have->config.record.mac))}};
    }

    int trouble = 0;
    for (const Finding &f : findings) {
        trouble += f.state != QLatin1String("as planned");
        if (json) {
            QJsonObject object{{"row", f.row}, {"address", f.address}, {"state", f.state}};
            if (!f.details.isEmpty())
                object.insert("details", QJsonArray::fromStringList(f.details));
            console.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        } else {
            console.out << qSetFieldWidth(16) << Qt::left
                        << Printable(f.row.isEmpty() ? QStringLiteral("-") : f.row) << qSetFieldWidth(16)
                        << f.address << qSetFieldWidth(0) << f.state
                        << (f.details.isEmpty() ? QString()
                                                : QStringLiteral(": ") + f.details.join(QStringLiteral("; ")))
                        << '\n';
        }
    }
    console.out.flush();
    if (trouble)
        console.err << trouble << " finding(s) on the site against " << planPath << '\n';
    return trouble ? SomeFailed : Ok;
}

}  // namespace velmar
