#include "plan.h"

namespace velmar {

namespace {

// The same frame from the listening socket to each port in turn; port 0 is left out.
SendPlan Copies(const Bytes &frame, std::initializer_list<std::uint16_t> ports, std::uint16_t aimPort)
{
    SendPlan plan;
    plan.aimPort = aimPort;
    for (std::uint16_t port : ports)
        if (port != 0)
            plan.sends.push_back({frame, port, FromSocket::Listening, 0});
    return plan;
}

}  // namespace

SendPlan ReadSendPlan(char selector, std::optional<std::uint16_t> userPort)
{
    return Copies(ReadRequest(selector),
                  {userPort.value_or(wire::UserPort), wire::BoardPort, wire::ListenPort}, wire::BoardPort);
}

SendPlan WriteSendPlan(const ConfigWriteValues &values, std::optional<std::uint16_t> userPort)
{
    return Copies(ConfigWrite(values),
                  {userPort.value_or(wire::UserPort), wire::WritePort, wire::BoardPort, wire::ListenPort},
                  wire::WritePort);
}

SendPlan PreRebootSendPlan()
{
    SendPlan plan;
    plan.aimPort = wire::UserPort;
    for (int pair = 0; pair < 2; ++pair)
        for (std::string_view tag : {MsiTag, VsiTag})
            plan.sends.push_back({Bytes(tag), wire::UserPort, FromSocket::Fresh, wire::PreRebootPauseMs});
    return plan;
}

SendPlan RebootSendPlan(std::optional<std::uint16_t> userPort)
{
    return Copies(RebootRequest(), {userPort.value_or(wire::UserPort), wire::BoardPort, wire::ListenPort},
                  wire::UserPort);
}

void CarryOut(const SendPlan &plan, const std::vector<std::string> &hosts, SendPlanSender &sender)
{
    for (const PlannedSend &step : plan.sends) {
        for (const std::string &host : hosts)
            sender.send(host, step);
        if (step.pauseAfterMs > 0)
            sender.pause(step.pauseAfterMs);
    }
}

}  // namespace velmar
