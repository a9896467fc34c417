#include "commission.h"
#include "discover.h"
#include "site_error.h"

#include "whole_file.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <algorithm>
#include <bit>

namespace velmar {

namespace {

const QList<std::pair<RowState, QString>> Results = {
    {RowState::Done, QStringLiteral("done")},
    {RowState::InPlace, QStringLiteral("in place")},
    {RowState::Written, QStringLiteral("written")},
    {RowState::Forgotten, QStringLiteral("forgotten")},
    {RowState::NotConfirmed, QStringLiteral("not confirmed")},
    {RowState::NotKept, QStringLiteral("not kept")},
    {RowState::WrittenByAnother, QStringLiteral("written by another configurator")},
};

// The last line of each row in the record: its state and the MACs it names.
QHash<QString, RowStatus> LastLines(const CommissionRecord &record)
{
    QHash<QString, RowStatus> last;
    for (const QStringList &line : record.lines) {
        RowStatus status;
        status.state = RowStateOf(line.value(6));
        status.macBefore = line.value(3);
        status.mac = line.value(4);
        last.insert(line.value(1), status);
    }
    return last;
}

CommissionRow RowOf(const SitePlan &plan, const SitePlanRow &row)
{
    for (qsizetype i = 0; i < plan.rows.size(); ++i)
        if (plan.rows[i].name == row.name)
            return {row.name, i + 1, plan.rows.size()};
    return {row.name, 0, plan.rows.size()};
}

// Reads `target` until it answers as `wanted`, the run is cancelled, or the time is up (0: no limit). A
// board coming up is asked often, and by broadcast too: the board that answered at this address before
// may still own it in this computer's address resolution, and a new board need not announce itself.
std::optional<StoredConfig> Await(Session &session, const QHostAddress &target, int limitMs,
                                  Session::Timing timing,
                                  const std::function<bool(const StoredConfig &)> &wanted)
{
    QElapsedTimer clock;
    clock.start();
    while (!session.cancelled() && (limitMs == 0 || clock.elapsed() < limitMs)) {
        // Again each round: a cable plugged in meanwhile brings an interface.
        const QList<Broadcast> broadcasts = BroadcastsFor(LocalSubnets(), {target});
        const auto answer = session.lookFor(target, SelectorStored, broadcasts, wanted, timing);
        if (answer && wanted(*answer))
            return answer;
    }
    return std::nullopt;
}

// A write a board kept, or that left nothing to change on it: the row goes on.
bool WriteHolds(const WriteResult &result)
{
    return result.verdict == WriteVerdict::Kept ||
           (result.verdict == WriteVerdict::NoChange && result.complete);
}

}  // namespace

QString RecordResult(RowState state)
{
    for (const auto &[each, text] : Results)
        if (each == state)
            return text;
    return {};
}

RowState RowStateOf(const QString &result)
{
    for (const auto &[state, text] : Results)
        if (text == result)
            return state;
    return RowState::NotYet;
}

QList<RowStatus> RowStates(const SitePlan &plan, const CommissionRecord &record)
{
    const QHash<QString, RowStatus> last = LastLines(record);
    QList<RowStatus> rows;
    for (const SitePlanRow &row : plan.rows) {
        RowStatus status = last.value(row.name);
        status.row = RowOf(plan, row);
        rows << status;
    }
    return rows;
}

CommissionRecord ReadCommissionRecord(const QString &planPath, const SitePlan &plan)
{
    const QString path = CommissionLogPath(planPath);
    QString error;
    QByteArray bytes;
    const ReadOutcome outcome = ReadBoundedFile(path, MaxSitePlanBytes * 16, bytes, error);
    if (outcome != ReadOutcome::Read && outcome != ReadOutcome::Missing)
        Throw(SiteError{
            SiteError::Failed, ReadFailure(outcome, path, error, QStringLiteral("record")), {}, {}, path});
    // A record kept so far goes on with its own separator; a new one takes the plan's.
    CommissionRecord record;
    record.separator = PlainSeparator(plan.form.separator) ? plan.form.separator : QLatin1Char(',');
    if (!bytes.isEmpty())
        record = CommissionRecord::Read(bytes, plan.form.encoding, path, RowNames(plan));
    return record;
}

QList<OutOfReachRow> RowsOutOfReach(const SitePlan &plan, const QList<LocalSubnet> &subnets,
                                    const QHostAddress &at)
{
    QList<OutOfReachRow> rows;
    const std::optional<LocalSubnet> atSubnet = SubnetHolding(subnets, at);
    for (const SitePlanRow &row : plan.rows) {
        const QHostAddress lift = HostAddressOf(*row.changes.lift);
        if (lift.isLoopback() || SubnetHolding(subnets, lift))
            continue;
        const QHostAddress mask = HostAddressOf(*row.changes.mask);
        const quint32 bits = mask.toIPv4Address();  // a run of ones: the guard refuses any other mask
        rows << OutOfReachRow{RowOf(plan, row), row.line,
                              QStringLiteral("%1/%2")
                                  .arg(QHostAddress(lift.toIPv4Address() & bits).toString())
                                  .arg(std::popcount(bits)),
                              HowToReach(atSubnet ? &*atSubnet : nullptr, lift, mask,
                                         HostAddressOf(row.changes.router.value_or(Ipv4{})))};
    }
    return rows;
}

PlanCheck CheckCommissionPlan(const QString &planPath, const QHostAddress &at,
                              const QList<LocalSubnet> &subnets)
{
    PlanCheck check;
    check.plan = ReadSitePlan(planPath, at.isLoopback(), at, check.problems);
    const QList<OutOfReachRow> out =
        at.isLoopback() ? QList<OutOfReachRow>{} : RowsOutOfReach(check.plan, subnets, at);
    for (const SitePlanRow &row : check.plan.rows) {
        PlanRowCheck rowCheck{
            RowOf(check.plan, row), row.line, CheckRow(row, at.isLoopback(), at).problems, {}};
        for (const OutOfReachRow &far : out)
            if (far.row.name == row.name)
                rowCheck.outOfReach = far;
        check.rows << rowCheck;
    }
    return check;
}

// The record beside the plan, PLAN.log.csv: one line per outcome, the last line of a row saying where
// it stands. It is held locked for the whole run, so that two runs never work through one plan, and
// every line goes to disk whole (the file is written anew through a temporary file) before the run
// touches a board again.
class Commissioning::Record
{
public:
    Record(const QString &planPath, const SitePlan &plan)
        : path_(CommissionLogPath(planPath)), lock_(path_ + QStringLiteral(".lock")), plan_(plan)
    {
        refuseUnlessHeld();
        // A run killed while it saved the record left its temporary file beside the plan.
        RemoveStraySaves(path_);
        record_ = ReadCommissionRecord(planPath, plan);
        last_ = LastLines(record_);
        // Written at once, before any board is touched: a record that cannot be kept stops the run here.
        save();
    }

