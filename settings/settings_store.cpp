#include "settings_store.h"

#include "installation.h"
#include "whole_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velmar {

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

// Only a regular file of the user's own is ever moved: a link, a folder or a device stays where it is.
bool Movable(const QString &path)
{
    const QFileInfo info(path);
    return !info.isSymLink() && info.isFile() && !BelongsToAnotherUser(path);
}

// Moves the file to the first free name of "PATH.SUFFIX", "PATH.SUFFIX-2", "-3"…: the new name, or empty
// when it was not moved. A rename never replaces a file of the new name.
QString MoveAside(const QString &path, const QString &suffix)
{
    if (!Movable(path))
        return QString();
    constexpr int Names = 100;
    for (int n = 1; n <= Names; ++n) {
        const QString aside =
            path + QLatin1Char('.') + suffix + (n == 1 ? QString() : QStringLiteral("-%1").arg(n));
        if (!Occupied(aside))
            return QFile::rename(path, aside) ? aside : QString();
    }
    return QString();
}

// Who may read a file: only they may read a copy of its text.
QFileDevice::Permissions Readers(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.permissions() & AnyReader : AnyReader;
}

// The user's copy is the program's own file: one that an older version copied with a read-only
// permission is made writable again, or no save could ever replace it. Never through a link: that would
// change another file.
void PrepareUserCopy(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile() || BelongsToAnotherUser(path))
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
    const QString user = QDir(UserSettingsFolder()).filePath(QLatin1String(FileName));
    if (RunsInstalled())
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
    QFileDevice::Permissions readers = AnyReader;
};

