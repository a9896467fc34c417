#pragma once
// Rebooting boards, and with a wait, reading each until it answers again: every target read at once
// first (the silent addresses of a range left out at the cost of one time-out together, two boards at
// one address refused there, and a board that stored another lift address known to come up there).

#include "session.h"
#include "sink.h"
#include "survey.h"

#include <QHostAddress>
#include <QList>
#include <QSet>

namespace velmar {

struct RebootOrder
{
    QList<QHostAddress> targets;
    QSet<quint32> named;  // the targets named alone, not as part of a range: such a one that is silent fails
    bool wait = false;
    int waitLimitSeconds = 30;
};

struct RebootResult
{
    Survey survey;
    qsizetype acknowledged = 0;       // boards that acknowledged the reboot
    qsizetype back = 0;               // of those, the boards that answered again (with a wait)
    QList<QHostAddress> stillSilent;  // acknowledged, and silent at the wait's limit
    int failed = 0;                   // not rebooted: refused by the survey, or no acknowledgement
    bool stopped = false;             // cancelled: what happened until then
};

// Tells `sink` each board the survey refuses (notDone), each target's answer to the reboot, the wait as
// it goes and each board that answers again, with its time from its own acknowledgement.
RebootResult RebootBoards(Session &session, Session::Timing timing, const RebootOrder &request, Sink &sink);

}  // namespace velmar
