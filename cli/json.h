#pragma once
// velmarctl's JSON presenter: one compact object per line, for scripts.

#include "survey.h"
#include "watch.h"

#include <QHostAddress>
#include <QString>

namespace velmar {

// A read's row: the configuration (null when none) with the address, or why there is none.
QString ReadJson(const QHostAddress &target, const StoredConfig *config, const LeftOut &why);
// One datagram that reached the port, decoded.
QString DatagramJson(const WatchedDatagram &d);

}  // namespace velmar
