#include "commission_command.h"
#include "commission.h"
#include "terminal.h"
#include "text.h"

#include <algorithm>

namespace velmar {

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

// A commissioning's steps on the terminal, as velmarctl has always said them: progress on standard
// output, what keeps a row from being written on standard error.
class CommissionLines : public CommissionSink
{
public:
    explicit CommissionLines(Terminal &terminal) : terminal_(terminal), writeLines_(terminal) {}

    int writeCode() const { return writeCode_; }

    void warning(const QString &text) override { TerminalSink(terminal_.err).warning(text); }
    void writeChanges(const QHostAddress &target, const QList<FieldChange> &changes,
                      const QList<FieldChange> &uncarried) override
    {
        writeLines_.writeChanges(target, changes, uncarried);
    }
    void guardProblems(const QHostAddress &target, const QList<GuardProblem> &problems, bool forced) override
    {
        writeLines_.guardProblems(target, problems, forced);
    }
    void writtenMeanwhile(const QHostAddress &target, const QList<FieldChange> &changes) override
    {
        writeLines_.writtenMeanwhile(target, changes);
    }

    void step(const CommissionEvent &e) override
    {
        const QString name = Printable(e.row.name);
        QTextStream &out = terminal_.out;
        QTextStream &err = terminal_.err;
        switch (e.step) {
        case CommissionStep::NextWanted:
            out << "connect the next board: " << name << " (" << e.row.position << " of " << e.row.of
                << ")\n";
            break;
        case CommissionStep::Waiting:
            out << "waiting for the board of " << name << " (" << e.row.position << " of " << e.row.of
                << ") at " << PaddedDottedText(e.address) << " …\n";
            break;
        case CommissionStep::Found:
            out << name << ": board " << e.mac << ", \"" << Printable(e.version) << "\"\n";
            break;
        case CommissionStep::Judged: writeCode_ = PresentWrite(*e.write, terminal_); break;
        case CommissionStep::Rebooting:
            if (e.resumed)
                out << name << ": board " << e.mac << " was written but not rebooted; rebooting it\n";
            break;
        case CommissionStep::WaitingAtAddress: waitingAtAddress(e); break;
        case CommissionStep::HoldsOther:
            err << name << ": its board " << e.mac << " is in place at " << e.address.toString()
                << " but holds " << e.differences.join(QStringLiteral(", "))
                << "; this row is not written (velmarctl write sets those fields)\n";
            break;
        case CommissionStep::AddressTaken:
            err << name << ": board " << e.mac << " already answers at " << e.address.toString()
                << " with another configuration: an address clash; this row is not written\n";
            break;
        case CommissionStep::Overwritten:
            err << name << ": another configurator wrote this board"
                << (e.differences.isEmpty() ? QString()
                                            : QStringLiteral(" (it holds ") + e.differences.join(", ") + ")")
                << "; this row is not written\n";
            recorded(e.row, RowState::WrittenByAnother);
            break;
        case CommissionStep::NotKept:
            recorded(e.row, e.write->verdict == WriteVerdict::NotConfirmed ? RowState::NotConfirmed
                                                                           : RowState::NotKept);
            break;
        case CommissionStep::Written: recorded(e.row, RowState::Written); break;
        case CommissionStep::Done: recorded(e.row, RowState::Done); break;
        case CommissionStep::InPlace: recorded(e.row, RowState::InPlace); break;
        case CommissionStep::Forgotten:
            recorded(e.row, RowState::Forgotten);
            out << name << ": free again; board " << e.mac
                << " is no longer waited for. A run started again gives the row to a new board\n";
            break;
        case CommissionStep::NotBack:
            if (!e.resumed)
                err << name << ": not found on its new address " << e.address.toString() << " within "
                    << waitLimitSeconds << " s; a run started again waits for it there first\n";
            break;
        case CommissionStep::Refused:
        case CommissionStep::Answers:
        case CommissionStep::Stopped: break;
        }
        out.flush();
    }

    int waitLimitSeconds = 30;

private:
    void waitingAtAddress(const CommissionEvent &e)
    {
        const QString name = Printable(e.row.name);
        if (e.resumed) {
            terminal_.out << name << ": written to board " << e.mac << " before; waiting for it at "
                          << e.address.toString() << " …\n";
            return;
        }
        if (!e.acknowledged)
            terminal_.err << name << ": no acknowledgement of the reboot; waiting for it all the same\n";
        terminal_.out << name << ": rebooted; waiting for it at " << e.address.toString() << " …\n";
    }
    void recorded(const CommissionRow &row, RowState state)
    {
        terminal_.out << Printable(row.name) << ": " << RecordResult(state) << '\n';
    }

