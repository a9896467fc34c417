#include "socket_error.h"

#include <winsock2.h>

namespace velmar {

bool LastSendFoundNoRoute()
{
    const int error = WSAGetLastError();
    return error == WSAENETUNREACH || error == WSAEHOSTUNREACH;
}

}  // namespace velmar
