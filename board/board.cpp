#include "board.h"

#include "transport.h"
#include "wire.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QSaveFile>
#include <QTimer>
#include <QUdpSocket>

namespace velmar {

namespace {

QString IpText(const Ipv4 &ip)
{
    return QStringLiteral("%1.%2.%3.%4").arg(ip[0]).arg(ip[1]).arg(ip[2]).arg(ip[3]);
}

bool ParseIp(const QJsonObject &json, const char *key, Ipv4 &ip, QString &error)
{
    const auto address = ParseDottedAddress(json.value(QLatin1String(key)).toString());
    if (!address) {
        error = QStringLiteral("\"%1\" is not a dotted address").arg(QLatin1String(key));
        return false;
    }
    const quint32 value = address->toIPv4Address();
    ip = {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
          std::uint8_t(value)};
    return true;
}

QString MacText(const Mac &mac)
{
    QStringList bytes;
    for (auto b : mac)
        bytes << QString::fromStdString(ByteToHexPair(b));
    return bytes.join(QLatin1Char(':'));
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

QString Describe(const QByteArray &datagram)
{
    const std::string_view view(datagram.constData(), static_cast<std::size_t>(datagram.size()));
    if (auto selector = ParseReadRequest(view))
        return QStringLiteral("ReadRequest '%1'").arg(QChar(*selector));
    if (auto write = ParseConfigWrite(view))
        return QStringLiteral("ConfigWrite lift %1 mac %2 ident %3 console %4 board %5")
            .arg(IpText(write->record.liftIp), MacText(write->record.mac))
            .arg(write->record.boardIdent)
            .arg(write->consoleDynamic ? "dynamic" : "static", write->boardDhcp ? "dhcp" : "static");
    if (IsRebootRequest(view))
        return QStringLiteral("RebootRequest");
    if (IsMsiFrame(view))
        return QStringLiteral("MsiFrame");
    if (IsVsiFrame(view))
        return QStringLiteral("VsiFrame");
    return QStringLiteral("unknown datagram of %1 bytes, ignored").arg(datagram.size());
}

}  // namespace

BoardState DefaultBoardState(const QHostAddress &address)
{
    const quint32 value = address.toIPv4Address();
    BoardState state;
    ConfigRecord &r = state.config.record;
    r.liftIp = {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
                std::uint8_t(value)};
    r.netMask = {255, 0, 0, 0};
    r.routerIp = {r.liftIp[0], 0, 0, 1};
    r.mac = {0x00, 0x1E, r.liftIp[0], r.liftIp[1], r.liftIp[2], r.liftIp[3]};
    r.dispatcherIp = {r.liftIp[0], 0, 0, 1};
    r.boardIdent = static_cast<std::uint16_t>(value & 0xFFFF);
    state.config.versionText = VersionFromText(QStringLiteral("Стенд-плата 1.0"));
    return state;
}

bool LoadBoardState(const QString &path, BoardState &state, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.read(1 << 20), &parseError);
    if (!document.isObject()) {
        error = QStringLiteral("%1 is damaged (%2); remove it to start afresh")
                    .arg(path, parseError.error ? parseError.errorString() : QStringLiteral("not an object"));
        return false;
    }
    const QJsonObject json = document.object();
    BoardState loaded;
    ConfigRecord &r = loaded.config.record;
    QString why;
    const bool addresses =
        ParseIp(json, "dispatcher", r.dispatcherIp, why) && ParseIp(json, "lift", r.liftIp, why) &&
        ParseIp(json, "mask", r.netMask, why) && ParseIp(json, "router", r.routerIp, why) &&
        ParseIp(json, "reserve1", r.reserveIp1, why) && ParseIp(json, "reserve2", r.reserveIp2, why);
    const QStringList mac = json.value(QLatin1String("mac")).toString().split(QLatin1Char(':'));
    const int ident = json.value(QLatin1String("ident")).toInt(-1);
    const int ray = json.value(QLatin1String("ray")).toInt(0);
    if (!addresses || mac.size() != 6 || ident < 0 || ident > 65535 || ray < 0 || ray > 255) {
        error = QStringLiteral("%1 is damaged (%2); remove it to start afresh")
                    .arg(path, why.isEmpty() ? QStringLiteral("bad mac, ident or ray") : why);
        return false;
    }
    for (int i = 0; i < 6; ++i)
        r.mac[i] = HexPairToByte(mac[i].toStdString());
    r.boardIdent = static_cast<std::uint16_t>(ident);
    r.consoleDynamic = json.value(QLatin1String("consoleDynamic")).toBool();
    loaded.config.boardDhcp = json.value(QLatin1String("boardDhcp")).toBool();
    loaded.config.versionText = VersionFromText(json.value(QLatin1String("version")).toString());
    loaded.rayNumber = static_cast<std::uint8_t>(ray);
    state = loaded;
    return true;
}

bool SaveBoardState(const QString &path, const BoardState &state, QString &error)
{
    const ConfigRecord &r = state.config.record;
    QJsonObject json{{"dispatcher", IpText(r.dispatcherIp)},
                     {"lift", IpText(r.liftIp)},
                     {"mask", IpText(r.netMask)},
                     {"router", IpText(r.routerIp)},
                     {"mac", MacText(r.mac)},
                     {"ident", r.boardIdent},
                     {"consoleDynamic", r.consoleDynamic},
                     {"reserve1", IpText(r.reserveIp1)},
                     {"reserve2", IpText(r.reserveIp2)},
                     {"boardDhcp", state.config.boardDhcp},
                     {"ray", state.rayNumber},
                     {"version", VersionToText(state.config.versionText)}};
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(json).toJson()) < 0 || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

// ---- The board ----------------------------------------------------------------------------------

StandInBoard::StandInBoard(BoardOptions options, QObject *parent)
    : QObject(parent), options_(std::move(options)), random_(options_.seed ? options_.seed : 1)
{
}

StandInBoard::~StandInBoard() = default;

bool StandInBoard::start(QString &error)
{
    stored_ = DefaultBoardState(options_.address);
    if (!options_.statePath.isEmpty()) {
        if (QFile::exists(options_.statePath)) {
            if (!LoadBoardState(options_.statePath, stored_, error))
                return false;
        } else if (!SaveBoardState(options_.statePath, stored_, error)) {
            return false;
        }
    }
    working_ = stored_.config;

    for (quint16 port : {wire::WritePort, wire::BoardPort, wire::UserPort, wire::ListenPort}) {
        if (port == wire::ListenPort && !options_.bindListenPort)
            continue;
        auto *socket = new QUdpSocket(this);
        if (!socket->bind(options_.address, port, QAbstractSocket::DontShareAddress)) {
            const QString why = socket->errorString();
            delete socket;
            if (port == wire::ListenPort)
                continue;  // a configurator on this machine holds it: the board does without
            error =
                QStringLiteral("cannot bind %1:%2: %3").arg(options_.address.toString()).arg(port).arg(why);
            return false;
        }
        connect(socket, &QUdpSocket::readyRead, this, [this, socket] { receive(socket); });
        sockets_ << socket;
    }
    return true;
}

QList<quint16> StandInBoard::ports() const
{
    QList<quint16> ports;
    for (auto *socket : sockets_)
        ports << socket->localPort();
    return ports;
}

void StandInBoard::note(quint16 port, const QHostAddress &peer, quint16 peerPort, const QString &what)
{
    if (log_)
        log_(QStringLiteral("%1 %2:%3 %4:%5 %6")
                 .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")),
                      options_.address.toString())
                 .arg(port)
                 .arg(peer.toString())
                 .arg(peerPort)
                 .arg(what));
}

