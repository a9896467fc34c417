#include "desktop_session.h"

#include <QGuiApplication>

namespace velmar {

const char *NoGraphicalSession()
{
    return nullptr;
}

// Windows asks every program before a log-off or shut-down (WM_QUERYENDSESSION), which Qt passes on as
// commitDataRequest.
SessionEnd::SessionEnd()
{
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp, [this] { end(); });
}

}  // namespace velmar
