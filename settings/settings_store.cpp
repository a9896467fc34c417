#include "settings_store.h"

#include "installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const char *const FileName = "VelmarCom.ini";

QString Native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

bool Occupied(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();  // a dangling link is a name taken all the same
}

// A damaged file goes under a name that no earlier copy has: "VelmarCom.ini.damaged", then "-2", "-3"…
// Empty when it could not be moved: it then stays where it is, and nothing is written over it.
QString SetAside(const QString &path)
{
    constexpr int Names = 100;
    for (int n = 1; n <= Names; ++n) {
        const QString aside =
            path + (n == 1 ? QStringLiteral(".damaged") : QStringLiteral(".damaged-%1").arg(n));
        if (!Occupied(aside))
            return QFile::rename(path, aside) ? aside : QString();
    }
    return QString();
}

// A save killed between writing its temporary file and putting it in place leaves the temporary file
// beside the settings file: "VelmarCom.ini." and six random letters and digits. Only files of that shape
// that are the user's own and hold text are removed; a plain lower-case word ("VelmarCom.ini.backup") is
// someone's copy, never a temporary file of ours.
void RemoveStrayTemporaries(const QString &path)
{
    const QFileInfo settings(path);
    static const QRegularExpression random(QStringLiteral("^[A-Za-z0-9]{6}$"));
    static const QRegularExpression word(QStringLiteral("^[a-z]{6}$"));
    const QString prefix = settings.fileName() + QLatin1Char('.');
    const QFileInfoList entries = settings.absoluteDir().entryInfoList(
        {prefix + QStringLiteral("??????")}, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo &entry : entries) {
        const QString suffix = entry.fileName().mid(prefix.size());
        if (!random.match(suffix).hasMatch() || word.match(suffix).hasMatch() ||
            velmar::BelongsToAnotherUser(entry.filePath()))
            continue;
        const IniRead read = ReadIniFile(entry.filePath());
        if (read.status == IniRead::Status::Read || read.status == IniRead::Status::Missing)
            QFile::remove(entry.filePath());
    }
}

// The user's copy is the program's own file: one that an older version copied with a read-only
// permission is made writable again, or no save could ever replace it. Never through a link: that would
// change another file.
void PrepareUserCopy(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || velmar::BelongsToAnotherUser(path))
        return;
    if (!(info.permissions() & QFileDevice::WriteOwner))
        QFile::setPermissions(path, info.permissions() | QFileDevice::WriteOwner);
}

bool WritableInPlace(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink() && info.isWritable() &&
           QFileInfo(info.absolutePath()).isWritable();
}

}  // namespace

SettingsPaths DefaultSettingsPaths()
{
    const QString user = QDir(velmar::UserSettingsFolder()).filePath(QLatin1String(FileName));
    if (velmar::RunsInstalled())
        return {user, user};
    return {QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(FileName)), user};
}

// A settings file as found: what it holds, and whether it may be written over.
struct SettingsStore::Copy
{
    IniRead::Status status = IniRead::Status::Missing;
    IniFile ini;
    QString why;
    QString problem;       // what the operator is told about it
    bool writable = true;  // false: a file that could be neither read nor set aside is left as it is
};

SettingsStore::Copy SettingsStore::Examine(const QString &path)
{
    IniRead read = ReadIniFile(path);
    Copy copy{read.status, std::move(read.ini), read.why, {}, true};
    switch (copy.status) {
    case IniRead::Status::Missing:
    case IniRead::Status::Read: break;
    case IniRead::Status::Damaged: {
        const QString aside = SetAside(path);
        copy.writable = !aside.isEmpty();
        copy.problem = copy.writable
                           ? QStringLiteral("Файл налаштувань %1 пошкоджено (%2); його збережено як %3.")
                                 .arg(Native(path), copy.why, Native(aside))
                           : QStringLiteral("Файл налаштувань %1 пошкоджено (%2); його залишено як є.")
                                 .arg(Native(path), copy.why);
        break;
    }
    case IniRead::Status::Unreadable:
        copy.writable = false;
        copy.problem = QStringLiteral("Файл налаштувань %1 не прочитано (%2).").arg(Native(path), copy.why);
        break;
    }
    return copy;
}

// `base` with the program's keys set, written whole; what was written. A file that would pass the
// reader's bound is refused by the writer, and then the user's copy takes the program's keys alone.
std::optional<IniFile> SettingsStore::write(const QString &path, const IniFile &base, const Keys &own,
                                            QString &why) const
{
    IniFile text = base;
    own(text);
    if (WriteIniFile(path, text, &why))
        return text;
    if (path != paths_.user || text.format().size() <= MaxIniBytes)
        return std::nullopt;
    IniFile bare;
    own(bare);
    if (WriteIniFile(path, bare, &why))
        return bare;
    return std::nullopt;
}

