#pragma once
// Text from boards, plans and files made safe to show and to keep: control characters as \xNN. velmarctl
// shows a board's text so, and the record beside a plan keeps its fields so, to be read back exactly.

#include <QString>

namespace velmar {

// A board's text for a terminal: control characters as \xNN, a backslash doubled.
QString Printable(const QString &text);
// Printable's text back as it was.
QString FromPrintable(const QString &text);
// A message for a terminal: control characters as \xNN, nothing else changed (a Windows path keeps its
// backslashes single).
QString TerminalText(const QString &text);

}  // namespace velmar
