// Any datagram a board, a broken switch or another program may send.

#include "codec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view datagram(reinterpret_cast<const char *>(data), size);
    const velmar::DecodedDatagram decoded = velmar::DecodeDatagram(datagram);
    velmar::Describe(decoded);
    if (decoded.reply) {
        const auto &reply = *decoded.reply;
        if (size > 100 || reply.recordHead.size() > 22 ||
            (reply.versionText && reply.versionText->size() > 30))
            std::abort();
        if (reply.kind != velmar::ReplyKind::Record && !reply.recordHead.empty())
            std::abort();
    }
    return 0;
}
