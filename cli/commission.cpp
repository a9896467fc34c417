#include "commission.h"
#include "address_lock.h"
#include "terminal.h"

#include "guard.h"
#include "whole_file.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <bit>

namespace velmar {

namespace {

const QString Done = QStringLiteral("done");
const QString InPlace = QStringLiteral("in place");
const QString Written = QStringLiteral("written");      // the row went to a board; its reboot not yet seen
const QString Forgotten = QStringLiteral("forgotten");  // a written row's board given up: the row is free

// The record beside the plan, PLAN.log.csv: one line per outcome, the last line of a row saying where
// it stands. It is held locked for the whole run, so that two runs never work through one plan, and
// every line goes to disk whole (the file is written anew through a temporary file) before the run
// touches a board again.
class CommissionLog
{
public:
    struct Entry
    {
        QString result;
        QString macBefore;  // the board's MAC before the row was written to it
        QString mac;        // the MAC the board has after the row was written
    };

    CommissionLog(const QString &path, const SitePlan &plan)
        : path_(path), lock_(path + QStringLiteral(".lock"))
    {
        switch (lock_.outcome()) {
        case RunLock::Outcome::Held: break;
        case RunLock::Outcome::HeldByRun:
            Throw(SiteError::Failed,
                  QStringLiteral("another commission run works on this plan (%1.lock is locked by "
                                 "process %2)")
                      .arg(path_)
                      .arg(lock_.holder()));
        case RunLock::Outcome::NotOurs:
            Throw(SiteError::Failed, lock_.why() + QStringLiteral("; nothing sent"));
        case RunLock::Outcome::DiskFull:
            Throw(SiteError::Failed,
                  QStringLiteral("the disk that holds %1 is full: free some space; nothing sent").arg(path_));
        case RunLock::Outcome::CannotMake:
            Throw(SiteError::Failed,
                  QStringLiteral("cannot make the lock file %1.lock beside the plan (the folder "
                                 "cannot be written?); nothing sent")
                      .arg(path_));
        }
        QString error;
        QByteArray bytes;
        const ReadOutcome outcome = ReadBoundedFile(path_, MaxSitePlanBytes * 16, bytes, error);
        if (outcome != ReadOutcome::Read && outcome != ReadOutcome::Missing)
            Throw(SiteError::Failed, ReadFailure(outcome, path_, error, QStringLiteral("record")));
        // A record kept so far goes on with its own separator; a new one takes the plan's.
        record_.separator = PlainSeparator(plan.form.separator) ? plan.form.separator : QLatin1Char(',');
        if (!bytes.isEmpty())
            record_ = CommissionRecord::Read(bytes, plan.form.encoding, path_, RowNames(plan));
        for (const QStringList &line : std::as_const(record_.lines))
            entries_.insert(line[1], {line[6], line[3], line[4]});
        // Written at once, before any board is touched: a record that cannot be kept stops the run here.
        save();
    }

    std::optional<Entry> entry(const QString &row) const
    {
        const auto found = entries_.find(row);
        return found == entries_.end() ? std::nullopt : std::optional<Entry>(*found);
    }
    bool finished(const QString &row) const
    {
        const auto e = entry(row);
        return e && (e->result == Done || e->result == InPlace);
    }
    // Rows written and never seen done: their boards are waited for before any new board is taken.
    QStringList writtenOnly(const QList<SitePlanRow> &rows) const
    {
        QStringList names;
        for (const SitePlanRow &row : rows)
            if (const auto e = entry(row.name); e && e->result == Written)
                names << row.name;
        return names;
    }
    // The MACs that rows were written with: a board showing one of them is no new board.
    QSet<QString> writtenMacs() const
    {
        QSet<QString> macs;
        for (const Entry &e : entries_)
            if ((e.result == Done || e.result == Written) && !e.mac.isEmpty())
                macs.insert(e.mac);
        return macs;
    }

