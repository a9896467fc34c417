#pragma once
// The desktop session the window lives in: whether there is one, and its end. What differs
// between systems is in desktop_session_unix.cpp and desktop_session_windows.cpp; CMake builds
// the one for the target.

class QWidget;

namespace velmar {

// Whether a window can be shown at all. Where it cannot (a text console, an SSH login without X), the
// reason for the operator, else empty.
const char *NoGraphicalSession();

// A session ending (log-off, shut-down, a kill) closes every message box that is open and then the
// window, as its close box does, so the operator's entries are saved. Made before the window, since the
// window's start can already show a message ("Port 6767 ERROR") and wait for it.
class SessionEnd
{
public:
    SessionEnd();
    // The window to close: at once, when the session ended while it was being made.
    void closes(QWidget &window);
    // From then on, nothing waits for an answer the operator can no longer give.
    static bool Ended();

private:
    void end();

    QWidget *window_ = nullptr;
};

}  // namespace velmar
