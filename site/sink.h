#pragma once
// Where an operation tells what happens while it runs: how far it is, and what the operator should know
// beyond its results. The caller gives one; each event is a virtual function that does nothing unless
// overridden, so a caller takes only what it shows (velmarctl a terminal, a window its widgets, a test a
// record). Events are told on the operation's thread; SiteWorker carries them to its caller's.

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace velmar {

struct LeftOut;
struct StoredConfig;
struct WatchedDatagram;
struct RestoreStep;
struct RestoreOutcome;

// How far a read of many targets is.
struct Progress
{
    qsizetype done = 0, total = 0, answered = 0, silent = 0;
};

// What a target answered to a reboot request.
enum class RebootAnswer { Acknowledged, None, Unusable, Unreachable };

// One field of a board's configuration as text, from one value to another ("mask", "255.0.0.0",
// "255.255.255.0").
struct FieldChange
{
    QString field, from, to;
    bool operator==(const FieldChange &) const = default;
};

class Sink
{
public:
    virtual ~Sink() = default;
    // A read of many targets moved on.
    virtual void progress(const Progress &) {}
    // What the wire showed beyond the answers: a peer that floods, a discovery at its limits.
    virtual void notice(const QString &) {}
    // The operation goes on without something it would rather have had (a lock it could not make).
    virtual void warning(const QString &) {}

    // A write: the fields it changes on the board, and those of what it is judged by that it cannot carry
    // (the board will hold `to` instead of `from`: a static console's block goes out as zeros).
    virtual void writeChanges(const QHostAddress &, const QList<FieldChange> & /*changes*/,
                              const QList<FieldChange> & /*uncarried*/)
    {
    }
    // What the guard finds wrong with the configuration about to go out, and whether it goes out all the
    // same (forced).
    virtual void guardProblems(const QHostAddress &, const QStringList &, bool /*forced*/) {}
    // Another configurator wrote the board between its read and the write: what changed meanwhile.
    virtual void writtenMeanwhile(const QHostAddress &, const QList<FieldChange> &) {}

    // A board an operation on many leaves out before anything is sent to it, and why.
    virtual void notDone(const QHostAddress &, const LeftOut &) {}
    // A silent address of a range answered after the time-out it missed.
    virtual void answeredLate(const QHostAddress &, int /*timeoutMs*/) {}
    // A read of many: one target's end, its configuration (null when none) or why it gave none.
    virtual void boardRead(const QHostAddress &, const StoredConfig *, const LeftOut &) {}
    // A backup: a board's configuration saved in a file, or not saved and why.
    virtual void backedUp(const QHostAddress &, const QString & /*path*/) {}
    virtual void notBackedUp(const QHostAddress &, const QString & /*why*/) {}
    // A restore: a board about to be restored, as planned; its end.
    virtual void restoring(const RestoreStep &) {}
    virtual void restored(const RestoreOutcome &) {}
    // A datagram that reached the port, decoded.
    virtual void datagram(const WatchedDatagram &) {}
    // A reboot: a target's answer to it; the wait for boards to answer again (how many, seconds gone, the
    // limit); a board that answers again, at the address asked, `ms` after its acknowledgement.
    virtual void rebootAnswered(const QHostAddress &, RebootAnswer) {}
    virtual void waiting(qsizetype /*pending*/, qint64 /*seconds*/, int /*limitSeconds*/) {}
    virtual void answersAgain(const QHostAddress & /*board*/, const QHostAddress & /*at*/, qint64 /*ms*/) {}
};

}  // namespace velmar
