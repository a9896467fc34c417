#include "address_lock.h"
#include "site_error.h"

#include "transport.h"
#include "whole_file.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QSysInfo>

namespace velmar {

namespace {

// A lock holds a process number, a program's name and a computer's name and identity: a few lines.
constexpr qint64 MaxLockBytes = 4096;

const char *const RemoveIfIdle = "remove it if no velmarctl runs on this computer";

// What stands at `path` that no lock may be opened through: a link (one that leads nowhere too), a
// folder, a pipe or a device. Empty for a plain file or nothing at all.
QString NotAPlainFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || info.isJunction())
        return QStringLiteral("a link");
    if (!info.exists())
        return {};
    if (info.isDir())
        return QStringLiteral("a folder");
    return info.isFile() ? QString() : QStringLiteral("a pipe or a device");
}

// The name this program's locks carry: the file name of its executable, without ".exe" on Windows.
bool IsThisProgram(const QString &name)
{
    const QFileInfo self(QCoreApplication::applicationFilePath());
    return name.compare(self.fileName(), Qt::CaseInsensitive) == 0 ||
           name.compare(self.completeBaseName(), Qt::CaseInsensitive) == 0;
}

// Whether a lock's lines name this computer: by its identity where both have one, else by its name
// (on Windows QLockFile writes the computer's name from the environment, elsewhere the host name).
bool NamesThisComputer(const QString &host, const QByteArray &hostId)
{
    const QByteArray ownId = QSysInfo::machineUniqueId();
    if (!hostId.isEmpty() && !ownId.isEmpty())
        return hostId == ownId;
    return host.isEmpty() || host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0 ||
           host.compare(qEnvironmentVariable("COMPUTERNAME"), Qt::CaseInsensitive) == 0;
}

}  // namespace

RunLock::RunLock(const QString &path, int waitMs) : lock_(path)
{
    lock_.setStaleLockTime(0);  // only a lock whose process is gone is taken over, however old it is
    const QDeadlineTimer deadline(waitMs);
    // A lock that goes between a try and the look at it is tried again, a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        // QLockFile would read through a link, and delete it as stale, and would wait for a pipe's writer.
        if (const QString kind = NotAPlainFile(path); !kind.isEmpty()) {
            outcome_ = Outcome::NotOurs;
            why_ = QStringLiteral("%1 is %2, not a lock of velmarctl; %3").arg(path, kind, RemoveIfIdle);
            return;
        }
        if (lock_.tryLock(attempt == 0 ? 0 : int(deadline.remainingTime()))) {
            outcome_ = Outcome::Held;
            return;
        }
        if (lock_.error() != QLockFile::LockFailedError) {
            const QStorageInfo disk(QFileInfo(path).absolutePath());
            const bool full = disk.isValid() && disk.bytesAvailable() == 0;
            outcome_ = full ? Outcome::DiskFull : Outcome::CannotMake;
            why_ = full ? QStringLiteral("the disk that holds %1 is full").arg(path)
                        : QStringLiteral("cannot make %1").arg(path);
            return;
        }
        if (judge() && (outcome_ != Outcome::HeldByRun || deadline.hasExpired()))
            return;
    }
    if (why_.isEmpty())
        why_ = QStringLiteral("cannot lock %1: it keeps coming and going").arg(path);
}

bool RunLock::judge()
{
    const QString path = lock_.fileName();
    QByteArray bytes;
    QString error;
    const ReadOutcome read = ReadBoundedFile(path, MaxLockBytes, bytes, error);
    if (read == ReadOutcome::Missing)
        return false;
    outcome_ = Outcome::NotOurs;
    if (read == ReadOutcome::Failed) {
        why_ = QStringLiteral("%1 cannot be read (%2); %3").arg(path, error, RemoveIfIdle);
        return true;
    }
    QList<QByteArray> lines = bytes.split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    lines.resize(4);
    bool isNumber = false;
    const qint64 pid = lines[0].toLongLong(&isNumber);
    if (bytes.trimmed().isEmpty()) {
        why_ = QStringLiteral("%1 is empty, not a lock of velmarctl; %2").arg(path, RemoveIfIdle);
        return true;
    }
    if (read == ReadOutcome::TooLarge || !isNumber || pid <= 0) {
        why_ = QStringLiteral("%1 does not hold a lock of velmarctl; %2").arg(path, RemoveIfIdle);
        return true;
    }
    const QString program = QString::fromUtf8(lines[1]);
    const QString host = QString::fromUtf8(lines[2]);
    if (!NamesThisComputer(host, lines[3])) {
        why_ = QStringLiteral("%1 is the lock of %2 (process %3) on the computer \"%4\"; remove it if no "
                              "velmarctl runs on that computer")
                   .arg(path, program)
                   .arg(pid)
                   .arg(host);
        return true;
    }
    // QLockFile took over a lock whose process has ended: this one's process runs.
    holder_ = pid;
    if (!IsThisProgram(program)) {
        why_ = QStringLiteral("%1 is held by process %2 (%3), not by velmarctl; %4")
                   .arg(path)
                   .arg(pid)
                   .arg(program, RemoveIfIdle);
        return true;
    }
    outcome_ = Outcome::HeldByRun;
    why_ = QStringLiteral("%1 is held by process %2").arg(path).arg(pid);
    return true;
}

AddressLock::AddressLock(const QHostAddress &address, const QString &what, Sink &sink)
{
    const QDir folder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                      QStringLiteral("/VelmarCom/locks"));
    const QString path = folder.filePath(PaddedDottedText(address) + QStringLiteral(".lock"));
    if (!folder.mkpath(QStringLiteral("."))) {
        sink.warning(QStringLiteral("cannot make %1; going on without a lock on %2")
                         .arg(folder.path(), address.toString()));
        return;
    }
    lock_ = std::make_unique<RunLock>(path);
    switch (lock_->outcome()) {
    case RunLock::Outcome::Held: return;
    case RunLock::Outcome::HeldByRun:
        Throw(SiteError{SiteError::Failed,
                        QStringLiteral("another velmarctl on this computer (process %1) %2 %3; try again "
                                       "when it is done (its lock: %4)")
                            .arg(lock_->holder())
                            .arg(what, address.toString(), path),
                        address,
                        {},
                        path});
    case RunLock::Outcome::NotOurs:
        Throw(SiteError{SiteError::Failed,
                        QStringLiteral("cannot lock %1: %2").arg(address.toString(), lock_->why()),
                        address,
                        {},
                        path});
    case RunLock::Outcome::DiskFull:
    case RunLock::Outcome::CannotMake: break;
    }
    sink.warning(QStringLiteral("%1; going on without a lock on %2").arg(lock_->why(), address.toString()));
    lock_.reset();
}

}  // namespace velmar
