#pragma once

namespace velmar {
// Captions that more than one part of the window sets.

// The addressing boxes' captions, as operators know them. The board's static caption has two spellings:
// with a trailing blank at the start and on the read side, without it once the write side's box has been
// switched back.
inline const char *const ConsoleStaticCaption = "Статична IP адреса Пульта";
inline const char *const ConsoleDynamicCaption = "Динамічна IP адреса Пульта";
inline const char *const BoardStaticCaption = "Статична IP адреса Плати ";
inline const char *const BoardStaticSwitchedCaption = "Статична IP адреса Плати";
inline const char *const BoardDynamicCaption = "Динамічна IP адреса Плати ( DHCP )";

}  // namespace velmar
