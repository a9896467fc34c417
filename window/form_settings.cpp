// "VelmarCom.ini": the operator's last entries, read when the window opens and written when it closes.
// The file's sections and keys are in settings_table; this binds them to the window's fields.

#include "entry_fields.h"
#include "form.h"
#include "installation.h"
#include "settings_table.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

const char *const FileName = "VelmarCom.ini";

QString FallbackPath(const RunSettings &run)
{
    if (!run.fallbackSettingsPath.isEmpty())
        return run.fallbackSettingsPath;
    return QDir(velmar::UserSettingsFolder()).filePath(FileName);
}

// Where the file is kept: beside the executable, or, where that folder cannot be written or the program
// is installed, in the user's configuration folder.
QString PrimaryPath(const RunSettings &run)
{
    if (!run.settingsPath.isEmpty())
        return run.settingsPath;
    if (velmar::RunsInstalled())
        return FallbackPath(run);
    return QDir(QCoreApplication::applicationDirPath()).filePath(FileName);
}

// The user's copy is the program's own file: one that an older version copied with a read-only
// permission is made writable again, or no save could ever replace it.
void PrepareUserCopy(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.exists() && !(file.permissions() & QFileDevice::WriteOwner))
        file.setPermissions(file.permissions() | QFileDevice::WriteOwner);
}

const SettingsSection &Placement()
{
    return SettingsSectionOf(SettingsSectionId::Placement);
}

void SetPlacement(IniFile &ini, const QRect &placement)
{
    const int values[] = {placement.x(), placement.y(), placement.width(), placement.height()};
    for (int k = 0; k < 4; ++k)
        ini.setValue(QLatin1String(Placement().name), SettingsKeyName(k), QString::number(values[k]));
}

// A value as a message quotes it: a few dozen characters at most.
QString Abbreviated(const QString &text)
{
    constexpr qsizetype Quoted = 40;
    return text.size() <= Quoted ? text : text.left(Quoted) + QStringLiteral("…");
}

// How a field of each kind of section gives its text to a save and takes a text of the file at a load.
struct FieldAdapter
{
    QString (*text)(const QWidget *field);
    bool (*take)(QWidget *field, const QString &text);  // false: not a text the field takes
};

bool TakeNumber(QWidget *field, const QString &text)
{
    if (!NumericEdit::IsValueText(text))
        return false;
    qobject_cast<NumericEdit *>(field)->setValueText(text);
    return true;
}

const FieldAdapter &AdapterOf(SettingKind kind)
{
    static const FieldAdapter octet{
        [](const QWidget *field) { return qobject_cast<const NumericEdit *>(field)->valueText(); },
        TakeNumber};
    static const FieldAdapter identifier{
        [](const QWidget *field) { return qobject_cast<const NumericEdit *>(field)->editText(); },
        TakeNumber};
    static const FieldAdapter macByte{
        [](const QWidget *field) { return qobject_cast<const QLineEdit *>(field)->text(); },
        [](QWidget *field, const QString &text) {
            qobject_cast<QLineEdit *>(field)->setText(text);
            return true;
        }};
    static const FieldAdapter flag{[](const QWidget *field) {
                                       return QString::fromLatin1(
                                           qobject_cast<const QCheckBox *>(field)->isChecked() ? "1" : "0");
                                   },
                                   [](QWidget *field, const QString &text) {
                                       qobject_cast<QCheckBox *>(field)->setChecked(SettingsFlagValue(text));
                                       return true;
                                   }};
    switch (kind) {
    case SettingKind::Octet: return octet;
    case SettingKind::Identifier: return identifier;
    case SettingKind::MacByte: return macByte;
    case SettingKind::Flag: return flag;
    case SettingKind::Pixels: break;  // the placement is the window's, not a field's
    }
    throw std::logic_error("no field adapter for the placement");
}

}  // namespace

// What a file on disk holds for the load. A file that is no settings file at all is set aside, never
// overwritten: nothing of it is lost, and the load starts from defaults.
IniFile TForm1_Config_UDP::readSettingsFile(const QString &path, bool *exists)
{
    IniRead read = ReadIniFile(path);
    if (exists)
        *exists = read.status != IniRead::Status::Missing;
    const QString where = QDir::toNativeSeparators(path);
    switch (read.status) {
    case IniRead::Status::Missing:
    case IniRead::Status::Read: break;
    case IniRead::Status::Damaged: {
        const QString aside = path + QStringLiteral(".damaged");
        QFile::remove(aside);
        const bool kept = QFile::rename(path, aside);
        if (!kept)
            QFile::remove(path);
        notifier_.error(this,
                        kept ? QStringLiteral("Файл налаштувань %1 пошкоджено (%2). Взято типові значення; "
                                              "пошкоджений файл збережено як %3.")
                                   .arg(where, read.why, QDir::toNativeSeparators(aside))
                             : QStringLiteral("Файл налаштувань %1 пошкоджено (%2). Взято типові значення.")
                                   .arg(where, read.why));
        break;
    }
    case IniRead::Status::Unreadable:
        notifier_.error(this, QStringLiteral("Файл налаштувань %1 не прочитано (%2). Взято типові значення.")
                                  .arg(where, read.why));
        break;
    }
    return read.ini;
}