    // `before`: the board before the row was first written to it; `after`: as it was left, if written.
    void add(const SitePlanRow &row, const StoredConfig &before, const std::optional<StoredConfig> &after,
             const QString &result, Terminal &terminal)
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
                                     result};
        save();
        entries_.insert(row.name, {result, MacText(before.config.record.mac), mac});
        terminal.out << Printable(row.name) << ": " << result << '\n';
        terminal.out.flush();
    }

private:
    void save()
    {
        QString error;
        if (!WriteWholeFile(path_, record_.bytes(), error))
            Throw(SiteError::Failed, QStringLiteral("cannot write %1: %2").arg(path_, error));
    }

    QString path_;
    RunLock lock_;
    CommissionRecord record_;
    QHash<QString, Entry> entries_;
};

// Reads `target` until it answers, Ctrl+C, or the time is up (0: no limit). A board coming up is asked
// often, and by broadcast too: the board that answered at this address before may still own it in this
// computer's address resolution, and a new board need not announce itself.
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

}  // namespace

SitePlan LoadSitePlan(const QString &path, bool standIn, const QHostAddress &at, Terminal &terminal)
{
    QStringList problems;
    const SitePlan plan = ReadSitePlan(path, standIn, at, problems);
    terminal.err << TerminalText(path) << ": read as " << plan.reading << '\n';
    if (!plan.ignored.isEmpty())
        terminal.err << TerminalText(path) << ": column(s) "
                     << TerminalText(plan.ignored.join(QStringLiteral(", ")))
                     << " not used by velmarctl: kept in the plan and ignored\n";
    for (const QString &problem : problems)
        terminal.err << TerminalText(path) << ": " << TerminalText(problem) << '\n';
    if (!problems.isEmpty())
        Throw(SiteError::BadRequest,
              QStringLiteral("the plan has %1 problem(s); nothing sent").arg(problems.size()));
    return plan;
}

namespace {

// One run through a plan, in three phases: the rows written before are finished on their own boards,
// boards already in place are recorded, and then new boards are taken one at a time. A phase that
// ends the run gives its exit code.
class CommissionRun
{
public:
    CommissionRun(const Link &link, const CommissionOptions &options, const SitePlan &plan,
                  Terminal &terminal)
        : link_(link), options_(options), plan_(plan), terminal_(terminal),
          log_(CommissionLogPath(options.planPath), plan), session_(link)
    {
        if (!options_.onlyRow.isEmpty() && !options_.redo && log_.finished(options_.onlyRow))
            Throw(SiteError::BadRequest,
                  QStringLiteral("\"%1\" is done already; --redo \"%1\" commissions it again, on the board "
                                 "that replaces its own")
                      .arg(options_.onlyRow));
    }

    int run()
    {
        if (!options_.forget.isEmpty())
            return forget();
        if (const auto end = finishWrittenRows())
            return *end;
        recordBoardsInPlace();
        while (!pending().isEmpty()) {
            if (const auto end = commissionNewBoard(pending().first()))
                return *end;
            if (!pending().isEmpty())
                sayNext();
        }
        if (!skipped_.isEmpty()) {
            terminal_.err << skipped_.size() << " row(s) not written: their addresses are taken\n";
            return SomeFailed;
        }
        QStringList open;
        for (const SitePlanRow &row : plan_.rows)
            if (!log_.finished(row.name))
                open << row.name +
                            (log_.writtenOnly({row}).isEmpty() ? QString() : QStringLiteral(" (written)"));
        if (!open.isEmpty()) {
            terminal_.out << open.size() << " row(s) of " << options_.planPath
                          << " not done yet: " << Printable(open.join(QStringLiteral(", "))) << '\n';
            return Ok;
        }
        terminal_.out << "every row of " << options_.planPath << " is done\n";
        return Ok;
    }

private:
    // "connect the next board: Lift 24 (24 of 40)": what the operator plugs in next, and where it stands.
    void sayNext()
    {
        const QList<SitePlanRow> rows = pending();
        if (rows.isEmpty())
            return;
        terminal_.out << "connect the next board: " << Printable(rows.first().name) << " ("
                      << position(rows.first()) << " of " << plan_.rows.size() << ")\n";
        terminal_.out.flush();
    }
    qsizetype position(const SitePlanRow &row) const
    {
        for (qsizetype i = 0; i < plan_.rows.size(); ++i)
            if (plan_.rows[i].name == row.name)
                return i + 1;
        return 0;
    }

