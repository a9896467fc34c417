#include "whole_file.h"

#include "durable_file.h"
#include "installation.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSysInfo>

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

constexpr int RandomLength = 8;

// This computer in a temporary file's name: a folder shared over a network may hold a save of another
// computer still being written, and its process ids mean nothing here.
QString ComputerMark()
{
    static const QString mark = QString::fromLatin1(
        QCryptographicHash::hash(QSysInfo::machineHostName().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(8));
    return mark;
}

QString TemporaryName(const QString &path)
{
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString random;
    for (int n = 0; n < RandomLength; ++n)
        random += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return QFileInfo(path).absoluteDir().filePath(SaveTemporaryPrefix(path) +
                                                  QString::number(QCoreApplication::applicationPid()) +
                                                  QLatin1Char('.') + random);
}

}  // namespace

QString SaveTemporaryPrefix(const QString &path)
{
    return QFileInfo(path).fileName() + QStringLiteral(".velmar-save.") + ComputerMark() + QLatin1Char('.');
}

bool WriteWholeFile(const QString &path, const QByteArray &data, QString &error,
                    QFileDevice::Permissions readers)
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
    constexpr QFileDevice::Permissions Usual = AnyReader | QFileDevice::WriteOwner | QFileDevice::WriteUser |
                                               QFileDevice::WriteGroup | QFileDevice::WriteOther;
    const QFileDevice::Permissions permissions =
        (info.exists() ? info.permissions() : Usual) & (readers | ~AnyReader);
    // Made new, so that no file of the same name (an operator's, a link planted there) is ever written
    // into; a name taken by chance is followed by another. Unbuffered, so that a write the disk has no
    // room for fails here and not later at a flush whose failure could go unseen.
    QFile file;
    for (int attempt = 0; attempt < 8 && !file.isOpen(); ++attempt) {
        file.setFileName(TemporaryName(path));
        file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered, permissions);
    }
    if (!file.isOpen()) {
        error = file.errorString();
        return false;
    }
    QString why;
    bool written = file.write(data) == data.size() && file.flush();
    if (!written)
        why = file.errorString();
    else
        written = SyncToDisk(file.handle(), why);
    file.close();
    if (written && MoveOver(file.fileName(), path, why))
        return true;
    QFile::remove(file.fileName());
    error = why;
    return false;
}

void RemoveStraySaves(const QString &path)
{
    static const QRegularExpression rest(
        QStringLiteral("^([1-9][0-9]{0,18})\\.[a-z0-9]{%1}$").arg(RandomLength));
    const QString prefix = SaveTemporaryPrefix(path);
    const QFileInfoList entries = QFileInfo(path).absoluteDir().entryInfoList(
        QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QFileInfo &entry : entries) {
        if (!entry.fileName().startsWith(prefix))
            continue;
        const QRegularExpressionMatch match = rest.match(entry.fileName().mid(prefix.size()));
        if (!match.hasMatch() || entry.isSymLink() || !entry.isFile() ||
            BelongsToAnotherUser(entry.filePath()) || ProcessRuns(match.captured(1).toLongLong()))
            continue;
        QFile::remove(entry.filePath());
    }
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
