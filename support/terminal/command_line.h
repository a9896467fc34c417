#pragma once
// Options of the project's programs.

#include <QCommandLineParser>
#include <QString>

#include <optional>

namespace velmar {

// A whole number from low to high written in decimal digits, or nothing.
std::optional<int> WholeNumber(const QString &text, int low, int high);

// The option's value as a whole number from low to high, or nothing with the reason in `error`.
std::optional<int> NumberOption(const QCommandLineParser &parser, const QString &name, int low, int high,
                                QString &error);

}  // namespace velmar
