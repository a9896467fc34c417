#include "connection_end.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmar {

ConnectionEnd::ConnectionEnd(qintptr descriptor)
    : handle_(descriptor < 0 ? -1 : ::fcntl(int(descriptor), F_DUPFD_CLOEXEC, 0))
{
}

ConnectionEnd::~ConnectionEnd()
{
    if (handle_ >= 0)
        ::close(int(handle_));
}

std::optional<bool> ConnectionEnd::wasReset() const
{
#ifdef __linux__
    // The system reports a reset once, to the read that meets it (Qt's), and the socket stays closed: an
    // orderly close leaves it waiting for our side's close instead.
    tcp_info info{};
    socklen_t size = sizeof info;
    if (handle_ < 0 || ::getsockopt(int(handle_), IPPROTO_TCP, TCP_INFO, &info, &size) != 0)
        return std::nullopt;
    return info.tcpi_state == TCP_CLOSE;
#else
    return std::nullopt;
#endif
}

}  // namespace velmar