    RowStatus status(const SitePlanRow &row) const
    {
        RowStatus status = last_.value(row.name);
        status.row = RowOf(plan_, row);
        return status;
    }
    bool finished(const SitePlanRow &row) const { return status(row).finished(); }
    // The MACs that rows were written with: a board showing one of them is no new board.
    QSet<QString> writtenMacs() const
    {
        QSet<QString> macs;
        for (const RowStatus &row : last_)
            if ((row.state == RowState::Done || row.state == RowState::Written) && !row.mac.isEmpty())
                macs.insert(row.mac);
        return macs;
    }
    const CommissionRecord &record() const { return record_; }

    // `before`: the board before the row was first written to it; `after`: as it was left, if written.
    void add(const SitePlanRow &row, const StoredConfig &before, const std::optional<StoredConfig> &after,
             RowState state)
    {
        const StoredConfig &board = after ? *after : before;
        const QString mac = after ? MacText(after->config.record.mac) : QString();
        // What a write leaves holds no version of its own: the board's is the one it showed before.
        const Bytes &version =
            board.config.versionText.empty() ? before.config.versionText : board.config.versionText;
        record_.lines << QStringList{QDateTime::currentDateTime().toString(Qt::ISODate),
                                     row.name,
                                     IpText(board.config.record.liftIp),
                                     MacText(before.config.record.mac),
                                     mac,
                                     VersionToText(version),
                                     RecordResult(state)};
        save();
        RowStatus &status = last_[row.name];
        status.state = state;
        status.macBefore = MacText(before.config.record.mac);
        status.mac = mac;
    }

private:
    void refuseUnlessHeld()
    {
        switch (lock_.outcome()) {
        case RunLock::Outcome::Held: return;
        case RunLock::Outcome::HeldByRun:
            refuse(
                QStringLiteral("another commission run works on this plan (%1.lock is locked by process %2)")
                    .arg(path_)
                    .arg(lock_.holder()));
        case RunLock::Outcome::NotOurs: refuse(lock_.why() + QStringLiteral("; nothing sent"));
        case RunLock::Outcome::DiskFull:
            refuse(
                QStringLiteral("the disk that holds %1 is full: free some space; nothing sent").arg(path_));
        case RunLock::Outcome::CannotMake:
            refuse(QStringLiteral("cannot make the lock file %1.lock beside the plan (the folder cannot be "
                                  "written?); nothing sent")
                       .arg(path_));
        }
    }
    [[noreturn]] void refuse(const QString &why) const
    {
        Throw(SiteError{SiteError::Failed, why, {}, {}, path_});
    }
    void save()
    {
        QString error;
        if (!WriteWholeFile(path_, record_.bytes(), error))
            Throw(SiteError{
                SiteError::Failed, QStringLiteral("cannot write %1: %2").arg(path_, error), {}, {}, path_});
    }