    // A written row whose board is gone (broken, carried off) is given up, on record: the row is free
    // for a new board, and that board's MAC no longer waited for.
    int forget()
    {
        const auto e = log_.entry(options_.forget);
        if (!e || e->result != Written)
            Throw(SiteError::BadRequest,
                  QStringLiteral("\"%1\" is not a written row waiting for its board; --forget frees "
                                 "only such a row")
                      .arg(options_.forget));
        const SitePlanRow &row =
            *std::find_if(plan_.rows.begin(), plan_.rows.end(),
                          [&](const SitePlanRow &r) { return r.name == options_.forget; });
        StoredConfig board;
        board.config.record.mac = ParseMac(e->macBefore).value_or(Mac{});
        board.config.record.liftIp = *row.changes.lift;
        log_.add(row, board, std::nullopt, Forgotten, terminal_);
        terminal_.out << Printable(row.name) << ": free again; board " << e->mac
                      << " is no longer waited for. A run started again gives the row to a new board\n";
        return Ok;
    }

    QList<SitePlanRow> pending() const
    {
        QList<SitePlanRow> rows;
        for (const SitePlanRow &row : plan_.rows) {
            const bool again = options_.redo && !redone_;
            if ((!log_.finished(row.name) || again) && !skipped_.contains(row.name) &&
                (options_.onlyRow.isEmpty() || row.name == options_.onlyRow))
                rows << row;
        }
        return rows;
    }

    void done(const SitePlanRow &row, const StoredConfig &before, const StoredConfig &after,
              const QString &how)
    {
        log_.add(row, before, after, how, terminal_);
        redone_ = true;
    }

    // A row written before but never seen on its planned address (the run was stopped, or the power
    // went) is finished first: its board may still be rebooting, and must not be taken for a new one.
    std::optional<int> finishWrittenRows()
    {
        for (const SitePlanRow &row : pending()) {
            const auto entry = log_.entry(row.name);
            if (!entry || entry->result != Written)
                continue;
            const QHostAddress target = HostAddressOf(*row.changes.lift);
            // Stopped before its reboot, the board still answers where new boards do: it is rebooted now.
            const auto waiting = session_.read({options_.at}, SelectorStored, link_.timing);
            if (!waiting.isEmpty() && MacText(waiting.begin()->config.record.mac) == entry->mac) {
                terminal_.out << Printable(row.name) << ": board " << entry->mac
                              << " was written but not rebooted; rebooting it\n";
                session_.reboot({options_.at}, link_.timing.timeoutMs);
            }
            terminal_.out << Printable(row.name) << ": written to board " << entry->mac
                          << " before; waiting for it at " << target.toString() << " …\n";
            terminal_.out.flush();
            const auto after = Await(session_, target, options_.waitLimitSeconds * 1000, link_.timing,
                                     [&](const StoredConfig &config) {
                                         return MacText(config.config.record.mac) == entry->mac &&
                                                Same(config, HeldAfterWrite(PlannedConfig(row, config)));
                                     });
            if (session_.cancelled())
                return Stopped(terminal_);
            if (!after)
                Throw(SiteError::Failed,
                      QStringLiteral("%1 was written to board %2, which does not answer at %3 as planned; "
                                     "find that board before connecting another, or give it up with --forget "
                                     "\"%1\"")
                          .arg(row.name, entry->mac, target.toString()));
            StoredConfig before = *after;  // its MAC as it was before the write, as the record has it
            before.config.record.mac = ParseMac(entry->macBefore).value_or(before.config.record.mac);
            done(row, before, *after, Done);
            sayNext();
        }
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
        const auto found = session_.read(addresses, SelectorStored, link_.timing);
        for (const SitePlanRow &row : pending()) {
            const auto there = found.find(HostAddressOf(*row.changes.lift).toIPv4Address());
            if (there == found.end())
                continue;
            const StoredConfig planned = HeldAfterWrite(PlannedConfig(row, *there));
            if (Same(*there, planned)) {
                done(row, *there, *there, InPlace);
            } else if (there->config.record.mac == planned.config.record.mac) {
                // Its own board, set up by another run (another laptop, an earlier plan): no clash.
                terminal_.err << Printable(row.name) << ": its board " << MacText(there->config.record.mac)
                              << " is in place at " << HostAddressOf(*row.changes.lift).toString()
                              << " but holds " << Differences(*there, planned).join(QStringLiteral(", "))
                              << "; this row is not written (velmarctl write sets those fields)\n";
                skipped_.insert(row.name);
            } else {
                terminal_.err << Printable(row.name) << ": board " << MacText(there->config.record.mac)
                              << " already answers at " << HostAddressOf(*row.changes.lift).toString()
                              << " with another configuration: an address clash; this row is not written\n";
                skipped_.insert(row.name);
            }
        }
    }

