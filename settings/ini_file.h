#pragma once
// "VelmarCom.ini" as text: a table of sections, each a table of keys with their texts. Reading forgives
// what a private-profile reader forgives (a line it cannot use is skipped, every other value is kept);
// writing goes through a temporary file, so a file is replaced whole or not at all.

#include "whole_file.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

namespace velmar {

class IniFile
{
public:
    // Section lines "[name]" and key lines "key=value"; blanks around names and values are dropped and
    // one pair of double quotes around a value is taken off. Comments (";" or "#"), lines without "=",
    // an unclosed "[" and keys before the first section are skipped; the first of two equal keys holds,
    // and a section named twice is one section. LF and CRLF line ends are read alike; a UTF-8 byte-order
    // mark is one only at the start of the file.
    static IniFile parse(const QByteArray &text);
    // The file as read, with the values set since: every line the program did not set is written back
    // byte for byte. A value set anew goes into its section, a new section where sorting puts it, so that
    // a file the program writes from nothing has its sections and keys in sorted order, a blank line
    // between sections.
    QByteArray format() const;

    std::optional<QString> value(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback) const
    {
        return value(section, key).value_or(fallback);
    }
    // Sets a value; a value that reads the same already changes nothing.
    void setValue(const QString &section, const QString &key, const QString &text);
    // Every section with its keys, as a reader sees them.
    using Table = QMap<QString, QMap<QString, QString>>;
    Table table() const;
    bool isEmpty() const { return lines_.isEmpty(); }
    // The same bytes.
    bool operator==(const IniFile &other) const { return format() == other.format(); }

private:
    struct Line
    {
        QByteArray raw;   // as in the file, without its LF
        QString section;  // the section it is in, or the one a header names
        QString key;      // Key and Used lines
        QString value;    // Key and Used lines: as the reader takes it
        // Used: the key line the reader takes the key's value from; Key: a key line it skips (a second
        // one of a key); Other: a line that holds nothing (blank, comment, stray text, an unclosed "[").
        enum Kind { Other, Header, Key, Used } kind = Other;
    };
    // What a line is to the reader, in `section` (none before the first section line).
    static Line Classify(const QByteArray &raw, const std::optional<QString> &section);
    qsizetype usedLine(const QString &section, const QString &key) const;

    QByteArray bom_;  // a byte-order mark the file starts with, kept as it was
    QList<Line> lines_;
    bool lastLineEnded_ = true;  // the file ends with a line break (or is empty)
    bool crlf_ = false;          // its lines end with CR LF: the lines added do too
};

// A settings file as found on disk.
struct IniRead
{
    enum class Status {
        Missing,  // absent or empty: read as if every key were absent
        Read,     // `ini` holds what could be used
        Damaged,  // not text, or larger than any settings file the program writes
        Unreadable,
    };
    Status status = Status::Missing;
    IniFile ini;
    QString why;  // for Damaged and Unreadable, in the operator's words
};

inline constexpr qint64 MaxIniBytes = 1 << 20;  // what the program writes is well under 1 KiB

// Reads at most MaxIniBytes and one byte more, whatever the file is (a device or a pipe included).
IniRead ReadIniFile(const QString &path);
// Replaces the file whole, or leaves it as it was and returns false with the reason in `error`. Only
// `readers` may read the new file (see WriteWholeFile).
bool WriteIniFile(const QString &path, const IniFile &ini, QString *error = nullptr,
                  QFileDevice::Permissions readers = AnyReader);

}  // namespace velmar
