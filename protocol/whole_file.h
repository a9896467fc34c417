#pragma once
// Files the project writes and reads: written whole or not at all, read within a bound.

#include <QByteArray>
#include <QString>

namespace velmar {

// Replaces the file with `data` through a temporary file. On any failure (a full disk included) the
// old file stays as it was, and the reason is in `error`.
bool WriteWholeFile(const QString &path, const QByteArray &data, QString &error);

enum class ReadOutcome { Read, Missing, TooLarge, Failed };
// Reads at most `limit` bytes and one more, whatever the file is: a device or a pipe has no size to
// trust. TooLarge when there was more than `limit`.
ReadOutcome ReadBoundedFile(const QString &path, qint64 limit, QByteArray &data, QString &error);

}  // namespace velmar
