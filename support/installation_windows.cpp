#include "installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace velmar {

// The installer leaves this mark beside the programs; an unzipped folder has none.
bool RunsInstalled()
{
    return QDir(QCoreApplication::applicationDirPath()).exists(QStringLiteral("velmarcom.installed"));
}

QString UserSettingsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

bool BelongsToAnotherUser(const QString &)
{
    return false;
}

// Wine keeps a key of its own in the registry it gives a program.
bool RunsUnderWine()
{
    return !QSettings(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Wine"), QSettings::NativeFormat)
                .childGroups()
                .isEmpty();
}

}  // namespace velmar
