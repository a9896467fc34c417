#pragma once
// The window's controls as data: one row per control, in the order they are made (their Tab order),
// each with its kind, parent, design place and size, caption and state at start.

#include <span>

namespace velmar {

namespace design {

enum class Kind {
    Label,
    CheckBox,
    Button,
    RetryButton,
    Edit,
    GroupBox,
    Panel,
    ComboBox,
    Memo,
    Progress,
    Number,
    Identifier,
    AddressPanel,
    MacPanel
};

enum Flags { Shown = 0, Hidden = 1, Disabled = 2, ReadOnly = 4, Bold = 8, FieldsReadOnly = 16 };

struct Row
{
    const char *name;
    Kind kind;
    const char *parent;       // nullptr: the window
    int x, y, width, height;  // width 0: sized to the caption
    const char *caption = "";
    int flags = Shown;
    int tag = 0;
    int initial = 0;  // Number fields: value; MaxLength for Edit
};

// The design placement of the window.
constexpr int DesignLeft = 393, DesignTop = 137;

// Every control of the window.
std::span<const Row> DesignRows();

}  // namespace design

}  // namespace velmar
