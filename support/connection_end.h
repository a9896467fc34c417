#pragma once
// How a TCP connection ended. Qt reports a peer's reset like its orderly close, but only the close ends a
// body that runs to the end of the connection: what a reset cut off is not whole. What differs between
// systems is in connection_end_unix.cpp and connection_end_windows.cpp; CMake builds the one for the
// target.

#include <QtGlobal>

#include <optional>

namespace velmar {

class ConnectionEnd
{
public:
    // Holds a second handle of the connected socket `descriptor`, so that its end can still be asked
    // about once Qt has let go of its own handle. The connection lasts until both are let go.
    explicit ConnectionEnd(qintptr descriptor);
    ~ConnectionEnd();
    ConnectionEnd(const ConnectionEnd &) = delete;
    ConnectionEnd &operator=(const ConnectionEnd &) = delete;

    // Once the peer has ended the connection: true for a reset (or another failure of the connection),
    // false for an orderly close; nothing where the system cannot tell.
    std::optional<bool> wasReset() const;

private:
    qintptr handle_ = -1;
};

}  // namespace velmar
