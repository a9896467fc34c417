#pragma once
// Every section and key of "VelmarCom.ini": what each holds, its default, and the field it belongs to.
// The window binds its fields to this table; nothing here knows a widget.

#include <QString>

#include <array>
#include <span>

enum class SettingKind {
    Octet,       // a number field's value text ("010")
    Identifier,  // the identifier's edit text: plain digits, empty for 0
    MacByte,     // a MAC byte field's text, unchanged
    Flag,        // a check box: "1" or "0"
    Pixels,      // the window's left, top, width and height
};

// One section: its keys "1".."keys" hold the fields named by `fields` (an address panel's prefix, a
// MAC panel's prefix, or one control).
struct SettingsSection
{
    const char *name;
    const char *fields;
    SettingKind kind;
    int keys;
    std::array<const char *, 6> defaults;
    bool read;  // read at start; the reserve addresses are written and never read
};

// In the order of the save.
std::span<const SettingsSection> SettingsSections();
// The sections read at start, in the order of the load; the placement ("6") comes first, on its own.
std::span<const char *const> SettingsLoadOrder();
const SettingsSection &SettingsSectionNamed(const QString &name);
inline const SettingsSection &PlacementSection()
{
    return SettingsSectionNamed(QStringLiteral("6"));
}

// The control of key `key` (0-based) of a section: "Ed_2_IP_3", "IND_MEdit".
QString SettingsFieldName(const SettingsSection &section, int key);
// The key's name in the file: "1".."6".
inline QString SettingsKeyName(int key)
{
    return QString::number(key + 1);
}
// A flag is an integer, "0x" introducing hexadecimal digits; anything unreadable is unchecked.
bool SettingsFlagValue(const QString &text);
