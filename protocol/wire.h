#pragma once
// The fixed numbers of the wire. Which operation sends what to which port, and the pauses between,
// are in plan.h; nothing else in the code spells them.

#include <cstddef>
#include <cstdint>

namespace velmar::wire {

// Local port of the configurator: boards answer here, and it is also a destination.
inline constexpr std::uint16_t ListenPort = 6767;
// The board's user port: the first copy of every read, write and reboot, and the pre-reboot frames.
inline constexpr std::uint16_t UserPort = 8026;
inline constexpr std::uint16_t WritePort = 8023;  // ConfigWrite only
inline constexpr std::uint16_t BoardPort = 8024;  // ReadRequest, ConfigWrite, RebootRequest

inline constexpr std::size_t ReceiveBufferSize = 8192;  // longer datagrams are dropped
inline constexpr std::size_t LargestDatagram = 65536;   // more than any UDP datagram over IPv4

inline constexpr std::size_t ConfigWriteLength = 110;
inline constexpr std::size_t PaddedFrameLength = 100;  // what ClientSend pads to
inline constexpr std::size_t MaxReplyLength = 100;     // longer datagrams are never a ConfigReply
inline constexpr std::size_t VersionTextMax = 30;

// Where things are in the frames. A ConfigWrite and a ConfigReply begin alike: the record head at 0
// (the dispatcher, lift, mask and router addresses, the MAC, "NL"; RecordHeadLength bytes in codec.h).
inline constexpr std::size_t WriteRayOffset = 24;      // ConfigWrite: the ray number, then "iden"
inline constexpr std::size_t ReplyRayTagOffset = 23;   // ConfigReply: "Nl", then the ray number
inline constexpr std::size_t ReplyRayOffset = 25;      // ... over the "iden" a reply may carry there
inline constexpr std::size_t ReplyIdenTagOffset = 25;  // ConfigReply: "iden"
inline constexpr std::size_t IdentOffset = 29;         // both: the identifier, low byte first
inline constexpr std::size_t ConsoleFlagOffset = 31;   // both: 1 for a dynamic console
inline constexpr std::size_t ReserveIp1Offset = 32;    // both: the reserve addresses
inline constexpr std::size_t ReserveIp2Offset = 36;
inline constexpr std::size_t WriteBlankOffset = 40;  // ConfigWrite: five NUL bytes
inline constexpr std::size_t WriteBlankLength = 5;
inline constexpr std::size_t VersionTagOffset = 42;   // ConfigReply: "VER"
inline constexpr std::size_t VersionTextOffset = 45;  // ... then the version text, ended by "#"
inline constexpr std::size_t RequestTagOffset = 59;  // "epr" (ReadRequest) or "epwr" four times (ConfigWrite)
inline constexpr std::size_t SelectorOffset = 62;    // ReadRequest: the selector
inline constexpr std::size_t AddressingModeOffset = 75;  // ConfigWrite, ConfigReply: the board's DHCP flag
inline constexpr std::size_t FilterMarkOffset = 10;      // a reply with 4 here was filtered by the board
inline constexpr std::uint8_t FilterMark = 4;
inline constexpr std::size_t IklDigitCount = 12;  // "ikl" datagrams: the bytes shown as digits
inline constexpr std::size_t IdentMarkSkip = 4;   // the mark follows "ide" and one byte

inline constexpr int ReadBackIntervalMs = 1000;
inline constexpr int ReadBackCount = 3;  // the timer's Tag after a reboot: four reads follow
inline constexpr int PreRebootPauseMs = 100;

}  // namespace velmar::wire
