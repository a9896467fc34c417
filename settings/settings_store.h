#pragma once
// Which copy of "VelmarCom.ini" a start reads and where a save goes. The file beside the program is the
// operator's; where it cannot be written, the user's copy takes the entries. No file date decides
// anything: a user copy exists only while it holds the last entries written, since a save that reaches
// the file beside the program retires it. Nothing of an operator's file is ever deleted: a damaged one is
// set aside under a name no earlier copy has, and a file that could not be read is never written over.

#include "ini_file.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

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
    // read and written back at once with `atStart` set (the placement), which decides where the saves of
    // this run go.
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
                                 QString &why) const;
    bool toUserCopy(IniFile base, const Keys &own, Outcome &outcome);
    void retireUserCopy(const IniFile &written, Outcome &outcome) const;
    bool distinct() const { return paths_.user != paths_.beside; }

    SettingsPaths paths_;
    QString path_;
    IniFile file_;
};
