#pragma once
// velmarctl's options: each command's usage and options parsed, checked, and handed to the command.

#include "terminal_session.h"

#include <QString>
#include <QStringList>

namespace velmar {

// --help was asked for and shown: the command ends there, with Ok.
struct HelpShown
{
};

// Parses `args` (the program's name first, the command's name left out) for `command`, and runs it: its
// exit code. SiteError(BadRequest) for an unknown command or a bad option; HelpShown after --help.
int RunCommand(const QString &command, const QStringList &args, Terminal &terminal);

}  // namespace velmar
