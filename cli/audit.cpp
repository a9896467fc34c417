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

#include <algorithm>
#include <bit>

namespace velmar {

namespace {

// A planned subnet: its host addresses, without the network's and the broadcast address (a /31 or /32
// has none), and how many of them are read.
struct Subnet
{
    quint32 network = 0, mask = 0;
    quint64 read = 0;

    quint64 hosts() const { return quint64(~mask) + 1 <= 2 ? quint64(~mask) + 1 : quint64(~mask) - 1; }
    quint32 first() const { return quint64(~mask) + 1 <= 2 ? network : network + 1; }
    quint32 last() const { return quint64(~mask) + 1 <= 2 ? network | ~mask : (network | ~mask) - 1; }
    QString text() const
    {
        return QStringLiteral("%1/%2").arg(QHostAddress(network).toString()).arg(32 - std::popcount(~mask));
    }
};

// What the audit reads: every planned lift, and the other addresses of the planned subnets, at most
// ScanBound in all.
struct Scan
{
    QList<QHostAddress> addresses;  // the planned lifts first
    QList<Subnet> subnets;
    quint64 hosts = 0;  // of all the planned subnets together
};

Scan ScanOf(const SitePlan &plan)
{
    using Key = std::pair<quint32, quint32>;
    QMap<Key, Subnet> subnets;
    QList<std::pair<quint32, Key>> lifts;  // each with its subnet
    for (const PlanRow &row : plan.rows) {
        const quint32 lift = ValueOfIpv4(*row.changes.lift), mask = ValueOfIpv4(*row.changes.mask);
        const Key key{lift & mask, mask};
        if (!subnets.contains(key))
            subnets.insert(key, Subnet{lift & mask, mask, 0});
        lifts << std::pair{lift, key};
    }
    Scan scan;
    for (const Subnet &subnet : subnets)
        scan.hosts += subnet.hosts();
    QSet<quint32> seen;
    QList<quint32> order;
    auto take = [&](quint32 address) {
        if (!seen.contains(address))
            seen.insert(address), order << address;
    };
    for (const auto &lift : lifts)  // every planned lift is read, wherever the bound falls
        take(lift.first);
    if (scan.hosts <= quint64(ScanBound)) {
        for (const Subnet &subnet : subnets)
            for (quint64 host = subnet.first(); host <= subnet.last(); ++host)
                take(quint32(host));
    } else {
        // The addresses nearest the lifts first, a step further out each round, so that every subnet is
        // read around its lifts. A lift with no address of its subnet left either side drops out.
        QList<std::pair<quint32, Subnet>> around;
        for (const auto &[lift, key] : lifts)
            around << std::pair{lift, subnets.value(key)};
        for (quint64 step = 1; !around.isEmpty() && order.size() < ScanBound; ++step) {
            QList<std::pair<quint32, Subnet>> further;
            for (const auto &[lift, subnet] : around) {
                const bool below = lift >= subnet.first() + step, above = lift + step <= subnet.last();
                if (below && order.size() < ScanBound)
                    take(quint32(lift - step));
                if (above && order.size() < ScanBound)
                    take(quint32(lift + step));
                if (below || above)
                    further << std::pair{lift, subnet};
            }
            around = further;
        }
    }
    QList<quint32> sorted = order;
    std::sort(sorted.begin(), sorted.end());
    for (Subnet subnet : subnets) {
        subnet.read = quint64(std::upper_bound(sorted.begin(), sorted.end(), subnet.last()) -
                              std::lower_bound(sorted.begin(), sorted.end(), subnet.first()));
        scan.subnets << subnet;
    }
    for (const quint32 address : order)
        scan.addresses << QHostAddress(address);
    return scan;
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

// What a technician does about each state, in the order the page names them.
struct Advice
{
    const char *state, *what;
};
constexpr Advice Advices[] = {
    {"differs", "write the planned values: velmarctl write ADDRESS with the fields named (--mask, --router, "
                "...)"},
    {"moved", "give the board its planned address: velmarctl write ADDRESS --lift PLANNED, then velmarctl "
              "reboot ADDRESS --wait"},
    {"reboot pending", "restart the board so that it runs what it stored: velmarctl reboot ADDRESS --wait"},
    {"silent", "check power and cable, then audit again"},
    {"two boards", "disconnect one, commission it again"},
    {"not in plan", "a board the plan does not name: add it to the plan, or disconnect it"},
};

// One self-contained page as a manager prints it: the site, the date, the totals and what to do about
// each state found, then the lifts, 40 to a printed page, each page under the table's heading.
QString HtmlReport(const QString &site, const QString &title, const QList<Finding> &findings,
                   const QString &totals)
{
    constexpr int RowsPerPage = 40;
    QString html =
        QStringLiteral("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>\n"
                       "<style>body{font-family:sans-serif;font-size:10pt}"
                       "table{border-collapse:collapse;width:100%;page-break-after:always}"
                       "table:last-of-type{page-break-after:auto}"
                       "thead{display:table-header-group}tr{page-break-inside:avoid}"
                       "td,th{border:1px solid #999;padding:2px 4px;text-align:left;vertical-align:top}"
                       ".ok{color:#060}.trouble{color:#a00;font-weight:bold}</style></head><body>\n"
                       "<h1>%1</h1>\n<p>%2</p>\n<p class=\"totals\"><b>%3</b></p>\n")
            .arg(Cell(site), Cell(title), Cell(totals));
    QSet<QString> found;
    for (const Finding &f : findings)
        for (const QString &state : f.state.split(QStringLiteral(", ")))
            found.insert(state);
    QString todo;
    for (const Advice &advice : Advices)
        if (found.contains(QLatin1String(advice.state)))
            todo += QStringLiteral("<li><b>%1</b>: %2</li>\n")
                        .arg(Cell(QLatin1String(advice.state)), Cell(QLatin1String(advice.what)));
    if (!todo.isEmpty())
        html += QStringLiteral("<ul class=\"todo\">\n") + todo + QStringLiteral("</ul>\n");
    for (qsizetype start = 0; start < findings.size() || start == 0; start += RowsPerPage) {
        html += QStringLiteral("<table><thead><tr><th>lift</th><th>address</th><th>state</th><th>details</th>"
                               "</tr></thead>\n<tbody>\n");
        for (qsizetype i = start; i < std::min(findings.size(), start + RowsPerPage); ++i) {
            const Finding &f = findings[i];
            html += QStringLiteral("<tr><td>%1</td><td>%2</td><td class=\"%3\">%4</td><td>%5</td></tr>\n")
                        .arg(Cell(f.row.isEmpty() ? QStringLiteral("-") : f.row), Cell(f.address),
                             f.state == QLatin1String("as planned") ? "ok" : "trouble", Cell(f.state),
                             Cell(f.details.join(QStringLiteral("; "))));
        }
        html += QStringLiteral("</tbody></table>\n");
    }
    return html + QStringLiteral("</body></html>\n");
}

}  // namespace

int AuditCommand(const Link &link, const QString &planPath, bool json, const QString &htmlPath,
                 const QString &siteName, Console &console)
{
    const SitePlan plan = LoadSitePlan(planPath, true, QHostAddress(), console);
    const QString when = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QString title =
        QStringLiteral("Audit of %1 (%2 lifts), %3").arg(planPath, QString::number(plan.rows.size()), when);
    QList<QHostAddress> planned;
    for (const PlanRow &row : plan.rows)
        planned << HostAddressOf(*row.changes.lift);
    const Scan scan = ScanOf(plan);
    const QList<QHostAddress> &everywhere = scan.addresses;
    // What is not read is said: how much in all where the plan has several subnets, and which subnets.
    constexpr int SubnetsNamed = 10;
    QList<Subnet> inPart;
    for (const Subnet &subnet : scan.subnets)
        if (subnet.read < subnet.hosts())
            inPart << subnet;
    if (!inPart.isEmpty() && scan.subnets.size() > 1)
        console.err << "the plan's " << scan.subnets.size() << " subnets have " << scan.hosts
                    << " addresses; read are " << everywhere.size()
                    << " of them in all, around their lifts\n";
    for (qsizetype i = 0; i < std::min<qsizetype>(inPart.size(), SubnetsNamed); ++i)
        console.err << "subnet " << inPart[i].text() << " has " << inPart[i].hosts()
                    << " addresses; read are " << inPart[i].read << " of them around its lifts\n";
    if (inPart.size() > SubnetsNamed)
        console.err << "and " << inPart.size() - SubnetsNamed << " more subnet(s) read in part\n";
    LinkedSession session(link);
    // Two boards on one address: a unicast reaches one of them, so every board that could claim an
    // address read is asked at once by broadcast, before the reads fill the socket's queue with
    // requests that wait for silent addresses to resolve. On loopback, where every board hears the
    // read, the read alone tells.
    QHash<quint32, QStringList> twoBoards = TwoBoardsOn(session, everywhere, link.timing);
    const auto stored = session.read(everywhere, SelectorStored, link.timing);
    for (auto it = session.twoBoards().begin(); it != session.twoBoards().end(); ++it)
        for (const QString &mac : *it)
            if (QStringList &macs = twoBoards[it.key()]; !macs.contains(mac))
                macs << mac;
    for (QStringList &macs : twoBoards)
        macs.sort();
    const auto working = session.read(planned, SelectorWorking, link.timing);
    if (Interrupted())
        return Stopped(console);

    QSet<quint32> accounted;
    for (const QHostAddress &lift : planned)
        accounted.insert(lift.toIPv4Address());
    const QSet<quint32> plannedLifts = accounted;
    QList<quint32> others;  // boards that answer where no lift is planned
    for (auto it = stored.begin(); it != stored.end(); ++it)
        if (!plannedLifts.contains(it.key()))
            others << it.key();
    // A board that answers elsewhere with a row's planned MAC is that row's board, moved.
    auto movedBoardOf = [&](const PlanRow &row) -> std::optional<quint32> {
        for (const quint32 other : others) {
            const StoredConfig &board = *stored.constFind(other);
            if (!accounted.contains(other) &&
                board.config.record.mac == Expected(ValuesFor(Planned(row, board))).config.record.mac)
                return other;
        }
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
            finding.details << TwoBoardsText(twoBoards[key], address);
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
    int unknown = 0, unknownClashes = 0;
    for (const QHostAddress &host : everywhere) {
        const quint32 key = host.toIPv4Address();
        if (plannedLifts.contains(key))
            continue;
        const auto have = stored.find(key);
        if (twoBoards.contains(key)) {
            ++unknownClashes;
            findings << Finding{QString(),
                                host.toString(),
                                QStringLiteral("two boards"),
                                {TwoBoardsText(twoBoards[key], host)}};
        } else if (have != stored.end() && !accounted.contains(key)) {
            ++unknown;
            findings << Finding{QString(),
                                host.toString(),
                                QStringLiteral("not in plan"),
                                {QStringLiteral("MAC %1").arg(MacText(have->config.record.mac))}};
        }
    }
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
        console.out << TerminalText(title) << "\n\n";
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
        if (!WriteWholeFile(htmlPath,
                            HtmlReport(siteName.isEmpty() ? QFileInfo(planPath).completeBaseName() : siteName,
                                       title, findings, totals)
                                .toUtf8(),
                            error))
            Fail(SomeFailed, QStringLiteral("cannot write %1: %2").arg(htmlPath, error));
        console.err << "report: " << htmlPath << '\n';
    }
    if (trouble)
        console.err << trouble << " finding(s) on the site against " << TerminalText(planPath) << '\n';
    return trouble ? SomeFailed : Ok;
}

}  // namespace velmar
