#pragma once
// "VelmarCom.ini" as text: a table of sections, each a table of keys with their texts. Reading forgives
// what a private-profile reader forgives (a line it cannot use is skipped, every other value is kept);
// writing goes through a temporary file, so a file is replaced whole or not at all.

#include <QByteArray>
#include <QMap>
#include <QString>

#include <optional>

class IniFile
{
public:
    // Section lines "[name]" and key lines "key=value"; blanks around names and values are dropped and
    // one pair of double quotes around a value is taken off. Comments (";" or "#"), lines without "=",
    // an unclosed "[" and keys before the first section are skipped; the first of two equal keys holds.
    // LF and CRLF line ends and a UTF-8 byte-order mark are read alike.
    static IniFile parse(const QByteArray &text);
    // Sections and keys in sorted order, a blank line between sections.
    QByteArray format() const;

    std::optional<QString> value(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback) const
    {
        return value(section, key).value_or(fallback);
    }
    void setValue(const QString &section, const QString &key, const QString &text);
    bool isEmpty() const { return sections_.isEmpty(); }
    bool operator==(const IniFile &other) const = default;

private:
    QMap<QString, QMap<QString, QString>> sections_;
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
// Replaces the file whole, or leaves it as it was and returns false with the reason in `error`.
bool WriteIniFile(const QString &path, const IniFile &ini, QString *error = nullptr);
