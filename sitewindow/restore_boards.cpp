// Restoring boards from a folder of backups in the site window: a plan made from reads alone, shown for
// the operator to confirm, then the run, each board's row saying how far it is.

#include "restore_boards.h"

#include "config_file.h"
#include "link.h"
#include "many_boards.h"
#include "site_window.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHash>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QSettings>

#include <algorithm>
#include <utility>

namespace velmar {

namespace {

// What a restore came to, counted by outcome.
struct Restored : Verdicts
{
    qsizetype boards = 0;
    bool stopped = false;
};

// Why a board of the plan gets nothing, for its row and the confirmation.
QString ProblemText(const RestoreStep &step)
{
    const SiteError &problem = *step.problem;
    if (step.file.isEmpty())
        return RestoreFromFolder::tr("no backup of its MAC %1 or of its address in the folder: nothing sent")
            .arg(MacText(step.current.config.record.mac));
    if (problem.kind == SiteError::BadRequest)
        return RestoreFromFolder::tr("its backup %1 cannot be used (%2): nothing sent")
            .arg(QDir::toNativeSeparators(step.file), problem.text);
    return ManyBoards::ErrorText(problem);
}

// A restore's events: each board's row as it is begun and as it ends, its write's lines in the log.
class RestoreSink : public RowSink
{
public:
    RestoreSink(Sink &inner, QObject *window, RowTold row, LineTold status, const RestorePlan &plan)
        : RowSink(inner, window, std::move(row), std::move(status))
    {
        for (const RestoreStep &step : plan.steps)
            steps_.insert(step.target.toIPv4Address(), &step);
    }
    void restoring(const RestoreStep &step) override
    {
        if (!step.problem && !step.nothingToSend)
            row(step.target, RestoreFromFolder::tr("restoring"));
    }
    void restored(const RestoreOutcome &outcome) override
    {
        const RestoreStep *step = steps_.value(outcome.target.toIPv4Address());
        QString text;
        if (outcome.leftOut) {
            ++result.failed;
            text = RestoreFromFolder::tr("%1: nothing sent").arg(ManyBoards::LeftOutText(*outcome.leftOut));
            notice(QStringLiteral("%1: %2").arg(outcome.target.toString(), text));
        } else if (outcome.error) {
            if (outcome.error->kind != SiteError::Stopped)
                ++result.failed;  // one stopped is counted with the boards not begun
            text = step && step->problem ? ProblemText(*step) : ManyBoards::ErrorText(*outcome.error);
        } else if (!outcome.write) {
            ++result.unchanged;
            text = RestoreFromFolder::tr("already holds its backup: nothing sent");
        } else {
            result.count(outcome.write->verdict);
            text = ManyBoards::VerdictRow(*outcome.write, problems_);
            problems_.clear();
        }
        row(outcome.target, text);
    }

    Restored result;

private:
    QHash<quint32, const RestoreStep *> steps_;
};

}  // namespace

}  // namespace velmar

Q_DECLARE_METATYPE(velmar::RestorePlan)
Q_DECLARE_METATYPE(velmar::Restored)

