#include "audit.h"
#include "console.h"

#include "commission.h"
#include "whole_file.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QSet>

#include <bit>

namespace velmar {

namespace {

// A planned subnet and the part of it that is read: all of it, or the ScanBound addresses around its
// planned lifts.
struct Subnet
{
    quint32 network = 0, mask = 0;
    quint32 low = 0, high = 0;  // of the lifts planned in it
    quint32 first = 0, last = 0;

    quint64 hosts() const { return quint64(~mask) + 1 <= 2 ? 1 : quint64(~mask) - 1; }
    QString text() const
    {
        return QStringLiteral("%1/%2").arg(QHostAddress(network).toString()).arg(32 - std::popcount(~mask));
    }
};

QList<Subnet> SubnetsOf(const SitePlan &plan)
{
    QMap<std::pair<quint32, quint32>, Subnet> subnets;
    for (const PlanRow &row : plan.rows) {
        const quint32 lift = ValueOfIpv4(*row.changes.lift), mask = ValueOfIpv4(*row.changes.mask);
        const std::pair key{lift & mask, mask};
        if (!subnets.contains(key))
            subnets.insert(key, Subnet{lift & mask, mask, lift, lift, 0, 0});
        Subnet &s = subnets[key];
        s.low = std::min(s.low, lift);
        s.high = std::max(s.high, lift);
    }
    QList<Subnet> list;
    for (Subnet s : subnets) {
        // The host addresses, without the network's and the broadcast address (a /31 or /32 has none).
        const quint32 from = s.hosts() == 1 ? s.network : s.network + 1;
        const quint32 to = s.hosts() == 1 ? s.network | ~s.mask : (s.network | ~s.mask) - 1;
        if (quint64(to) - from + 1 <= quint64(ScanBound)) {
            s.first = from, s.last = to;
        } else {
            // Centred on the planned lifts, within the subnet.
            const quint64 middle = (quint64(s.low) + s.high) / 2;
            quint64 first = middle > quint64(from) + ScanBound / 2 ? middle - ScanBound / 2 : from;
            first = std::min<quint64>(first, quint64(to) - ScanBound + 1);
            s.first = quint32(first), s.last = quint32(first + ScanBound - 1);
        }
        list << s;
    }
    return list;
}

struct Finding
{
    QString row, address, state;
    QStringList details;
};

// Each field that differs: "mask 255.255.0.0 (stored 255.255.255.0)".
QStringList Against(const StoredConfig &have, const StoredConfig &other, const char *what)
{
    QStringList differences = Differences(have, other);
    for (QString &difference : differences)
        difference.replace(QStringLiteral("(planned "), QStringLiteral("(%1 ").arg(QLatin1String(what)));
    return differences;
}

QString Cell(const QString &text)
{
    return text.toHtmlEscaped();
}

// One self-contained page per 40 lifts, as a manager prints it.
QString HtmlReport(const QString &title, const QList<Finding> &findings, const QString &totals)
{
    constexpr int RowsPerPage = 40;
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>\n"
                       "<style>body{font-family:sans-serif;font-size:10pt}"
                       "table{border-collapse:collapse;width:100%;page-break-after:always}"
                       "table:last-of-type{page-break-after:auto}"
                       "td,th{border:1px solid #999;padding:2px 4px;text-align:left;vertical-align:top}"
                       ".ok{color:#060}.trouble{color:#a00;font-weight:bold}</style></head><body>\n"
                       "<h1>%1</h1>\n")
            .arg(Cell(title));
    for (qsizetype start = 0; start < findings.size() || start == 0; start += RowsPerPage) {
        html +=
            QStringLiteral("<table><tr><th>lift</th><th>address</th><th>state</th><th>details</th></tr>\n");
        for (qsizetype i = start; i < std::min(findings.size(), start + RowsPerPage); ++i) {
            const Finding &f = findings[i];
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td class=\"%3\">%4</td><td>%5</td></tr>\n")
                        .arg(Cell(f.row.isEmpty() ? QStringLiteral("-") : f.row), Cell(f.address),
                             f.state == QLatin1String("as planned") ? "ok" : "trouble", Cell(f.state),
                             Cell(f.details.join(QStringLiteral("; "))));
        }
        html += QStringLiteral("</table>\n");
    }
    return html + QStringLiteral("<p>%1</p>\n</body></html>\n").arg(Cell(totals));
}

}  // namespace

