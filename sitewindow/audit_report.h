#pragma once
// An audit of a site in the window's words: the state of each lift as text and colour, what to do about
// each state, the totals, and the report a manager files, as one HTML page (laid out as velmarctl's) or a
// PDF of as many pages as it takes, the table's heading atop each. A practice site says so in every one.

#include "audit.h"

#include <QColor>
#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class QPagedPaintDevice;

namespace velmar {

struct AuditReport
{
    Q_DECLARE_TR_FUNCTIONS(velmar::AuditReport)

public:
    QString site;      // atop the page: the plan's file name without its extension
    QString planPath;  // as the operator chose it
    QDateTime when;
    bool practice = false;
    qsizetype lifts = 0;  // in the plan
    SiteAudit audit;

    static QString StateText(AuditState state);
    // The state of a finding, a reboot pending beside a difference or a move after a comma.
    static QString StateText(const AuditFinding &finding);
    // What differs, where a moved board answers, the MACs: "маска 255.255.0.0 (за планом 255.255.255.0)".
    static QString DetailsText(const AuditFinding &finding);
    static QColor StateColour(AuditState state);
    // What a technician does about a state; empty for a lift as planned.
    static QString Advice(AuditState state);

    // "Audit of PLAN (3 lifts), 2026-12-08 10:15", a practice site's marked.
    QString title() const;
    QString totals() const;
    // The states found, in the order the advice is given.
    QList<AuditState> statesFound() const;
    // The heading of the table's columns.
    static QStringList Columns();

    QString html() const;
    // Paints the report on `device`, a new page wherever the last is full, each under the table's
    // heading; `pages`, when given, gets the texts drawn on each page. The number of pages.
    int paint(QPagedPaintDevice &device, QList<QStringList> *pages = nullptr) const;
    bool writePdf(const QString &path, QString &error, QList<QStringList> *pages = nullptr) const;
};

// A print dialog where this build has Qt's print support; false where it has none.
bool CanPrint();
void PrintReport(QWidget *parent, const AuditReport &report);

}  // namespace velmar
