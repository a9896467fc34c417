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

inline constexpr int ReadBackIntervalMs = 1000;
inline constexpr int ReadBackCount = 3;  // the timer's Tag after a reboot: four reads follow
inline constexpr int PreRebootPauseMs = 100;

}  // namespace velmar::wire
