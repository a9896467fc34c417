#pragma once
// Files the project writes and reads: written whole or not at all, read within a bound.

#include <QByteArray>
#include <QString>

namespace velmar {

// Replaces the file with `data` through a temporary file. On any failure (a full disk included) the
// old file stays as it was, and the reason is in `error`. A link, a device or a pipe at `path` is
// refused, never written through or replaced.
bool WriteWholeFile(const QString &path, const QByteArray &data, QString &error);

enum class ReadOutcome { Read, Missing, TooLarge, Failed };
// Reads at most `limit` bytes and one more from a regular file (one behind a link too); a device or a
// pipe is Failed at once. TooLarge when there was more than `limit`. "-" is standard input, read to its
// end within the same bound.
ReadOutcome ReadBoundedFile(const QString &path, qint64 limit, QByteArray &data, QString &error);
// What went wrong, in the words every program of the project uses: "cannot read PATH: no such file",
// "cannot read PATH: ERROR", "PATH is larger than any WHAT"; empty for Read.
QString ReadFailure(ReadOutcome outcome, const QString &path, const QString &error, const QString &what);

}  // namespace velmar
