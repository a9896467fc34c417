#include "command_line.h"

namespace velmar {

std::optional<int> WholeNumber(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (ok && value >= low && value <= high)
        return value;
    return std::nullopt;
}

std::optional<int> NumberOption(const QCommandLineParser &parser, const QString &name, int low, int high,
                                QString &error)
{
    if (const auto value = WholeNumber(parser.value(name), low, high))
        return value;
    error = QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\"")
                .arg(name)
                .arg(low)
                .arg(high)
                .arg(parser.value(name));
    return std::nullopt;
}

}  // namespace velmar
