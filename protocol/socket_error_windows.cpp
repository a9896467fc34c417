#include "socket_error.h"

#include <winsock2.h>

namespace velmar {

bool LastSendFoundNoRoute()
{
    const int error = WSAGetLastError();
    return error == WSAENETUNREACH || error == WSAEHOSTUNREACH;
}

bool LastSendFoundQueueFull()
{
    const int error = WSAGetLastError();
    return error == WSAEWOULDBLOCK || error == WSAENOBUFS;
}

}  // namespace velmar