    QString path_;
    RunLock lock_;
    const SitePlan &plan_;
    CommissionRecord record_;
    QHash<QString, RowStatus> last_;
};

// One run through a plan, in three phases: the rows written before are finished on their own boards,
// boards already in place are recorded, and then new boards are taken one at a time. A step that ends
// the run gives its result.
class Commissioning::Run
{
public:
    Run(Commissioning &c, const CommissionOrder &order)
        : order_(order), plan_(c.plan_), at_(c.at_), timing_(c.link_.timing), record_(*c.record_),
          session_(*c.session_), sink_(c.sink_)
    {
    }

    CommissionResult run()
    {
        if (auto end = finishWrittenRows())
            return *end;
        recordBoardsInPlace();
        while (!pending().isEmpty()) {
            if (auto end = commissionNewBoard(pending().first()))
                return *end;
            wantNext();
        }
        CommissionResult result;
        result.taken = QStringList(taken_.begin(), taken_.end());
        result.end = taken_.isEmpty() ? CommissionEnd::Finished : CommissionEnd::Taken;
        return result;
    }

private:
    CommissionEvent event(CommissionStep step, const SitePlanRow &row) const
    {
        CommissionEvent e;
        e.step = step;
        e.row = RowOf(plan_, row);
        return e;
    }
    void tell(const CommissionEvent &e) { sink_.step(e); }
    void tell(CommissionStep step, const SitePlanRow &row) { tell(event(step, row)); }
    CommissionResult stopped(const SitePlanRow &row)
    {
        tell(CommissionStep::Stopped, row);
        return {CommissionEnd::Stopped, {}, {}, event(CommissionStep::Stopped, row)};
    }

