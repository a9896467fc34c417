#pragma once
// Which of the commands that give this computer an address in a subnet this system runs. What differs
// between systems is in system_command_unix.cpp and system_command_windows.cpp; CMake builds the one
// for the target.

#include <QString>

namespace velmar {

// How a command of this system begins: "netsh" on Windows, "ip " elsewhere.
QString ThisSystemsCommandStart();

}  // namespace velmar
