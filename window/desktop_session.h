#pragma once
// The desktop session the window lives in: whether there is one, and its end. What differs
// between systems is in desktop_session_unix.cpp and desktop_session_windows.cpp; CMake builds
// the one for the target.

class QWidget;

// Whether a window can be shown at all. Where it cannot (a text console, an SSH login without X), the
// reason for the operator, else empty.
const char *NoGraphicalSession();

// A session ending (log-off, shut-down, a kill) closes the window as its close box does, so the
// operator's entries are saved.
void CloseWhenSessionEnds(QWidget &window);