SettingsStore::Copy SettingsStore::Examine(const QString &path)
{
    IniRead read = ReadIniFile(path);
    Copy copy{read.status, std::move(read.ini), read.why, {}, true, Readers(path)};
    switch (copy.status) {
    case IniRead::Status::Missing:
    case IniRead::Status::Read: break;
    case IniRead::Status::Damaged: {
        const QString aside = MoveAside(path, QStringLiteral("damaged"));
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
// reader's bound is refused by the writer, and then the user's copy takes the program's keys alone; a
// user's copy that held more is kept aside first.
std::optional<IniFile> SettingsStore::write(const QString &path, const IniFile &base, const Keys &own,
                                            QFileDevice::Permissions readers, QString &why,
                                            Outcome &outcome) const
{
    IniFile text = base;
    own(text);
    if (WriteIniFile(path, text, &why, readers))
        return text;
    if (path != paths_.user || text.format().size() <= MaxIniBytes)
        return std::nullopt;
    if (ReadIniFile(path).status == IniRead::Status::Read) {
        const QString kept = MoveAside(path, QStringLiteral("kept"));
        if (kept.isEmpty())
            return std::nullopt;
        outcome.notices << QStringLiteral("У файлі налаштувань %1 немає місця для значень програми (%2); "
                                          "його збережено як %3, а значення записано окремо.")
                               .arg(Native(path), why, Native(kept));
    }
    IniFile bare;
    own(bare);
    if (WriteIniFile(path, bare, &why))
        return bare;
    return std::nullopt;
}

bool SettingsStore::toUserCopy(IniFile base, QFileDevice::Permissions readers, const Keys &own,
                               Outcome &outcome)
{
    PrepareUserCopy(paths_.user);
    Copy user = Examine(paths_.user);
    if (!user.problem.isEmpty())
        outcome.problems << user.problem;
    if (user.status == IniRead::Status::Read) {
        base = user.ini;
        readers = AnyReader;  // its own text: the file keeps its permissions
    }
    QString why = user.why;
    std::optional<IniFile> written;
    if (!user.writable || !(written = write(paths_.user, base, own, readers, why, outcome))) {
        outcome.failure += QStringLiteral("; %1 (%2)").arg(Native(paths_.user), why);
        return false;
    }
    path_ = paths_.user;
    file_ = std::move(*written);
    return true;
}

// The file beside the program holds the last entries now: the user's copy is kept as
// "VelmarCom.ini.previous", or, where it cannot be moved, made to hold the same. A user's copy that is
// not a regular file of the user's own was told about when it was read, and stays as it is.
void SettingsStore::retireUserCopy(const IniFile &written, QFileDevice::Permissions readers,
                                   Outcome &outcome) const
{
    if (!distinct() || !Occupied(paths_.user))
        return;
    QString why = QStringLiteral("не є звичайним файлом");
    if (Movable(paths_.user)) {
        if (!MoveAside(paths_.user, QStringLiteral("previous")).isEmpty())
            return;
        why = QStringLiteral("не перейменовано");
        if (ReadIniFile(paths_.user).status == IniRead::Status::Read &&
            WriteIniFile(paths_.user, written, &why, readers))
            return;
    }
    outcome.problems << QStringLiteral("Копію налаштувань %1 не прибрано (%2); наступний запуск візьме її.")
                            .arg(Native(paths_.user), why);
}

SettingsStore::Outcome SettingsStore::load(const Keys &atStart)
{
    Outcome outcome;
    path_ = paths_.beside;  // where a save goes when nothing could be written at start either
    RemoveStraySaves(paths_.beside);
    if (distinct())
        RemoveStraySaves(paths_.user);
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
    IniFile base = source ? *source : IniFile();
    QFileDevice::Permissions readers = beside.readers;

    // The user's copy holds the last entries; the file beside the program may hold lines of the
    // operator's besides. Those stay, and a value the copy changes is kept in the file set aside.
    bool keepBeside = false;
    if (source == &user.ini && beside.status == IniRead::Status::Read) {
        base = beside.ini;
        const IniFile::Table theirs = beside.ini.table();
        const IniFile::Table last = user.ini.table();
        for (auto section = last.cbegin(); section != last.cend(); ++section) {
            for (auto key = section->cbegin(); key != section->cend(); ++key) {
                const auto before = theirs.value(section.key());
                keepBeside = keepBeside || (before.contains(key.key()) && before.value(key.key()) != *key);
                base.setValue(section.key(), key.key(), *key);
            }
        }
        readers &= user.readers;
    } else if (source == &user.ini) {
        readers = user.readers;
    }

    // A file that already holds exactly this is left as it is: the same result without a write and a
    // flush to disk at every start.
    IniFile written = base;
    atStart(written);
    QString why = beside.why;
    const bool unchanged = source == &beside.ini && written == beside.ini && WritableInPlace(paths_.beside);
    if (beside.writable && keepBeside && written.format().size() <= MaxIniBytes) {
        const QString kept = MoveAside(paths_.beside, QStringLiteral("kept"));
        if (kept.isEmpty()) {
            beside.writable = false;
            why = QStringLiteral("його не вдалося зберегти окремо");
        } else {
            outcome.notices << QStringLiteral("Файл налаштувань %1 відрізнявся від %2, з якого взято "
                                              "налаштування; його збережено як %3.")
                                   .arg(Native(paths_.beside), Native(paths_.user), Native(kept));
        }
    }
    if (beside.writable && (unchanged || WriteIniFile(paths_.beside, written, &why, readers))) {
        path_ = paths_.beside;
        file_ = written;
        retireUserCopy(written, readers, outcome);
        outcome.saved = true;
        return outcome;
    }
    outcome.failure = QStringLiteral("Unable to write to %1 (%2)").arg(Native(paths_.beside), why);
    if (distinct() && toUserCopy(base, readers, atStart, outcome)) {
        // A folder that cannot be written is the usual place of a program; anything else is news, told
        // when the entries first go to the user's copy (a start that finds them there was told before).
        if (QFileInfo(QFileInfo(paths_.beside).absolutePath()).isWritable() && source != &user.ini)
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
    if (current.writable && (written = write(path_, base, own, current.readers, why, outcome))) {
        file_ = std::move(*written);
        if (path_ == paths_.beside)
            retireUserCopy(file_, current.readers, outcome);
        outcome.saved = true;
        return outcome;
    }
    const QString failed = path_;
    outcome.failure = QStringLiteral("Unable to write to %1 (%2)").arg(Native(failed), why);
    if (distinct() && failed != paths_.user && toUserCopy(base, current.readers, own, outcome)) {
        // Said once, here: the next start finds the entries there.
        outcome.notices << QStringLiteral(
                               "Файл налаштувань %1 не записано (%2). Налаштування збережено в %3.")
                               .arg(Native(failed), why, Native(paths_.user));
        outcome.failure.clear();
        outcome.saved = true;
    }
    return outcome;
}

}  // namespace velmar
