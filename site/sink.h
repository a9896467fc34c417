#pragma once
// Where an operation tells what happens while it runs: how far it is, and what the operator should know
// beyond its results. The caller gives one; each event is a virtual function that does nothing unless
// overridden, so a caller takes only what it shows (velmarctl a terminal, a window its widgets, a test a
// record). Events are told on the operation's thread; SiteWorker carries them to its caller's.

#include <QString>
#include <QtGlobal>

namespace velmar {

// How far a read of many targets is.
struct Progress
{
    qsizetype done = 0, total = 0, answered = 0, silent = 0;
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
};

}  // namespace velmar
