#include "installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

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

}  // namespace velmar
