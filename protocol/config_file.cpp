#include "config_file.h"

#include "transport.h"
#include "wire.h"

#include "whole_file.h"

#include <QJsonDocument>
#include <QStringList>

namespace velmar {

namespace {

constexpr qint64 MaxFileBytes = 1 << 20;

}  // namespace

QString IpText(const Ipv4 &ip)
{
    return QStringLiteral("%1.%2.%3.%4").arg(ip[0]).arg(ip[1]).arg(ip[2]).arg(ip[3]);
}

std::optional<Ipv4> ParseIp(const QString &text)
{
    const auto address = ParseDottedAddress(text);
    if (!address)
        return std::nullopt;
    return Ipv4Of(*address);
}

QHostAddress HostAddressOf(const Ipv4 &ip)
{
    return QHostAddress(ValueOfIpv4(ip));
}

Ipv4 Ipv4Of(const QHostAddress &address)
{
    return Ipv4FromValue(address.toIPv4Address());
}

QString MacText(const Mac &mac)
{
    QStringList bytes;
    for (auto b : mac)
        bytes << QString::fromStdString(ByteToHexPair(b));
    return bytes.join(QLatin1Char(':'));
}

std::optional<Mac> ParseMac(const QString &text)
{
    const QStringList pairs =
        QString(text).replace(QLatin1Char('-'), QLatin1Char(':')).split(QLatin1Char(':'));
    if (pairs.size() != 6)
        return std::nullopt;
    Mac mac{};
    auto isHex = [](QChar ch) {
        const char16_t c = ch.unicode();
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    };
    for (int i = 0; i < 6; ++i) {
        // Exactly two hexadecimal digits: no blank, no sign.
        if (pairs[i].size() != 2 || !isHex(pairs[i][0]) || !isHex(pairs[i][1]))
            return std::nullopt;
        mac[i] = static_cast<std::uint8_t>(pairs[i].toUInt(nullptr, 16));
    }
    return mac;
}

QString VersionToText(const Bytes &cp1251)
{
    QString text;
    for (char ch : cp1251)
        text += QChar(Cp1251ToUnicode(static_cast<std::uint8_t>(ch)));
    return text;
}

Bytes VersionFromText(const QString &text)
{
    Bytes bytes;
    for (QChar ch : text)
        bytes.push_back(static_cast<char>(UnicodeToCp1251(ch.unicode()).value_or('?')));
    return bytes.substr(0, wire::VersionTextMax - 1);
}

QJsonObject ConfigToJson(const StoredConfig &stored)
{
    const ConfigRecord &r = stored.config.record;
    return QJsonObject{{"dispatcher", IpText(r.dispatcherIp)},
                       {"lift", IpText(r.liftIp)},
                       {"mask", IpText(r.netMask)},
                       {"router", IpText(r.routerIp)},
                       {"mac", MacText(r.mac)},
                       {"ident", r.boardIdent},
                       {"consoleDynamic", r.consoleDynamic},
                       {"reserve1", IpText(r.reserveIp1)},
                       {"reserve2", IpText(r.reserveIp2)},
                       {"boardDhcp", stored.config.boardDhcp},
                       {"ray", stored.rayNumber},
                       {"version", VersionToText(stored.config.versionText)}};
}

bool ConfigFromJson(const QJsonObject &json, StoredConfig &stored, QString &error)
{
    StoredConfig loaded;
    ConfigRecord &r = loaded.config.record;
    struct Address
    {
        const char *key;
        Ipv4 &ip;
    };
    for (const Address &address : {Address{"dispatcher", r.dispatcherIp}, Address{"lift", r.liftIp},
                                   Address{"mask", r.netMask}, Address{"router", r.routerIp},
                                   Address{"reserve1", r.reserveIp1}, Address{"reserve2", r.reserveIp2}}) {
        const auto ip = ParseIp(json.value(QLatin1String(address.key)).toString());
        if (!ip) {
            error = QStringLiteral("\"%1\" is not a dotted address").arg(QLatin1String(address.key));
            return false;
        }
        address.ip = *ip;
    }
    const auto mac = ParseMac(json.value(QLatin1String("mac")).toString());
    const int ident = json.value(QLatin1String("ident")).toInt(-1);
    const int ray = json.value(QLatin1String("ray")).toInt(0);
    if (!mac || ident < 0 || ident > 65535 || ray < 0 || ray > 255) {
        error = !mac ? QStringLiteral("\"mac\" is not six hexadecimal pairs")
                     : QStringLiteral("\"ident\" or \"ray\" is out of range");
        return false;
    }
    r.mac = *mac;
    r.boardIdent = static_cast<std::uint16_t>(ident);
    r.consoleDynamic = json.value(QLatin1String("consoleDynamic")).toBool();
    loaded.config.boardDhcp = json.value(QLatin1String("boardDhcp")).toBool();
    loaded.config.versionText = VersionFromText(json.value(QLatin1String("version")).toString());
    loaded.rayNumber = static_cast<std::uint8_t>(ray);
    stored = loaded;
    return true;
}

bool ReadConfigFile(const QString &path, StoredConfig &stored, QString &error)
{
    QByteArray text;
    QString why;
    const ReadOutcome outcome = ReadBoundedFile(path, MaxFileBytes, text, why);
    if (outcome != ReadOutcome::Read) {
        error = ReadFailure(outcome, path, why, QStringLiteral("configuration"));
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(text, &parseError);
    why = parseError.error ? parseError.errorString() : QStringLiteral("not an object");
    if (!document.isObject() || !ConfigFromJson(document.object(), stored, why)) {
        error = QStringLiteral("%1 is damaged (%2)").arg(path, why);
        return false;
    }
    return true;
}

bool WriteConfigFile(const QString &path, const StoredConfig &stored, QString &error,
                     const QJsonObject &extra)
{
    QJsonObject json = ConfigToJson(stored);
    for (auto it = extra.begin(); it != extra.end(); ++it)
        json.insert(it.key(), it.value());
    QString why;
    if (WriteWholeFile(path, QJsonDocument(json).toJson(), why))
        return true;
    error = QStringLiteral("cannot write %1: %2").arg(path, why);
    return false;
}

}  // namespace velmar
