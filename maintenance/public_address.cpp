// Looking up the site's public address with a plain-HTTP echo service.

#include "public_address.h"

#include "form.h"

#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

namespace {
constexpr qint64 MaxReplyBytes = 1 << 20;
constexpr qint64 ReadBytes = 64 << 10;  // taken out at a time
}  // namespace

std::optional<QString> ExtractPublicAddress(const QString &reply)
{
    static const QString marker = QStringLiteral("IP Address:");
    const qsizetype at = reply.indexOf(marker);
    if (at < 0)
        return std::nullopt;
    qsizetype i = at + marker.size();
    while (i < reply.size() && (reply[i] == QLatin1Char(' ') || reply[i] == QLatin1Char('\t')))
        ++i;
    QString address;
    for (;
         i < reply.size() && (reply[i].isDigit() || reply[i] == QLatin1Char('.')) && reply[i].unicode() < 128;
         ++i)
        address += reply[i];
    return address;
}

void TForm1_Config_UDP::BitBtn1Click(QObject *)
{
    if (lookup_)
        return;  // one lookup at a time; the window stays live while it waits
    QNetworkRequest request(run_.echoServiceUrl);
    request.setRawHeader("Accept", "text/html, */*");
    request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    request.setRawHeader("Content-Type", "text/html");
    if (!IdHTTP_Conf)  // made at the first lookup: most runs never look up, and start faster without it
        IdHTTP_Conf = new QNetworkAccessManager(this);
    IdHTTP_Conf->setProxy(QNetworkProxy::NoProxy);
    // The service's own answer only: a redirect to another host (or port, or scheme) is not followed.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
    lookup_ = IdHTTP_Conf->get(request);
    // An echo service answers in a few hundred bytes: what comes is taken out as it comes, and a reply
    // that passes the bound is dropped there, so that no more than the bound and one read is ever held.
    lookup_->setReadBufferSize(ReadBytes);
    auto body = std::make_shared<QByteArray>();
    // A lookup that has not finished within a few seconds ends as any failure does, silently.
    QTimer::singleShot(run_.lookupTimeoutMs, lookup_, [reply = lookup_] { reply->abort(); });
    connect(lookup_, &QNetworkReply::readyRead, this, [reply = lookup_, body] {
        *body += reply->readAll();
        if (body->size() > MaxReplyBytes)
            reply->abort();
    });
    connect(lookup_, &QNetworkReply::finished, this, [this, body] {
        QNetworkReply *reply = lookup_;
        lookup_ = nullptr;
        reply->deleteLater();
        // Any failure leaves the shown address as it is, silently.
        if (reply->error() != QNetworkReply::NoError)
            return;
        const auto address = ExtractPublicAddress(QString::fromLatin1(*body + reply->readAll()));
        if (address)
            Edit1->setText(*address);
    });
}
