#include "connection_end.h"

#include <winsock2.h>

namespace velmar {

ConnectionEnd::ConnectionEnd(qintptr descriptor)
{
    WSAPROTOCOL_INFOW info{};
    if (descriptor < 0 ||
        WSADuplicateSocketW(static_cast<SOCKET>(descriptor), GetCurrentProcessId(), &info) != 0)
        return;
    const SOCKET copy =
        WSASocketW(FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, FROM_PROTOCOL_INFO, &info, 0, WSA_FLAG_OVERLAPPED);
    if (copy == INVALID_SOCKET)
        return;
    u_long nonBlocking = 1;  // a look never waits, whatever state the connection is in
    if (ioctlsocket(copy, FIONBIO, &nonBlocking) != 0) {
        closesocket(copy);
        return;
    }
    handle_ = static_cast<qintptr>(copy);
}

ConnectionEnd::~ConnectionEnd()
{
    if (handle_ >= 0)
        closesocket(static_cast<SOCKET>(handle_));
}

std::optional<bool> ConnectionEnd::wasReset() const
{
    if (handle_ < 0)
        return std::nullopt;
    // A reset connection stays reset for every later receive; a closed one reads as its end.
    char byte = 0;
    const int got = recv(static_cast<SOCKET>(handle_), &byte, 1, MSG_PEEK);
    if (got == 0)
        return false;
    if (got == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        if (error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAENETRESET ||
            error == WSAETIMEDOUT)
            return true;
    }
    return std::nullopt;
}

}  // namespace velmar
