#include "commission_view.h"

#include "practice_site.h"
#include "site_window.h"
#include "transport.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

Q_DECLARE_METATYPE(velmar::CommissionResult)

namespace velmar {

namespace {

// The board's steps as the instruction shows them, in order.
enum Stage { AtFactory, WrittenStage, Kept, RebootingStage, AnswersStage, DoneStage, Stages };

}  // namespace

CommissionView::CommissionView(quint16 port, std::function<PracticeSite *()> practice, QWidget *parent)
    : QMainWindow(parent), port_(port), practice_(std::move(practice))
{
    setWindowFlag(Qt::Window);
    setWindowTitle(tr("Commissioning"));
    resize(900, 700);

    openAction_ = new QAction(tr("&Open plan ..."), this);
    openAction_->setShortcut(QKeySequence::Open);
    startAction_ = new QAction(tr("&Start / continue"), this);
    startAction_->setShortcut(QKeySequence(Qt::Key_F5));
    cancelAction_ = new QAction(tr("&Cancel"), this);
    cancelAction_->setShortcut(QKeySequence(Qt::Key_Escape));
    forgetAction_ = new QAction(tr("&Forget the selected row's board ..."), this);
    connect(openAction_, &QAction::triggered, this, [this] {
        const QString path = QFileDialog::getOpenFileName(this, tr("The site's plan"), planPath_,
                                                          tr("Plans (*.csv *.txt);;All files (*)"));
        if (!path.isEmpty())
            open(path);
    });
    connect(startAction_, &QAction::triggered, this, [this] {
        if (start() || unreachable_ == 0 || !usable_)
            return;
        if (AskPlain(this, QMessageBox::Question, windowTitle(),
                     tr("%n row(s) lie in a subnet this computer has no address in: their boards "
                        "could not be found after their reboot. Go on all the same?",
                        nullptr, unreachable_),
                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
            start(true);
    });
    connect(cancelAction_, &QAction::triggered, this, &CommissionView::cancel);
    connect(forgetAction_, &QAction::triggered, this, [this] {
        const int selected = table_->currentRow();
        if (selected < 0 || selected >= rows_.size())
            return;
        const QString name = rows_[selected].row.name;
        if (AskPlain(this, QMessageBox::Question, windowTitle(),
                     tr("Give up the board of %1 (%2)? The row is then free for a new board, "
                        "and that board is no longer waited for.")
                         .arg(name, rows_[selected].mac),
                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
            forget(name);
    });

    QMenu *menu = menuBar()->addMenu(tr("&Commissioning"));
    QToolBar *tools = addToolBar(tr("Commissioning"));
    tools->setObjectName(QStringLiteral("commissionTools"));
    for (QAction *a : {openAction_, startAction_, cancelAction_, forgetAction_}) {
        menu->addAction(a);
        tools->addAction(a);
    }
    tools->addWidget(new QLabel(tr(" New boards answer at ")));
    at_ = new QLineEdit(QStringLiteral("010.000.000.002"));
    at_->setToolTip(tr("The factory address of a new board"));
    at_->setMaximumWidth(160);
    tools->addWidget(at_);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    auto label = [](QLayout *into) {
        auto *l = new QLabel;
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
        into->addWidget(l);
        return l;
    };
    planLabel_ = label(layout);
    instruction_ = label(layout);
    QFont large = instruction_->font();
    large.setPointSizeF(large.pointSizeF() * 2.4);
    large.setBold(true);
    instruction_->setFont(large);
    auto *stages = new QHBoxLayout;
    for (const QString &text : {tr("at the factory address"), tr("written"), tr("kept"), tr("rebooting"),
                                tr("answers at its address"), tr("done")}) {
        QLabel *stage = label(stages);
        stage->setText(text);
        stage->setAlignment(Qt::AlignCenter);
        stages_ << stage;
        if (stages_.size() < Stages)
            stages->addWidget(new QLabel(QStringLiteral("→")));
    }
    layout->addLayout(stages);
    outcome_ = label(layout);

    auto *split = new QSplitter(Qt::Vertical);
    table_ = new QTableWidget(0, 5);
    table_->setHorizontalHeaderLabels({tr("Row"), tr("Address"), tr("State"), tr("Board"), tr("Note")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    connect(table_, &QTableWidget::currentCellChanged, this, &CommissionView::updateActions);
    split->addWidget(table_);
    check_ = new QPlainTextEdit;
    check_->setReadOnly(true);
    check_->setPlaceholderText(tr("The plan's check"));
    split->addWidget(check_);
    split->setStretchFactor(0, 3);
    layout->addWidget(split, 1);
    setCentralWidget(central);
    practiceMark_ = new QLabel(tr("PRACTICE SITE: stand-in boards on this computer"));
    practiceMark_->setStyleSheet(QStringLiteral("color:#a00;font-weight:bold"));
    statusBar()->addPermanentWidget(practiceMark_);

    connect(&worker_, &SiteWorker::stepped, this, &CommissionView::step);
    connect(&worker_, &SiteWorker::finished, this, &CommissionView::finish);
    connect(&worker_, &SiteWorker::noticed, this, &CommissionView::say);
    connect(&worker_, &SiteWorker::warned, this, &CommissionView::say);
    connect(&worker_, &SiteWorker::failed, this, [this](const SiteError &error) {
        say(error.kind == SiteError::PortTaken
                ? tr("UDP port %1, where the boards answer, is held by another program (the "
                     "configurator?): close it, then try again")
                      .arg(port_)
                : error.text);
        instruction_->setText(tr("Stopped"));
        showRows();
        updateActions();
        emit ended();
    });
    markPractice();
    showStage(-1, {});
    updateActions();
}

CommissionView::~CommissionView()
{
    worker_.cancel();
}

// A run is not left going behind a closed window: closing it stops the run as Cancel does.
void CommissionView::closeEvent(QCloseEvent *event)
{
    worker_.cancel();
    QMainWindow::closeEvent(event);
}

void CommissionView::markPractice()
{
    PracticeSite *practice = practice_ ? practice_() : nullptr;
    const bool on = practice && practice->commissioning();
    practiceMark_->setVisible(on);
    setWindowTitle(on ? tr("Commissioning: PRACTICE SITE") : tr("Commissioning"));
    if (on && !busy() && planPath_ != practice->planPath()) {
        at_->setText(practice->factory().toString());
        open(practice->planPath());
    }
}

void CommissionView::updateActions()
{
    const bool idle = !worker_.running();
    openAction_->setEnabled(idle);
    startAction_->setEnabled(idle && usable_);
    cancelAction_->setEnabled(!idle);
    const int selected = table_->currentRow();
    forgetAction_->setEnabled(idle && selected >= 0 && selected < rows_.size() &&
                              rows_[selected].state == RowState::Written);
    at_->setEnabled(idle);
}

void CommissionView::say(const QString &text)
{
    outcome_->setText(text);
}

QString CommissionView::rowText(const CommissionRow &row) const
{
    return tr("%1 (%2 of %3)").arg(row.name).arg(row.position).arg(row.of);
}

QString CommissionView::StateText(RowState state)
{
    switch (state) {
    case RowState::NotYet: return tr("not yet");
    case RowState::Done: return tr("done");
    case RowState::InPlace: return tr("in place");
    case RowState::Written: return tr("written, its board awaited");
    case RowState::Forgotten: return tr("forgotten");
    case RowState::NotConfirmed: return tr("not confirmed");
    case RowState::NotKept: return tr("not kept");
    case RowState::WrittenByAnother: return tr("another configurator wrote it");
    }
    return {};
}

bool CommissionView::open(const QString &planPath)
{
    if (busy() || planPath.isEmpty())
        return false;
    usable_ = false;
    unreachable_ = 0;
    planPath_ = planPath;
    rows_.clear();
    check_->clear();
    planLabel_->setText(QDir::toNativeSeparators(planPath));
    instruction_->clear();
    showStage(-1, {});
    const auto at = ParseDottedAddress(at_->text().trimmed());
    PlanCheck check;
    try {
        if (!at)
            Throw(SiteError::BadRequest,
                  tr("the factory address is four numbers 0..255 with dots, such as 010.000.000.002"));
        check = CheckCommissionPlan(planPath, *at, LocalSubnets());
        plan_ = check.plan;
        rows_ = RowStates(plan_, ReadCommissionRecord(planPath, plan_));
    } catch (const SiteError &error) {
        say(error.text);
        showRows();
        updateActions();
        return false;
    }
    QStringList lines{tr("Read as %1").arg(plan_.reading)};
    if (!plan_.ignored.isEmpty())
        lines << tr("Column(s) %1 not used: kept in the plan and ignored")
                     .arg(plan_.ignored.join(QStringLiteral(", ")));
    QStringList ofRows;
    notes_.clear();
    for (const PlanRowCheck &row : check.rows) {
        QStringList note = row.problems;
        if (row.outOfReach)
            note << tr("out of reach: %1").arg(row.outOfReach->how.join(QStringLiteral("; ")));
        notes_.insert(row.row.name, note.join(QStringLiteral("; ")));
        for (const QString &problem : row.problems)
            lines << tr("Line %1 (%2): %3").arg(row.line).arg(row.row.name, problem);
        ofRows << row.problems;
        if (row.outOfReach) {
            ++unreachable_;
            lines << tr("Line %1 (%2): this computer has no address in %3, where the board answers after "
                        "its reboot; give it one there first: %4")
                         .arg(row.line)
                         .arg(row.row.name, row.outOfReach->subnet,
                              row.outOfReach->how.join(QStringLiteral("; ")));
        }
    }
    for (const QString &problem : std::as_const(check.problems))
        if (!ofRows.contains(problem))
            lines << problem;
    usable_ = check.problems.isEmpty();
    lines << (usable_ ? tr("%n row(s), no problem found", nullptr, static_cast<int>(check.rows.size()))
                      : tr("%n problem(s): nothing is sent until the plan is put right", nullptr,
                           static_cast<int>(check.problems.size())));
    check_->setPlainText(lines.join(QLatin1Char('\n')));
    showRows();
    say(usable_ ? tr("Start connects the boards in turn") : tr("The plan cannot be used"));
    updateActions();
    return usable_;
}

void CommissionView::runOnPlan(std::function<CommissionResult(Commissioning &)> work)
{
    Link link;
    link.port = port_;
    const QString planPath = planPath_;
    const SitePlan plan = plan_;
    const QHostAddress at = *ParseDottedAddress(at_->text().trimmed());
    worker_.start(
        [link, planPath, plan, at, work = std::move(work)](CommissionSink &sink, const CancelToken &cancel) {
            Link l = link;
            l.cancel = cancel;
            l.sink = &sink;
            Commissioning commissioning(l, planPath, plan, at, sink);
            return QVariant::fromValue(work(commissioning));
        });
}

bool CommissionView::start(bool anyway)
{
    if (busy() || !open(planPath_))
        return false;
    if (unreachable_ != 0 && !anyway) {
        say(tr("%n row(s) in a subnet this computer cannot reach; nothing sent", nullptr, unreachable_));
        return false;
    }
    runOnPlan([](Commissioning &commissioning) { return commissioning.run({}); });
    say(tr("Commissioning from %1").arg(QDir::toNativeSeparators(planPath_)));
    updateActions();
    return true;
}

bool CommissionView::forget(const QString &row)
{
    if (busy() || !open(planPath_))
        return false;
    const auto found = std::find_if(rows_.begin(), rows_.end(),
                                    [&](const RowStatus &status) { return status.row.name == row; });
    if (found == rows_.end() || found->state != RowState::Written) {
        say(tr("%1 is not a written row waiting for its board").arg(row));
        return false;
    }
    runOnPlan([row](Commissioning &commissioning) { return commissioning.forget(row); });
    updateActions();
    return true;
}

void CommissionView::showStage(int stage, const QString &detail)
{
    for (int i = 0; i < stages_.size(); ++i) {
        QFont font = stages_[i]->font();
        font.setBold(i == stage);
        stages_[i]->setFont(font);
        stages_[i]->setStyleSheet(i < stage    ? QStringLiteral("color:#070")
                                  : i == stage ? QStringLiteral("color:#000;background:#ffd")
                                               : QStringLiteral("color:#888"));
    }
    if (!detail.isEmpty())
        say(detail);
}

void CommissionView::step(const CommissionEvent &e)
{
    PracticeSite *practice = practice_ ? practice_() : nullptr;
    const QString name = e.row.name;
    switch (e.step) {
    case CommissionStep::NextWanted:
        instruction_->setText(tr("Connect the board: %1").arg(rowText(e.row)));
        showStage(-1, {});
        break;
    case CommissionStep::Waiting:
        instruction_->setText(tr("Connect the board: %1").arg(rowText(e.row)));
        showStage(AtFactory, tr("Waiting for a new board at %1 ...").arg(e.address.toString()));
        QApplication::beep();
        emit boardWanted(name);
        if (practice && practice->planPath() == planPath_)
            practice->bringNewBoard();
        break;
    case CommissionStep::Found:
        showStage(AtFactory, tr("%1: board %2, \"%3\"").arg(name, e.mac, e.version));
        break;
    case CommissionStep::Judged:
        showStage(WrittenStage, tr("%1: written to board %2").arg(name, e.mac));
        break;
    case CommissionStep::Written: showStage(Kept, tr("%1: the board kept the row").arg(name)); break;
    case CommissionStep::Rebooting:
        if (e.resumed)
            instruction_->setText(tr("Finishing: %1").arg(rowText(e.row)));
        showStage(RebootingStage,
                  e.resumed ? tr("%1: board %2 was written but not rebooted; rebooting it").arg(name, e.mac)
                            : tr("%1: rebooting").arg(name));
        break;
    case CommissionStep::WaitingAtAddress:
        if (e.resumed)
            instruction_->setText(tr("Finishing: %1").arg(rowText(e.row)));
        showStage(RebootingStage, (e.acknowledged || e.resumed
                                       ? QString()
                                       : tr("No acknowledgement of the reboot; waiting all the same. ")) +
                                      tr("%1: waiting for it at %2 ...").arg(name, e.address.toString()));
        break;
    case CommissionStep::Answers:
        showStage(AnswersStage, tr("%1: answers at %2").arg(name, e.address.toString()));
        break;
    case CommissionStep::Done:
    case CommissionStep::InPlace: showStage(DoneStage, tr("%1: done").arg(name)); break;
    case CommissionStep::HoldsOther:
        say(tr("%1: its board %2 is in place at %3 but holds %4; this row is not written (Write sets those "
               "fields)")
                .arg(name, e.mac, e.address.toString(), e.differences.join(QStringLiteral(", "))));
        break;
    case CommissionStep::AddressTaken:
        say(tr("%1: board %2 already answers at %3 with another configuration: an address clash; this row "
               "is not written")
                .arg(name, e.mac, e.address.toString()));
        break;
    case CommissionStep::NotBack:
        say(e.resumed ? tr("%1 was written to board %2, which does not answer at %3 as planned; find that "
                           "board before connecting another, or forget the row")
                            .arg(name, e.mac, e.address.toString())
                      : tr("%1: not found on its new address %2; a run started again waits for it there "
                           "first")
                            .arg(name, e.address.toString()));
        break;
    case CommissionStep::Overwritten:
        say(tr("%1: another configurator wrote this board; this row is not written").arg(name));
        break;
    case CommissionStep::NotKept: say(tr("%1: the board did not keep the write").arg(name)); break;
    case CommissionStep::Forgotten:
        say(tr("%1: free again; board %2 is no longer waited for").arg(name, e.mac));
        break;
    case CommissionStep::Refused:
    case CommissionStep::Stopped: break;
    }
    // What keeps a row from going on stays beside it once the line above the rows has moved on.
    if (e.step == CommissionStep::HoldsOther || e.step == CommissionStep::AddressTaken ||
        e.step == CommissionStep::NotBack) {
        notes_.insert(name, outcome_->text());
        showRows();
    }
    // Each recorded outcome is in the record at once: the rows show it as it stands.
    switch (e.step) {
    case CommissionStep::Written:
    case CommissionStep::Done:
    case CommissionStep::InPlace:
    case CommissionStep::NotKept:
    case CommissionStep::Overwritten:
    case CommissionStep::Forgotten: try { rows_ = RowStates(plan_, ReadCommissionRecord(planPath_, plan_));
        } catch (const SiteError &error) {
            say(error.text);
        }
        showRows();
        break;
    default: break;
    }
    emit stepped(e);
}

void CommissionView::finish(const QVariant &result)
{
    const auto r = result.value<CommissionResult>();
    try {
        rows_ = RowStates(plan_, ReadCommissionRecord(planPath_, plan_));
    } catch (const SiteError &error) {
        say(error.text);
    }
    showRows();
    showStage(-1, {});
    const auto open =
        std::count_if(rows_.begin(), rows_.end(), [](const RowStatus &s) { return !s.finished(); });
    switch (r.end) {
    case CommissionEnd::Finished:
        instruction_->setText(open == 0 ? tr("Every row is done")
                                        : tr("%n row(s) not done yet", nullptr, static_cast<int>(open)));
        break;
    case CommissionEnd::Taken:
        instruction_->setText(tr("%n row(s) not written: their addresses are taken", nullptr,
                                 static_cast<int>(r.taken.size())));
        break;
    case CommissionEnd::Stopped:
        instruction_->setText(tr("Cancelled"));
        say(tr("Start takes up where the run stopped"));
        break;
    case CommissionEnd::Forgotten: instruction_->clear(); break;
    case CommissionEnd::NotKept:
    case CommissionEnd::Overwritten:
    case CommissionEnd::NotBack: instruction_->setText(tr("Stopped")); break;
    }
    updateActions();
    emit ended();
}

void CommissionView::showRows()
{
    table_->setRowCount(static_cast<int>(rows_.size()));
    for (int i = 0; i < rows_.size(); ++i) {
        const RowStatus &status = rows_[i];
        const SitePlanRow &row = plan_.rows[i];
        const QStringList cells{status.row.name,
                                row.changes.lift ? HostAddressOf(*row.changes.lift).toString() : QString(),
                                StateText(status.state), status.mac, notes_.value(status.row.name)};
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (c == 2 && status.finished())
                item->setForeground(QColor(0x00, 0x70, 0x00));
            else if (c == 2 && status.state == RowState::Written)
                item->setForeground(QColor(0xA0, 0x60, 0x00));
            table_->setItem(i, c, item);
        }
    }
    table_->resizeColumnsToContents();
}

void AddCommissionAction(QMainWindow &window, QMenu &menu, quint16 port)
{
    QAction *action = menu.addAction(CommissionView::tr("C&ommission from a plan ..."));
    QObject::connect(action, &QAction::triggered, &window, [&window, port] {
        auto practice = [&window] { return window.findChild<PracticeSite *>(); };
        auto *view = window.findChild<CommissionView *>();
        if (!view)
            view = new CommissionView(port, practice, &window);
        if (PracticeSite *site = practice())
            QObject::connect(site, &PracticeSite::changed, view, &CommissionView::markPractice,
                             Qt::UniqueConnection);
        view->show();
        view->raise();
        view->activateWindow();
        view->markPractice();
    });
}

}  // namespace velmar
