#pragma once
// What a file written whole needs of the system: its bytes on the disk before it takes the old file's
// place, the place taken in one step, and whether the process that was writing it still runs. What
// differs between systems is in durable_file_unix.cpp and durable_file_windows.cpp.

#include <QString>

namespace velmar {

// Flushes what was written through `handle` (QFile::handle()) to the disk.
bool SyncToDisk(int handle, QString &error);
// Puts `from` in the place of `to` in one step, replacing a file there; on return the new name is on the
// disk too.
bool MoveOver(const QString &from, const QString &to, QString &error);
// Whether a process with this id runs on this computer now. Unsure means it runs.
bool ProcessRuns(qint64 pid);

}  // namespace velmar
