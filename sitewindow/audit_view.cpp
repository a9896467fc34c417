#include "audit_view.h"

#include "practice_site.h"
#include "site_window.h"
#include "whole_file.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(velmar::SiteAudit)

namespace velmar {

AuditView::AuditView(quint16 port, std::function<bool()> practice, QWidget *parent)
    : QMainWindow(parent), port_(port), practice_(std::move(practice))
{
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(tr("Audit of a site"));
    resize(900, 600);

    auto action = [this](const QString &text, const QKeySequence &keys) {
        auto *a = new QAction(text, this);
        a->setShortcut(keys);
        return a;
    };
    openAction_ = action(tr("&Open plan and audit ..."), QKeySequence::Open);
    againAction_ = action(tr("&Audit again"), QKeySequence::Refresh);
    saveAction_ = action(tr("&Save report ..."), QKeySequence::Save);
    pdfAction_ = action(tr("&Print / PDF ..."), QKeySequence::Print);
    printAction_ = action(tr("P&rint ..."), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    printAction_->setVisible(CanPrint());
    cancelAction_ = action(tr("&Cancel"), QKeySequence(Qt::Key_Escape));
    connect(openAction_, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, tr("The site's plan"), QString(),
                                                          tr("Plans (*.csv *.txt);;All files (*)"));
        if (!path.isEmpty())
            audit(path);
    });
    connect(againAction_, &QAction::triggered, this, [this] { audit(report_.planPath); });
    connect(saveAction_, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, tr("Save report"), report_.site + QStringLiteral(".html"), tr("Web pages (*.html)"));
        if (!path.isEmpty())
            saveReport(path);
    });
    connect(pdfAction_, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getSaveFileName(
            this, tr("Save report as PDF"), report_.site + QStringLiteral(".pdf"), tr("PDF (*.pdf)"));
        if (!path.isEmpty())
            savePdf(path);
    });
    connect(printAction_, &QAction::triggered, this, [this] { PrintReport(this, report_); });
    connect(cancelAction_, &QAction::triggered, this, &AuditView::cancel);

    QMenu *menu = menuBar()->addMenu(tr("&Audit"));
    QToolBar *tools = addToolBar(tr("Audit"));
    tools->setObjectName(QStringLiteral("auditTools"));
    for (QAction *a : {openAction_, againAction_, saveAction_, pdfAction_, printAction_, cancelAction_}) {
        menu->addAction(a);
        tools->addAction(a);
    }
    timeout_ = NewTimeoutBox();
    tools->addWidget(timeout_);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    auto label = [layout] {
        auto *l = new QLabel;
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        layout->addWidget(l);
        return l;
    };
    totals_ = label();
    QFont bold = totals_->font();
    bold.setBold(true);
    totals_->setFont(bold);
    advice_ = label();
    table_ = new QTableWidget(0, 4);
    table_->setHorizontalHeaderLabels(AuditReport::Columns());
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_, 1);
    outcome_ = label();
    setCentralWidget(central);
    practiceMark_ = new QLabel(tr("PRACTICE SITE: stand-in boards on this computer"));
    practiceMark_->setStyleSheet(QStringLiteral("color:#a00;font-weight:bold"));
    statusBar()->addPermanentWidget(practiceMark_);

    connect(&worker_, &SiteWorker::finished, this, &AuditView::classified);
    connect(&worker_, &SiteWorker::noticed, this, &AuditView::say);
    connect(&worker_, &SiteWorker::warned, this, &AuditView::say);
    connect(&worker_, &SiteWorker::failed, this, [this](const SiteError &error) {
        say(error.kind == SiteError::Stopped ? tr("Cancelled: %1").arg(error.text)
            : error.kind == SiteError::PortTaken
                ? tr("UDP port %1, where the boards answer, is held by another program (the "
                     "configurator?): close it, then try again")
                      .arg(port_)
                : error.text);
        updateActions();
        emit audited();
    });
    markPractice();
    updateActions();
}

AuditView::~AuditView()
{
    worker_.cancel();
}

void AuditView::markPractice()
{
    const bool practice = practice_ && practice_();
    practiceMark_->setVisible(practice);
    setWindowTitle(practice ? tr("Audit of a site: PRACTICE SITE") : tr("Audit of a site"));
}

void AuditView::updateActions()
{
    const bool idle = !worker_.running();
    openAction_->setEnabled(idle);
    againAction_->setEnabled(idle && !report_.planPath.isEmpty());
    saveAction_->setEnabled(idle && report_.when.isValid());
    pdfAction_->setEnabled(idle && report_.when.isValid());
    printAction_->setEnabled(idle && report_.when.isValid());
    cancelAction_->setEnabled(!idle);
}

