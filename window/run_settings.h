#pragma once
// What differs between the shipped program and a test run. The shipped main() keeps the defaults.

#include "plan.h"
#include "wire.h"

#include <QString>
#include <QUrl>

namespace velmar {

struct RunSettings
{
    quint16 listenPort = wire::ListenPort;
    // Empty: "VelmarCom.ini" beside the executable, and the user's configuration folder where that
    // folder cannot be written.
    QString settingsPath;
    QString fallbackSettingsPath;
    QUrl echoServiceUrl{QStringLiteral("http://checkip.dyndns.org/")};
    int readBackIntervalMs = wire::ReadBackIntervalMs;
    int lookupTimeoutMs = 5000;
    // Tests: where the window's sends go instead of its sockets.
    SendPlanSender *sender = nullptr;
};

}  // namespace velmar
