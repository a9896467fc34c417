#pragma once
// The terminal a command-line program of the project runs in. What differs between systems is in
// console_unix.cpp and console_windows.cpp; CMake builds the one for the target.

#include <cstdio>

namespace velmar {

// Makes the terminal show what the programs write: UTF-8 text and the escape sequences that redraw a
// progress line. Files and pipes get the same UTF-8 bytes on every system.
void PrepareConsole();

// Whether the stream goes to a terminal.
bool IsTerminal(FILE *stream);

// Calls `stop` (from another thread or a signal handler: it may only set an atomic flag) when the user
// interrupts the program: Ctrl+C, and on Windows also Ctrl+Break and closing the console window; on
// Linux also SIGTERM. The program then ends as it does when done, keeping what it printed and stored.
void OnInterrupt(void (*stop)());

}  // namespace velmar
