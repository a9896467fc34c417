#include "whole_file.h"

#include <QFile>
#include <QSaveFile>

namespace velmar {

bool WriteWholeFile(const QString &path, const QByteArray &data, QString &error)
{
    // Unbuffered, so that a write the disk has no room for fails here: through a buffer, the failure
    // would come only when the buffer is flushed at the commit, and be lost there.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(data) == data.size() &&
        file.flush() && file.commit())
        return true;
    error = file.errorString();
    file.cancelWriting();
    return false;
}

ReadOutcome ReadBoundedFile(const QString &path, qint64 limit, QByteArray &data, QString &error)
{
    QFile file(path);
    if (!file.exists())
        return ReadOutcome::Missing;
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return ReadOutcome::Failed;
    }
    data = file.read(limit + 1);
    if (data.size() > limit)
        return ReadOutcome::TooLarge;
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return ReadOutcome::Failed;
    }
    return ReadOutcome::Read;
}

}  // namespace velmar
