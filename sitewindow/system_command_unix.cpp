#include "system_command.h"

namespace velmar {

QString ThisSystemsCommandStart()
{
    return QStringLiteral("ip ");
}

}  // namespace velmar
