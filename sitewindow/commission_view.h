#pragma once
// Commissioning in a window of its own, on the same files as velmarctl commission (the plan, its record
// PLAN.log.csv and the record's lock), so that a site begun on either goes on in the other: the plan's
// check row by row before anything is sent, one large instruction to read from a ladder with the board's
// progress through its steps and a sound when the next board is wanted, and the plan's rows with their
// states from the record as the run goes.

#include "commission.h"
#include "worker.h"

#include <QMainWindow>
#include <QString>

#include <functional>

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTableWidget;

namespace velmar {

class PracticeSite;

class CommissionView : public QMainWindow
{
    Q_OBJECT
public:
    // `port`: where the boards answer; `practice`: the practice site of the window, if it has one.
    CommissionView(quint16 port, std::function<PracticeSite *()> practice, QWidget *parent = nullptr);
    ~CommissionView() override;

    // Reads and checks the plan, and shows its rows as the record has them; false where it cannot be
    // used (the reason is said).
    bool open(const QString &planPath);
    // Commissions the rows not done yet, from where a run stopped; rows this computer cannot reach are
    // gone on with only when `anyway`. False, and nothing started, where the plan cannot be run.
    bool start(bool anyway = false);
    // As Ctrl+C in velmarctl: a board under way stays as the record has it, and start() takes up there.
    void cancel() { worker_.cancel(); }
    // Records a written row whose board is lost as free again.
    bool forget(const QString &row);
    // The practice site's plan and factory address, marked as practice, when a practice runs.
    void markPractice();

    bool busy() const { return worker_.running(); }
    QTableWidget &table() { return *table_; }
    QLabel &instruction() { return *instruction_; }
    QLabel &outcome() { return *outcome_; }
    QLineEdit &atField() { return *at_; }
    QPlainTextEdit &check() { return *check_; }
    const QList<RowStatus> &rows() const { return rows_; }

signals:
    void stepped(const velmar::CommissionEvent &event);
    // A new board is wanted: the sound plays.
    void boardWanted(const QString &row);
    void ended();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Runs `work` on the worker on the open plan, its record and lock, the board awaited at the factory
    // address.
    void runOnPlan(std::function<CommissionResult(Commissioning &)> work);
    void step(const CommissionEvent &e);
    void finish(const QVariant &result);
    void showRows();
    void showStage(int stage, const QString &detail);
    void say(const QString &text);
    void updateActions();
    QString rowText(const CommissionRow &row) const;
    static QString StateText(RowState state);

    quint16 port_;
    std::function<PracticeSite *()> practice_;
    SiteWorker worker_;
    QString planPath_;
    SitePlan plan_;
    int unreachable_ = 0;
    bool usable_ = false;
    QList<RowStatus> rows_;
    QHash<QString, QString> notes_;  // each row's problems in the check
    QTableWidget *table_ = nullptr;
    QLabel *instruction_ = nullptr, *outcome_ = nullptr, *practiceMark_ = nullptr, *planLabel_ = nullptr;
    QList<QLabel *> stages_;
    QPlainTextEdit *check_ = nullptr;
    QLineEdit *at_ = nullptr;
    QAction *openAction_ = nullptr, *startAction_ = nullptr, *cancelAction_ = nullptr,
            *forgetAction_ = nullptr;
};

// "Commission from a plan ..." in the site window's menu: the commissioning view over the window's
// port, on the practice's plan while a practice site to commission runs.
void AddCommissionAction(QMainWindow &window, QMenu &menu, quint16 port);

}  // namespace velmar
