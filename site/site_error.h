#pragma once
// The one error of the site's operations: thrown where an operation cannot go on. Its text is English,
// as velmarctl says it; the values a window shows in its own words are fields beside it. What a kind
// means to a program (velmarctl's exit codes) is that program's business.

#include <QHostAddress>
#include <QString>
#include <QStringList>

namespace velmar {

struct SiteError
{
    enum Kind {
        BadRequest,    // a value, an option or a file that cannot be used: nothing was sent
        Refused,       // a configuration the guard refuses: nothing was sent
        Failed,        // a board, a file or the system did not do what was asked
        PortTaken,     // the listening port is held by another program
        NotConfirmed,  // a write went out, but no answer showed it kept
        Stopped,       // the caller cancelled the operation
    };

    Kind kind = Failed;
    QString text;
    // For a window's own words: the board's address, the MACs that claim it, the file or folder.
    QHostAddress address;
    QStringList macs;
    QString path;
};

[[noreturn]] void Throw(SiteError::Kind kind, const QString &text);
[[noreturn]] void Throw(SiteError error);

}  // namespace velmar
