#include "codec.h"

#include "wire.h"

#include <algorithm>
#include <sstream>

namespace velmar {

namespace {

constexpr std::string_view WriteTemplate = "56789pas34567890123456789012345678901234";
constexpr std::string_view WriteTags = "epwrepwrepwrepwr";  // a ConfigWrite's tag, four times

bool HasAt(std::string_view datagram, std::size_t offset, std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (ByteAt(datagram, offset + i) != static_cast<std::uint8_t>(text[i]))
            return false;
    return true;
}

bool Contains(std::string_view datagram, std::string_view text)
{
    return datagram.find(text) != std::string_view::npos;
}

Ipv4 IpAt(std::string_view datagram, std::size_t offset)
{
    return {ByteAt(datagram, offset), ByteAt(datagram, offset + 1), ByteAt(datagram, offset + 2),
            ByteAt(datagram, offset + 3)};
}

// The identifier block of a ConfigWrite or a ConfigReply, after "iden".
IdentBlock IdentAt(std::string_view d)
{
    using namespace wire;
    return {static_cast<std::uint16_t>(ByteAt(d, IdentOffset) + 256 * ByteAt(d, IdentOffset + 1)),
            ByteAt(d, ConsoleFlagOffset) != 0, IpAt(d, ReserveIp1Offset), IpAt(d, ReserveIp2Offset)};
}

// A record from its first RecordHeadLength bytes and its identifier block, wherever they were read from.
ConfigRecord RecordOf(const std::uint8_t *head, const IdentBlock &ident)
{
    ConfigRecord r;
    for (std::size_t k = 0; k < RecordHeadLength; ++k)
        RecordByte(r, k) = head[k];
    r.boardIdent = ident.boardIdent;
    r.consoleDynamic = ident.consoleDynamic;
    r.reserveIp1 = ident.reserveIp1;
    r.reserveIp2 = ident.reserveIp2;
    return r;
}

// The 40-byte record at the start of a ConfigWrite or a ConfigReply.
ConfigRecord RecordAt(std::string_view d)
{
    std::array<std::uint8_t, RecordHeadLength> head{};
    for (std::size_t k = 0; k < RecordHeadLength; ++k)
        head[k] = ByteAt(d, k);
    return RecordOf(head.data(), IdentAt(d));
}

void Append(Bytes &frame, const Ipv4 &ip)
{
    for (auto octet : ip)
        frame.push_back(static_cast<char>(octet));
}

// The record head: four addresses, the MAC and the ray marker "NL".
void AppendRecordHead(Bytes &frame, ConfigRecord r, const Ipv4 &dispatcherIp)
{
    r.dispatcherIp = dispatcherIp;
    for (std::size_t k = 0; k < RecordHeadLength; ++k)
        frame.push_back(static_cast<char>(RecordByte(r, k)));
    frame += "NL";
}

void Put(Bytes &frame, std::size_t offset, std::string_view text)
{
    frame.replace(offset, text.size(), text);
}

// Windows-1251 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order. 0x98 is unassigned and kept as is.
constexpr std::array<char16_t, 64> Cp1251High = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

}  // namespace

std::uint8_t &RecordByte(ConfigRecord &record, std::size_t offset)
{
    const RecordPlace place = RecordPlaceOf(offset);
    switch (place.field) {
    case RecordField::Dispatcher: return record.dispatcherIp[place.index];
    case RecordField::Lift: return record.liftIp[place.index];
    case RecordField::Mask: return record.netMask[place.index];
    case RecordField::Router: return record.routerIp[place.index];
    case RecordField::MacBytes: break;
    }
    return record.mac[place.index];
}

Mac MacFromLift(const Mac &mac, const Ipv4 &lift)
{
    return {mac[0], mac[1], lift[0], lift[1], lift[2], lift[3]};
}

const std::array<std::string_view, 16> HexDigits = {"0", "1", "2", "3", "4", "5", "6", "7",
                                                    "8", "9", "A", "B", "C", "D", "E", "F"};

std::uint8_t HexPairToByte(std::string_view text)
{
    auto digit = [&](std::size_t position) -> std::uint8_t {
        if (position >= text.size())
            return 0;
        char ch = text[position];
        if (ch >= 'a' && ch <= 'f')
            ch = static_cast<char>(ch - 'a' + 'A');
        for (std::uint8_t i = 0; i < HexDigits.size(); ++i)
            if (HexDigits[i][0] == ch)
                return i;
        return 0;
    };
    return static_cast<std::uint8_t>(digit(0) * 16 + digit(1));
}

std::string ByteToHexPair(std::uint8_t value)
{
    return std::string(HexDigits[value / 16]) + std::string(HexDigits[value % 16]);
}

char16_t Cp1251ToUnicode(std::uint8_t byte)
{
    if (byte < 0x80)
        return byte;
    if (byte >= 0xC0)
        return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return Cp1251High[byte - 0x80];
}

std::optional<std::uint8_t> UnicodeToCp1251(char16_t ch)
{
    if (ch < 0x80)
        return static_cast<std::uint8_t>(ch);
    if (ch >= 0x0410 && ch <= 0x044F)
        return static_cast<std::uint8_t>(0xC0 + (ch - 0x0410));
    auto found = std::find(Cp1251High.begin(), Cp1251High.end(), ch);
    if (found == Cp1251High.end())
        return std::nullopt;
    return static_cast<std::uint8_t>(0x80 + (found - Cp1251High.begin()));
}

// ---- Frames to a board --------------------------------------------------------------------------

Bytes DigitTemplate()
{
    Bytes digits;
    for (int i = 0; i < 10; ++i)
        digits += "1234567890";
    return digits;
}

Bytes ReadRequest(char selector)
{
    Bytes frame = DigitTemplate();
    Put(frame, wire::RequestTagOffset, "epr");
    frame[wire::SelectorOffset] = selector;
    return frame;
}

Bytes ConfigWrite(const ConfigWriteValues &values)
{
    const ConfigRecord &r = values.record;
    const bool console = r.consoleDynamic;
    const Ipv4 zero{};

    Bytes frame;
    frame.reserve(wire::ConfigWriteLength);
    AppendRecordHead(frame, r, console ? r.dispatcherIp : zero);
    frame.push_back(static_cast<char>(values.rayNumber));
    frame += "iden";
    const std::uint16_t ident = console ? r.boardIdent : 0;
    frame.push_back(static_cast<char>(ident & 0xFF));
    frame.push_back(static_cast<char>(ident >> 8));
    frame.push_back(console ? 1 : 0);
    Append(frame, console ? r.reserveIp1 : zero);
    Append(frame, console ? r.reserveIp2 : zero);
    frame += WriteTemplate;

    Put(frame, wire::WriteBlankOffset, std::string(wire::WriteBlankLength, '\0'));
    Put(frame, wire::RequestTagOffset, WriteTags);
    frame[wire::AddressingModeOffset] = values.boardDhcp ? '1' : '\0';
    frame.resize(wire::ConfigWriteLength, '\xFF');
    return frame;
}

Bytes RebootRequest()
{
    return "rzt" + DigitTemplate();
}

Bytes PadWithCounterDigits(Bytes frame)
{
    for (int k = 0; frame.size() < wire::PaddedFrameLength; ++k)
        frame.push_back(std::to_string(k)[0]);
    return frame;
}

Bytes MsiFrame()
{
    return PadWithCounterDigits(Bytes(MsiTag));
}

Bytes VsiFrame()
{
    return PadWithCounterDigits(Bytes(VsiTag));
}

// ---- Frames from a board ------------------------------------------------------------------------

std::uint8_t ByteAt(std::string_view datagram, std::size_t offset)
{
    return offset < datagram.size() ? static_cast<std::uint8_t>(datagram[offset]) : 0;
}

DecodedDatagram DecodeDatagram(std::string_view d)
{
    DecodedDatagram decoded;

    if (d.starts_with("ikl") && ByteAt(d, 4) != 0) {
        std::string &text = decoded.iklText.emplace();
        for (std::size_t i = 0; i < wire::IklDigitCount; ++i) {
            if (i)
                text += '*';
            text += std::to_string(ByteAt(d, i));
        }
        text += '#';
    }

    if (auto q = d.find("ide"); q != std::string_view::npos)
        decoded.identMark = static_cast<std::uint16_t>(ByteAt(d, q + wire::IdentMarkSkip) +
                                                       256 * ByteAt(d, q + wire::IdentMarkSkip + 1));

    const bool accepted = !Contains(d, "vzo") && !Contains(d, "otv") && !Contains(d, "ort") &&
                          Contains(d, "iden") && d.size() <= wire::MaxReplyLength;
    if (!accepted)
        return decoded;

    // Every reply of a flood passes here: each part is made in one go, nothing is copied twice.
    ConfigReplyFields &reply = decoded.reply.emplace();
    if (HasAt(d, 0, "rzt")) {
        reply.kind = ReplyKind::RebootAck;
    } else if (ByteAt(d, wire::FilterMarkOffset) == wire::FilterMark) {
        reply.kind = ReplyKind::Filtered;
    } else {
        const std::string_view head = d.substr(0, RecordHeadLength);
        reply.recordHead.assign(head.begin(), head.end());
        // The board puts the ray number after "Nl", not where the write puts it.
        if (HasAt(d, wire::ReplyRayTagOffset, "Nl"))
            reply.rayNumber = ByteAt(d, wire::ReplyRayOffset);
        if (HasAt(d, wire::ReplyIdenTagOffset, "iden"))
            reply.ident = IdentAt(d);
    }

    if (HasAt(d, wire::VersionTagOffset, "VER")) {
        const std::string_view text =
            d.substr(std::min<std::size_t>(wire::VersionTextOffset, d.size()), wire::VersionTextMax);
        reply.versionText.emplace(text.substr(0, text.find('#')));
    }
    reply.boardDhcp = ByteAt(d, wire::AddressingModeOffset) != 0;
    return decoded;
}

namespace {

std::optional<DatagramKind> RequestKind(std::string_view d)
{
    if (ParseReadRequest(d))
        return DatagramKind::ReadRequest;
    if (ParseConfigWrite(d))
        return DatagramKind::ConfigWrite;
    if (IsRebootRequest(d))
        return DatagramKind::RebootRequest;
    if (IsMsiFrame(d))
        return DatagramKind::MsiFrame;
    if (IsVsiFrame(d))
        return DatagramKind::VsiFrame;
    return std::nullopt;
}

std::optional<DatagramKind> AnswerKind(std::string_view d)
{
    const DecodedDatagram decoded = DecodeDatagram(d);
    if (decoded.reply) {
        switch (decoded.reply->kind) {
        case ReplyKind::RebootAck: return DatagramKind::RebootAck;
        case ReplyKind::Filtered: return DatagramKind::FilteredReply;
        case ReplyKind::Record: break;
        }
        return WholeConfigOf(*decoded.reply, d.size()) ? DatagramKind::Config : DatagramKind::PartialReply;
    }
    if (decoded.iklText)
        return DatagramKind::Ikl;
    if (decoded.identMark)
        return DatagramKind::IdentMark;
    return std::nullopt;
}

}  // namespace

DatagramKind KindOf(std::string_view datagram, ReceivedBy receiver)
{
    const auto first = receiver == ReceivedBy::Board ? RequestKind(datagram) : AnswerKind(datagram);
    if (first)
        return *first;
    return (receiver == ReceivedBy::Board ? AnswerKind(datagram) : RequestKind(datagram))
        .value_or(DatagramKind::Unknown);
}

const char *KindName(DatagramKind kind)
{
    switch (kind) {
    case DatagramKind::ReadRequest: return "read-request";
    case DatagramKind::ConfigWrite: return "config-write";
    case DatagramKind::RebootRequest: return "reboot-request";
    case DatagramKind::MsiFrame: return "msi";
    case DatagramKind::VsiFrame: return "vsi";
    case DatagramKind::Config: return "config";
    case DatagramKind::PartialReply: return "partial-reply";
    case DatagramKind::FilteredReply: return "filtered-reply";
    case DatagramKind::RebootAck: return "reboot-ack";
    case DatagramKind::Ikl: return "ikl";
    case DatagramKind::IdentMark: return "ident";
    case DatagramKind::Unknown: break;
    }
    return "unknown";
}

std::string Describe(const DecodedDatagram &decoded)
{
    std::ostringstream out;
    out << decoded;
    return out.str();
}

std::ostream &operator<<(std::ostream &out, const DecodedDatagram &decoded)
{
    auto ip = [&](const Ipv4 &a) {
        out << int(a[0]) << '.' << int(a[1]) << '.' << int(a[2]) << '.' << int(a[3]);
    };
    out << "{ikl=" << (decoded.iklText ? *decoded.iklText : "-");
    out << " ident=" << (decoded.identMark ? std::to_string(*decoded.identMark) : "-");
    if (!decoded.reply)
        return out << " not a reply}";
    const ConfigReplyFields &r = *decoded.reply;
    static const char *kinds[] = {"record", "rzt", "filtered"};
    out << " reply=" << kinds[static_cast<int>(r.kind)] << " head=[";
    for (std::size_t i = 0; i < r.recordHead.size(); ++i)
        out << (i ? " " : "") << int(r.recordHead[i]);
    out << "] ray=" << (r.rayNumber ? std::to_string(*r.rayNumber) : "-");
    if (r.ident) {
        out << " iden=" << r.ident->boardIdent << (r.ident->consoleDynamic ? " dyn " : " static ");
        ip(r.ident->reserveIp1);
        out << ' ';
        ip(r.ident->reserveIp2);
    }
    out << " ver=" << (r.versionText ? '"' + *r.versionText + '"' : "-");
    return out << " dhcp=" << r.boardDhcp << '}';
}

// ---- The board's side ---------------------------------------------------------------------------

std::optional<char> ParseReadRequest(std::string_view d)
{
    if (!HasAt(d, wire::RequestTagOffset, "epr") || d.size() <= wire::SelectorOffset)
        return std::nullopt;
    return d[wire::SelectorOffset];
}

std::optional<ConfigWriteValues> ParseConfigWrite(std::string_view d)
{
    if (!HasAt(d, wire::RequestTagOffset, WriteTags))
        return std::nullopt;
    ConfigWriteValues v;
    v.record = RecordAt(d);
    v.rayNumber = ByteAt(d, wire::WriteRayOffset);
    v.boardDhcp = ByteAt(d, wire::AddressingModeOffset) != 0;
    return v;
}

bool IsRebootRequest(std::string_view d)
{
    return HasAt(d, 0, "rzt");
}

bool IsMsiFrame(std::string_view d)
{
    return HasAt(d, 0, MsiTag);
}

bool IsVsiFrame(std::string_view d)
{
    return HasAt(d, 0, VsiTag);
}

std::optional<StoredConfig> WholeConfigOf(const ConfigReplyFields &reply, std::size_t length)
{
    if (length <= wire::AddressingModeOffset || reply.kind != ReplyKind::Record ||
        reply.recordHead.size() < RecordHeadLength || !reply.ident)
        return std::nullopt;
    StoredConfig stored;
    stored.config.record = RecordOf(reply.recordHead.data(), *reply.ident);
    stored.config.boardDhcp = reply.boardDhcp;
    stored.config.versionText = reply.versionText.value_or(Bytes());
    stored.rayNumber = reply.rayNumber.value_or(0);
    return stored;
}

Bytes ConfigReply(const BoardConfig &config)
{
    const ConfigRecord &r = config.record;
    Bytes frame;
    frame.reserve(wire::MaxReplyLength);
    AppendRecordHead(frame, r, r.dispatcherIp);
    frame.push_back('\0');
    frame += "iden";
    frame.push_back(static_cast<char>(r.boardIdent & 0xFF));
    frame.push_back(static_cast<char>(r.boardIdent >> 8));
    frame.push_back(r.consoleDynamic ? 1 : 0);
    Append(frame, r.reserveIp1);
    Append(frame, r.reserveIp2);
    frame.resize(wire::MaxReplyLength, '\0');
    Put(frame, wire::VersionTagOffset, "VER");
    const Bytes version = config.versionText.substr(0, wire::VersionTextMax - 1);
    Put(frame, wire::VersionTextOffset, version + "#");
    frame[wire::AddressingModeOffset] = config.boardDhcp ? 1 : 0;
    return frame;
}

Bytes RebootAck(const BoardConfig &config)
{
    Bytes frame = ConfigReply(config);
    Put(frame, 0, "rzt");
    return frame;
}

}  // namespace velmar
