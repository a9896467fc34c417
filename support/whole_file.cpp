#include "whole_file.h"

#include "installation.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace velmar {

namespace {

// Standard input, read as a file is: what a pipe or a redirection gives, until its end.
QFile &StandardInput()
{
    static QFile in;
    if (!in.isOpen())
        in.open(stdin, QIODevice::ReadOnly);
    return in;
}

ReadOutcome ReadBounded(QFile &file, qint64 limit, QByteArray &data, QString &error)
{
    data.clear();
    // A pipe gives what it has at a time: read until its end or past the bound.
    while (data.size() <= limit) {
        const QByteArray more = file.read(limit + 1 - data.size());
        if (more.isEmpty())
            break;
        data += more;
    }
    if (data.size() > limit)
        return ReadOutcome::TooLarge;
    if (file.error() != QFileDevice::NoError) {
        error = file.errorString();
        return ReadOutcome::Failed;
    }
    return ReadOutcome::Read;
}

}  // namespace

bool WriteWholeFile(const QString &path, const QByteArray &data, QString &error)
{
    // Never through a link (it would replace another file, maybe another user's), nor onto a device or
    // a pipe (the rename would put a file in its place), nor over another user's file (it would become
    // ours).
    const QFileInfo info(path);
    const char *refused = info.isSymLink()                  ? "a link"
                          : info.exists() && !info.isFile() ? "not a regular file"
                          : BelongsToAnotherUser(path)      ? "another user's file"
                                                            : nullptr;
    if (refused) {
        error = QStringLiteral("%1 is %2; nothing written there").arg(path, QLatin1String(refused));
        return false;
    }
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
    if (path == QLatin1String("-"))
        return ReadBounded(StandardInput(), limit, data, error);
    QFile file(path);
    if (!file.exists())
        return ReadOutcome::Missing;
    // A pipe with no writer would block the open for ever, and a device never ends.
    if (!QFileInfo(path).isFile()) {
        error = QStringLiteral("not a regular file");
        return ReadOutcome::Failed;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return ReadOutcome::Failed;
    }
    return ReadBounded(file, limit, data, error);
}

QString ReadFailure(ReadOutcome outcome, const QString &path, const QString &error, const QString &what)
{
    switch (outcome) {
    case ReadOutcome::Read: break;
    case ReadOutcome::Missing: return QStringLiteral("cannot read %1: no such file").arg(path);
    case ReadOutcome::Failed: return QStringLiteral("cannot read %1: %2").arg(path, error);
    case ReadOutcome::TooLarge: return QStringLiteral("%1 is larger than any %2").arg(path, what);
    }
    return QString();
}

}  // namespace velmar
