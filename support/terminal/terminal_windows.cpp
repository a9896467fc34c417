#include "terminal.h"

#include <QMetaObject>
#include <QObject>

#include <atomic>
#include <io.h>
#include <windows.h>

namespace velmar {

namespace {
std::atomic<bool> interrupted{false};
QObject *stopContext = nullptr;
std::function<void()> stopHandler;

// Runs on a thread of its own. For Ctrl+C and Ctrl+Break the program goes on and ends by itself; for
// a closed console, a log-off or a shut-down Windows ends the process once this returns, so it waits
// a little for the program to finish what it was writing.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (!interrupted.exchange(true) && stopContext)
        QMetaObject::invokeMethod(stopContext, stopHandler, Qt::QueuedConnection);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        Sleep(2000);
    return TRUE;
}

void AllowEscapeSequences(DWORD handle)
{
    HANDLE console = GetStdHandle(handle);
    DWORD mode = 0;
    if (console != INVALID_HANDLE_VALUE && GetConsoleMode(console, &mode))
        SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}
}  // namespace

void PrepareTerminal()
{
    SetConsoleOutputCP(CP_UTF8);
    AllowEscapeSequences(STD_OUTPUT_HANDLE);
    AllowEscapeSequences(STD_ERROR_HANDLE);
}

bool IsTerminal(FILE *stream)
{
    return _isatty(_fileno(stream));
}

void OnInterrupt(QObject *context, std::function<void()> stop)
{
    stopContext = context;
    stopHandler = std::move(stop);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool Interrupted()
{
    return interrupted;
}

}  // namespace velmar
