#include "installation.h"

#include <QCoreApplication>
#include <QDir>
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

}  // namespace velmar
