/* velmar-fanout: the baseline of a site read. Sends the stored-configuration request to COUNT boards
 * from FIRST on, to each board's three ports as velmarctl does (8026, 8024, 6767), from one socket with
 * a 1 MiB receive buffer; a board that has not answered on 8024 or 8026 within TIMEOUT ms is asked
 * again, RETRIES times at most. Prints how many answered and the slowest answer's time from its
 * request, and ends when every board has answered or given up. Plain sockets: what any program must at least do for the same result. */

#include "baseline.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 5) {
        fprintf(stderr, "usage: velmar-fanout FIRST COUNT TIMEOUT_MS RETRIES\n");
        return 2;
    }
    struct in_addr first;
    const int count = atoi(argv[2]), timeoutMs = atoi(argv[3]), retries = atoi(argv[4]);
    if (!inet_aton(argv[1], &first) || count < 1 || count > MaxBoards)
        return 2;
    static long long sentAt[MaxBoards];
    static int attempts[MaxBoards], done[MaxBoards];

    char request[RequestBytes];
    StoredConfigRequest(request);

    const int sock = socket(AF_INET, SOCK_DGRAM, 0);
    const int buffer = 1 << 20;
    setsockopt(sock, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    struct sockaddr_in any = {.sin_family = AF_INET};
    bind(sock, (struct sockaddr *)&any, sizeof any);

    const unsigned base = ntohl(first.s_addr);
    const unsigned short ports[] = {8026, 8024, 6767};
    int finished = 0, answered = 0;
    long long slowestMs = 0;
    while (finished < count) {
        const long long now = NowMs();
        for (int b = 0; b < count; ++b) {
            if (done[b] || (attempts[b] > 0 && now - sentAt[b] < timeoutMs))
                continue;
            if (attempts[b] > retries) {
                done[b] = 1, ++finished;
                continue;
            }
            struct sockaddr_in to = {.sin_family = AF_INET, .sin_addr.s_addr = htonl(base + (unsigned)b)};
            for (int p = 0; p < 3; ++p) {
                to.sin_port = htons(ports[p]);
                sendto(sock, request, sizeof request, 0, (struct sockaddr *)&to, sizeof to);
            }
            ++attempts[b], sentAt[b] = now;
        }
        struct pollfd wait = {.fd = sock, .events = POLLIN};
        if (poll(&wait, 1, 5) <= 0)
            continue;
        char reply[8192];
        struct sockaddr_in from;
        socklen_t length = sizeof from;
        ssize_t got;
        while ((got = recvfrom(sock, reply, sizeof reply, MSG_DONTWAIT, (struct sockaddr *)&from, &length)) >=
               0) {
            const long b = (long)ntohl(from.sin_addr.s_addr) - (long)base;
            const unsigned short port = ntohs(from.sin_port);
            if (b >= 0 && b < count && !done[b] && got > 75 && (port == 8024 || port == 8026)) {
                done[b] = 1, ++finished, ++answered;
                if (NowMs() - sentAt[b] > slowestMs)
                    slowestMs = NowMs() - sentAt[b];
            }
            length = sizeof from;
        }
    }
    printf("%d of %d answered\nslowest answer %lld ms\n", answered, count, slowestMs);
    close(sock);
    return 0;
}
