#include "watch.h"

#include "frame_bytes.h"

namespace velmar {

WatchedDatagram Decoded(const QByteArray &data, const QString &from, quint16 port)
{
    WatchedDatagram datagram;
    datagram.at = QDateTime::currentDateTime();
    datagram.from = from;
    datagram.port = port;
    datagram.bytes = data.size();
    const DecodedDatagram decoded = DecodeDatagram(ViewOf(data));
    datagram.kind = KindOf(ViewOf(data), ReceivedBy::Configurator);
    if (decoded.reply)
        datagram.config = WholeConfigOf(*decoded.reply, std::size_t(data.size()));
    if (decoded.iklText)
        datagram.ikl = QString::fromStdString(*decoded.iklText);
    if (decoded.identMark)
        datagram.ident = *decoded.identMark;
    datagram.data = data;
    return datagram;
}

qsizetype WatchPort(Session &session, qsizetype count, Sink &sink)
{
    qsizetype seen = 0;
    session.watch(
        [&](const QByteArray &data, const QString &sender, quint16 port) {
            sink.datagram(Decoded(data, sender, port));
            ++seen;
            return count == 0 || seen < count;
        },
        [&](qsizetype length, const QString &sender, quint16 port) {
            WatchedDatagram oversize;
            oversize.at = QDateTime::currentDateTime();
            oversize.from = sender;
            oversize.port = port;
            oversize.bytes = length;
            oversize.oversize = true;
            sink.datagram(oversize);
        });
    return seen;
}

}  // namespace velmar
