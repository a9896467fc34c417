#include "public_address.h"
#include "connection_end.h"

#include <QNetworkProxy>
#include <QTcpSocket>

namespace velmar {

namespace {
constexpr qint64 ReadBytes = 64 << 10;  // taken in at a time

// A length given as digits in `base` (10 or 16) and nothing else, when it is at most `most`: no sign,
// blank or prefix, and no sum that could pass `most` (and so the type's range) on the way.
std::optional<qint64> Length(const QByteArray &text, int base, qint64 most)
{
    if (text.isEmpty())
        return std::nullopt;
    qint64 value = 0;
    for (const char c : text) {
        const char lower = char(c | 0x20);
        const int digit = c >= '0' && c <= '9'                         ? c - '0'
                          : base == 16 && lower >= 'a' && lower <= 'f' ? lower - 'a' + 10
                                                                       : -1;
        if (digit < 0 || value > (most - digit) / base)
            return std::nullopt;
        value = value * base + digit;
    }
    return value;
}
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
         ++i) {
        if (address.size() == MaxAddressLength)
            return std::nullopt;
        address += reply[i];
    }
    return address;
}

PublicAddressLookup::PublicAddressLookup(QObject *parent) : QObject(parent)
{
    timeout_.setSingleShot(true);
    connect(&timeout_, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("no whole answer within %1 ms").arg(timeout_.interval())); });
}

PublicAddressLookup::~PublicAddressLookup()
{
    connectionEnd_.reset();  // first, so that the socket's own end is the one that ends the connection
    if (socket_) {
        socket_->disconnect(this);
        socket_->abort();
    }
}

bool PublicAddressLookup::start(const QUrl &url, int timeoutMs)
{
    if (running())
        return false;
    stage_ = Stage::StatusLine;
    headBytes_ = 0;
    remaining_ = -1;
    chunked_ = false;
    status_ = 0;
    socket_ = new QTcpSocket(this);
    if (url.scheme() != QLatin1String("http") || url.host().isEmpty()) {
        fail(QStringLiteral("not a plain-HTTP address: %1").arg(url.toString()));
        return true;
    }
    // A site's public address is asked of the service itself, never of a proxy the desktop names.
    socket_->setProxy(QNetworkProxy::NoProxy);
    // What comes is taken out as it comes: the system holds the rest back from the server.
    socket_->setReadBufferSize(ReadBytes);
    const quint16 port = quint16(url.port(80));
    const QByteArray host = url.host(QUrl::FullyEncoded).toLatin1() +
                            (port == 80 ? QByteArray() : ":" + QByteArray::number(port));
    QByteArray path = url.path(QUrl::FullyEncoded).toLatin1();
    if (path.isEmpty())
        path = "/";
    if (url.hasQuery())
        path += "?" + url.query(QUrl::FullyEncoded).toLatin1();
    const QByteArray request =
        "GET " + path + " HTTP/1.1\r\nHost: " + host +
        "\r\nAccept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n"
        "Content-Type: text/html\r\nConnection: close\r\n\r\n";
    connect(socket_, &QTcpSocket::connected, this, [this, request] {
        connectionEnd_ = std::make_unique<ConnectionEnd>(socket_->socketDescriptor());
        socket_->write(request);
    });
    connect(socket_, &QTcpSocket::readyRead, this, &PublicAddressLookup::receive);
    connect(socket_, &QTcpSocket::disconnected, this, [this] {
        receive();
        // A body without a length ends with the connection, when the service closed it: a reset cuts it off.
        if (running() && stage_ == Stage::Body && remaining_ < 0 && connectionEnd_ &&
            connectionEnd_->wasReset().value_or(false))
            fail(QStringLiteral("the service reset the connection before its answer was whole"));
        else if (running() && stage_ == Stage::Body && remaining_ < 0)
            succeed();
        else if (running())
            fail(QStringLiteral("the service closed the connection before its answer was whole"));
    });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error != QAbstractSocket::RemoteHostClosedError)
            fail(socket_->errorString());
    });
    timeout_.start(timeoutMs);
    socket_->connectToHost(url.host(), port);
    return true;
}

void PublicAddressLookup::receive()
{
    while (running() && socket_->bytesAvailable() > 0) {
        buffer_ += socket_->read(ReadBytes);
        while (running() && step()) {
        }
    }
}