void TForm1_Config_UDP::LoadSettings()
{
    const QString primary = PrimaryPath(run_);
    const QString fallback = FallbackPath(run_);
    const QRect placement(pos(), frameGeometry().size());

    // The placement is written first and read back: the window keeps its design placement.
    settingsWritePath_ = primary;
    settings_ = readSettingsFile(primary);
    // A save that could not write the file beside the program (a full disk) went to the user's copy: the
    // newer of the two holds the operator's last entries.
    const QFileInfo primaryInfo(primary), userInfo(fallback);
    if (fallback != primary && primaryInfo.exists() && userInfo.isFile() &&
        userInfo.lastModified() > primaryInfo.lastModified()) {
        bool userCopyExists = false;
        IniFile user = readSettingsFile(fallback, &userCopyExists);
        if (userCopyExists && !user.isEmpty())
            settings_ = user;
    }
    IniFile written = settings_;
    SetPlacement(written, placement);
    // A file that already holds exactly this, and could be written, is left as it is: the same result
    // without a write and a flush to disk at every start.
    const QFileInfo info(primary);
    bool saved = (written == settings_ && info.isFile() && info.isWritable() &&
                  QFileInfo(info.absolutePath()).isWritable()) ||
                 WriteIniFile(primary, written);
    if (!saved) {
        // The first time, the user's copy starts from the file beside the executable.
        PrepareUserCopy(fallback);
        bool userCopyExists = false;
        IniFile user = readSettingsFile(fallback, &userCopyExists);
        if (userCopyExists)
            settings_ = user;
        written = settings_;
        SetPlacement(written, placement);
        saved = WriteIniFile(fallback, written);
        if (saved)
            settingsWritePath_ = fallback;
        else
            notifier_.error(this, QStringLiteral("Unable to write to %1").arg(primary));
    }
    if (saved) {
        settings_ = written;
        const SettingsSection &section = Placement();
        int values[4];
        for (int k = 0; k < 4; ++k)
            values[k] = settings_.value(QLatin1String(section.name), SettingsKeyName(k), "0").toInt();
        move(values[0], values[1]);
        resize(values[2], values[3]);
        fitToVisibleControls();
    }

    QStringList skipped;
    // Sections "11" and "12" are never read back: the reserve addresses keep the 0 they were made with.
    for (const SettingsSection &section : SettingsSections()) {
        if (!section.read || section.kind == SettingKind::Pixels)
            continue;
        const FieldAdapter &adapter = AdapterOf(section.kind);
        const QString name = QLatin1String(section.name);
        for (int key = 0; key < section.keys; ++key) {
            const QString fallbackText = QLatin1String(section.defaults[key]);
            const QString text = settings_.value(name, SettingsKeyName(key), fallbackText);
            QWidget *field = control(SettingsFieldName(section, key));
            if (!adapter.take(field, text)) {
                skipped << QStringLiteral("[%1] %2=%3").arg(name, SettingsKeyName(key), Abbreviated(text));
                adapter.take(field, fallbackText);
            }
        }
    }
    if (!skipped.isEmpty())
        notifier_.error(
            this, QStringLiteral("%1: ці значення не є числами, взято типові: %2")
                      .arg(QDir::toNativeSeparators(settingsWritePath_), skipped.join(QLatin1String(", "))));
}

void TForm1_Config_UDP::SaveSettings()
{
    IniFile ini = settings_;  // keys the program does not know stay as they were
    const QRect frame(pos(), frameGeometry().size());
    for (const SettingsSection &section : SettingsSections()) {
        if (section.kind == SettingKind::Pixels) {
            SetPlacement(ini, frame);
            continue;
        }
        for (int key = 0; key < section.keys; ++key)
            ini.setValue(QLatin1String(section.name), SettingsKeyName(key),
                         AdapterOf(section.kind).text(control(SettingsFieldName(section, key))));
    }

    QString why;
    bool saved = WriteIniFile(settingsWritePath_, ini, &why);
    const QString fallback = FallbackPath(run_);
    if (!saved && settingsWritePath_ != fallback) {
        PrepareUserCopy(fallback);
        if ((saved = WriteIniFile(fallback, ini))) {
            // Said once, here: the next start finds the entries there, the newer file.
            notifier_.message(this, QStringLiteral("Файл налаштувань %1 не записано (%2). Налаштування "
                                                   "збережено в %3.")
                                        .arg(QDir::toNativeSeparators(settingsWritePath_), why,
                                             QDir::toNativeSeparators(fallback)));
            settingsWritePath_ = fallback;
        }
    }
    if (!saved)
        throw std::runtime_error(
            QStringLiteral("Unable to write to %1").arg(settingsWritePath_).toStdString());
    settings_ = ini;
}
