#pragma once
// Every section and key of "VelmarCom.ini": what each holds, its default, and the field it belongs to.
// The window binds its fields to this table; nothing here knows a widget.

#include <QString>

#include <array>
#include <span>

namespace velmar {

enum class SettingKind {
    Octet,       // a number field's value text ("010")
    Identifier,  // the identifier's edit text: plain digits, empty for 0
    MacByte,     // a MAC byte field's text, unchanged
    Flag,        // a check box: "1" or "0"
    Pixels,      // the window's left, top, width and height
};

// The sections, in the order of the table (the order of the save).
enum class SettingsSectionId {
    Target,          // "0": the target board's address
    Dispatcher,      // "1"
    Reserve1,        // "11": written, never read
    Reserve2,        // "12": written, never read
    Lift,            // "2"
    Mask,            // "3"
    Router,          // "4"
    MacBytes,        // "5"
    Placement,       // "6": the window's place and size, read on its own before the fields
    SweepStart,      // "7": the reboot sweep's first board
    SweepCount,      // "8"
    Identifier,      // "9"
    ConsoleDynamic,  // "10"
    BoardDhcp,       // "1d"
};

// One section: its keys "1".."keys" hold the fields named by `fields` (an address panel's prefix, a
// MAC panel's prefix, or one control).
struct SettingsSection
{
    SettingsSectionId id;
    const char *name;
    const char *fields;
    SettingKind kind;
    int keys;
    std::array<const char *, 6> defaults;
    bool read;  // read at start; the reserve addresses are written and never read
};

// In the order of the save; the load takes those it reads in the same order.
std::span<const SettingsSection> SettingsSections();
const SettingsSection &SettingsSectionOf(SettingsSectionId id);

// The control of key `key` (0-based) of a section: "Ed_2_IP_3", "IND_MEdit".
QString SettingsFieldName(const SettingsSection &section, int key);
// The key's name in the file: "1".."6".
inline QString SettingsKeyName(int key)
{
    return QString::number(key + 1);
}
// A flag is an integer, "0x" introducing hexadecimal digits; anything unreadable is unchecked.
bool SettingsFlagValue(const QString &text);

}  // namespace velmar
