#pragma once
// Which copy of "VelmarCom.ini" a start reads and where a save goes. The file beside the program is the
// operator's; where it cannot be written, the user's copy takes the entries. The rules, each kept by
// every start and every save:
//  1. Nothing is deleted that the program did not make. A start removes only the temporary files of
//     killed saves: names marked as the program's (RemoveStraySaves), the user's own, made on
//     this computer by a process that no longer runs.
//  2. Every write replaces a file whole or leaves it as it was, and writes nothing the reader's bound
//     would refuse. A file with no room left below the bound for the program's keys keeps every line it
//     has; the keys then go to the user's copy alone, and the operator is told.
//  3. A file is written over only when it was read whole just before. One that could not be read (no
//     permission, not a regular file, another user's) is left as it is, at this start and every later
//     one, until it is read whole.
//  4. No file date decides anything: the user's copy exists only while it holds the last entries
//     written (a save that reaches the file beside the program retires it), so it is the one read.
//  5. When the file beside the program and the user's copy differ, the file beside keeps its lines with
//     the user copy's values set in it. Where that changes a value of the file beside, the file beside
//     is kept first as it was under "VelmarCom.ini.kept", and the operator is told once; the user's
//     copy is kept as "VelmarCom.ini.previous".
//  6. No name is taken over: ".damaged", ".kept" and ".previous" go to the first free name of "-2",
//     "-3"… Only a regular file of the user's own is ever moved; links, folders, devices and other
//     users' files are never moved, written through or made writable.
//  7. A text is never copied into a file more people may read than the file it came from.

#include "ini_file.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace velmar {

struct SettingsPaths
{
    QString beside;  // "VelmarCom.ini" beside the program; the user's copy when installed
    QString user;    // the user's copy, taken where `beside` cannot be written
};

// Beside the executable, or in the user's configuration folder where the program is installed.
SettingsPaths DefaultSettingsPaths();

class SettingsStore
{
public:
    explicit SettingsStore(SettingsPaths paths) : paths_(std::move(paths)) {}

    // What the operator is told: `notices` and `problems` whatever the outcome, `failure` when nothing
    // could be written.
    struct Outcome
    {
        bool saved = false;
        QString failure;
        QStringList problems;
        QStringList notices;
    };
    // Sets the program's own keys in a file's text.
    using Keys = std::function<void(IniFile &)>;

    // At start: stray temporary files of earlier saves are removed, the copy holding the last entries is
    // read and written beside the program at once with `atStart` set (the placement), which decides
    // where the saves of this run go.
    Outcome load(const Keys &atStart);
    // At close: the file is read again, so that lines added meanwhile stay, and `own` sets the program's
    // keys in it. What cannot go beside the program goes to the user's copy, and says so.
    Outcome save(const Keys &own);

    // The file as last read or written.
    const IniFile &file() const { return file_; }
    // Where the next save goes.
    const QString &path() const { return path_; }

private:
    struct Copy;
    static Copy Examine(const QString &path);
    std::optional<IniFile> write(const QString &path, const IniFile &base, const Keys &own,
                                 QFileDevice::Permissions readers, QString &why, Outcome &outcome) const;
    bool toUserCopy(IniFile base, QFileDevice::Permissions readers, const Keys &own, Outcome &outcome);
    void retireUserCopy(const IniFile &written, QFileDevice::Permissions readers, Outcome &outcome) const;
    bool distinct() const { return paths_.user != paths_.beside; }

    SettingsPaths paths_;
    QString path_;
    IniFile file_;
};

}  // namespace velmar
