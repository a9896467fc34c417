#pragma once
// One velmarctl on this computer at a time works on a board's address: a lock file named after the
// address, beside the user's other files of the program. Two terminals, or two scripts, never write
// one board, or wait for new boards at one address, at once. (Two computers cannot see each other's
// locks: there a read just before the end of an operation tells that another configurator wrote the
// board.)

#include <QHostAddress>
#include <QLockFile>
#include <QString>
#include <QTextStream>

#include <memory>

namespace velmar {

class AddressLock
{
public:
    // Holds the lock on `address` for `what` ("writes to", "waits for new boards at"), or ends the command
    // with Failure(SomeFailed) naming the process that holds it. A lock that cannot be made at all (no
    // folder for it) is said on `err`, and the command goes on without it.
    AddressLock(const QHostAddress &address, const QString &what, QTextStream &err);

private:
    std::unique_ptr<QLockFile> lock_;
};

}  // namespace velmar
