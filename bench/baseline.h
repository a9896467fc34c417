/* What the plain-socket baselines in C share: the clock, and the stored-configuration request as
 * velmarctl sends it (counter digits, "epr" and the selector 'd'). */
#pragma once

#include <string.h>
#include <time.h>

enum { MaxBoards = 4096, RequestBytes = 100 };

static inline long long NowMs(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

static inline void StoredConfigRequest(char request[RequestBytes])
{
    for (int i = 0; i < RequestBytes; ++i)
        request[i] = (char)('0' + (i + 1) % 10);
    memcpy(request + 59, "epr", 3);
    request[62] = 'd';
}