    // The rebooted board awaited at its planned address (e.address) until it holds what `holds` takes: then
    // `after` is what it holds, else the run ends (stopped, or not back: the row stays written, and a run
    // started again waits for this board before taking another).
    std::optional<CommissionResult> awaitBack(const SitePlanRow &row, CommissionEvent &e,
                                              std::optional<StoredConfig> &after,
                                              const std::function<bool(const StoredConfig &)> &holds)
    {
        e.step = CommissionStep::WaitingAtAddress;
        tell(e);
        after = Await(session_, e.address, order_.waitLimitSeconds * 1000, timing_, holds);
        if (session_.cancelled())
            return stopped(row);
        if (!after) {
            e.step = CommissionStep::NotBack;
            tell(e);
            return CommissionResult{CommissionEnd::NotBack, {}, {}, e};
        }
        e.step = CommissionStep::Answers;
        tell(e);
        return std::nullopt;
    }

    // "connect the next board: Lift 24 (24 of 40)": what the operator plugs in next.
    void wantNext()
    {
        const QList<SitePlanRow> rows = pending();
        if (!rows.isEmpty())
            tell(CommissionStep::NextWanted, rows.first());
    }

    QList<SitePlanRow> pending() const
    {
        QList<SitePlanRow> rows;
        const bool again = order_.redo && !redone_;
        for (const SitePlanRow &row : plan_.rows)
            if ((!record_.finished(row) || again) && !taken_.contains(row.name) &&
                (order_.onlyRow.isEmpty() || row.name == order_.onlyRow))
                rows << row;
        return rows;
    }

    void done(const SitePlanRow &row, const StoredConfig &before, const StoredConfig &after, RowState how)
    {
        record_.add(row, before, after, how);
        redone_ = true;
        CommissionEvent e =
            event(how == RowState::InPlace ? CommissionStep::InPlace : CommissionStep::Done, row);
        e.address = HostAddressOf(after.config.record.liftIp);
        e.mac = MacText(after.config.record.mac);
        tell(e);
    }

    // A row written before but never seen on its planned address (the run was stopped, or the power
    // went) is finished first: its board may still be rebooting, and must not be taken for a new one.
    std::optional<CommissionResult> finishWrittenRows()
    {
        for (const SitePlanRow &row : pending()) {
            const RowStatus status = record_.status(row);
            if (status.state != RowState::Written)
                continue;
            if (auto end = finishWrittenRow(row, status))
                return end;
            wantNext();
        }
        return std::nullopt;
    }

    std::optional<CommissionResult> finishWrittenRow(const SitePlanRow &row, const RowStatus &status)
    {
        CommissionEvent e = event(CommissionStep::Rebooting, row);
        e.mac = status.mac;
        e.resumed = true;
        e.address = HostAddressOf(*row.changes.lift);
        // Stopped before its reboot, the board still answers where new boards do: it is rebooted now.
        const auto waiting = session_.read({at_}, SelectorStored, timing_);
        if (!waiting.isEmpty() && MacText(waiting.begin()->config.record.mac) == status.mac) {
            tell(e);
            e.acknowledged = !session_.reboot({at_}, timing_.timeoutMs).isEmpty();
        }
        std::optional<StoredConfig> after;
        if (auto end = awaitBack(row, e, after, [&](const StoredConfig &config) {
                return MacText(config.config.record.mac) == status.mac &&
                       Same(config, HeldAfterWrite(PlannedConfig(row, config)));
            }))
            return end;
        StoredConfig before = *after;  // its MAC as it was before the write, as the record has it
        before.config.record.mac = ParseMac(status.macBefore).value_or(before.config.record.mac);
        done(row, before, *after, RowState::Done);
        return std::nullopt;
    }

    // Boards already on their planned addresses, with their planned configuration, are done. Another
    // board on a planned address would clash with the row's: that row is not written.
    void recordBoardsInPlace()
    {
        QList<QHostAddress> addresses;
        for (const SitePlanRow &row : pending())
            addresses << HostAddressOf(*row.changes.lift);
        if (addresses.isEmpty())
            return;
        const auto found = session_.read(addresses, SelectorStored, timing_);
        for (const SitePlanRow &row : pending()) {
            const auto there = found.find(HostAddressOf(*row.changes.lift).toIPv4Address());
            if (there != found.end())
                recordBoardInPlace(row, *there);
        }
    }
    void recordBoardInPlace(const SitePlanRow &row, const StoredConfig &there)
    {
        const StoredConfig planned = HeldAfterWrite(PlannedConfig(row, there));
        if (Same(there, planned)) {
            done(row, there, there, RowState::InPlace);
            return;
        }
        // Its own board, set up by another run (another laptop, an earlier plan), is no clash.
        const bool own = there.config.record.mac == planned.config.record.mac;
        CommissionEvent e = event(own ? CommissionStep::HoldsOther : CommissionStep::AddressTaken, row);
        e.address = HostAddressOf(*row.changes.lift);
        e.mac = MacText(there.config.record.mac);
        if (own)
            e.differences = Differences(there, planned);
        taken_.insert(row.name);
        tell(e);
    }

