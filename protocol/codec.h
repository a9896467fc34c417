#pragma once
// Frames exchanged with a lift controller board: one UDP datagram each, fixed layouts, no header,
// no length and no checksum. Plain C++, shared by the configurator, the stand-in board and the tools.

#include <array>
#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

// A frame: one char per byte, any byte value, no terminator.
using Bytes = std::string;

using Ipv4 = std::array<std::uint8_t, 4>;  // first dotted group first
using Mac = std::array<std::uint8_t, 6>;   // first shown byte first

// ---- MAC byte text ------------------------------------------------------------------------------

extern const std::array<std::string_view, 16> HexDigits;  // "0".."9", "A".."F"

// Two hexadecimal digits to a byte, high digit first. Upper- and lower-case digits count alike; any
// other character, and a missing second character, contributes 0 to its half.
std::uint8_t HexPairToByte(std::string_view text);
// Always two upper-case digits: 10 -> "0A".
std::string ByteToHexPair(std::uint8_t value);

// ---- Board text ---------------------------------------------------------------------------------

// Boards send their version text in Windows-1251, as the operators' machines show it.
char16_t Cp1251ToUnicode(std::uint8_t byte);
std::optional<std::uint8_t> UnicodeToCp1251(char16_t ch);

// ---- Values carried by a write and a reply --------------------------------------------------------

// The 40-byte block at the start of a ConfigWrite and a ConfigReply.
struct ConfigRecord
{
    Ipv4 dispatcherIp{};
    Ipv4 liftIp{};
    Ipv4 netMask{};
    Ipv4 routerIp{};
    Mac mac{};
    std::uint16_t boardIdent = 0;
    bool consoleDynamic = false;  // ConsoleAddrMode: the console takes a dynamic address
    Ipv4 reserveIp1{};
    Ipv4 reserveIp2{};
    bool operator==(const ConfigRecord &) const = default;
};

// Where each of the record's first 22 bytes belongs: offsets 0..15 are four addresses of four bytes
// (the first group first), 16..21 the MAC. Every reader and writer of the record goes by this.
enum class RecordField { Dispatcher, Lift, Mask, Router, MacBytes };
struct RecordPlace
{
    RecordField field;
    int index;  // the group of the address, or the byte of the MAC
};
inline constexpr std::size_t RecordHeadLength = 22;
constexpr RecordPlace RecordPlaceOf(std::size_t offset)
{
    return offset < 16 ? RecordPlace{static_cast<RecordField>(offset / 4), static_cast<int>(offset % 4)}
                       : RecordPlace{RecordField::MacBytes, static_cast<int>(offset - 16)};
}
// The record's byte at an offset below RecordHeadLength.
std::uint8_t &RecordByte(ConfigRecord &record, std::size_t offset);

// The MAC of a board that follows its lift address: the first two bytes kept, the last four the address.
Mac MacFromLift(const Mac &mac, const Ipv4 &lift);
// A board that takes its address by DHCP needs a console on a dynamic address.
constexpr bool AddressingAllowed(bool boardDhcp, bool consoleDynamic)
{
    return !boardDhcp || consoleDynamic;
}
// An address held as one number, first group in the highest byte, and back.
constexpr Ipv4 Ipv4FromValue(std::uint32_t value)
{
    return {std::uint8_t(value >> 24), std::uint8_t(value >> 16), std::uint8_t(value >> 8),
            std::uint8_t(value)};
}
constexpr std::uint32_t ValueOfIpv4(const Ipv4 &ip)
{
    return std::uint32_t(ip[0]) << 24 | std::uint32_t(ip[1]) << 16 | std::uint32_t(ip[2]) << 8 | ip[3];
}

// Everything a ConfigWrite is built from. With the record's consoleDynamic off (the console box of the
// write side), the dispatcher address, the identifier, the console mode and both reserve addresses go
// out as zeros, whatever the record holds.
struct ConfigWriteValues
{
    ConfigRecord record;
    std::uint8_t rayNumber = 0;
    bool boardDhcp = false;  // the board box: the board takes its address by DHCP
    bool operator==(const ConfigWriteValues &) const = default;
};

// ---- Frames to a board --------------------------------------------------------------------------

inline constexpr char SelectorWorking = 'C';
inline constexpr char SelectorStored = 'd';
inline constexpr std::string_view MsiTag = "msi";
inline constexpr std::string_view VsiTag = "vsi";

// "1234567890" ten times: position k holds the digit (k + 1) mod 10.
Bytes DigitTemplate();
Bytes ReadRequest(char selector);
Bytes ConfigWrite(const ConfigWriteValues &values);
Bytes RebootRequest();
// Appends the first character of the decimal text of 0, 1, 2, ... until the frame is 100 bytes.
Bytes PadWithCounterDigits(Bytes frame);
Bytes MsiFrame();  // "msi", padded
Bytes VsiFrame();  // "vsi", padded