    Terminal &terminal_;
    WriteLines writeLines_;
    int writeCode_ = Ok;
};

// The rows left open at the end of a run, and its exit code.
int PresentEnd(const CommissionResult &result, const QList<RowStatus> &rows, const QString &planPath,
               const CommissionLines &lines, Terminal &terminal)
{
    switch (result.end) {
    case CommissionEnd::Stopped: return SayStopped(terminal);
    case CommissionEnd::NotKept: return lines.writeCode();
    case CommissionEnd::Overwritten: return SomeFailed;
    case CommissionEnd::Forgotten: return Ok;
    case CommissionEnd::NotBack:
        if (!result.last.resumed)
            return SomeFailed;
        Throw(SiteError::Failed,
              QStringLiteral("%1 was written to board %2, which does not answer at %3 as planned; find that "
                             "board before connecting another, or give it up with --forget \"%1\"")
                  .arg(result.last.row.name, result.last.mac, result.last.address.toString()));
    case CommissionEnd::Taken:
        terminal.err << result.taken.size() << " row(s) not written: their addresses are taken\n";
        return SomeFailed;
    case CommissionEnd::Finished: break;
    }
    QStringList open;
    for (const RowStatus &row : rows)
        if (!row.finished())
            open << row.row.name +
                        (row.state == RowState::Written ? QStringLiteral(" (written)") : QString());
    if (!open.isEmpty()) {
        terminal.out << open.size() << " row(s) of " << planPath
                     << " not done yet: " << Printable(open.join(QStringLiteral(", "))) << '\n';
        return Ok;
    }
    terminal.out << "every row of " << planPath << " is done\n";
    return Ok;
}

// A board written to a subnet this computer has no address in vanishes from it after its reboot. A check
// (at the office, say) warns; a run refuses, unless --force. Returns how many rows are out of reach.
qsizetype SayOutOfReach(const SitePlan &plan, const CommissionOptions &options, Terminal &terminal)
{
    if (options.at.isLoopback())
        return 0;
    const QList<OutOfReachRow> rows = RowsOutOfReach(plan, LocalSubnets(), options.at);
    for (const OutOfReachRow &row : rows)
        terminal.err << TerminalText(options.planPath) << ": "
                     << TerminalText(
                            QStringLiteral("line %1 (%2): this computer has no address in %3, where "
                                           "the board answers after its reboot: it could not be found "
                                           "there; give this computer an address there first (%4)")
                                .arg(row.line)
                                .arg(row.row.name, row.subnet, row.how.join(QStringLiteral("; "))))
                     << '\n';
    return rows.size();
}

void RefuseUnknownRows(const SitePlan &plan, const CommissionOptions &options)
{
    for (const QString &named : {options.onlyRow, options.forget})
        if (!named.isEmpty() && std::none_of(plan.rows.begin(), plan.rows.end(),
                                             [&](const SitePlanRow &row) { return row.name == named; }))
            Throw(SiteError::BadRequest, QStringLiteral("the plan has no row \"%1\"").arg(named));
}

// The run itself, once the plan is checked: every lock held, the row asked for checked against the
// record, then the rows commissioned, or one forgotten.
int RunCommission(const Link &link, const CommissionOptions &options, const SitePlan &plan,
                  Terminal &terminal)
{
    CommissionLines lines(terminal);
    lines.waitLimitSeconds = options.waitLimitSeconds;
    Commissioning commissioning(link, options.planPath, plan, options.at, lines);
    if (!options.onlyRow.isEmpty() && !options.redo && commissioning.row(options.onlyRow)->finished())
        Throw(SiteError::BadRequest,
              QStringLiteral("\"%1\" is done already; --redo \"%1\" commissions it again, on the board "
                             "that replaces its own")
                  .arg(options.onlyRow));
    if (!options.forget.isEmpty()) {
        const auto row = commissioning.row(options.forget);
        if (row->state != RowState::Written)
            Throw(SiteError::BadRequest,
                  QStringLiteral("\"%1\" is not a written row waiting for its board; --forget frees "
                                 "only such a row")
                      .arg(options.forget));
        return PresentEnd(commissioning.forget(options.forget), {}, options.planPath, lines, terminal);
    }
    const CommissionResult result =
        commissioning.run({options.onlyRow, options.redo, options.waitLimitSeconds});
    return PresentEnd(result, commissioning.rows(), options.planPath, lines, terminal);
}

}  // namespace

int CommissionCommand(const Link &link, const CommissionOptions &options, Terminal &terminal)
{
    if (options.planPath == QLatin1String("-") && !options.checkOnly)
        Throw(SiteError::BadRequest,
              QStringLiteral("a commission run keeps its log beside the plan: give the plan as a "
                             "file (standard input serves --check and audit)"));
    const SitePlan plan = LoadSitePlan(options.planPath, options.at.isLoopback(), options.at, terminal);
    RefuseUnknownRows(plan, options);
    const qsizetype unreachable = SayOutOfReach(plan, options, terminal);
    if (options.checkOnly) {
        terminal.out << TerminalText(options.planPath) << ": " << plan.rows.size()
                     << " row(s), no problem found"
                     << (unreachable == 0
                             ? QString()
                             : QStringLiteral("; %1 of them in a subnet this computer has no address in now")
                                   .arg(unreachable))
                     << '\n';
        return Ok;
    }
    if (unreachable != 0 && !options.force)
        Throw(SiteError::BadRequest,
              QStringLiteral("%1 row(s) in a subnet this computer cannot reach; nothing "
                             "sent (--force goes on all the same)")
                  .arg(unreachable));
    return RunCommission(link, options, plan, terminal);
}

}  // namespace velmar
