#include "ini_file.h"

#include "whole_file.h"

#include <QFileInfo>

namespace {

// A value that a reader would change is written between double quotes: blanks at its ends, or a quote
// at its start. A line break cannot stand in a line: it is written as a blank.
QString Quoted(QString text)
{
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    if (text.isEmpty())
        return text;
    if (text.front().isSpace() || text.back().isSpace() || text.front() == QLatin1Char('"'))
        return QLatin1Char('"') + text + QLatin1Char('"');
    return text;
}

QString Unquoted(const QString &text)
{
    if (text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"'))
        return text.mid(1, text.size() - 2);
    return text;
}

}  // namespace

IniFile IniFile::parse(const QByteArray &text)
{
    IniFile ini;
    QByteArrayView rest(text);
    if (rest.startsWith("\xEF\xBB\xBF"))
        rest = rest.sliced(3);
    std::optional<QString> section;
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        const QByteArrayView raw = end < 0 ? rest : rest.first(end);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        const QString line = QString::fromUtf8(raw).trimmed();  // a CR before the LF goes here too
        if (line.isEmpty() || line.front() == QLatin1Char(';') || line.front() == QLatin1Char('#'))
            continue;
        if (line.front() == QLatin1Char('[')) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            if (close > 0)
                section = line.mid(1, close - 1).trimmed();
            continue;  // an unclosed "[" names no section: the keys after it stay where they were
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!section || equals <= 0)
            continue;
        const QString key = line.left(equals).trimmed();
        auto &keys = ini.sections_[*section];
        if (!keys.contains(key))
            keys.insert(key, Unquoted(line.mid(equals + 1).trimmed()));
    }
    return ini;
}

QByteArray IniFile::format() const
{
    QString text;
    for (auto section = sections_.cbegin(); section != sections_.cend(); ++section) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QLatin1Char('[') + section.key() + QStringLiteral("]\n");
        for (auto key = section->cbegin(); key != section->cend(); ++key)
            text += key.key() + QLatin1Char('=') + Quoted(key.value()) + QLatin1Char('\n');
    }
    return text.toUtf8();
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const auto keys = sections_.constFind(section);
    if (keys == sections_.cend())
        return std::nullopt;
    const auto found = keys->constFind(key);
    return found == keys->cend() ? std::nullopt : std::optional<QString>(*found);
}

void IniFile::setValue(const QString &section, const QString &key, const QString &text)
{
    sections_[section].insert(key, text);
}

IniRead ReadIniFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())  // a folder, a device or a pipe: never opened, never read
        return {IniRead::Status::Unreadable, {}, QStringLiteral("не є звичайним файлом")};
    QByteArray text;
    QString error;
    switch (velmar::ReadBoundedFile(path, MaxIniBytes, text, error)) {
    case velmar::ReadOutcome::Missing: return {};
    case velmar::ReadOutcome::Failed: return {IniRead::Status::Unreadable, {}, error};
    case velmar::ReadOutcome::TooLarge: return {IniRead::Status::Damaged, {}, QStringLiteral("завеликий")};
    case velmar::ReadOutcome::Read: break;
    }
    if (text.contains('\0'))
        return {IniRead::Status::Damaged, {}, QStringLiteral("не є текстом")};
    if (text.trimmed().isEmpty())
        return {};
    return {IniRead::Status::Read, IniFile::parse(text), {}};
}

bool WriteIniFile(const QString &path, const IniFile &ini, QString *error)
{
    QString why;
    const bool ok = velmar::WriteWholeFile(path, ini.format(), why);
    if (!ok && error)
        *error = why;
    return ok;
}
