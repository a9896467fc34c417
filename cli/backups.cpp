#include "backups.h"
#include "commands.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStandardPaths>

namespace velmar {

namespace {

const char *const RunFolderPattern = "^\\d{4}-\\d{2}-\\d{2}_\\d{6}(-\\d+)?$";

QString MacPart(const Mac &mac)
{
    return MacText(mac).replace(QLatin1Char(':'), QLatin1Char('-'));
}

// "2026-12-08_010542-10" after "…-9": the run's number counts as a number.
bool NewerFirst(const QString &a, const QString &b)
{
    const QString dateA = a.left(17), dateB = b.left(17);
    if (dateA != dateB)
        return dateA > dateB;
    return a.mid(18).toInt() > b.mid(18).toInt();
}

}  // namespace

QString DefaultBackupParent()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/VelmarCom/backups");
}

QDir NewBackupFolder(const QString &parent)
{
    const QDir base(parent);
    if (!base.mkpath(QStringLiteral(".")))
        Fail(SomeFailed, QStringLiteral("cannot make the folder %1").arg(parent));
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    for (int n = 1; n <= 1000; ++n) {
        const QString name = n == 1 ? stamp : QStringLiteral("%1-%2").arg(stamp).arg(n);
        // mkdir fails where the name is taken: two runs in one second each get a folder of their own.
        if (base.mkdir(name))
            return QDir(base.filePath(name));
        if (!base.exists(name))
            Fail(SomeFailed, QStringLiteral("cannot make a folder in %1").arg(parent));
    }
    Fail(SomeFailed, QStringLiteral("%1 has a thousand backup folders of this second").arg(parent));
}

QString SaveBackup(const QDir &folder, const QHostAddress &address, const StoredConfig &config)
{
    const QString path = folder.filePath(MacPart(config.config.record.mac) + QLatin1Char('_') +
                                         address.toString() + QStringLiteral(".json"));
    QString error;
    if (!WriteConfigFile(path, config, error, {{"address", address.toString()}}))
        Fail(SomeFailed, error);
    return path;
}

std::optional<FoundBackup> NewestBackup(const QString &parent, const Mac &mac, const QHostAddress &address)
{
    const QDir base(parent);
    static const QRegularExpression runFolder(QString::fromLatin1(RunFolderPattern));
    QStringList runs = base.entryList(QDir::Dirs | QDir::NoDotAndDotDot).filter(runFolder);
    std::sort(runs.begin(), runs.end(), NewerFirst);
    runs << QStringLiteral(".");
    const QString byMac = MacPart(mac) + QStringLiteral("_*.json");
    const QString byAddress = QStringLiteral("*_") + address.toString() + QStringLiteral(".json");
    for (const QString &pattern : {byMac, byAddress}) {
        for (const QString &run : runs) {
            const QDir folder(base.filePath(run));
            if (const QStringList found = folder.entryList({pattern}, QDir::Files); !found.isEmpty())
                return FoundBackup{folder.filePath(found.first()), pattern == byMac};
        }
    }
    return std::nullopt;
}

}  // namespace velmar
