#include "terminal.h"

#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace velmar {

namespace {

std::atomic<bool> interrupted{false};
int wakeUp[2] = {-1, -1};  // the signal handler writes a byte to [0]; the event loop reads [1]

// A signal handler may only set a flag and write: the event loop does the rest.
extern "C" void OnSignal(int)
{
    interrupted = true;
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(wakeUp[0], &byte, 1);
}

}  // namespace

void PrepareTerminal() {}

bool IsTerminal(FILE *stream)
{
    return isatty(fileno(stream));
}

void OnInterrupt(QObject *context, std::function<void()> stop)
{
    if (wakeUp[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM, 0, wakeUp) != 0)
        wakeUp[0] = wakeUp[1] = -1;  // Interrupted() still turns true
    if (wakeUp[1] >= 0) {
        auto *notifier = new QSocketNotifier(wakeUp[1], QSocketNotifier::Read, context);
        QObject::connect(notifier, &QSocketNotifier::activated, context, [notifier, stop = std::move(stop)] {
            notifier->setEnabled(false);
            stop();
        });
    }
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, OnSignal);
}

bool Interrupted()
{
    return interrupted;
}

}  // namespace velmar
