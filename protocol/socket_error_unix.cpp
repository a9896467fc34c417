#include "socket_error.h"

#include <cerrno>

namespace velmar {

bool LastSendFoundNoRoute()
{
    return errno == ENETUNREACH || errno == EHOSTUNREACH;
}

bool LastSendFoundQueueFull()
{
    return errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS;
}

}  // namespace velmar
