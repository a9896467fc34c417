#pragma once
// Files the project writes and reads: written whole or not at all, read within a bound.

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace velmar {

inline constexpr QFileDevice::Permissions AnyReader =
    QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ReadGroup | QFileDevice::ReadOther;

// Replaces the file with `data` through a temporary file beside it, "NAME.velmar-save.", this computer's
// mark, the process id and a random part: made new (never an existing file), written, on the disk, then
// renamed over `path`. On any failure (a full disk included) the old file stays as it was, the temporary
// file is gone, and the reason is in `error`. A link, a device or a pipe at `path` is refused, never
// written through or replaced, and so is another user's file. The new file has the old one's
// permissions (a new one the usual ones), but only the readers in `readers` may read it: text copied
// from another file is never open to more people than it was there.
bool WriteWholeFile(const QString &path, const QByteArray &data, QString &error,
                    QFileDevice::Permissions readers = AnyReader);
// "NAME.velmar-save.COMPUTER.": what the temporary file of every save of `path` made on this computer
// is named from; the process id, a dot and the random part follow.
QString SaveTemporaryPrefix(const QString &path);
// Removes the temporary files that saves of `path` killed before their rename left: only names with the
// mark above, of this user, made on this computer by a process that no longer runs. Nothing else is
// touched, whatever its name.
void RemoveStraySaves(const QString &path);

enum class ReadOutcome { Read, Missing, TooLarge, Failed };
// Reads at most `limit` bytes and one more from a regular file (one behind a link too); a device or a
// pipe is Failed at once. TooLarge when there was more than `limit`. "-" is standard input, read to its
// end within the same bound.
ReadOutcome ReadBoundedFile(const QString &path, qint64 limit, QByteArray &data, QString &error);
// What went wrong, in the words every program of the project uses: "cannot read PATH: no such file",
// "cannot read PATH: ERROR", "PATH is larger than any WHAT"; empty for Read.
QString ReadFailure(ReadOutcome outcome, const QString &path, const QString &error, const QString &what);

}  // namespace velmar
