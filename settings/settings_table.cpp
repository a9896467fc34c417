#include "settings_table.h"

#include <stdexcept>

namespace {

// clang-format off
const SettingsSection Sections[] = {
    {"0",  "Ed_0",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {"1",  "Ed_1",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {"11", "Ed_11",       SettingKind::Octet,      4, {}, false},
    {"12", "Ed_12",       SettingKind::Octet,      4, {}, false},
    {"2",  "Ed_2",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {"3",  "Ed_3",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {"4",  "Ed_4",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {"5",  "Ed_5",        SettingKind::MacByte,    6, {"00", "1E", "00", "00", "00", "00"}, true},
    {"6",  "",            SettingKind::Pixels,     4, {"0", "0", "774", "492"}, true},
    {"7",  "EdR_0",       SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {"8",  "EdR1_0_IP_0", SettingKind::Octet,      1, {"0"}, true},
    {"9",  "IND_MEdit",   SettingKind::Identifier, 1, {"0"}, true},
    {"10", "CheckBox2",   SettingKind::Flag,       1, {"0"}, true},
    {"1d", "CheckBox4",   SettingKind::Flag,       1, {"0"}, true},
};
// clang-format on

const char *const LoadOrder[] = {"0", "1", "2", "3", "4", "5", "7", "8", "9", "10", "1d"};

}  // namespace

std::span<const SettingsSection> SettingsSections()
{
    return Sections;
}

std::span<const char *const> SettingsLoadOrder()
{
    return LoadOrder;
}

const SettingsSection &SettingsSectionNamed(const QString &name)
{
    for (const SettingsSection &section : Sections)
        if (name == QLatin1String(section.name))
            return section;
    throw std::logic_error("no settings section " + name.toStdString());
}

QString SettingsFieldName(const SettingsSection &section, int key)
{
    const QString fields = QString::fromLatin1(section.fields);
    return section.keys == 1 ? fields : QStringLiteral("%1_IP_%2").arg(fields).arg(key);
}

bool SettingsFlagValue(const QString &text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qlonglong value = trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
                                ? trimmed.mid(2).toLongLong(&ok, 16)
                                : trimmed.toLongLong(&ok, 10);
    return ok && value != 0;
}
