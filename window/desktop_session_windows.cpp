#include "desktop_session.h"

#include <QGuiApplication>
#include <QWidget>

const char *NoGraphicalSession()
{
    return nullptr;
}

// Windows asks every program before a log-off or shut-down (WM_QUERYENDSESSION), which Qt passes on as
// commitDataRequest: the window closes then, as its close box would, and saves.
void CloseWhenSessionEnds(QWidget &window)
{
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, &window, [&window] { window.close(); });
}
