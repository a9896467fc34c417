/* velmar-smallqueue: loaded with LD_PRELOAD, caps the receive queue a program asks for at what a stock
 * Debian gives (net.core.rmem_max 212992, which the kernel doubles), as if this machine's rmem_max were
 * the default. The benchmark runs velmarctl through it to see where a site read loses answers on such a
 * system, whatever this machine's own setting. */

#define _GNU_SOURCE
#include <dlfcn.h>
#include <sys/socket.h>

enum { StockRmemMax = 212992 };

int setsockopt(int fd, int level, int name, const void *value, socklen_t length)
{
    typedef int (*Real)(int, int, int, const void *, socklen_t);
    static Real real;
    if (!real)
        real = (Real)dlsym(RTLD_NEXT, "setsockopt");
    if (level == SOL_SOCKET && name == SO_RCVBUF && length == sizeof(int) && *(const int *)value > StockRmemMax) {
        const int stock = StockRmemMax;
        return real(fd, level, name, &stock, sizeof stock);
    }
    return real(fd, level, name, value, length);
}
