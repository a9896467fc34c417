// The board's side: whatever reaches a stand-in board, and whatever its state file holds.

#include "codec.h"
#include "config_file.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view datagram(reinterpret_cast<const char *>(data), size);
    velmar::ParseReadRequest(datagram);
    velmar::IsRebootRequest(datagram);
    velmar::IsMsiFrame(datagram);
    velmar::IsVsiFrame(datagram);
    if (auto write = velmar::ParseConfigWrite(datagram)) {
        // What a board takes from a write, written again, reads back the same.
        auto again = velmar::ParseConfigWrite(velmar::ConfigWrite(*write));
        if (!again || again->record.liftIp != write->record.liftIp ||
            again->record.mac != write->record.mac || again->boardDhcp != write->boardDhcp ||
            again->rayNumber != write->rayNumber)
            std::abort();
        // A board's reply is taken unless its own bytes spell one of the refusing marks (a MAC of
        // 6F 72 74 reads "ort"): the protocol's limit, not a fault.
        velmar::BoardConfig config{write->record, write->boardDhcp, {}};
        const velmar::Bytes reply = velmar::ConfigReply(config);
        const bool refusing = reply.find("vzo") != std::string::npos ||
                              reply.find("otv") != std::string::npos ||
                              reply.find("ort") != std::string::npos;
        if (!refusing && !velmar::DecodeDatagram(reply).reply)
            std::abort();
    }

    const QJsonDocument document = QJsonDocument::fromJson(
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    velmar::StoredConfig stored;
    QString error;
    if (document.isObject() && velmar::ConfigFromJson(document.object(), stored, error)) {
        velmar::StoredConfig again;
        if (!velmar::ConfigFromJson(velmar::ConfigToJson(stored), again, error) || !(again == stored))
            std::abort();
    }
    return 0;
}
