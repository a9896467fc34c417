#pragma once
// Reading many boards at once: each target's configuration or why it gave none, told as it comes, then
// the silent ones that answered late and the addresses two boards claim.

#include "session.h"
#include "sink.h"
#include "survey.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QStringList>

namespace velmar {

struct ReadOrder
{
    QList<QHostAddress> targets;
    QSet<quint32> named;  // the targets named alone, not as part of a range
    char selector = SelectorStored;
};

struct ReadResult
{
    QHash<quint32, StoredConfig> configs;
    QHash<quint32, LeftOut> silences;       // the targets that gave no configuration, and why
    int named = 0;                          // of those, the ones named alone
    QList<QHostAddress> late;               // silent targets that answered after the time-out
    QHash<quint32, QStringList> twoBoards;  // targets two boards claim, with their MACs
    bool stopped = false;                   // cancelled: what came until then, nothing after the read

    qsizetype unusable() const;
};

// The read alone, the two-boards check riding along (TwoBoardsOn() just after it sends nothing more): each
// target's end told to `sink` (boardRead) as it comes.
ReadResult ReadAnswers(Session &session, Session::Timing timing, const ReadOrder &order, Sink &sink);
// The read, then the late answers and the twins: tells `sink` each target's end as it comes (boardRead). A
// silent target named alone is listened to a little longer for a late answer; the silent ones of a range only
// while the read lingered.
ReadResult ReadBoards(Session &session, Session::Timing timing, const ReadOrder &order, Sink &sink);

}  // namespace velmar
