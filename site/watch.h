#pragma once
// Listening to the port: every datagram that reaches it, decoded, as an event.

#include "session.h"
#include "sink.h"

#include "codec.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

namespace velmar {

struct WatchedDatagram
{
    QDateTime at;
    QString from;
    quint16 port = 0;
    qsizetype bytes = 0;
    bool oversize = false;  // longer than any board sends: not kept, not decoded
    DatagramKind kind = DatagramKind::Unknown;
    std::optional<StoredConfig> config;  // a reply that carries a whole configuration
    std::optional<QString> ikl;
    std::optional<int> ident;
    QByteArray data;  // as it came (empty when oversize)
};

// The datagram as the configurator takes it.
WatchedDatagram Decoded(const QByteArray &data, const QString &from, quint16 port);

// Tells `sink` every datagram that reaches the session's port until cancelled, or until `count` of them
// when not 0; how many came.
qsizetype WatchPort(Session &session, qsizetype count, Sink &sink);

}  // namespace velmar
