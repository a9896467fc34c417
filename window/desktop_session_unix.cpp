#include "desktop_session.h"

#include <QSocketNotifier>
#include <QWidget>

#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int terminationPipe[2] = {-1, -1};

extern "C" void OnTermination(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(terminationPipe[0], &byte, 1);
}

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

// A desktop session ends its programs with SIGTERM (SIGHUP when a terminal closes); the handler only
// writes to a socket, and the window closes when the event loop reads it.
void CloseWhenSessionEnds(QWidget &window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, terminationPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(terminationPipe[1], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        notifier->setEnabled(false);
        window.close();
    });
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        std::signal(signal, OnTermination);
}
