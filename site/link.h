#pragma once
// How an operation reaches the boards, and who follows it: the port it listens on, its time-out and
// retries, where its events go and what stops it.

#include "cancel.h"
#include "session.h"
#include "sink.h"

namespace velmar {

struct Link
{
    quint16 port = 0;
    Session::Timing timing;
    SendPlanSender *sender = nullptr;  // tests: instead of the sockets
    // Where a session tells how far it is and what it met on the wire beyond the answers (a peer that
    // floods); nowhere when null.
    Sink *sink = nullptr;
    // What stops the operation: Ctrl+C in velmarctl, a button in a window.
    CancelToken cancel;
};

// A session on the link's port, open, or SiteError(PortTaken); its events go to `sink`, else the link's.
class LinkedSession : public Session
{
public:
    explicit LinkedSession(const Link &link, Sink *sink = nullptr);
};

}  // namespace velmar