namespace velmar {

QString RestoreFromFolder::PlanText(const RestorePlan &plan)
{
    QStringList lines;
    for (const QHostAddress &target : plan.order.targets) {
        const quint32 key = target.toIPv4Address();
        if (plan.survey.failed.contains(key)) {
            lines << tr("%1: %2: nothing sent")
                         .arg(target.toString(), ManyBoards::LeftOutText(plan.survey.failed.value(key)));
            continue;
        }
        const auto step = std::find_if(plan.steps.begin(), plan.steps.end(),
                                       [&](const RestoreStep &s) { return s.target == target; });
        if (step == plan.steps.end())
            continue;
        const ConfigRecord &own = step->current.config.record;
        if (step->problem) {
            lines << QStringLiteral("%1: %2").arg(target.toString(), ProblemText(*step));
            continue;
        }
        QString line =
            tr("%1: %2, backed up %3")
                .arg(target.toString(), QDir::toNativeSeparators(step->file),
                     step->made.isValid() ? QLocale().toString(step->made.toLocalTime(), QLocale::ShortFormat)
                                          : tr("at an unknown time"));
        if (step->byAddress)
            line += QLatin1Char('\n') +
                    tr("   no backup of its MAC %1: the newest of its address").arg(MacText(own.mac));
        if (step->keepsOwn)
            line += QLatin1Char('\n') + tr("   keeps its own lift address %1 and MAC %2 (the backup has %3 "
                                           "and %4)")
                                            .arg(IpText(own.liftIp), MacText(own.mac),
                                                 IpText(step->filed.liftIp), MacText(step->filed.mac));
        if (step->nothingToSend)
            line += QLatin1Char('\n') + tr("   already holds the rest of its backup: nothing to send");
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

void SiteWindow::buildRestoreAction(QMenu *menu)
{
    restoreAction_ = new QAction(QIcon::fromTheme(QStringLiteral("document-revert")),
                                 RestoreFromFolder::tr("Re&store from a backup folder ..."), this);
    restoreAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    restoreAction_->setToolTip(
        QStringLiteral("%1 (%2)").arg(restoreAction_->text().remove(QLatin1Char('&')),
                                      restoreAction_->shortcut().toString(QKeySequence::NativeText)));
    connect(restoreAction_, &QAction::triggered, this, [this] {
        QSettings settings(options_.settingsPath, QSettings::IniFormat);
        const QString folder = QFileDialog::getExistingDirectory(
            this, RestoreFromFolder::tr("Folder of the backups to restore from"),
            settings.value(QStringLiteral("folders/restore"), backupParent()).toString());
        if (folder.isEmpty())
            return;
        settings.setValue(QStringLiteral("folders/restore"), folder);
        restoreFrom(folder);
    });
    menu->addAction(restoreAction_);
}

void SiteWindow::restoreFrom(const QString &folder)
{
    QList<QHostAddress> targets = chosenAddresses();
    if (targets.isEmpty()) {
        for (const BoardRow &row : table_->rows())
            if (!targets.contains(row.from))
                targets << row.from;
        std::sort(targets.begin(), targets.end(), [](const QHostAddress &a, const QHostAddress &b) {
            return a.toIPv4Address() < b.toIPv4Address();
        });
    }
    if (targets.isEmpty() || worker_.running() || refusedForMany(targets, {}))
        return;
    if (!QFileInfo(folder).isDir()) {
        const QString why = RestoreFromFolder::tr("%1 is not a folder: nothing was sent.")
                                .arg(QDir::toNativeSeparators(folder));
        outcome_->setText(why);
        say(why);
        return;
    }
    RestoreOrder order{folder, targets, {}, false};
    for (const QHostAddress &target : targets)
        order.named.insert(target.toIPv4Address());
    const bool started = startOnLink([=](Sink &sink, Link &l) {
        LinkedSession session(l, &sink);
        return QVariant::fromValue(PlanRestore(session, l.timing, order, sink));
    });
    if (!started)
        return;
    beginOnRows(targets,
                RestoreFromFolder::tr("Reading %n board(s) and finding their backups in %1 ...", "",
                                      static_cast<int>(targets.size()))
                    .arg(QDir::toNativeSeparators(folder)),
                &SiteWindow::restorePlanned);
}

void SiteWindow::restorePlanned(const QVariant &value)
{
    end();
    const auto plan = value.value<RestorePlan>();
    QString stop;
    if (plan.stopped)
        stop = RestoreFromFolder::tr("Cancelled while the boards were read: nothing was sent.");
    else if (plan.steps.isEmpty())
        stop = RestoreFromFolder::tr("No board answered: nothing was sent.");
    else if (!options_.confirm(this, RestoreFromFolder::tr("Restore %n board(s) from %1?\n\n%2", "",
                                                           static_cast<int>(plan.steps.size()))
                                         .arg(QDir::toNativeSeparators(plan.order.source),
                                              RestoreFromFolder::PlanText(plan))))
        stop = RestoreFromFolder::tr("Not restored: nothing was sent.");
    if (!stop.isEmpty()) {
        for (const QHostAddress &target : plan.order.targets)
            if (plan.survey.failed.contains(target.toIPv4Address()))
                table_->setProgress(target, RestoreFromFolder::tr("%1: nothing sent")
                                                .arg(ManyBoards::LeftOutText(
                                                    plan.survey.failed.value(target.toIPv4Address()))));
        leaveWaitingRows();
        outcome_->setText(stop);
        say(stop);
        return;
    }
    auto row = rowTeller();
    auto status = statusTeller();
    QObject *context = this;  // outlives the worker, which ends with it
    const bool started = startOnLink([=](Sink &sink, Link &l) {
        RestoreSink events(sink, context, row, status, plan);
        LinkedSession session(l, &events);
        RestoreBoards(session, l.timing, plan, WriteOptions{}, events);
        Restored result = events.result;
        result.boards = plan.survey.boards();
        result.stopped = l.cancel.cancelled();
        return QVariant::fromValue(result);
    });
    if (!started)
        return;
    begin(RestoreFromFolder::tr("Restoring %n board(s) ...", "", static_cast<int>(plan.steps.size())));
    whenFinished(&SiteWindow::restoreEnded);
}

void SiteWindow::restoreEnded(const QVariant &value)
{
    end();
    leaveWaitingRows();
    const auto result = value.value<Restored>();
    const QString summary = ManyBoards::SummaryText(
        RestoreFromFolder::tr("%1 of %n board(s) restored", "", static_cast<int>(result.boards))
            .arg(result.kept),
        result, RestoreFromFolder::tr("%n not restored", "", result.failed),
        static_cast<int>(result.boards) - result.ended(), result.stopped);
    outcome_->setText(summary);
    say(summary);
    count_->clear();
    if (result.kept + result.notKept + result.overtaken > 0)
        refresh();
}

}  // namespace velmar
