#pragma once
// What differs between the shipped program and a test run. The shipped main() keeps the defaults.

#include "plan.h"
#include "wire.h"

#include <QString>
#include <QUrl>

struct RunSettings
{
    quint16 listenPort = velmar::wire::ListenPort;
    // Empty: "VelmarCom.ini" beside the executable, and the user's configuration folder where that
    // folder cannot be written.
    QString settingsPath;
    QString fallbackSettingsPath;
    QUrl echoServiceUrl{QStringLiteral("http://checkip.dyndns.org/")};
    int readBackIntervalMs = velmar::wire::ReadBackIntervalMs;
    int lookupTimeoutMs = 5000;
    // Tests: where the window's sends go instead of its sockets.
    velmar::PlanSender *sender = nullptr;
};
