#pragma once
// Looking up the site's public address with a plain-HTTP echo service: one GET, every part of the
// answer bounded, a time-out that ends it whatever the server sends.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

class QTcpSocket;

namespace velmar {

class ConnectionEnd;

// The longest address the reply may give: "255.255.255.255". A longer run is no address.
inline constexpr qsizetype MaxAddressLength = 15;

// The address an echo service reports: the run of digits and full stops after "IP Address:" (blanks
// after the marker skipped). Nothing when the marker is missing or the run is longer than an address.
std::optional<QString> ExtractPublicAddress(const QString &reply);

class PublicAddressLookup : public QObject
{
    Q_OBJECT
public:
    // What one answer may hold: the status line and each header line, all the header lines together,
    // and the body.
    static constexpr qsizetype MaxLine = 8 << 10, MaxHead = 64 << 10, MaxBody = 1 << 20;

    explicit PublicAddressLookup(QObject *parent = nullptr);
    ~PublicAddressLookup() override;

    // Starts a lookup of `url` (http only) that ends within `timeoutMs`; false, and nothing started,
    // while one runs. The request is the one the echo service has always been sent, and no redirect is
    // followed.
    bool start(const QUrl &url, int timeoutMs);
    bool running() const { return socket_ != nullptr; }

signals:
    // The address the reply holds, or nothing (no marker, an error status, a broken, oversized or
    // cut-off answer, the time-out); `why` says what ended a failed one.
    void finished(const std::optional<QString> &address, const QString &why);

private:
    enum class Stage { StatusLine, Headers, Body, ChunkSize, ChunkData, ChunkEnd, Trailers };
    void receive();
    // Takes what the buffer holds for the stage it is in; false once the lookup has ended.
    bool step();
    std::optional<QByteArray> line();
    void end(const std::optional<QString> &address, const QString &why);
    void fail(const QString &why) { end(std::nullopt, why); }
    void succeed();

    QTcpSocket *socket_ = nullptr;
    std::unique_ptr<ConnectionEnd> connectionEnd_;  // whether the service reset the connection
    QTimer timeout_;
    QByteArray buffer_, body_;
    Stage stage_ = Stage::StatusLine;
    qsizetype headBytes_ = 0;
    qint64 remaining_ = -1;  // of a Content-Length body or a chunk; -1: until the connection closes
    int status_ = 0;
    bool chunked_ = false;
};

}  // namespace velmar
