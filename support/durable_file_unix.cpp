#include "durable_file.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace velmar {

bool SyncToDisk(int handle, QString &error)
{
    if (::fsync(handle) == 0)
        return true;
    error = qt_error_string(errno);
    return false;
}

bool MoveOver(const QString &from, const QString &to, QString &error)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
        error = qt_error_string(errno);
        return false;
    }
    // The new name is in the folder's entries: those reach the disk when the folder is synced. A folder
    // that cannot be opened so (some file systems) still has the file whole under one of its names.
    const int folder = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}

bool ProcessRuns(qint64 pid)
{
    if (pid <= 0 || pid != static_cast<pid_t>(pid))
        return true;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

}  // namespace velmar
