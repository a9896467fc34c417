#include "console.h"

#include <csignal>
#include <unistd.h>

namespace velmar {

namespace {
void (*stopHandler)() = nullptr;

extern "C" void OnSignal(int)
{
    stopHandler();
}
}  // namespace

void PrepareConsole() {}

bool IsTerminal(FILE *stream)
{
    return isatty(fileno(stream));
}

void OnInterrupt(void (*stop)())
{
    stopHandler = stop;
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
}

}  // namespace velmar