    // Waits for a new board where new boards answer, writes the row, reboots it and finds it on its
    // planned address.
    std::optional<int> commissionNewBoard(const SitePlanRow &row)
    {
        terminal_.out << "waiting for the board of " << Printable(row.name) << " (" << position(row) << " of "
                      << plan_.rows.size() << ") at " << PaddedDottedText(options_.at) << " …\n";
        terminal_.out.flush();
        // A board that shows the MAC of a row written already is that row's board, not a new one.
        const QSet<QString> written = log_.writtenMacs();
        const auto current = Await(session_, options_.at, 0, link_.timing, [&](const StoredConfig &config) {
            return !written.contains(MacText(config.config.record.mac));
        });
        if (!current)
            return Stopped(terminal_);
        // Two new boards connected at once would both take this row: the run stops instead.
        session_.read({options_.at}, SelectorStored, link_.timing);
        RefuseTwoBoards(session_, {options_.at}, link_.timing, QStringLiteral("nothing written"));
        const StoredConfig expected = HeldAfterWrite(PlannedConfig(row, *current));
        terminal_.out << Printable(row.name) << ": board " << MacText(current->config.record.mac) << ", \""
                      << Printable(VersionToText(current->config.versionText)) << "\"\n";
        const int kept = ShowWrite(
            session_, link_, options_.at, *current,
            [&row](const StoredConfig &holds) {
                const StoredConfig planned = PlannedConfig(row, holds);
                return WriteIntent{planned, HeldAfterWrite(planned)};
            },
            WriteOptions{}, terminal_);
        if (session_.cancelled() && kept != NoConfirmation)
            return Stopped(terminal_);
        if (kept != Ok) {
            // Not recorded as written: a run started again finds the same board where new boards answer
            // and writes it again, whether it kept the write or not.
            log_.add(row, *current, std::nullopt,
                     kept == NoConfirmation ? QStringLiteral("not confirmed") : QStringLiteral("not kept"),
                     terminal_);
            return kept;
        }
        // Another configurator (a second laptop on the site) may have written the same board meanwhile: it
        // is read once more just before its reboot, and the row goes on only while it holds this run's
        // values.
        const auto still = session_.readUntil(
            options_.at, SelectorStored, [&](const StoredConfig &config) { return Same(config, expected); },
            link_.timing);
        if (session_.cancelled())
            return Stopped(terminal_);
        if (!still || !Same(*still, expected)) {
            terminal_.err << Printable(row.name) << ": another configurator wrote this board"
                          << (still ? QStringLiteral(" (it holds ") +
                                          Differences(*still, expected).join(", ") + ")"
                                    : QString())
                          << "; this row is not written\n";
            log_.add(row, *current, std::nullopt, QStringLiteral("written by another configurator"),
                     terminal_);
            return SomeFailed;
        }
        // Recorded before the reboot: a run stopped from here on finishes this row before any other.
        log_.add(row, *current, expected, Written, terminal_);
        const bool acknowledged = !session_.reboot({options_.at}, link_.timing.timeoutMs).isEmpty();
        if (session_.cancelled())
            return Stopped(terminal_);
        if (!acknowledged)
            terminal_.err << Printable(row.name)
                          << ": no acknowledgement of the reboot; waiting for it all the same\n";
        const QHostAddress target = HostAddressOf(expected.config.record.liftIp);
        terminal_.out << Printable(row.name) << ": rebooted; waiting for it at " << target.toString()
                      << " …\n";
        terminal_.out.flush();
        const auto after = Await(session_, target, options_.waitLimitSeconds * 1000, link_.timing,
                                 [&](const StoredConfig &config) { return Same(config, expected); });
        if (session_.cancelled())
            return Stopped(terminal_);
        if (!after) {
            // The row stays written: a run started again waits for this board before taking another.
            terminal_.err << Printable(row.name) << ": not found on its new address " << target.toString()
                          << " within " << options_.waitLimitSeconds
                          << " s; a run started again waits for it there first\n";
            return SomeFailed;
        }
        done(row, *current, *after, Done);
        return std::nullopt;
    }

