/* velmar-broadcast: the baseline of a discovery. Sends the stored-configuration request once to
 * BROADCAST, to the three ports velmarctl asks (8026, 8024, 6767), from one socket bound to port 6767,
 * takes every configuration reply from any sender, and ends TIMEOUT ms after the last new sender.
 * Prints how many boards answered. Plain sockets: what any program must at least do for the same. */

#include "baseline.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>

int main(int argc, char **argv)
{
    struct in_addr broadcast;
    if (argc != 3 || !inet_aton(argv[1], &broadcast)) {
        fprintf(stderr, "usage: velmar-broadcast BROADCAST TIMEOUT_MS\n");
        return 2;
    }
    const int timeoutMs = atoi(argv[2]);
    char request[RequestBytes];
    StoredConfigRequest(request);

    const int sock = socket(AF_INET, SOCK_DGRAM, 0), on = 1, buffer = 1 << 20;
    setsockopt(sock, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    struct sockaddr_in local = {.sin_family = AF_INET, .sin_port = htons(6767)};
    if (bind(sock, (struct sockaddr *)&local, sizeof local) != 0)
        return 3;
    const unsigned short ports[] = {8026, 8024, 6767};
    struct sockaddr_in to = {.sin_family = AF_INET, .sin_addr = broadcast};
    for (int p = 0; p < 3; ++p) {
        to.sin_port = htons(ports[p]);
        sendto(sock, request, sizeof request, 0, (struct sockaddr *)&to, sizeof to);
    }
    static unsigned seen[MaxBoards];
    int boards = 0;
    long long last = NowMs();
    while (NowMs() - last < timeoutMs) {
        struct pollfd wait = {.fd = sock, .events = POLLIN};
        if (poll(&wait, 1, (int)(timeoutMs - (NowMs() - last))) <= 0)
            continue;
        char reply[8192];
        struct sockaddr_in from;
        socklen_t length = sizeof from;
        const long n = recvfrom(sock, reply, sizeof reply, 0, (struct sockaddr *)&from, &length);
        if (n < 45 || memcmp(reply + 42, "VER", 3) != 0)
            continue; /* our own request, or no configuration */
        int known = 0;
        for (int b = 0; b < boards && !known; ++b)
            known = seen[b] == from.sin_addr.s_addr;
        if (!known && boards < MaxBoards) {
            seen[boards++] = from.sin_addr.s_addr;
            last = NowMs();
        }
    }
    printf("%d\n", boards);
    return 0;
}