void StandInBoard::receive(QUdpSocket *socket)
{
    while (socket->hasPendingDatagrams()) {
        const qint64 size = socket->pendingDatagramSize();
        const QNetworkDatagram datagram = socket->receiveDatagram(qMax<qint64>(size, 0));
        handle(socket, datagram.data(), datagram.senderAddress(),
               static_cast<quint16>(datagram.senderPort()));
    }
}

void StandInBoard::handle(QUdpSocket *socket, const QByteArray &datagram, const QHostAddress &peer,
                          quint16 peerPort)
{
    const quint16 port = socket->localPort();
    const QString what = Describe(datagram);
    if (rebooting_) {
        note(port, peer, peerPort, QStringLiteral("<- %1 (rebooting, silent)").arg(what));
        return;
    }
    note(port, peer, peerPort, QStringLiteral("<- ") + what);

    const std::string_view view(datagram.constData(), static_cast<std::size_t>(datagram.size()));
    if (auto selector = ParseReadRequest(view)) {
        if (*selector == SelectorWorking)
            answer(socket, ConfigReply(working_), QStringLiteral("ConfigReply working"), peer, peerPort);
        else if (*selector == SelectorStored)
            answer(socket, ConfigReply(stored_.config), QStringLiteral("ConfigReply stored"), peer, peerPort);
        return;
    }
    if (auto write = ParseConfigWrite(view)) {
        if (!options_.faults.ignoreWrites) {
            stored_.config.record = write->record;
            stored_.config.boardDhcp = write->boardDhcp;
            stored_.rayNumber = write->rayNumber;
            QString error;
            if (!options_.statePath.isEmpty() && !SaveBoardState(options_.statePath, stored_, error))
                note(port, peer, peerPort, error);
        }
        answer(socket, ConfigReply(stored_.config), QStringLiteral("ConfigReply stored"), peer, peerPort);
        return;
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (IsMsiFrame(view) || IsVsiFrame(view)) {
        preReboot_ << now;
        return;
    }
    if (IsRebootRequest(view)) {
        while (!preReboot_.isEmpty() && preReboot_.first().msecsTo(now) > 3000)
            preReboot_.removeFirst();
        if (preReboot_.size() < 4)
            note(port, peer, peerPort, QStringLiteral("reboot without the four pre-reboot frames"));
        preReboot_.clear();
        answer(socket, RebootAck(working_), QStringLiteral("RebootAck"), peer, peerPort);
        rebooting_ = true;
        QTimer::singleShot(options_.rebootMs, this, [this, port, peer, peerPort] {
            rebooting_ = false;
            working_ = stored_.config;  // a board comes up with what it stored
            note(port, peer, peerPort, QStringLiteral("up again"));
        });
    }
}

void StandInBoard::answer(QUdpSocket *socket, Bytes frame, const QString &kind, const QHostAddress &peer,
                          quint16 peerPort)
{
    const BoardFaults &faults = options_.faults;
    const quint16 port = socket->localPort();
    if (!faults.answerPorts.isEmpty() && !faults.answerPorts.contains(port))
        return;
    random_ = random_ * 1103515245u + 12345u;
    if (faults.dropPercent > 0 && int((random_ >> 16) % 100) < faults.dropPercent) {
        note(port, peer, peerPort, QStringLiteral("-> %1 dropped").arg(kind));
        return;
    }
    if (faults.withoutVersion)
        std::fill(frame.begin() + 42, frame.begin() + 75, '\0');
    if (faults.filterByte)
        frame[10] = 4;
    if (faults.withOtv)
        frame.replace(90, 3, "otv");
    if (faults.truncateTo >= 0 && static_cast<std::size_t>(faults.truncateTo) < frame.size())
        frame.resize(static_cast<std::size_t>(faults.truncateTo));

    const QByteArray data(frame.data(), static_cast<qsizetype>(frame.size()));
    auto send = [this, socket, data, kind, peer, peerPort, port] {
        socket->writeDatagram(data, peer, peerPort);
        note(port, peer, peerPort, QStringLiteral("-> %1 (%2 bytes)").arg(kind).arg(data.size()));
    };
    if (faults.replyDelayMs > 0)
        QTimer::singleShot(faults.replyDelayMs, socket, send);
    else
        send();
}

}  // namespace velmar
