// "VelmarCom.ini": the operator's last entries, read when the window opens and written when it closes.
// The file's sections and keys are in settings_table, which copy is read and where a save goes in
// settings_store; this binds them to the window's fields.

#include "entry_fields.h"
#include "form.h"
#include "settings_table.h"

#include <QCheckBox>
#include <QDir>

#include <stdexcept>

namespace velmar {

namespace {

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

SettingsPaths TForm1_Config_UDP::SettingsPathsOf(const RunSettings &run)
{
    SettingsPaths paths = DefaultSettingsPaths();
    if (!run.fallbackSettingsPath.isEmpty())
        paths.user = run.fallbackSettingsPath;
    paths.beside = run.settingsPath.isEmpty() ? paths.beside : run.settingsPath;
    return paths;
}

void TForm1_Config_UDP::LoadSettings()
{
    // The placement is written first and read back: the window keeps its design placement.
    const QRect placement(pos(), frameGeometry().size());
    const SettingsStore::Outcome outcome =
        settings_.load([&placement](IniFile &ini) { SetPlacement(ini, placement); });
    const IniFile &file = settings_.file();
    if (outcome.saved) {
        const SettingsSection &section = Placement();
        int values[4];
        for (int k = 0; k < 4; ++k)
            values[k] = file.value(QLatin1String(section.name), SettingsKeyName(k), "0").toInt();
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
            const QString text = file.value(name, SettingsKeyName(key), fallbackText);
            QWidget *field = control(SettingsFieldName(section, key));
            if (!adapter.take(field, text)) {
                skipped << QStringLiteral("[%1] %2=%3").arg(name, SettingsKeyName(key), Abbreviated(text));
                adapter.take(field, fallbackText);
            }
        }
    }
    // Told once every entry is in place: a session that ends while a message is open saves them.
    for (const QString &problem : outcome.problems)
        notifier_.error(this, problem);
    if (!outcome.saved)
        notifier_.error(this, outcome.failure);
    for (const QString &notice : outcome.notices)
        notifier_.message(this, notice);
    if (!skipped.isEmpty())
        notifier_.error(
            this, QStringLiteral("%1: ці значення не є числами, взято типові: %2")
                      .arg(QDir::toNativeSeparators(settings_.path()), skipped.join(QLatin1String(", "))));
}

void TForm1_Config_UDP::SaveSettings()
{
    const QRect frame(pos(), frameGeometry().size());
    // Only the program's own keys are set: whatever else the file holds stays as it is.
    const SettingsStore::Outcome outcome = settings_.save([this, &frame](IniFile &ini) {
        for (const SettingsSection &section : SettingsSections()) {
            if (section.kind == SettingKind::Pixels) {
                SetPlacement(ini, frame);
                continue;
            }
            for (int key = 0; key < section.keys; ++key)
                ini.setValue(QLatin1String(section.name), SettingsKeyName(key),
                             AdapterOf(section.kind).text(control(SettingsFieldName(section, key))));
        }
    });
    for (const QString &problem : outcome.problems)
        notifier_.error(this, problem);
    for (const QString &notice : outcome.notices)
        notifier_.message(this, notice);
    if (!outcome.saved)
        throw std::runtime_error(outcome.failure.toStdString());
}

}  // namespace velmar
