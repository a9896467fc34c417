#pragma once
// Commissioning a site from its plan: each board connected in turn where new boards answer, written with
// its row, checked, rebooted and found again on its planned address, every outcome kept in the record
// beside the plan. A run tells each board's steps as events, and what is in the record as the rows'
// states; velmarctl says them on a terminal, a window shows them as rows.

#include "address_lock.h"
#include "link.h"
#include "local_network.h"
#include "sink.h"
#include "site_plan.h"
#include "write.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

namespace velmar {

// What the record says of a row: its last line's result, or NotYet where it has none.
enum class RowState {
    NotYet,
    Done,              // written, rebooted and found on its address
    InPlace,           // its board held the row already
    Written,           // written, and not yet seen on its address: its board is waited for first
    Forgotten,         // a written row whose board was given up: free for a new board
    NotConfirmed,      // a write went out and no answer showed it kept: free
    NotKept,           // the board did not keep the write: free
    WrittenByAnother,  // another configurator wrote its board before the reboot: free
};

// The result a record line gives for a state, and back (NotYet for a text that is none).
QString RecordResult(RowState state);
RowState RowStateOf(const QString &result);

// A row of the plan as the operator finds it: "Lift 25 (25 of 40)".
struct CommissionRow
{
    QString name;
    qsizetype position = 0;  // from 1
    qsizetype of = 0;
};

struct RowStatus
{
    CommissionRow row;
    RowState state = RowState::NotYet;
    QString mac;        // the MAC the row was written with
    QString macBefore;  // its board's MAC before
    bool finished() const { return state == RowState::Done || state == RowState::InPlace; }
};

// Every row of the plan with its state in the record.
QList<RowStatus> RowStates(const SitePlan &plan, const CommissionRecord &record);
// The record beside the plan at `planPath` as it stands, without its lock (empty, with the plan's
// separator, where there is none yet), or SiteError(Failed) saying why it cannot be read.
CommissionRecord ReadCommissionRecord(const QString &planPath, const SitePlan &plan);

// A row whose lift address lies in no subnet of this computer, and what gives this computer one there.
struct OutOfReachRow
{
    CommissionRow row;
    int line = 0;
    QString subnet;   // "10.4.0.0/24"
    QStringList how;  // commands on the interface new boards answer on
};
// The rows out of reach: none for boards on loopback.
QList<OutOfReachRow> RowsOutOfReach(const SitePlan &plan, const QList<LocalSubnet> &subnets,
                                    const QHostAddress &at);
// The plan in the file and its check before anything is sent: every problem as CheckSitePlan() says it,
// and each row's own (CheckRow()), with whether this computer can reach it after its reboot (never in
// question for boards on loopback). SiteError(BadRequest) for a file that cannot be read.
struct PlanRowCheck
{
    CommissionRow row;
    int line = 0;
    QStringList problems;
    std::optional<OutOfReachRow> outOfReach;
};
struct PlanCheck
{
    SitePlan plan;
    QStringList problems;
    QList<PlanRowCheck> rows;
};
PlanCheck CheckCommissionPlan(const QString &planPath, const QHostAddress &at,
                              const QList<LocalSubnet> &subnets);

// A board's steps, in the order a new board goes through them: Waiting (the operator connects the row's
// board now: a window asks for it and plays its sound), Found, Judged, Written, Rebooting,
// WaitingAtAddress, Answers, Done, then NextWanted for the row after it. A row written by an earlier run
// goes from Rebooting (when its board still answers where new boards do) or WaitingAtAddress (resumed).
// The others end a row, or the run.
enum class CommissionStep {
    NextWanted,        // a row is done and this one is next: "connect the next board"
    Waiting,           // for a new board where new boards answer (`address`)
    Found,             // a new board answers there (`mac`, `version`)
    Judged,            // the write went out and was judged, or the guard refused it (`write`)
    Refused,           // the guard refuses the row's configuration: the run ends, nothing sent
    Written,           // the board held the row just before its reboot: recorded as written
    Rebooting,         // the reboot goes out (`resumed`: the board was written by an earlier run)
    WaitingAtAddress,  // for the board at its planned address (`acknowledged`: its reboot was)
    Answers,           // it answers there holding the row
    Done,              // recorded done
    InPlace,           // its board holds the row at its address already: recorded, nothing sent
    HoldsOther,        // its own board is at its address holding other values (`differences`): not written
    AddressTaken,      // another board (`mac`) answers at its address: not written
    NotKept,           // the write was not kept, or not confirmed (`write`): recorded, the run ends
    Overwritten,       // another configurator wrote the board before its reboot: recorded, the run ends
    NotBack,           // not at its planned address within the limit: the row stays written, the run ends
    Forgotten,         // a written row given up: recorded free
    Stopped,           // cancelled
};

struct CommissionEvent
{
    CommissionStep step = CommissionStep::Waiting;
    CommissionRow row;
    QHostAddress address;  // where the board is waited for, or answers
    QString mac, version;
    std::optional<WriteResult> write;
    QStringList differences;  // HoldsOther, Overwritten: what the board holds instead of the row
    bool resumed = false;
    bool acknowledged = false;
};

// Where a commissioning tells its steps, beside the Sink's events of its writes.
class CommissionSink : public Sink
{
public:
    virtual void step(const CommissionEvent &) {}
};

struct CommissionOrder
{
    QString onlyRow;    // empty: every row not yet done
    bool redo = false;  // onlyRow again, although it is done (its board was replaced)
    int waitLimitSeconds = 30;
};

// How a run ended.
enum class CommissionEnd {
    Finished,     // no row left to take: every row done, or some open (the rows' states say which)
    Taken,        // rows were left out because their addresses are taken (`taken`)
    NotKept,      // a write was not kept, or not confirmed
    Overwritten,  // another configurator wrote a board
    NotBack,      // a rebooted board did not answer at its planned address
    Stopped,      // cancelled
    Forgotten,    // forget(): the row was given up
};

struct CommissionResult
{
    CommissionEnd end = CommissionEnd::Finished;
    QStringList taken;
    std::optional<WriteResult> write;  // NotKept
    CommissionEvent last;              // NotBack: the row and its board
};

// One run through a plan, holding what keeps a second run off it: the lock on the address new boards
// answer on, the record's lock (the record is read then, and written anew before any board is touched),
// and the listening port. SiteError(Failed) where one is held elsewhere or the record cannot be kept,
// SiteError(PortTaken). `link`, `plan` and `sink` are the caller's, and outlive it.
class Commissioning
{
public:
    Commissioning(const Link &link, const QString &planPath, const SitePlan &plan, const QHostAddress &at,
                  CommissionSink &sink);
    ~Commissioning();
    Commissioning(const Commissioning &) = delete;
    Commissioning &operator=(const Commissioning &) = delete;

    QList<RowStatus> rows() const;
    std::optional<RowStatus> row(const QString &name) const;
    // Rows written earlier are finished on their own boards first, boards already in place recorded, and
    // then new boards taken one at a time until no row is left or one fails. Two boards answering where
    // new boards do end it before anything is written: SiteError(Failed) with their MACs.
    CommissionResult run(const CommissionOrder &order);
    // A written row whose board is gone is recorded free; SiteError(BadRequest) for any other row.
    CommissionResult forget(const QString &name);

private:
    class Run;
    class Record;
    std::unique_ptr<AddressLock> addressLock_;
    std::unique_ptr<Record> record_;
    std::unique_ptr<LinkedSession> session_;
    const Link &link_;
    const SitePlan &plan_;
    QHostAddress at_;
    CommissionSink &sink_;
};

}  // namespace velmar
