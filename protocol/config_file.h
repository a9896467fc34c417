#pragma once
// A board's stored configuration as text: the stand-in board's state file and velmarctl's backups.

#include "codec.h"

#include <QHostAddress>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace velmar {

// A board's address in its three forms: the four groups of a frame (Ipv4), text, and a socket's.
QString IpText(const Ipv4 &ip);                    // "10.0.0.2"
std::optional<Ipv4> ParseIp(const QString &text);  // decimal groups, leading zeros allowed
QHostAddress HostAddressOf(const Ipv4 &ip);
Ipv4 Ipv4Of(const QHostAddress &address);          // an IPv4 address; anything else is 0.0.0.0
QString MacText(const Mac &mac);                   // "00:1E:0A:00:00:02"
std::optional<Mac> ParseMac(const QString &text);  // six pairs of hexadecimal digits, ':' or '-' between
QString VersionToText(const Bytes &cp1251);
Bytes VersionFromText(const QString &text);  // characters Windows-1251 lacks become '?'

QJsonObject ConfigToJson(const StoredConfig &stored);
bool ConfigFromJson(const QJsonObject &json, StoredConfig &stored, QString &error);

// On failure these return false and say why in `error`; a damaged file is never half-read.
bool ReadConfigFile(const QString &path, StoredConfig &stored, QString &error);
// Replaces the file atomically: a crash leaves the old file or the new one. `extra` keys are added.
bool WriteConfigFile(const QString &path, const StoredConfig &stored, QString &error,
                     const QJsonObject &extra = {});

}  // namespace velmar