// ---- Frames from a board ------------------------------------------------------------------------

// A position at or beyond the end of a datagram reads as 0; no code reads a datagram otherwise.
std::uint8_t ByteAt(std::string_view datagram, std::size_t offset);

struct IdentBlock
{
    std::uint16_t boardIdent = 0;
    bool consoleDynamic = false;
    Ipv4 reserveIp1{};
    Ipv4 reserveIp2{};
    bool operator==(const IdentBlock &) const = default;
};

enum class ReplyKind {
    Record,     // an ordinary ConfigReply: the record is taken over
    RebootAck,  // begins with "rzt": the record is not taken over
    Filtered,   // 4 at offset 10: the record is not taken over
};

// An accepted ConfigReply, as far as the datagram carries it.
struct ConfigReplyFields
{
    ReplyKind kind = ReplyKind::Record;
    // Offsets 0..21 (four addresses and the MAC) that lie inside the datagram; Record replies only.
    std::vector<std::uint8_t> recordHead;
    std::optional<std::uint8_t> rayNumber;  // after "Nl" at 23
    std::optional<IdentBlock> ident;        // after "iden" at 25
    std::optional<Bytes> versionText;       // after "VER" at 42, Windows-1251 bytes
    bool boardDhcp = false;                 // offset 75
    bool operator==(const ConfigReplyFields &) const = default;
};

struct DecodedDatagram
{
    std::optional<std::string> iklText;      // "105*107*108*...#"
    std::optional<std::uint16_t> identMark;  // after the first "ide"
    std::optional<ConfigReplyFields> reply;  // set only when accepted as a ConfigReply
    bool operator==(const DecodedDatagram &) const = default;
};

// Never throws; reads nothing outside the datagram, whatever its length.
DecodedDatagram DecodeDatagram(std::string_view datagram);

std::ostream &operator<<(std::ostream &out, const DecodedDatagram &decoded);
std::string Describe(const DecodedDatagram &decoded);

// ---- The board's side ---------------------------------------------------------------------------

// The selector of a ReadRequest ("epr" at 59), or nothing when the datagram is not one.
std::optional<char> ParseReadRequest(std::string_view datagram);
// The values of a ConfigWrite ("epwr" four times at 59), or nothing when the datagram is not one.
std::optional<ConfigWriteValues> ParseConfigWrite(std::string_view datagram);
bool IsRebootRequest(std::string_view datagram);
bool IsMsiFrame(std::string_view datagram);
bool IsVsiFrame(std::string_view datagram);

// What a board holds and reports about itself.
struct BoardConfig
{
    ConfigRecord record;
    bool boardDhcp = false;
    Bytes versionText;  // Windows-1251, at most 29 bytes so that '#' still fits before offset 75
    bool operator==(const BoardConfig &) const = default;
};

// What a board keeps in its permanent memory.
struct StoredConfig
{
    BoardConfig config;
    std::uint8_t rayNumber = 0;
    bool operator==(const StoredConfig &) const = default;
};

// The configuration a reply carries when it carries the whole of it: the record, the identifier
// block, the version and the board's addressing at 75, so at least 76 bytes. Nothing otherwise.
std::optional<StoredConfig> WholeConfigOf(const ConfigReplyFields &reply, std::size_t length);

// ---- What a datagram is ------------------------------------------------------------------------

// The one naming of a datagram's kind that every tool uses (the board's log, velmarctl's watch and its
// reasons). A datagram is taken as what its receiver expects: a board takes the configurator's frames
// first (a ConfigWrite also carries "iden"), the configurator a board's answers and reports.
enum class DatagramKind {
    ReadRequest,
    ConfigWrite,
    RebootRequest,
    MsiFrame,
    VsiFrame,  // to a board
    Config,
    PartialReply,
    FilteredReply,
    RebootAck,
    Ikl,
    IdentMark,  // from a board
    Unknown,
};
enum class ReceivedBy { Board, Configurator };
DatagramKind KindOf(std::string_view datagram, ReceivedBy receiver);
// "read-request", "config-write", "reboot-request", "msi", "vsi", "config", "partial-reply",
// "filtered-reply", "reboot-ack", "ikl", "ident", "unknown".
const char *KindName(DatagramKind kind);

// A ConfigReply as a board sends it: the record with the ray marker "NL" at 22, "iden" at 25, "VER" at
// 42 with the version text ended by '#', the board's address mode at 75; 100 bytes.
Bytes ConfigReply(const BoardConfig &config);
// The same reply beginning with "rzt".
Bytes RebootAck(const BoardConfig &config);

}  // namespace velmar
