#include "backups.h"
#include "address_lock.h"
#include "site_error.h"

#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimeZone>

#include <algorithm>
#include <cstdlib>

namespace velmar {

namespace {

// A backup folder or file that cannot be made or written: named in the error.
[[noreturn]] void FailAt(const QString &path, const QString &text)
{
    Throw(SiteError{SiteError::Failed, text, {}, {}, path});
}

}  // namespace

namespace {

// 000012_2026-10-25_031000+0200: the run's number, its local date and time, and their offset from UTC.
const char *const NumberedPattern = "^(\\d{1,9})_(\\d{4}-\\d{2}-\\d{2}_\\d{6})([+-])(\\d{2})(\\d{2})$";
// 2026-12-08_010542 and 2026-12-08_010542-2, of versions that named a run by its local time alone.
const char *const DatedPattern = "^\\d{4}-\\d{2}-\\d{2}_\\d{6}(-\\d+)?$";
constexpr qint64 MaxRunNumber = 999999999;

const QRegularExpression &Numbered()
{
    static const QRegularExpression pattern(QString::fromLatin1(NumberedPattern));
    return pattern;
}

QString MacPart(const Mac &mac)
{
    return MacText(mac).replace(QLatin1Char(':'), QLatin1Char('-'));
}

QDateTime WallTime(const QString &text, const QTimeZone &zone)
{
    return {QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd")),
            QTime::fromString(text.mid(11, 6), QStringLiteral("HHmmss")), zone};
}

// "2026-12-08_010542-10" after "…-9": the run's number counts as a number.
bool NewerFirst(const QString &a, const QString &b)
{
    const QString dateA = a.left(17), dateB = b.left(17);
    if (dateA != dateB)
        return dateA > dateB;
    return a.mid(18).toInt() > b.mid(18).toInt();
}

struct RunFolder
{
    QString name;
    qint64 number = 0;  // 0: a folder of an older version
    QDateTime made;
};

QList<RunFolder> RunFolders(const QDir &base)
{
    static const QRegularExpression dated(QString::fromLatin1(DatedPattern));
    QList<RunFolder> runs;
    for (const QString &name : base.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (const QRegularExpressionMatch m = Numbered().match(name); m.hasMatch()) {
            const int offset = (m.captured(4).toInt() * 60 + m.captured(5).toInt()) * 60;
            const QDateTime utc = WallTime(m.captured(2), QTimeZone::utc())
                                      .addSecs(m.captured(3) == QLatin1String("-") ? offset : -offset);
            runs.append({name, m.captured(1).toLongLong(), utc.toLocalTime()});
        } else if (dated.match(name).hasMatch()) {
            runs.append({name, 0, WallTime(name, QTimeZone::systemTimeZone())});
        }
    }
    std::sort(runs.begin(), runs.end(), [](const RunFolder &a, const RunFolder &b) {
        return a.number != b.number ? a.number > b.number : NewerFirst(a.name, b.name);
    });
    return runs;
}

QString Stamp(const QDateTime &now)
{
    const int offset = now.offsetFromUtc() / 60;
    return now.toString(QStringLiteral("yyyy-MM-dd_HHmmss")) +
           (offset < 0 ? QLatin1Char('-') : QLatin1Char('+')) +
           QStringLiteral("%1%2")
               .arg(std::abs(offset) / 60, 2, 10, QLatin1Char('0'))
               .arg(std::abs(offset) % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString DefaultBackupParent()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/VelmarCom/backups");
}

QDir NewBackupFolder(const QString &parent, const QDateTime &now)
{
    const QDir base(parent);
    if (!base.mkpath(QStringLiteral(".")))
        FailAt(parent, QStringLiteral("cannot make the folder %1").arg(parent));
    // Held only while a number is taken and its folder made: another run waits for it that long.
    const RunLock numbering(base.filePath(QStringLiteral(".numbering.lock")), 10000);
    if (numbering.outcome() == RunLock::Outcome::HeldByRun)
        FailAt(parent, QStringLiteral("another velmarctl on this computer (process %1) keeps making backup "
                                      "folders in %2; try again when it is done")
                           .arg(numbering.holder())
                           .arg(parent));
    if (numbering.outcome() == RunLock::Outcome::NotOurs)
        FailAt(parent, numbering.why());
    // Without a lock (a full disk, a folder that cannot be written) the folder below fails with the reason,
    // or is made: only a second run at this very moment could then share its number.
    const QList<RunFolder> runs = RunFolders(base);
    qint64 number = runs.value(0).number + 1;
    for (int tries = 0; tries < 1000 && number <= MaxRunNumber; ++tries, ++number) {
        const QString name = QStringLiteral("%1_%2").arg(number, 6, 10, QLatin1Char('0')).arg(Stamp(now));
        // mkdir fails where the name is taken: by something else than a run's folder, say.
        if (base.mkdir(name))
            return QDir(base.filePath(name));
        if (!base.exists(name))
            FailAt(parent, QStringLiteral("cannot make a folder in %1").arg(parent));
    }
    // A folder numbered by hand near the end of the numbers leaves none free after it: it is named.
    FailAt(parent,
           QStringLiteral("%1 has no free run number for a backup folder after %2, the highest there; "
                          "move that folder elsewhere (or give another --dir)")
               .arg(parent, runs.value(0).name));
}

QString SaveBackup(const QDir &folder, const QHostAddress &address, const StoredConfig &config)
{
    const QString path = folder.filePath(MacPart(config.config.record.mac) + QLatin1Char('_') +
                                         address.toString() + QStringLiteral(".json"));
    QString error;
    if (!WriteConfigFile(path, config, error, {{"address", address.toString()}}))
        FailAt(path, error);
    return path;
}

std::optional<FoundBackup> NewestBackup(const QString &parent, const Mac &mac, const QHostAddress &address)
{
    const QDir base(parent);
    QList<RunFolder> runs = RunFolders(base);
    runs.append({QStringLiteral("."), 0, QDateTime()});
    const QString byMac = MacPart(mac) + QStringLiteral("_*.json");
    const QString byAddress = QStringLiteral("*_") + address.toString() + QStringLiteral(".json");
    // Twins (boards showing one MAC) leave a file each in one run: a board's own is the one of its
    // address too, never the first of its MAC by name.
    const QString own = MacPart(mac) + QLatin1Char('_') + address.toString() + QStringLiteral(".json");
    for (const QString &pattern : {byMac, byAddress}) {
        for (const RunFolder &run : runs) {
            const QDir folder(base.filePath(run.name));
            const QStringList found = folder.entryList({pattern}, QDir::Files);
            if (found.isEmpty())
                continue;
            const auto ownFile = std::find_if(found.begin(), found.end(), [&](const QString &name) {
                return name.compare(own, Qt::CaseInsensitive) == 0;
            });
            return FoundBackup{folder.filePath(ownFile != found.end() ? *ownFile : found.first()),
                               pattern == byMac, run.made};
        }
    }
    return std::nullopt;
}

}  // namespace velmar
