#pragma once
// The terminal a command-line program of the project runs in. What differs between systems is in
// terminal_unix.cpp and terminal_windows.cpp; CMake builds the one for the target.

#include <cstdio>
#include <functional>

class QObject;

namespace velmar {

// Makes the terminal show what the programs write: UTF-8 text and the escape sequences that redraw a
// progress line. Files and pipes get the same UTF-8 bytes on every system.
void PrepareTerminal();

// Whether the stream goes to a terminal.
bool IsTerminal(FILE *stream);

// The one way every program of the project learns that it is asked to end: Ctrl+C and SIGTERM, on Linux
// also SIGHUP (a closed terminal or an ended session), on Windows also Ctrl+Break and a closed console.
// From then on Interrupted() is true, and `stop` runs once, on the thread of `context` (an object that
// lives as long as the program), when its event loop next runs. The program then ends as it does when
// done, keeping what it printed and stored.
void OnInterrupt(QObject *context, std::function<void()> stop);
// For work that checks between steps: true once the program has been asked to end.
bool Interrupted();

}  // namespace velmar