std::optional<QByteArray> PublicAddressLookup::line()
{
    const qsizetype end = buffer_.indexOf('\n');
    if ((end < 0 ? buffer_.size() : end) > MaxLine) {
        fail(QStringLiteral("a line of the answer is longer than %1 bytes").arg(MaxLine));
        return std::nullopt;
    }
    if (end < 0)
        return std::nullopt;
    QByteArray text = buffer_.left(end);
    buffer_.remove(0, end + 1);
    if (text.endsWith('\r'))
        text.chop(1);
    const bool head = stage_ == Stage::StatusLine || stage_ == Stage::Headers || stage_ == Stage::Trailers;
    if (head && (headBytes_ += end + 1) > MaxHead) {
        fail(QStringLiteral("the answer's header lines pass %1 bytes").arg(MaxHead));
        return std::nullopt;
    }
    return text;
}

bool PublicAddressLookup::step()
{
    if (stage_ == Stage::Body || stage_ == Stage::ChunkData) {
        // The body, or the chunk, as far as it has come: what is left of a length, or all that is here.
        const qsizetype take =
            remaining_ < 0 ? buffer_.size() : qsizetype(qMin<qint64>(remaining_, buffer_.size()));
        body_ += buffer_.left(take);
        buffer_.remove(0, take);
        if (remaining_ >= 0)
            remaining_ -= take;
        if (body_.size() > MaxBody)
            fail(QStringLiteral("the answer passes %1 bytes").arg(MaxBody));
        else if (remaining_ == 0 && stage_ == Stage::Body)
            succeed();
        else if (remaining_ == 0)
            stage_ = Stage::ChunkEnd;
        return running() && stage_ == Stage::ChunkEnd;  // otherwise the buffer is empty: wait for more
    }
    const auto text = line();
    if (!text)
        return false;
    switch (stage_) {
    case Stage::StatusLine: {
        const QList<QByteArray> parts = text->split(' ');
        status_ = int(Length(parts.value(1), 10, 999).value_or(0));
        // An interim answer (but a switch of protocols) comes before the one that counts.
        if (!text->startsWith("HTTP/1.") || status_ < 100 || status_ == 101 || status_ > 299)
            fail(QStringLiteral("the service answered \"%1\"").arg(QString::fromLatin1(text->left(80))));
        stage_ = Stage::Headers;
        remaining_ = -1;
        chunked_ = false;
        return running();
    }
    case Stage::Headers: {
        if (text->isEmpty()) {
            stage_ = status_ < 200 ? Stage::StatusLine : chunked_ ? Stage::ChunkSize : Stage::Body;
            // A 204 has no body, whatever its header lines say and whatever follows them.
            if (status_ == 204 || (stage_ == Stage::Body && remaining_ == 0))
                succeed();
            return running();
        }
        const qsizetype colon = text->indexOf(':');
        const QByteArray name = text->left(colon).trimmed().toLower(), value = text->mid(colon + 1).trimmed();
        if (name == "content-length") {
            // Two lengths that differ leave the body's end unknown.
            const auto length = Length(value, 10, MaxBody);
            if (!length || (remaining_ >= 0 && remaining_ != *length))
                fail(QStringLiteral("the answer's length \"%1\" is not one to take")
                         .arg(QString::fromLatin1(value.left(40))));
            remaining_ = length.value_or(-1);
        }
        if (name == "transfer-encoding" && value.toLower().contains("chunked"))
            chunked_ = true;
        return running();
    }
    case Stage::ChunkSize: {
        // Compared with the room left under the bound, never added to what is held.
        const auto size = Length(text->split(';').value(0).trimmed(), 16, MaxBody - body_.size());
        if (!size)
            fail(QStringLiteral("a chunk of the answer is broken or passes %1 bytes").arg(MaxBody));
        remaining_ = size.value_or(-1);
        stage_ = remaining_ == 0 ? Stage::Trailers : Stage::ChunkData;
        return running();
    }
    case Stage::ChunkEnd: stage_ = Stage::ChunkSize; return true;
    case Stage::Trailers:
        if (text->isEmpty())
            succeed();
        return running();
    case Stage::Body:
    case Stage::ChunkData: break;
    }
    return false;
}

void PublicAddressLookup::succeed()
{
    const auto address = ExtractPublicAddress(QString::fromLatin1(body_));
    end(address, address ? QString()
                 : body_.contains("IP Address:")
                     ? QStringLiteral("the answer's address passes %1 characters").arg(MaxAddressLength)
                     : QStringLiteral("no \"IP Address:\" in the answer"));
}

void PublicAddressLookup::end(const std::optional<QString> &address, const QString &why)
{
    if (!socket_)
        return;
    timeout_.stop();
    QTcpSocket *socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    connectionEnd_.reset();  // first, so that the socket's own close is the one that ends the connection
    // Closed, not aborted: the connection ends at once either way, but a socket aborted with unread data
    // is never seen closed by the service under Wine, which then sends on for as long as it likes.
    socket->close();
    socket->deleteLater();
    buffer_.clear();
    body_.clear();
    emit finished(address, why);
}

}  // namespace velmar
