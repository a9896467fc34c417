#pragma once
// What each operation on a board sends, in order: the frame, the board's port, the socket it leaves
// from, and the pause after it. The configurator's window and velmarctl both carry these plans out;
// neither spells a port, an order or a pause of its own.

#include "codec.h"
#include "wire.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmar {

enum class FromSocket {
    Listening,  // the listening socket: the board answers to its port (ServerSend)
    Fresh,      // a short-lived socket on an ephemeral port, padded to 100 bytes (ClientSend)
};

struct PlannedSend
{
    Bytes frame;
    std::uint16_t port = 0;
    FromSocket socket = FromSocket::Listening;
    int pauseAfterMs = 0;
    bool operator==(const PlannedSend &) const = default;
};

struct SendPlan
{
    std::vector<PlannedSend> sends;
    // Where the window points its sending socket during the operation (nothing is sent through it).
    std::uint16_t aimPort = 0;
};

// The user port is the board port of the first copy: the window's hidden port field, or 8026 when that
// holds no number. A send to port 0 is left out. The read asks for the working ('C') or stored ('d')
// configuration.
SendPlan ReadSendPlan(char selector, std::optional<std::uint16_t> userPort = std::nullopt);
// The write, and nothing after it: the caller reads the stored configuration back with ReadSendPlan('d').
SendPlan WriteSendPlan(const ConfigWriteValues &values, std::optional<std::uint16_t> userPort = std::nullopt);
// The four frames a board wants, about 100 ms apart, before it takes a reboot request.
SendPlan PreRebootSendPlan();
SendPlan RebootSendPlan(std::optional<std::uint16_t> userPort = std::nullopt);

// The ports a board sends its answers from.
constexpr bool IsBoardPort(std::uint16_t port)
{
    return port == wire::UserPort || port == wire::BoardPort || port == wire::WritePort ||
           port == wire::ListenPort;
}

// The one narrow way a plan reaches the wire.
class SendPlanSender
{
public:
    virtual ~SendPlanSender() = default;
    // A failed send from the listening socket throws; the caller skips the rest of the plan.
    virtual void send(const std::string &host, const PlannedSend &send) = 0;
    virtual void pause(int ms) = 0;
};

// Each step to every host in turn, then the step's pause: a site's boards share the pauses.
void CarryOut(const SendPlan &plan, const std::vector<std::string> &hosts, SendPlanSender &sender);

// Keeps what it is given instead of sending it; pauses take no time.
class RecordingSender : public SendPlanSender
{
public:
    struct Sent
    {
        std::string host;
        PlannedSend send;
    };
    void send(const std::string &host, const PlannedSend &send) override { sent.push_back({host, send}); }
    void pause(int ms) override { pausedMs += ms; }

    std::vector<Sent> sent;
    int pausedMs = 0;
};

}  // namespace velmar
