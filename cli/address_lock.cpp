#include "address_lock.h"
#include "commands.h"

#include "transport.h"

#include <QDir>
#include <QStandardPaths>

namespace velmar {

AddressLock::AddressLock(const QHostAddress &address, const QString &what, QTextStream &err)
{
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                      QStringLiteral("/VelmarCom/locks"));
    const QString path = folder.filePath(PaddedDottedText(address) + QStringLiteral(".lock"));
    if (!folder.mkpath(QStringLiteral("."))) {
        err << "velmarctl: cannot make " << folder.path() << "; going on without a lock on "
            << address.toString() << '\n';
        return;
    }
    lock_ = std::make_unique<QLockFile>(path);
    lock_->setStaleLockTime(0);  // only a lock whose process is gone is taken over
    if (lock_->tryLock(0))
        return;
    if (lock_->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host, application;
        lock_->getLockInfo(&pid, &host, &application);
        Fail(SomeFailed, QStringLiteral("another velmarctl on this computer (process %1) %2 %3; try again "
                                        "when it is done (its lock: %4)")
                             .arg(pid)
                             .arg(what, address.toString(), path));
    }
    err << "velmarctl: cannot lock " << path << "; going on without a lock on " << address.toString() << '\n';
    lock_.reset();
}

}  // namespace velmar