void AuditView::say(const QString &text)
{
    outcome_->setText(text);
}

void AuditView::audit(const QString &planPath)
{
    if (worker_.running() || planPath.isEmpty())
        return;
    markPractice();
    QStringList problems;
    try {
        plan_ = ReadSitePlan(planPath, true, QHostAddress(), problems);
    } catch (const SiteError &error) {
        say(error.text);
        return;
    }
    if (!problems.isEmpty()) {
        say(tr("The plan cannot be used, nothing read:") + QLatin1Char('\n') +
            problems.join(QLatin1Char('\n')));
        return;
    }
    report_ = AuditReport();
    report_.planPath = QDir::toNativeSeparators(planPath);
    report_.site = QFileInfo(planPath).completeBaseName();
    report_.practice = practice_ && practice_();
    report_.lifts = plan_.rows.size();
    table_->setRowCount(0);
    totals_->clear();
    advice_->clear();
    Link link;
    link.port = port_;
    link.timing.timeoutMs = timeout_->value();
    const SitePlan plan = plan_;
    worker_.start([link, plan](Sink &sink, const CancelToken &cancel) {
        Link l = link;
        l.cancel = cancel;
        l.sink = &sink;
        const Scan scan = ScanOf(plan);
        for (const Subnet &subnet : scan.subnets)
            if (subnet.read < subnet.hosts())
                sink.notice(tr("subnet %1 has %2 addresses; read are %3 of them around its lifts")
                                .arg(subnet.text())
                                .arg(subnet.hosts())
                                .arg(subnet.read));
        const SiteReads reads = ReadSite(l, scan, plan);
        if (reads.stopped)
            Throw(SiteError::Stopped, tr("nothing audited"));
        return QVariant::fromValue(ClassifySite(plan, scan.addresses, reads));
    });
    say(tr("Reading the site against %1 (%2) ...").arg(report_.planPath, plan_.reading));
    updateActions();
}

void AuditView::classified(const QVariant &result)
{
    report_.audit = result.value<SiteAudit>();
    report_.when = QDateTime::currentDateTime();
    const QList<AuditFinding> &findings = report_.audit.findings;
    table_->setRowCount(static_cast<int>(findings.size()));
    for (int i = 0; i < findings.size(); ++i) {
        const AuditFinding &f = findings[i];
        const QStringList cells{f.row.isEmpty() ? QStringLiteral("-") : f.row, f.address.toString(),
                                AuditReport::StateText(f), AuditReport::DetailsText(f)};
        for (int c = 0; c < 4; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (c == 2) {
                item->setForeground(AuditReport::StateColour(f.state));
                QFont font = item->font();
                font.setBold(f.state != AuditState::AsPlanned);
                item->setFont(font);
                item->setToolTip(AuditReport::Advice(f.state));
            }
            table_->setItem(i, c, item);
        }
    }
    table_->resizeColumnsToContents();
    totals_->setText(report_.totals());
    QStringList advice;
    for (AuditState state : report_.statesFound())
        advice << QStringLiteral("• %1: %2").arg(AuditReport::StateText(state), AuditReport::Advice(state));
    advice_->setText(advice.join(QLatin1Char('\n')));
    say(report_.title());
    updateActions();
    emit audited();
}

bool AuditView::saveReport(const QString &path)
{
    QString error;
    if (!WriteWholeFile(path, report_.html().toUtf8(), error)) {
        say(tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    say(tr("Report saved in %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

bool AuditView::savePdf(const QString &path)
{
    QString error;
    if (!report_.writePdf(path, error)) {
        say(tr("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), error));
        return false;
    }
    say(tr("Report saved in %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

void AddAuditAction(QMainWindow &window, QMenu &menu, quint16 port)
{
    QAction *action = menu.addAction(AuditView::tr("A&udit against a plan ..."));
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_U));
    QObject::connect(action, &QAction::triggered, &window, [&window, port] {
        auto *view = window.findChild<AuditView *>();
        if (!view)
            view = new AuditView(
                port,
                [&window] {
                    const auto *practice = window.findChild<PracticeSite *>();
                    return practice && practice->running();
                },
                &window);
        if (auto *practice = window.findChild<PracticeSite *>(); practice)
            QObject::connect(practice, &PracticeSite::changed, view, &AuditView::markPractice,
                             Qt::UniqueConnection);
        view->show();
        view->raise();
        view->activateWindow();
        const auto *practice = window.findChild<PracticeSite *>();
        if (practice && practice->running() && view->report().planPath.isEmpty())
            view->audit(practice->planPath());
    });
}

}  // namespace velmar