    // Waits for a new board where new boards answer, writes the row, reboots it and finds it on its
    // planned address.
    std::optional<CommissionResult> commissionNewBoard(const SitePlanRow &row)
    {
        CommissionEvent e = event(CommissionStep::Waiting, row);
        e.address = at_;
        tell(e);
        // A board that shows the MAC of a row written already is that row's board, not a new one.
        const QSet<QString> written = record_.writtenMacs();
        const auto current = Await(session_, at_, 0, timing_, [&](const StoredConfig &config) {
            return !written.contains(MacText(config.config.record.mac));
        });
        if (!current)
            return stopped(row);
        // Two new boards connected at once would both take this row: the run stops instead.
        session_.read({at_}, SelectorStored, timing_);
        RefuseTwoBoards(session_, {at_}, timing_, QStringLiteral("nothing written"));
        e.step = CommissionStep::Found;
        e.mac = MacText(current->config.record.mac);
        e.version = VersionToText(current->config.versionText);
        tell(e);
        if (auto end = write(row, *current))
            return end;
        return rebootAndFind(row, *current, HeldAfterWrite(PlannedConfig(row, *current)));
    }

    // The row written to the new board, and read once more just before its reboot: another configurator
    // (a second laptop on the site) may have written the same board meanwhile, and the row goes on only
    // while it holds this run's values.
    std::optional<CommissionResult> write(const SitePlanRow &row, const StoredConfig &current)
    {
        const WriteResult result = WriteAndVerify(
            session_, timing_, at_, current,
            [&row](const StoredConfig &holds) {
                const StoredConfig planned = PlannedConfig(row, holds);
                return WriteIntent{planned, HeldAfterWrite(planned)};
            },
            WriteOptions{}, sink_);
        CommissionEvent e = event(CommissionStep::Judged, row);
        e.address = at_;
        e.mac = MacText(current.config.record.mac);
        e.write = result;
        tell(e);
        if (result.verdict == WriteVerdict::Refused) {
            e.step = CommissionStep::Refused;
            tell(e);
            Throw(
                SiteError{SiteError::Refused,
                          QStringLiteral("the plan's configuration for %1 would leave the board unreachable "
                                         "or broken; nothing sent")
                              .arg(row.name),
                          at_,
                          {},
                          {}});
        }
        const bool notConfirmed = result.verdict == WriteVerdict::NotConfirmed;
        if (session_.cancelled() && !notConfirmed)
            return stopped(row);
        if (!WriteHolds(result)) {
            // Not recorded as written: a run started again finds the same board where new boards answer
            // and writes it again, whether it kept the write or not.
            record_.add(row, current, std::nullopt,
                        notConfirmed ? RowState::NotConfirmed : RowState::NotKept);
            e.step = CommissionStep::NotKept;
            tell(e);
            return CommissionResult{CommissionEnd::NotKept, {}, result, e};
        }
        return heldStill(row, current);
    }