bool SettingsStore::toUserCopy(IniFile base, const Keys &own, Outcome &outcome)
{
    PrepareUserCopy(paths_.user);
    Copy user = Examine(paths_.user);
    if (!user.problem.isEmpty())
        outcome.problems << user.problem;
    if (user.status == IniRead::Status::Read)
        base = user.ini;
    QString why = user.why;
    std::optional<IniFile> written;
    if (!user.writable || !(written = write(paths_.user, base, own, why))) {
        outcome.failure += QStringLiteral("; %1 (%2)").arg(Native(paths_.user), why);
        return false;
    }
    path_ = paths_.user;
    file_ = std::move(*written);
    return true;
}

// The file beside the program holds the last entries now: the user's copy is kept as
// "VelmarCom.ini.previous", or, where it cannot be moved, made to hold the same.
void SettingsStore::retireUserCopy(const IniFile &written, Outcome &outcome) const
{
    if (!distinct() || !Occupied(paths_.user))
        return;
    const QString previous = paths_.user + QStringLiteral(".previous");
    const QFileInfo before(previous);
    if (before.isSymLink() || before.isFile())
        QFile::remove(previous);
    QString why;
    if (QFile::rename(paths_.user, previous) || WriteIniFile(paths_.user, written, &why))
        return;
    outcome.problems << QStringLiteral("Копію налаштувань %1 не прибрано (%2); наступний запуск візьме її.")
                            .arg(Native(paths_.user), why);
}

SettingsStore::Outcome SettingsStore::load(const Keys &atStart)
{
    Outcome outcome;
    path_ = paths_.beside;  // where a save goes when nothing could be written at start either
    RemoveStrayTemporaries(paths_.beside);
    if (distinct())
        RemoveStrayTemporaries(paths_.user);
    else
        PrepareUserCopy(paths_.user);  // installed: the first start makes the user's folder

    QStringList problems;
    Copy beside = Examine(paths_.beside);
    problems << beside.problem;
    const IniFile *source = beside.status == IniRead::Status::Read ? &beside.ini : nullptr;
    Copy user;
    if (distinct()) {
        user = Examine(paths_.user);
        problems << user.problem;
        if (user.status == IniRead::Status::Read)
            source = &user.ini;
    }
    problems.removeAll(QString());
    if (!problems.isEmpty()) {
        problems << (source == &user.ini ? QStringLiteral("Налаштування взято з %1.").arg(Native(paths_.user))
                     : source ? QString()
                              : QStringLiteral("Взято типові значення."));
        outcome.problems << problems.join(QLatin1Char(' ')).trimmed();
    }
    const IniFile base = source ? *source : IniFile();

    // A file that already holds exactly this is left as it is: the same result without a write and a
    // flush to disk at every start.
    IniFile written = base;
    atStart(written);
    QString why = beside.why;
    const bool unchanged = source == &beside.ini && written == beside.ini && WritableInPlace(paths_.beside);
    if (beside.writable && (unchanged || WriteIniFile(paths_.beside, written, &why))) {
        path_ = paths_.beside;
        file_ = written;
        retireUserCopy(written, outcome);
        outcome.saved = true;
        return outcome;
    }
    outcome.failure = QStringLiteral("Unable to write to %1 (%2)").arg(Native(paths_.beside), why);
    if (distinct() && toUserCopy(base, atStart, outcome)) {
        // A folder that cannot be written is the usual place of a program; anything else is news.
        if (QFileInfo(QFileInfo(paths_.beside).absolutePath()).isWritable())
            outcome.notices << QStringLiteral(
                                   "Файл налаштувань %1 не записано (%2). Налаштування зберігаються в %3.")
                                   .arg(Native(paths_.beside), why, Native(paths_.user));
        outcome.failure.clear();
        outcome.saved = true;
    }
    return outcome;
}

SettingsStore::Outcome SettingsStore::save(const Keys &own)
{
    Outcome outcome;
    Copy current = Examine(path_);
    if (current.status == IniRead::Status::Damaged)
        outcome.problems << current.problem;
    const IniFile base = current.status == IniRead::Status::Read ? current.ini : file_;
    QString why = current.why;
    std::optional<IniFile> written;
    if (current.writable && (written = write(path_, base, own, why))) {
        file_ = std::move(*written);
        if (path_ == paths_.beside)
            retireUserCopy(file_, outcome);
        outcome.saved = true;
        return outcome;
    }
    const QString failed = path_;
    outcome.failure = QStringLiteral("Unable to write to %1 (%2)").arg(Native(failed), why);
    if (distinct() && failed != paths_.user && toUserCopy(base, own, outcome)) {
        // Said once, here: the next start finds the entries there.
        outcome.notices << QStringLiteral(
                               "Файл налаштувань %1 не записано (%2). Налаштування збережено в %3.")
                               .arg(Native(failed), why, Native(paths_.user));
        outcome.failure.clear();
        outcome.saved = true;
    }
    return outcome;
}
