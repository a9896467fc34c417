#pragma once
// One velmarctl on this computer at a time works on a board's address: a lock file named after the
// address, beside the user's other files of the program. Two terminals, or two scripts, never write
// one board, or wait for new boards at one address, at once. (Two computers cannot see each other's
// locks: there a read just before the end of an operation tells that another configurator wrote the
// board.)

#include "sink.h"
#include <QHostAddress>
#include <QLockFile>
#include <QString>

#include <memory>

namespace velmar {

// A lock file that one run of this program holds while it works on what the file is named for. A lock
// left by a run on this computer that has ended is taken over. Whatever else stands at the path (a file
// that holds no such lock, another computer's lock, a link, a folder) is never followed, written or
// deleted, and never taken for a run that holds it: why() names it and says what to do, because only the
// operator can tell whether it still serves someone.
class RunLock
{
public:
    enum class Outcome {
        Held,        // ours until this object goes
        HeldByRun,   // a run of this program on this computer holds it: holder() is its process
        NotOurs,     // something that is not such a lock stands at the path
        DiskFull,    // the lock could not be written: its disk is full
        CannotMake,  // no file can be made there (a folder that cannot be written, say)
    };

    // Waits up to `waitMs` for a run that holds the lock to end; anything else is answered at once.
    explicit RunLock(const QString &path, int waitMs = 0);

    Outcome outcome() const { return outcome_; }
    // For every outcome but Held: a sentence naming the path, and for NotOurs what to do about it.
    QString why() const { return why_; }
    qint64 holder() const { return holder_; }
    QString path() const { return lock_.fileName(); }

private:
    // One look at what stands at the path after a failed try; false when it has gone meanwhile.
    bool judge();

    QLockFile lock_;
    Outcome outcome_ = Outcome::CannotMake;
    QString why_;
    qint64 holder_ = 0;
};

class AddressLock
{
public:
    // Holds the lock on `address` for `what` ("writes to", "waits for new boards at"), or ends the operation
    // with SiteError(Failed) naming the process that holds it, or the lock file that is not ours. A lock
    // that cannot be made at all (no folder for it, a full disk) is a warning to `sink`, and the operation
    // goes on without it.
    AddressLock(const QHostAddress &address, const QString &what, Sink &sink);

private:
    std::unique_ptr<RunLock> lock_;
};

}  // namespace velmar
