#include "audit_report.h"
#include "many_boards.h"

#include "whole_file.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>

namespace velmar {

namespace {

const AuditState Order[] = {AuditState::Differs, AuditState::Moved,     AuditState::RebootPending,
                            AuditState::Silent,  AuditState::TwoBoards, AuditState::NotInPlan};

QString Cell(const QString &text)
{
    return text.toHtmlEscaped();
}

}  // namespace

QString AuditReport::StateText(AuditState state)
{
    switch (state) {
    case AuditState::AsPlanned: return tr("as planned");
    case AuditState::Differs: return tr("differs");
    case AuditState::Moved: return tr("moved");
    case AuditState::RebootPending: return tr("reboot pending");
    case AuditState::Silent: return tr("silent");
    case AuditState::TwoBoards: return tr("two boards");
    case AuditState::NotInPlan: return tr("not in plan");
    }
    return {};
}

QString AuditReport::StateText(const AuditFinding &finding)
{
    return finding.rebootPending && finding.state != AuditState::RebootPending
               ? tr("%1, reboot pending").arg(StateText(finding.state))
               : StateText(finding.state);
}

QColor AuditReport::StateColour(AuditState state)
{
    switch (state) {
    case AuditState::AsPlanned: return QColor(0x00, 0x66, 0x00);
    case AuditState::Differs:
    case AuditState::Moved: return QColor(0xB3, 0x5C, 0x00);
    case AuditState::RebootPending: return QColor(0x1F, 0x4E, 0xB4);
    case AuditState::Silent:
    case AuditState::TwoBoards: return QColor(0xAA, 0x00, 0x00);
    case AuditState::NotInPlan: return QColor(0x6A, 0x1B, 0x9A);
    }
    return {};
}

QString AuditReport::Advice(AuditState state)
{
    switch (state) {
    case AuditState::AsPlanned: return {};
    case AuditState::Differs:
        return tr("write the planned values: choose the board in the site window, set the fields named and "
                  "write it");
    case AuditState::Moved:
        return tr("give the board its planned address: write its planned lift address, then restart it");
    case AuditState::RebootPending: return tr("restart the board so that it runs what it stored");
    case AuditState::Silent: return tr("check power and cable, then audit again");
    case AuditState::TwoBoards: return tr("disconnect one, commission it again");
    case AuditState::NotInPlan:
        return tr("a board the plan does not name: add it to the plan, or disconnect it");
    }
    return {};
}

QString AuditReport::title() const
{
    const QString text = tr("Audit of %1 (%n lift(s)), %2", "", static_cast<int>(lifts))
                             .arg(planPath, when.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
    return practice ? tr("PRACTICE SITE, not a real one: %1").arg(text) : text;
}

QString AuditReport::totals() const
{
    return tr("%n lift(s): ", "", static_cast<int>(lifts)) +
           tr("%1 as planned, %2 differ, %3 moved, %4 silent, %5 with two boards; %6 with a reboot pending; "
              "%7 board(s) not in plan, %8 other address(es) with two boards")
               .arg(audit.lifts.value(AuditState::AsPlanned))
               .arg(audit.lifts.value(AuditState::Differs))
               .arg(audit.lifts.value(AuditState::Moved))
               .arg(audit.lifts.value(AuditState::Silent))
               .arg(audit.lifts.value(AuditState::TwoBoards))
               .arg(audit.pending)
               .arg(audit.notInPlan)
               .arg(audit.otherClashes);
}

QList<AuditState> AuditReport::statesFound() const
{
    QList<AuditState> found;
    for (AuditState state : Order)
        if (std::any_of(audit.findings.begin(), audit.findings.end(), [state](const AuditFinding &f) {
                return f.state == state || (state == AuditState::RebootPending && f.rebootPending);
            }))
            found << state;
    return found;
}

QString AuditReport::DetailsText(const AuditFinding &f)
{
    QStringList parts;
    if (!f.answersAt.isNull())
        parts << tr("answers at %1 instead of %2").arg(f.answersAt.toString(), f.address.toString());
    for (const FieldChange &c : f.differs)
        parts << tr("%1 %2 (planned %3)").arg(FieldName(c.field), ValueText(c.from), ValueText(c.to));
    for (const FieldChange &c : f.runs)
        parts << tr("runs %1 %2 (stored %3)").arg(FieldName(c.field), ValueText(c.from), ValueText(c.to));
    if (f.state == AuditState::TwoBoards)
        parts << tr("two boards (MACs %1) answer at %2")
                     .arg(f.macs.join(QStringLiteral(", ")), f.address.toString());
    else if (f.state == AuditState::NotInPlan)
        parts << tr("MAC %1").arg(f.macs.join(QStringLiteral(", ")));
    return parts.join(QStringLiteral("; "));
}

QStringList AuditReport::Columns()
{
    return {tr("lift"), tr("address"), tr("state"), tr("details")};
}

// Laid out as velmarctl's page: the site, the title, the totals and what to do, then the lifts, 40 to a
// printed page, each page under the table's heading.
QString AuditReport::html() const
{
    constexpr int RowsPerPage = 40;
    const QString heading = practice ? tr("%1 (practice site)").arg(site) : site;
    QString page =
        QStringLiteral("<!DOCTYPE html>\n<html lang=\"%4\"><head><meta charset=\"utf-8\"><title>%1</title>\n"
                       "<style>body{font-family:sans-serif;font-size:10pt}"
                       "table{border-collapse:collapse;width:100%;page-break-after:always}"
                       "table:last-of-type{page-break-after:auto}"
                       "thead{display:table-header-group}tr{page-break-inside:avoid}"
                       "td,th{border:1px solid #999;padding:2px 4px;text-align:left;vertical-align:top}"
                       ".ok{color:#060}.trouble{color:#a00;font-weight:bold}</style></head><body>\n"
                       "<h1>%1</h1>\n<p>%2</p>\n<p class=\"totals\"><b>%3</b></p>\n")
            .arg(Cell(heading), Cell(title()), Cell(totals()),
                 tr("en", "the language code of the report page"));
    QString todo;
    for (AuditState state : statesFound())
        todo += QStringLiteral("<li><b>%1</b>: %2</li>\n").arg(Cell(StateText(state)), Cell(Advice(state)));
    if (!todo.isEmpty())
        page += QStringLiteral("<ul class=\"todo\">\n") + todo + QStringLiteral("</ul>\n");
    const QList<AuditFinding> &findings = audit.findings;
    const QStringList columns = Columns();
    for (qsizetype start = 0; start < findings.size() || start == 0; start += RowsPerPage) {
        page += QStringLiteral("<table><thead><tr><th>%1</th><th>%2</th><th>%3</th><th>%4</th></tr></thead>\n"
                               "<tbody>\n")
                    .arg(Cell(columns[0]), Cell(columns[1]), Cell(columns[2]), Cell(columns[3]));
        for (qsizetype i = start; i < std::min(findings.size(), start + RowsPerPage); ++i) {
            const AuditFinding &f = findings[i];
            page += QStringLiteral("<tr><td>%1</td><td>%2</td><td class=\"%3\">%4</td><td>%5</td></tr>\n")
                        .arg(Cell(f.row.isEmpty() ? QStringLiteral("-") : f.row), Cell(f.address.toString()),
                             f.state == AuditState::AsPlanned ? "ok" : "trouble", Cell(StateText(f)),
                             Cell(DetailsText(f)));
        }
        page += QStringLiteral("</tbody></table>\n");
    }
    return page + QStringLiteral("</body></html>\n");
}

int AuditReport::paint(QPagedPaintDevice &device, QList<QStringList> *pages) const
{
    QPainter painter(&device);
    const QRectF page(0, 0, device.width(), device.height());
    const qreal gap = device.logicalDpiY() / 30.0;
    QFont body = painter.font();
    body.setPointSizeF(9);
    QFont bold = body;
    bold.setBold(true);
    QFont large = bold;
    large.setPointSizeF(16);
    qreal y = 0;
    int number = 1;
    if (pages)
        *pages = {QStringList()};
    // A block of text across `width` at `x`, wrapped; its height.
    auto draw = [&](const QRectF &box, const QString &text, const QFont &font, const QColor &colour) {
        painter.setFont(font);
        painter.setPen(colour);
        const QRectF needed = painter.boundingRect(box, Qt::TextWordWrap, text);
        painter.drawText(QRectF(box.x(), box.y(), box.width(), needed.height()), Qt::TextWordWrap, text);
        if (pages)
            pages->last() << text;
        return needed.height();
    };
    auto height = [&](const QRectF &box, const QString &text, const QFont &font) {
        return QFontMetricsF(font, &device).boundingRect(box, Qt::TextWordWrap, text).height();
    };
    const qreal widths[] = {0.24, 0.16, 0.2, 0.4};
    const QStringList columns = Columns();
    auto row = [&](const QStringList &cells, const QFont &font, const QColor &stateColour, bool measureOnly) {
        qreal x = 0, tallest = 0;
        for (int c = 0; c < 4; ++c) {
            const QRectF box(x + gap / 2, y + gap / 2, page.width() * widths[c] - gap, page.height());
            tallest = std::max(tallest, height(box, cells[c], font));
            x += page.width() * widths[c];
        }
        tallest += gap;
        if (measureOnly)
            return tallest;
        x = 0;
        for (int c = 0; c < 4; ++c) {
            const QRectF box(x + gap / 2, y + gap / 2, page.width() * widths[c] - gap, tallest);
            draw(box, cells[c], font, c == 2 ? stateColour : QColor(Qt::black));
            painter.setPen(QColor(0x99, 0x99, 0x99));
            painter.drawRect(QRectF(x, y, page.width() * widths[c], tallest));
            x += page.width() * widths[c];
        }
        y += tallest;
        return tallest;
    };
    // Each page names the site and its date, so that a loose page is still known.
    auto pageHead = [&] {
        const QString line = tr("%1, %2, page %3")
                                 .arg(practice ? tr("%1 (practice site)").arg(site) : site,
                                      when.toString(QStringLiteral("yyyy-MM-dd HH:mm")))
                                 .arg(number);
        y += draw(QRectF(0, y, page.width(), page.height()), line, body, Qt::darkGray) + gap;
        row(columns, bold, Qt::black, false);
    };

    y += draw(QRectF(0, 0, page.width(), page.height()), practice ? tr("%1 (practice site)").arg(site) : site,
              large, Qt::black) +
         gap;
    y += draw(QRectF(0, y, page.width(), page.height()), title(), body, Qt::black) + gap;
    y += draw(QRectF(0, y, page.width(), page.height()), totals(), bold, Qt::black) + gap;
    for (AuditState state : statesFound())
        y += draw(QRectF(0, y, page.width(), page.height()),
                  QStringLiteral("• %1: %2").arg(StateText(state), Advice(state)), body, Qt::black);
    y += 2 * gap;
    pageHead();
    for (const AuditFinding &f : audit.findings) {
        const QStringList cells{f.row.isEmpty() ? QStringLiteral("-") : f.row, f.address.toString(),
                                StateText(f), DetailsText(f)};
        if (y + row(cells, body, Qt::black, true) > page.height()) {
            device.newPage();
            if (pages)
                *pages << QStringList();
            ++number;
            y = 0;
            pageHead();
        }
        row(cells, body, StateColour(f.state), false);
    }
    return number;
}

bool AuditReport::writePdf(const QString &path, QString &error, QList<QStringList> *pages) const
{
    // Painted in memory, so that a report already at `path` is replaced only whole.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setTitle(title());
        pdf.setCreator(QStringLiteral("velmar-site"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        pdf.setResolution(300);
        paint(pdf, pages);
    }
    return WriteWholeFile(path, buffer.data(), error);
}

}  // namespace velmar
