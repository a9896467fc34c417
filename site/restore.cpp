#include "restore.h"
#include "address_lock.h"
#include "backups.h"

#include <QFileInfo>
#include <QHash>

namespace velmar {

StoredConfig ReadBackupFile(const QString &path)
{
    StoredConfig stored;
    QString error;
    if (!ReadConfigFile(path, stored, error))
        Throw(SiteError::BadRequest, error + QStringLiteral("; nothing sent"));
    return stored;
}

namespace {

// What the board gets from `saved`: a board on DHCP with a static console is refused, and unless exact
// the board keeps its own identity, since another board's file must never make it that board's twin.
void Fill(RestoreStep &step, const StoredConfig &saved, bool exact)
{
    if (!AddressingAllowed(saved.config.boardDhcp, saved.config.record.consoleDynamic))
        Throw(SiteError::BadRequest,
              QStringLiteral("%1 holds a board on DHCP with a static console: a board on DHCP "
                             "needs a dynamic console")
                  .arg(step.file));
    step.saved = saved;
    const ConfigRecord &own = step.current.config.record;
    step.filed = saved.config.record;
    step.keepsOwn = !exact && (own.liftIp != step.filed.liftIp || own.mac != step.filed.mac);
    if (!exact) {
        step.saved.config.record.liftIp = own.liftIp;
        step.saved.config.record.mac = own.mac;
    }
    // A write would also send what a static console cannot carry (zeros for its dispatcher and
    // identifier): a board that holds the rest gets nothing.
    step.nothingToSend = Same(step.current, step.saved);
}

// A board's step from a folder of backups: the newest of its MAC, else of its address.
RestoreStep FromFolder(const QString &folder, const QHostAddress &target, const StoredConfig &current,
                       bool exact)
{
    RestoreStep step;
    step.target = target;
    step.current = current;
    const Mac &mac = current.config.record.mac;
    const auto found = NewestBackup(folder, mac, target);
    if (!found) {
        step.problem = SiteError{SiteError::Failed,
                                 QStringLiteral("no backup of MAC %1 or of address %2 in %3; nothing sent")
                                     .arg(MacText(mac), target.toString(), folder),
                                 target,
                                 {MacText(mac)},
                                 folder};
        return step;
    }
    step.file = found->path;
    step.made = found->made;
    step.byAddress = !found->byMac;
    try {
        Fill(step, ReadBackupFile(found->path), exact);
    } catch (const SiteError &problem) {
        step.problem = problem;
    }
    return step;
}

RestoreOutcome RestoreOne(Session &session, Session::Timing timing, const RestoreStep &step,
                          const WriteOptions &options, bool exact, Sink &sink)
{
    RestoreOutcome outcome;
    outcome.target = step.target;
    if (step.problem) {
        sink.restoring(step);
        outcome.error = step.problem;
        return outcome;
    }
    try {
        const AddressLock lock(step.target, QStringLiteral("writes to"), sink);
        sink.restoring(step);
        if (step.nothingToSend)
            return outcome;
        // What the board holds just before the write keeps its identity, should it have changed since.
        const IntentFor intent = [&](const StoredConfig &holds) {
            StoredConfig restored = step.saved;
            if (!exact) {
                restored.config.record.liftIp = holds.config.record.liftIp;
                restored.config.record.mac = holds.config.record.mac;
            }
            return WriteIntent{restored, restored};
        };
        outcome.write = WriteAndVerify(session, timing, step.target, step.current, intent, options, sink);
    } catch (const SiteError &error) {
        outcome.error = error;
    }
    return outcome;
}

}  // namespace

RestorePlan PlanRestore(Session &session, Session::Timing timing, const RestoreOrder &order, Sink &sink)
{
    RestorePlan plan;
    plan.order = order;
    plan.fromFolder = QFileInfo(order.source).isDir();
    if (plan.fromFolder) {
        plan.survey = SurveyOf(session, order.targets, order.named, timing, sink);
        if ((plan.stopped = session.cancelled()))
            return plan;
        for (const QHostAddress &target : order.targets)
            if (plan.survey.configs.contains(target.toIPv4Address()))
                plan.steps << FromFolder(order.source, target, plan.survey.configs[target.toIPv4Address()],
                                         order.exact);
        return plan;
    }
    if (order.targets.size() != 1)
        Throw(SiteError::BadRequest,
              QStringLiteral("one file restores one board; a folder of backups restores each board its own"));
    const QHostAddress target = order.targets[0];
    RestoreStep step;
    step.target = target;
    step.file = order.source;
    const StoredConfig saved = ReadBackupFile(order.source);
    // Checked before the board is asked; Fill() checks it again against what it holds.
    Fill(step, saved, true);
    LeftOut why;
    const std::optional<StoredConfig> current = Current(session, target, timing, why);
    if (!current) {
        plan.survey.failed.insert(target.toIPv4Address(), why);
        return plan;
    }
    plan.survey.configs.insert(target.toIPv4Address(), *current);
    step.current = *current;
    Fill(step, saved, order.exact);
    plan.steps << step;
    return plan;
}

QList<RestoreOutcome> RestoreBoards(Session &session, Session::Timing timing, const RestorePlan &plan,
                                    const WriteOptions &options, Sink &sink)
{
    QList<RestoreOutcome> outcomes;
    QHash<quint32, const RestoreStep *> steps;
    for (const RestoreStep &step : plan.steps)
        steps.insert(step.target.toIPv4Address(), &step);
    for (const QHostAddress &target : plan.order.targets) {
        if (session.cancelled())
            break;
        const quint32 key = target.toIPv4Address();
        if (plan.survey.failed.contains(key)) {
            RestoreOutcome leftOut;
            leftOut.target = target;
            leftOut.leftOut = plan.survey.failed.value(key);
            outcomes << leftOut;
        } else if (steps.contains(key)) {
            outcomes << RestoreOne(session, timing, *steps.value(key), options, plan.order.exact, sink);
        } else {
            continue;  // a silent address of a range: counted apart
        }
        sink.restored(outcomes.last());
    }
    return outcomes;
}

}  // namespace velmar
