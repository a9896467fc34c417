#include "audit_command.h"

#include "commission_command.h"
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

struct Finding
{
    QString row, address, state;
    QStringList details;
};

// The state as velmarctl has always said it: a reboot pending beside a difference after a comma.
QString StateText(const AuditFinding &finding)
{
    static const QMap<AuditState, QString> names = {
        {AuditState::AsPlanned, QStringLiteral("as planned")},
        {AuditState::Differs, QStringLiteral("differs")},
        {AuditState::Moved, QStringLiteral("moved")},
        {AuditState::RebootPending, QStringLiteral("reboot pending")},
        {AuditState::Silent, QStringLiteral("silent")},
        {AuditState::TwoBoards, QStringLiteral("two boards")},
        {AuditState::NotInPlan, QStringLiteral("not in plan")}};
    return names.value(finding.state) +
           (finding.rebootPending ? QStringLiteral(", reboot pending") : QString());
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

// What is not read is said: how much in all where the plan has several subnets, and which subnets.
void SayWhatIsNotRead(const Scan &scan, Terminal &terminal)
{
    const QList<QHostAddress> &everywhere = scan.addresses;
    constexpr int SubnetsNamed = 10;
    QList<Subnet> inPart;
    for (const Subnet &subnet : scan.subnets)
        if (subnet.read < subnet.hosts())
            inPart << subnet;
    if (!inPart.isEmpty() && scan.subnets.size() > 1)
        terminal.err << "the plan's " << scan.subnets.size() << " subnets have " << scan.hosts
                     << " addresses; read are " << everywhere.size()
                     << " of them in all, around their lifts\n";
    for (qsizetype i = 0; i < std::min<qsizetype>(inPart.size(), SubnetsNamed); ++i)
        terminal.err << "subnet " << inPart[i].text() << " has " << inPart[i].hosts()
                     << " addresses; read are " << inPart[i].read << " of them around its lifts\n";
    if (inPart.size() > SubnetsNamed)
        terminal.err << "and " << inPart.size() - SubnetsNamed << " more subnet(s) read in part\n";
}

// The title and a row (or JSON object) per finding; how many are trouble.
int PrintFindings(const QString &title, const QList<Finding> &findings, bool json, Terminal &terminal)
{
    int trouble = 0;
    qsizetype nameWidth = 1, addressWidth = 0;
    for (const Finding &f : findings) {
        nameWidth = std::max(nameWidth, Printable(f.row).size());
        addressWidth = std::max(addressWidth, f.address.size());
    }
    if (!json)
        terminal.out << TerminalText(title) << "\n\n";
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
            terminal.out << QJsonDocument(object).toJson(QJsonDocument::Compact) << '\n';
        } else {
            terminal.out << Printable(f.row.isEmpty() ? QStringLiteral("-") : f.row)
                                .leftJustified(nameWidth + 2, QLatin1Char(' '))
                         << f.address.leftJustified(addressWidth + 2, QLatin1Char(' ')) << f.state
                         << (f.details.isEmpty()
                                 ? QString()
                                 : QStringLiteral(": ") + f.details.join(QStringLiteral("; ")))
                         << '\n';
        }
    }
    return trouble;
}

}  // namespace

int AuditCommand(const Link &link, const QString &planPath, bool json, const QString &htmlPath,
                 const QString &siteName, Terminal &terminal)
{
    const SitePlan plan = LoadSitePlan(planPath, true, QHostAddress(), terminal);
    const QString when = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    const QString title =
        QStringLiteral("Audit of %1 (%2 lifts), %3").arg(planPath, QString::number(plan.rows.size()), when);
    const Scan scan = ScanOf(plan);
    const QList<QHostAddress> &everywhere = scan.addresses;
    SayWhatIsNotRead(scan, terminal);
    const SiteReads reads = ReadSite(link, scan, plan);
    if (reads.stopped)
        return SayStopped(terminal);
    const SiteAudit audit = ClassifySite(plan, everywhere, reads);
    QList<Finding> findings;
    for (const AuditFinding &f : audit.findings)
        findings << Finding{f.row, f.address.toString(), StateText(f), f.details};
    const QString totals =
        QStringLiteral("%1 lifts: %2 as planned, %3 differ, %4 moved, %5 silent, %6 with two "
                       "boards; %7 with a reboot pending; %8 board(s) not in plan, %9 other "
                       "address(es) with two boards")
            .arg(plan.rows.size())
            .arg(audit.lifts.value(AuditState::AsPlanned))
            .arg(audit.lifts.value(AuditState::Differs))
            .arg(audit.lifts.value(AuditState::Moved))
            .arg(audit.lifts.value(AuditState::Silent))
            .arg(audit.lifts.value(AuditState::TwoBoards))
            .arg(audit.pending)
            .arg(audit.notInPlan)
            .arg(audit.otherClashes);

    const int trouble = PrintFindings(title, findings, json, terminal);
    if (!json)
        terminal.out << '\n' << totals << '\n';
    terminal.out.flush();
    if (!htmlPath.isEmpty()) {
        QString error;
        if (!WriteWholeFile(htmlPath,
                            HtmlReport(siteName.isEmpty() ? QFileInfo(planPath).completeBaseName() : siteName,
                                       title, findings, totals)
                                .toUtf8(),
                            error))
            Throw(SiteError::Failed, QStringLiteral("cannot write %1: %2").arg(htmlPath, error));
        terminal.err << "report: " << htmlPath << '\n';
    }
    if (trouble)
        terminal.err << trouble << " finding(s) on the site against " << TerminalText(planPath) << '\n';
    return trouble ? SomeFailed : Ok;
}

}  // namespace velmar
