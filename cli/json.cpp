#include "json.h"

#include "config_file.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace velmar {

QString ReadJson(const QHostAddress &target, const StoredConfig *config, const LeftOut &why)
{
    QJsonObject object = config ? ConfigToJson(*config) : QJsonObject{};
    object.insert("address", target.toString());
    object.insert("answered", config != nullptr);
    if (!config && why.cause == LeftOut::Unusable)
        object.insert("unusable", true);
    if (!config && why.cause == LeftOut::Unreachable)
        object.insert("unreachable", true);
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QString DatagramJson(const WatchedDatagram &d)
{
    const QString kind = d.oversize ? QStringLiteral("oversize") : QLatin1String(KindName(d.kind));
    QJsonObject object{{"time", d.at.toString(QStringLiteral("HH:mm:ss.zzz"))},
                       {"from", d.from},
                       {"port", d.port},
                       {"bytes", d.bytes},
                       {"kind", kind}};
    if (d.config)
        object.insert("config", ConfigToJson(*d.config));
    if (d.ikl)
        object.insert("ikl", *d.ikl);
    if (d.ident)
        object.insert("ident", *d.ident);
    if (!d.oversize && d.kind == DatagramKind::Unknown)
        object.insert("hex", QString::fromLatin1(d.data.toHex()));
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

}  // namespace velmar
