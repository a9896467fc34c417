#pragma once
// Where the programs run from, and where a user's files go. What differs between systems is in
// installation_unix.cpp and installation_windows.cpp; CMake builds the one for the target.

#include <QString>

namespace velmar {

// Installed as desktop software, the program's folder is nobody's to write in: settings and state go
// to the user's folders. Run from a build tree or an unpacked folder, they stay beside the program.
bool RunsInstalled();

// The folder of the user's settings: ~/.config/VelmarCom on Linux, %APPDATA%\VelmarCom (the roaming
// profile) on Windows.
QString UserSettingsFolder();

// Whether the file is another user's (on Windows its permissions decide, and this is false): the
// programs never write over such a file, nor take the settings from it.
bool BelongsToAnotherUser(const QString &path);

// Whether the program runs under Wine, whose loopback differs from Windows' and Linux's in one way: a
// socket bound to 127.x.y.z is bound to all of the loopback, so its datagrams leave from 127.0.0.1 and
// only one such socket fits on a port.
bool RunsUnderWine();

}  // namespace velmar
