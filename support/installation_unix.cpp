#include "installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <sys/stat.h>
#include <unistd.h>

namespace velmar {

// The program in a bin folder with the desktop entry in share/applications beside it.
bool RunsInstalled()
{
    return QDir(QCoreApplication::applicationDirPath())
        .exists(QStringLiteral("../share/applications/ua.velmar.VelmarCom.desktop"));
}

QString UserSettingsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

bool BelongsToAnotherUser(const QString &path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && info.st_uid != ::geteuid();
}

bool RunsUnderWine()
{
    return false;
}

}  // namespace velmar
