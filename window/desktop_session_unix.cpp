#include "desktop_session.h"

#include "terminal.h"

#include <QCoreApplication>

#include <cstdlib>

namespace velmar {

namespace {

bool IsSet(const char *name)
{
    const char *value = std::getenv(name);
    return value && *value;
}

}  // namespace

const char *NoGraphicalSession()
{
    if (IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY"))
        return nullptr;
    return "velmarcom: no graphical session here (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
           "The configurator is a window: start it on the desktop, or over SSH with X forwarding (ssh -X).\n"
           "In a terminal, velmarctl does the same reads, writes and reboots: see velmarctl --help.\n";
}

// A desktop session ends its programs with SIGTERM (SIGHUP when a terminal closes).
SessionEnd::SessionEnd()
{
    OnInterrupt(qApp, [this] { end(); });
}

}  // namespace velmar
