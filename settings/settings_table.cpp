#include "settings_table.h"

#include <stdexcept>
#include <string>

namespace velmar {

namespace {

using Id = SettingsSectionId;

// clang-format off
const SettingsSection Sections[] = {
    {Id::Target,          "0",  "Ed_0",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {Id::Dispatcher,      "1",  "Ed_1",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {Id::Reserve1,        "11", "Ed_11",       SettingKind::Octet,      4, {}, false},
    {Id::Reserve2,        "12", "Ed_12",       SettingKind::Octet,      4, {}, false},
    {Id::Lift,            "2",  "Ed_2",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {Id::Mask,            "3",  "Ed_3",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {Id::Router,          "4",  "Ed_4",        SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {Id::MacBytes,        "5",  "Ed_5",        SettingKind::MacByte,    6, {"00", "1E", "00", "00", "00", "00"}, true},
    {Id::Placement,       "6",  "",            SettingKind::Pixels,     4, {"0", "0", "774", "492"}, true},
    {Id::SweepStart,      "7",  "EdR_0",       SettingKind::Octet,      4, {"0", "0", "0", "0"}, true},
    {Id::SweepCount,      "8",  "EdR1_0_IP_0", SettingKind::Octet,      1, {"0"}, true},
    {Id::Identifier,      "9",  "IND_MEdit",   SettingKind::Identifier, 1, {"0"}, true},
    {Id::ConsoleDynamic,  "10", "CheckBox2",   SettingKind::Flag,       1, {"0"}, true},
    {Id::BoardDhcp,       "1d", "CheckBox4",   SettingKind::Flag,       1, {"0"}, true},
};
// clang-format on

}  // namespace

std::span<const SettingsSection> SettingsSections()
{
    return Sections;
}

const SettingsSection &SettingsSectionOf(SettingsSectionId id)
{
    for (const SettingsSection &section : Sections)
        if (section.id == id)
            return section;
    throw std::logic_error("no settings section " + std::to_string(int(id)));
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

}  // namespace velmar
