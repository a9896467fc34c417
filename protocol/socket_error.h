#pragma once
// The system's own error of a socket call, where Qt's error code does not tell its kinds apart. What
// differs between systems is in socket_error_unix.cpp and socket_error_windows.cpp; CMake builds the one
// for the target.

namespace velmar {

// Whether the send that has just failed found no route to its address (the network or the host is
// unreachable). Asked right after the failed call, before anything else can set the system's error.
bool LastSendFoundNoRoute();
// Whether the send that has just failed found the system's queue for the socket full: datagrams to
// addresses of the segment still being resolved wait there, and fill it; a moment later there is room.
bool LastSendFoundQueueFull();

}  // namespace velmar
