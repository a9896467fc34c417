#include "socket_error.h"

#include <cerrno>

namespace velmar {

bool LastSendFoundNoRoute()
{
    return errno == ENETUNREACH || errno == EHOSTUNREACH;
}

}  // namespace velmar