    const Link &link_;
    const CommissionOptions &options_;
    const SitePlan &plan_;
    Terminal &terminal_;
    CommissionLog log_;
    LinkedSession session_;
    QSet<QString> skipped_;  // rows whose planned address another board already holds
    bool redone_ = false;    // --redo: the row is done again in this run
};

}  // namespace

int CommissionCommand(const Link &link, const CommissionOptions &options, Terminal &terminal)
{
    if (options.planPath == QLatin1String("-") && !options.checkOnly)
        Throw(SiteError::BadRequest,
              QStringLiteral("a commission run keeps its log beside the plan: give the plan as a "
                             "file (standard input serves --check and audit)"));
    const SitePlan plan = LoadSitePlan(options.planPath, options.at.isLoopback(), options.at, terminal);
    for (const QString &named : {options.onlyRow, options.forget})
        if (!named.isEmpty() && std::none_of(plan.rows.begin(), plan.rows.end(),
                                             [&](const SitePlanRow &row) { return row.name == named; }))
            Throw(SiteError::BadRequest, QStringLiteral("the plan has no row \"%1\"").arg(named));
    // A board written to a subnet this computer has no address in vanishes from it after its reboot. A
    // check (at the office, say) warns; a run refuses, unless --force.
    QStringList unreachable;
    if (!options.at.isLoopback())
        unreachable = OutOfReach(plan, LocalSubnets(), options.at);
    for (const QString &problem : unreachable)
        terminal.err << TerminalText(options.planPath) << ": " << TerminalText(problem) << '\n';
    if (options.checkOnly) {
        terminal.out << TerminalText(options.planPath) << ": " << plan.rows.size()
                     << " row(s), no problem found"
                     << (unreachable.isEmpty()
                             ? QString()
                             : QStringLiteral("; %1 of them in a subnet this computer has no address in now")
                                   .arg(unreachable.size()))
                     << '\n';
        return Ok;
    }
    if (!unreachable.isEmpty() && !options.force)
        Throw(SiteError::BadRequest,
              QStringLiteral("%1 row(s) in a subnet this computer cannot reach; nothing "
                             "sent (--force goes on all the same)")
                  .arg(unreachable.size()));
    // Two runs on this computer never wait for new boards at one address: both would take one board.
    TerminalSink said(terminal.err);
    const AddressLock lock(options.at, QStringLiteral("waits for new boards at"), said);
    return CommissionRun(link, options, plan, terminal).run();
}

}  // namespace velmar