    std::optional<CommissionResult> heldStill(const SitePlanRow &row, const StoredConfig &current)
    {
        const StoredConfig expected = HeldAfterWrite(PlannedConfig(row, current));
        const auto still = session_.readUntil(
            at_, SelectorStored, [&](const StoredConfig &config) { return Same(config, expected); }, timing_);
        if (session_.cancelled())
            return stopped(row);
        CommissionEvent e = event(CommissionStep::Overwritten, row);
        e.address = at_;
        e.mac = MacText(expected.config.record.mac);
        if (!still || !Same(*still, expected)) {
            if (still)
                e.differences = Differences(*still, expected);
            record_.add(row, current, std::nullopt, RowState::WrittenByAnother);
            tell(e);
            return CommissionResult{CommissionEnd::Overwritten, {}, {}, e};
        }
        // Recorded before the reboot: a run stopped from here on finishes this row before any other.
        record_.add(row, current, expected, RowState::Written);
        e.step = CommissionStep::Written;
        tell(e);
        return std::nullopt;
    }

    std::optional<CommissionResult> rebootAndFind(const SitePlanRow &row, const StoredConfig &current,
                                                  const StoredConfig &expected)
    {
        CommissionEvent e = event(CommissionStep::Rebooting, row);
        e.mac = MacText(expected.config.record.mac);
        e.address = HostAddressOf(expected.config.record.liftIp);
        tell(e);
        e.acknowledged = !session_.reboot({at_}, timing_.timeoutMs).isEmpty();
        if (session_.cancelled())
            return stopped(row);
        std::optional<StoredConfig> after;
        if (auto end =
                awaitBack(row, e, after, [&](const StoredConfig &config) { return Same(config, expected); }))
            return end;
        done(row, current, *after, RowState::Done);
        return std::nullopt;
    }

    const CommissionOrder &order_;
    const SitePlan &plan_;
    QHostAddress at_;
    Session::Timing timing_;
    Record &record_;
    Session &session_;
    CommissionSink &sink_;
    QSet<QString> taken_;  // rows whose planned address another board already holds
    bool redone_ = false;  // a done row again: it is done again in this run
};

Commissioning::Commissioning(const Link &link, const QString &planPath, const SitePlan &plan,
                             const QHostAddress &at, CommissionSink &sink)
    : link_(link), plan_(plan), at_(at), sink_(sink)
{
    // Two runs on this computer never wait for new boards at one address: both would take one board.
    addressLock_ = std::make_unique<AddressLock>(at, QStringLiteral("waits for new boards at"), sink);
    record_ = std::make_unique<Record>(planPath, plan);
    session_ = std::make_unique<LinkedSession>(link);
}

Commissioning::~Commissioning() = default;

QList<RowStatus> Commissioning::rows() const
{
    QList<RowStatus> rows;
    for (const SitePlanRow &row : plan_.rows)
        rows << record_->status(row);
    return rows;
}

std::optional<RowStatus> Commissioning::row(const QString &name) const
{
    for (const SitePlanRow &row : plan_.rows)
        if (row.name == name)
            return record_->status(row);
    return std::nullopt;
}

CommissionResult Commissioning::run(const CommissionOrder &order)
{
    return Run(*this, order).run();
}

// A written row whose board is gone (broken, carried off) is given up, on record: the row is free for a
// new board, and that board's MAC no longer waited for.
CommissionResult Commissioning::forget(const QString &name)
{
    const auto found = std::find_if(plan_.rows.begin(), plan_.rows.end(),
                                    [&](const SitePlanRow &r) { return r.name == name; });
    const std::optional<RowStatus> status = row(name);
    if (!status || status->state != RowState::Written)
        Throw(SiteError::BadRequest,
              QStringLiteral("\"%1\" is not a written row waiting for its board").arg(name));
    StoredConfig board;
    board.config.record.mac = ParseMac(status->macBefore).value_or(Mac{});
    board.config.record.liftIp = *found->changes.lift;
    record_->add(*found, board, std::nullopt, RowState::Forgotten);
    CommissionEvent e;
    e.step = CommissionStep::Forgotten;
    e.row = status->row;
    e.mac = status->mac;
    e.address = HostAddressOf(*found->changes.lift);
    sink_.step(e);
    return {CommissionEnd::Forgotten, {}, {}, e};
}

}  // namespace velmar
