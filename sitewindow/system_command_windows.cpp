#include "system_command.h"

namespace velmar {

QString ThisSystemsCommandStart()
{
    return QStringLiteral("netsh");
}

}  // namespace velmar