int AuditCommand(const Link &link, const QString &planPath, bool json, const QString &htmlPath,
                 Console &console)
{
    const SitePlan plan = LoadSitePlan(planPath, true, QHostAddress(), console);
    const QString when = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QString title =
        QStringLiteral("Audit of %1 (%2 lifts), %3").arg(planPath).arg(plan.rows.size()).arg(when);
    QList<QHostAddress> planned, everywhere;
    QSet<quint32> seen;
    for (const PlanRow &row : plan.rows)
        planned << HostAddressOf(*row.changes.lift);
    for (const Subnet &subnet : SubnetsOf(plan)) {
        if (subnet.last - subnet.first + 1 < subnet.hosts())
            console.err << "subnet " << subnet.text() << " has " << subnet.hosts() << " addresses; read are "
                        << ScanBound << " of them around its lifts, " << QHostAddress(subnet.first).toString()
                        << " to " << QHostAddress(subnet.last).toString() << '\n';
        for (quint64 host = subnet.first; host <= subnet.last; ++host)
            if (!seen.contains(quint32(host)))
                seen.insert(quint32(host)), everywhere << QHostAddress(quint32(host));
    }
    for (const QHostAddress &lift : planned)  // every planned lift is read, wherever the bound falls
        if (!seen.contains(lift.toIPv4Address()))
            seen.insert(lift.toIPv4Address()), everywhere << lift;
    LinkedSession session(link);
    const auto stored = session.read(everywhere, SelectorStored, link.timing);
    QHash<quint32, QString> twoBoards;
    for (const QHostAddress &host : everywhere)
        if (const QString two = session.twoBoardsAt(host); !two.isEmpty())
            twoBoards.insert(host.toIPv4Address(), two);
    const auto working = session.read(planned, SelectorWorking, link.timing);
    if (Interrupted())
        return Stopped(console);

    QSet<quint32> accounted;
    for (const QHostAddress &lift : planned)
        accounted.insert(lift.toIPv4Address());
    // A board that answers elsewhere with a row's planned MAC is that row's board, moved.
    auto movedBoardOf = [&](const PlanRow &row) -> std::optional<quint32> {
        for (auto it = stored.begin(); it != stored.end(); ++it)
            if (!accounted.contains(it.key()) &&
                it->config.record.mac == Expected(ValuesFor(Planned(row, *it))).config.record.mac)
                return it.key();
        return std::nullopt;
    };

    QList<Finding> findings;
    QMap<QString, int> counts;  // by the state's first word
    int pending = 0;
    for (const PlanRow &row : plan.rows) {
        const QHostAddress address = HostAddressOf(*row.changes.lift);
        const quint32 key = address.toIPv4Address();
        Finding finding{row.name, address.toString(), QStringLiteral("as planned"), {}};
        auto have = stored.find(key);
        if (twoBoards.contains(key)) {
            finding.state = QStringLiteral("two boards");
            finding.details << twoBoards[key];
        } else if (have == stored.end()) {
            finding.state = QStringLiteral("silent");
            if (const auto moved = movedBoardOf(row)) {
                accounted.insert(*moved);
                finding.state = QStringLiteral("moved");
                finding.details << QStringLiteral("answers at %1 instead of %2")
                                       .arg(QHostAddress(*moved).toString(), address.toString());
                have = stored.find(*moved);
            }
        }
        if (have != stored.end() && !twoBoards.contains(key)) {
            const StoredConfig want = Expected(ValuesFor(Planned(row, *have)));
            QStringList differs = Differences(*have, want);
            if (finding.state == QLatin1String("moved"))  // said already
                differs.removeIf([](const QString &d) { return d.startsWith(QLatin1String("lift ")); });
            if (!differs.isEmpty() && finding.state == QLatin1String("as planned"))
                finding.state = QStringLiteral("differs");
            finding.details += differs;
            // What the board runs until its next start, beside what it stored.
            if (const auto running = working.find(have.key());
                running != working.end() && !Same(*running, *have)) {
                ++pending;
                finding.state = finding.state == QLatin1String("as planned")
                                    ? QStringLiteral("reboot pending")
                                    : finding.state + QStringLiteral(", reboot pending");
                for (const QString &difference : Against(*running, *have, "stored"))
                    finding.details << QStringLiteral("runs ") + difference;
            }
        }
        counts[finding.state.section(QLatin1Char(','), 0, 0)] += 1;
        findings << finding;
    }
    int unknown = 0;
    for (const QHostAddress &host : everywhere) {
        const auto have = stored.find(host.toIPv4Address());
        if (have != stored.end() && !accounted.contains(host.toIPv4Address())) {
            ++unknown;
            findings << Finding{QString(),
                                host.toString(),
                                QStringLiteral("not in plan"),
                                {QStringLiteral("MAC %1").arg(MacText(have->config.record.mac))}};
        }
    }
    int unknownClashes = 0;
    for (auto it = twoBoards.begin(); it != twoBoards.end(); ++it)
        unknownClashes += !planned.contains(QHostAddress(it.key()));
    const QString totals =
        QStringLiteral("%1 lifts: %2 as planned, %3 differ, %4 moved, %5 silent, %6 with two "
                       "boards; %7 with a reboot pending; %8 board(s) not in plan, %9 other "
                       "address(es) with two boards")
            .arg(plan.rows.size())
            .arg(counts.value(QStringLiteral("as planned")))
            .arg(counts.value(QStringLiteral("differs")))
            .arg(counts.value(QStringLiteral("moved")))
            .arg(counts.value(QStringLiteral("silent")))
            .arg(counts.value(QStringLiteral("two boards")))
            .arg(pending)
            .arg(unknown)
            .arg(unknownClashes);

    int trouble = 0;
    qsizetype nameWidth = 1, addressWidth = 0;
    for (const Finding &f : findings) {
        nameWidth = std::max(nameWidth, Printable(f.row).size());
        addressWidth = std::max(addressWidth, f.address.size());
    }
    if (!json)
        console.out << title << "\n\n";
    for (const Finding &f : findings) {
        trouble += f.state != QLatin1String("as planned");
        if (json) {
            // The states as they always were; a reboot pending beside a difference is a field of its own.
            const QString state = f.state.section(QLatin1Char(','), 0, 0);
            QJsonObject object{{"row", f.row}, {"address", f.address}, {"state", state}};
            if (state != f.state)
                object.insert("rebootPending", true);
            if (!f.details.isEmpty())
                object.insert("details", QJsonArray::fromStringList(f.details));
            console.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        } else {
            console.out << Printable(f.row.isEmpty() ? QStringLiteral("-") : f.row)
                               .leftJustified(nameWidth + 2, QLatin1Char(' '))
                        << f.address.leftJustified(addressWidth + 2, QLatin1Char(' ')) << f.state
                        << (f.details.isEmpty() ? QString()
                                                : QStringLiteral(": ") + f.details.join(QStringLiteral("; ")))
                        << '\n';
        }
    }
    if (!json)
        console.out << '\n' << totals << '\n';
    console.out.flush();
    if (!htmlPath.isEmpty()) {
        QString error;
        if (!WriteWholeFile(htmlPath, HtmlReport(title, findings, totals).toUtf8(), error))
            Fail(SomeFailed, QStringLiteral("cannot write %1: %2").arg(htmlPath, error));
        console.err << "report: " << htmlPath << '\n';
    }
    if (trouble)
        console.err << trouble << " finding(s) on the site against " << planPath << '\n';
    return trouble ? SomeFailed : Ok;
}

}  // namespace velmar
