// "VelmarCom.ini": the operator's last entries, read when the window opens and written when it closes.

#include "entry_fields.h"
#include "form.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>

#include <memory>
#include <stdexcept>

namespace {

const char *const FileName = "VelmarCom.ini";

enum class Value {
    Number,      // a NumericEdit's value text ("010")
    Identifier,  // IND_MEdit's edit text: plain digits, empty for 0
    MacByte,     // a HexByteEdit's text, unchanged
    Flag,        // a check box: "1" or "0"
};

// One section: its keys "1".."n" hold the fields named by `fields` (an address panel's prefix, a MAC
// panel's prefix, or one control), in the order of the save.
struct Section
{
    const char *name;
    const char *fields;
    Value kind;
    int keys;
    std::array<const char *, 6> defaults;
    bool read;
};

// clang-format off
const Section Sections[] = {
    {"0",  "Ed_0",        Value::Number,     4, {"0", "0", "0", "0"}, true},
    {"1",  "Ed_1",        Value::Number,     4, {"0", "0", "0", "0"}, true},
    {"11", "Ed_11",       Value::Number,     4, {}, false},
    {"12", "Ed_12",       Value::Number,     4, {}, false},
    {"2",  "Ed_2",        Value::Number,     4, {"0", "0", "0", "0"}, true},
    {"3",  "Ed_3",        Value::Number,     4, {"0", "0", "0", "0"}, true},
    {"4",  "Ed_4",        Value::Number,     4, {"0", "0", "0", "0"}, true},
    {"5",  "Ed_5",        Value::MacByte,    6, {"00", "1E", "00", "00", "00", "00"}, true},
    {"6",  nullptr,       Value::Number,     4, {"0", "0", "774", "492"}, true},  // window placement
    {"7",  "EdR_0",       Value::Number,     4, {"0", "0", "0", "0"}, true},
    {"8",  "EdR1_0_IP_0", Value::Number,     1, {"0"}, true},
    {"9",  "IND_MEdit",   Value::Identifier, 1, {"0"}, true},
    {"10", "CheckBox2",   Value::Flag,       1, {"0"}, true},
    {"1d", "CheckBox4",   Value::Flag,       1, {"0"}, true},
};
// clang-format on

const char *const LoadOrder[] = {"0", "1", "2", "3", "4", "5", "7", "8", "9", "10", "1d"};

const Section &SectionNamed(const QString &name)
{
    for (const Section &section : Sections)
        if (name == QLatin1String(section.name))
            return section;
    throw std::logic_error("no settings section " + name.toStdString());
}

QString FieldName(const Section &section, int key)
{
    const QString fields = QString::fromLatin1(section.fields);
    return section.keys == 1 ? fields : QStringLiteral("%1_IP_%2").arg(fields).arg(key);
}

QString Key(const Section &section, int key)
{
    return QStringLiteral("%1/%2").arg(QLatin1String(section.name)).arg(key + 1);
}

// QSettings reads an unquoted comma as a list; the file held the text with its commas.
QString ReadText(const QSettings &ini, const QString &key, const QString &fallback)
{
    const QVariant value = ini.value(key);
    if (!value.isValid())
        return fallback;
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

// A flag is an integer, "0x" introducing hexadecimal digits; anything unreadable is unchecked.
bool FlagValue(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qlonglong value = trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                                ? trimmed.mid(2).toLongLong(&ok, 16)
                                : trimmed.toLongLong(&ok, 10);
    return ok && value != 0;
}

// QSettings guards each save with "<file>.lock". A program killed in the instant between creating that
// lock and writing its owner into it leaves a lock nobody can read, which QSettings would wait out for
// half a minute. Nobody holds such a lock: it goes.
void ClearCutOffLock(const QString &path)
{
    const QString lockPath = path + QStringLiteral(".lock");
    if (!QFileInfo::exists(lockPath))
        return;
    qint64 pid = 0;
    QString host, application;
    if (!QLockFile(lockPath).getLockInfo(&pid, &host, &application))
        QFile::remove(lockPath);
}

bool Synced(QSettings &ini)
{
    ini.sync();
    return ini.status() == QSettings::NoError;
}

constexpr qint64 MaxSettingsBytes = 1 << 20;  // what the program writes is well under 1 KiB

// What is wrong with a settings file that cannot be one, or nothing.
QString Damage(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (info.size() == 0)
        return QStringLiteral("порожній");
    if (info.size() > MaxSettingsBytes)
        return QStringLiteral("завеликий");
    QSettings ini(path, QSettings::IniFormat);
    ini.childGroups();
    if (ini.status() == QSettings::FormatError)
        return QStringLiteral("не є файлом налаштувань");
    return {};
}

}  // namespace

// Where the file is kept: beside the executable, or, where that folder cannot be written, in the user's
// configuration folder.
static QString PrimaryPath(const RunSettings &run)
{
    return run.settingsPath.isEmpty() ? QDir(QCoreApplication::applicationDirPath()).filePath(FileName)
                                      : run.settingsPath;
}

static QString FallbackPath(const RunSettings &run)
{
    if (!run.fallbackSettingsPath.isEmpty())
        return run.fallbackSettingsPath;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath(FileName);
}

void TForm1_Config_UDP::LoadSettings()
{
    const QString primary = PrimaryPath(run_);
    const QString fallback = FallbackPath(run_);
    // A damaged file is set aside, not read: nothing of it is lost, and the load starts from defaults.
    for (const QString &path : {primary, fallback}) {
        const QString why = Damage(path);
        if (why.isEmpty())
            continue;
        const QString aside = path + QStringLiteral(".damaged");
        QFile::remove(aside);
        if (!QFile::rename(path, aside))
            QFile::remove(path);
        notifier_.error(this, QStringLiteral("Файл налаштувань %1 пошкоджено (%2). Взято типові значення; "
                                             "пошкоджений файл збережено як %3.")
                                  .arg(QDir::toNativeSeparators(path), why, QDir::toNativeSeparators(aside)));
    }
    const QRect placement(pos(), frameGeometry().size());
    auto writePlacement = [&](QSettings &ini) {
        const int values[] = {placement.x(), placement.y(), placement.width(), placement.height()};
        for (int k = 0; k < 4; ++k)
            ini.setValue(Key(SectionNamed("6"), k), QString::number(values[k]));
        return Synced(ini);
    };

    ClearCutOffLock(primary);
    ClearCutOffLock(fallback);
    settingsWritePath_ = primary;
    auto ini = std::make_unique<QSettings>(primary, QSettings::IniFormat);
    bool written = writePlacement(*ini);
    if (!written) {
        // The first time, the user's copy starts from the file beside the executable.
        QDir().mkpath(QFileInfo(fallback).absolutePath());
        if (!QFile::exists(fallback) && QFile::exists(primary))
            QFile::copy(primary, fallback);
        auto user = std::make_unique<QSettings>(fallback, QSettings::IniFormat);
        if (writePlacement(*user)) {
            written = true;
            settingsWritePath_ = fallback;
            ini = std::move(user);
        } else {
            ini = std::make_unique<QSettings>(QFile::exists(fallback) ? fallback : primary,
                                              QSettings::IniFormat);
            notifier_.error(this, QStringLiteral("Unable to write to %1").arg(primary));
        }
    }
    if (written) {  // read back what was just written: the window keeps its design placement
        int values[4];
        for (int k = 0; k < 4; ++k)
            values[k] = ReadText(*ini, Key(SectionNamed("6"), k), "0").toInt();
        move(values[0], values[1]);
        resize(values[2], values[3]);
        fitToVisibleControls();
    }

    QStringList skipped;
    for (const char *name : LoadOrder) {
        if (QLatin1String(name) == QLatin1String("5"))  // the reserve addresses are never read back
            for (int panel : {11, 12})
                octets(panel)[0]->setValueText(QStringLiteral("0"));
        const Section &section = SectionNamed(QLatin1String(name));
        for (int key = 0; key < section.keys; ++key) {
            const QString text = ReadText(*ini, Key(section, key), QLatin1String(section.defaults[key]));
            QWidget *field = control(FieldName(section, key));
            switch (section.kind) {
            case Value::Number:
            case Value::Identifier: try { qobject_cast<NumericEdit *>(field)->setValueText(text);
                } catch (const std::invalid_argument &) {
                    qobject_cast<NumericEdit *>(field)->setValueText(QLatin1String(section.defaults[key]));
                    skipped << QStringLiteral("[%1] %2=%3").arg(QLatin1String(name)).arg(key + 1).arg(text);
                }
                break;
            case Value::MacByte: qobject_cast<QLineEdit *>(field)->setText(text); break;
            case Value::Flag: qobject_cast<QCheckBox *>(field)->setChecked(FlagValue(text)); break;
            }
        }
    }
    if (!skipped.isEmpty())
        notifier_.error(
            this, QStringLiteral("%1: ці значення не є числами, взято типові: %2")
                      .arg(QDir::toNativeSeparators(ini->fileName()), skipped.join(QLatin1String(", "))));
}

void TForm1_Config_UDP::SaveSettings()
{
    auto save = [this](const QString &path) {
        ClearCutOffLock(path);
        QSettings ini(path, QSettings::IniFormat);
        for (const Section &section : Sections) {
            for (int key = 0; key < section.keys; ++key) {
                QString text;
                if (!section.fields) {
                    const QRect frame(pos(), frameGeometry().size());
                    const int values[] = {frame.x(), frame.y(), frame.width(), frame.height()};
                    text = QString::number(values[key]);
                } else {
                    QWidget *field = control(FieldName(section, key));
                    switch (section.kind) {
                    case Value::Number: text = qobject_cast<NumericEdit *>(field)->valueText(); break;
                    case Value::Identifier: text = qobject_cast<NumericEdit *>(field)->editText(); break;
                    case Value::MacByte: text = qobject_cast<QLineEdit *>(field)->text(); break;
                    case Value::Flag:
                        text = qobject_cast<QCheckBox *>(field)->isChecked() ? QStringLiteral("1")
                                                                             : QStringLiteral("0");
                        break;
                    }
                }
                ini.setValue(Key(section, key), text);
            }
        }
        return Synced(ini);
    };

    if (save(settingsWritePath_))
        return;
    const QString fallback = FallbackPath(run_);
    if (settingsWritePath_ != fallback) {
        QDir().mkpath(QFileInfo(fallback).absolutePath());
        if (save(fallback)) {
            settingsWritePath_ = fallback;
            return;
        }
    }
    throw std::runtime_error(QStringLiteral("Unable to write to %1").arg(settingsWritePath_).toStdString());
}
