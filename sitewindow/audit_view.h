#pragma once
// The audit in a window of its own: a plan opened, the site read on a worker, one row per lift with its
// state in text and colour, the totals above and what to do for each state found; the report saved as
// an HTML page or a PDF, or printed where this build can print.

#include "audit_report.h"
#include "worker.h"

#include <QMainWindow>
#include <QString>

class QAction;
class QLabel;
class QMenu;
class QSpinBox;
class QTableWidget;

namespace velmar {

class AuditView : public QMainWindow
{
    Q_OBJECT
public:
    // `port`: where the boards answer; `practice`: whether the site audited is a practice site.
    AuditView(quint16 port, std::function<bool()> practice, QWidget *parent = nullptr);
    ~AuditView() override;

    // Reads the plan and audits the site against it; a plan that cannot be used is said, nothing read.
    void audit(const QString &planPath);
    bool saveReport(const QString &path);
    bool savePdf(const QString &path);
    void cancel() { worker_.cancel(); }
    // Marks the window while a practice site runs (a report keeps what its audit saw).
    void markPractice();

    bool busy() const { return worker_.running(); }
    const AuditReport &report() const { return report_; }
    QTableWidget &table() { return *table_; }
    QLabel &totals() { return *totals_; }
    QLabel &outcome() { return *outcome_; }
    QSpinBox &timeoutBox() { return *timeout_; }

signals:
    void audited();

private:
    void classified(const QVariant &result);
    void say(const QString &text);
    void updateActions();

    quint16 port_;
    std::function<bool()> practice_;
    SiteWorker worker_;
    AuditReport report_;
    SitePlan plan_;
    QTableWidget *table_ = nullptr;
    QLabel *totals_ = nullptr, *advice_ = nullptr, *outcome_ = nullptr, *practiceMark_ = nullptr;
    QSpinBox *timeout_ = nullptr;
    QAction *openAction_ = nullptr, *againAction_ = nullptr, *saveAction_ = nullptr, *pdfAction_ = nullptr,
            *printAction_ = nullptr, *cancelAction_ = nullptr;
};

// "Audit against a plan ..." in the site window's menu: the audit view, over the window's port, marked
// while a practice site runs.
void AddAuditAction(QMainWindow &window, QMenu &menu, quint16 port);

}  // namespace velmar
