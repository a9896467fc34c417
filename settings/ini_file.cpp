#include "ini_file.h"

#include "installation.h"
#include "whole_file.h"

#include <QFileInfo>
#include <QSet>

namespace velmar {

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

IniFile::Line IniFile::Classify(const QByteArray &raw, const std::optional<QString> &section)
{
    // Decoded as written: a byte-order mark inside the file is a character like any other, which
    // QString::fromUtf8() would drop at the start of a line; bytes that are no UTF-8 read as U+FFFD, and
    // are written back as they were.
    QByteArrayView rest(raw);
    QString decoded;
    while (rest.startsWith("\xEF\xBB\xBF")) {
        decoded += QChar(QChar::ByteOrderMark);
        rest = rest.sliced(3);
    }
    const QString line = (decoded + QString::fromUtf8(rest)).trimmed();  // a CR before the LF goes here too
    Line classified{raw, section.value_or(QString()), {}, {}, Line::Other};
    if (line.isEmpty() || line.front() == QLatin1Char(';') || line.front() == QLatin1Char('#'))
        return classified;
    if (line.front() == QLatin1Char('[')) {
        const qsizetype close = line.indexOf(QLatin1Char(']'));
        if (close > 0) {  // an unclosed "[" names no section: the keys after it stay where they were
            classified.section = line.mid(1, close - 1).trimmed();
            classified.kind = Line::Header;
        }
        return classified;
    }
    const qsizetype equals = line.indexOf(QLatin1Char('='));
    if (!section || equals <= 0)
        return classified;
    classified.key = line.left(equals).trimmed();
    classified.value = Unquoted(line.mid(equals + 1).trimmed());
    classified.kind = Line::Key;
    return classified;
}

IniFile IniFile::parse(const QByteArray &text)
{
    IniFile ini;
    QByteArrayView rest(text);
    if (rest.startsWith("\xEF\xBB\xBF")) {
        ini.bom_ = rest.first(3).toByteArray();
        rest = rest.sliced(3);
    }
    ini.lastLineEnded_ = rest.isEmpty() || rest.endsWith('\n');
    std::optional<QString> section;
    QSet<std::pair<QString, QString>> seen;
    while (!rest.isEmpty()) {
        const qsizetype end = rest.indexOf('\n');
        Line line = Classify((end < 0 ? rest : rest.first(end)).toByteArray(), section);
        rest = end < 0 ? QByteArrayView() : rest.sliced(end + 1);
        if (line.kind == Line::Header)
            section = line.section;
        // The first of two equal keys holds, also across two lines naming one section.
        if (line.kind == Line::Key && !seen.contains({line.section, line.key})) {
            seen.insert({line.section, line.key});
            line.kind = Line::Used;
        }
        ini.lines_.append(std::move(line));
    }
    ini.crlf_ = !ini.lines_.isEmpty() && ini.lines_.first().raw.endsWith('\r');
    return ini;
}

QByteArray IniFile::format() const
{
    QByteArray text = bom_;
    for (const Line &line : lines_)
        text += line.raw + '\n';
    if (!lastLineEnded_ && !lines_.isEmpty())
        text.chop(1);
    return text;
}

qsizetype IniFile::usedLine(const QString &section, const QString &key) const
{
    for (qsizetype at = 0; at < lines_.size(); ++at)
        if (lines_[at].kind == Line::Used && lines_[at].key == key && lines_[at].section == section)
            return at;
    return -1;
}

std::optional<QString> IniFile::value(const QString &section, const QString &key) const
{
    const qsizetype at = usedLine(section, key);
    return at < 0 ? std::nullopt : std::optional<QString>(lines_[at].value);
}

IniFile::Table IniFile::table() const
{
    Table table;
    for (const Line &line : lines_)
        if (line.kind == Line::Used)
            table[line.section].insert(line.key, line.value);
    return table;
}

void IniFile::setValue(const QString &section, const QString &key, const QString &text)
{
    const QByteArray end = crlf_ ? QByteArray("\r") : QByteArray();
    const QByteArray value = Quoted(text).toUtf8();
    if (const qsizetype at = usedLine(section, key); at >= 0) {
        Line &line = lines_[at];
        if (line.value == text)
            return;
        // The key as it was written, the new value after its "=".
        line.raw = line.raw.left(line.raw.indexOf('=') + 1) + value + (line.raw.endsWith('\r') ? "\r" : "");
        line.value = Classify(line.raw, section).value;
        return;
    }
    Line keyLine{key.toUtf8() + '=' + value + end, section, key, {}, Line::Used};
    keyLine.value = Classify(keyLine.raw, section).value;
    // Into the section's first block of lines, before the first key that sorts after it, else after
    // its last key.
    for (qsizetype header = 0; header < lines_.size(); ++header) {
        if (lines_[header].kind != Line::Header || lines_[header].section != section)
            continue;
        qsizetype at = header + 1;
        for (qsizetype next = header + 1; next < lines_.size() && lines_[next].kind != Line::Header; ++next) {
            if (lines_[next].kind == Line::Other)
                continue;
            if (key < lines_[next].key)
                break;
            at = next + 1;
        }
        lines_.insert(at, keyLine);
        return;
    }
    // A new section: before the first section whose name sorts after it, else at the end.
    const Line header{'[' + section.toUtf8() + ']' + end, section, {}, {}, Line::Header};
    for (qsizetype at = 0; at < lines_.size(); ++at) {
        if (lines_[at].kind == Line::Header && section < lines_[at].section) {
            lines_.insert(at, Line{end, section, {}, {}, Line::Other});
            lines_.insert(at, keyLine);
            lines_.insert(at, header);
            return;
        }
    }
    if (!lines_.isEmpty() && !QByteArray(lines_.last().raw).trimmed().isEmpty())
        lines_.append(Line{end, lines_.last().section, {}, {}, Line::Other});
    lines_.append(header);
    lines_.append(keyLine);
    lastLineEnded_ = true;
}

IniRead ReadIniFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())  // a folder, a device or a pipe: never opened, never read
        return {IniRead::Status::Unreadable, {}, QStringLiteral("не є звичайним файлом")};
    if (BelongsToAnotherUser(path))
        return {IniRead::Status::Unreadable, {}, QStringLiteral("належить іншому користувачеві")};
    QByteArray text;
    QString error;
    switch (ReadBoundedFile(path, MaxIniBytes, text, error)) {
    case ReadOutcome::Missing: return {};
    case ReadOutcome::Failed: return {IniRead::Status::Unreadable, {}, error};
    case ReadOutcome::TooLarge: return {IniRead::Status::Damaged, {}, QStringLiteral("завеликий")};
    case ReadOutcome::Read: break;
    }
    if (text.contains('\0'))
        return {IniRead::Status::Damaged, {}, QStringLiteral("не є текстом")};
    if (text.trimmed().isEmpty())
        return {};
    return {IniRead::Status::Read, IniFile::parse(text), {}};
}

bool WriteIniFile(const QString &path, const IniFile &ini, QString *error, QFileDevice::Permissions readers)
{
    QString why;
    const QByteArray text = ini.format();
    // What the next start would refuse to read is never written.
    const bool ok = text.size() <= MaxIniBytes
                        ? WriteWholeFile(path, text, why, readers)
                        : (why = QStringLiteral("понад %1 байт").arg(MaxIniBytes), false);
    if (!ok && error)
        *error = why;
    return ok;
}

}  // namespace velmar
