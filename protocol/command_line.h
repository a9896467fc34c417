#pragma once
// Options of the project's programs, and where they run from.

#include <QCommandLineParser>
#include <QString>

#include <optional>

namespace velmar {

// The option's value as a whole number from low to high, or nothing with the reason in `error`.
std::optional<int> NumberOption(const QCommandLineParser &parser, const QString &name, int low, int high,
                                QString &error);

// Installed as desktop software (the program in a bin folder with the desktop entry in share/applications
// beside it), the program's folder is nobody's to write in: settings and state go to the user's folders.
bool RunsInstalled();

}  // namespace velmar
