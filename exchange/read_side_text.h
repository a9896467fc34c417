#pragma once
// What a board's reply means for the read side, as texts: no widgets.

#include <QString>

#include <cstdint>

namespace velmar {

// The text of a MAC byte ("0A"), made once for each of the 256.
const QString &HexPairText(std::uint8_t byte);

// A board's text on one line: line breaks and other control characters as their visible pictures
// (␀ .. ␟, ␡), what cannot be shown as U+FFFD.
QString VisibleOnOneLine(QString text);

}  // namespace velmar
