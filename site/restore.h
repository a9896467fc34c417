#pragma once
// Restoring boards from backups: first a plan, made from reads alone, of what each board gets (which
// backup, what it keeps of its own, whether anything needs to go out at all), for the operator to
// confirm; then the run, one board after another, each write checked as WriteAndVerify() checks it.

#include "session.h"
#include "sink.h"
#include "site_error.h"
#include "survey.h"
#include "write.h"

#include <QDateTime>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace velmar {

// A backup file, or SiteError(BadRequest) saying it is damaged and nothing was sent.
StoredConfig ReadBackupFile(const QString &path);

struct RestoreOrder
{
    QString source;  // a backup file (one target), or a folder of backups (each board its newest)
    QList<QHostAddress> targets;
    QSet<quint32> named;  // the targets named alone, not as part of a range
    bool exact = false;   // copy the file's lift address and MAC too
};

// What one board gets, known before anything is sent to any board.
struct RestoreStep
{
    QHostAddress target;
    QString file;
    QDateTime made;          // when its backup was made, for one found in a folder of backups
    bool byAddress = false;  // no backup of its MAC: the newest of its address
    StoredConfig current;    // what the board holds
    StoredConfig saved;      // what it gets: the file's, with its own lift address and MAC unless exact
    // Not exact, and the file has another lift address or MAC (`filed`), which the board does not get.
    bool keepsOwn = false;
    ConfigRecord filed;
    bool nothingToSend = false;        // it already holds the rest of what the file holds
    std::optional<SiteError> problem;  // no backup, a damaged one, one that cannot go out: nothing sent
};

struct RestorePlan
{
    RestoreOrder order;
    bool fromFolder = false;
    Survey survey;             // every target read at once (a file's one target: its reason when silent)
    QList<RestoreStep> steps;  // the boards that answered, in the targets' order
    bool stopped = false;
};

// Reads every target and finds each one's backup; sends nothing. SiteError(BadRequest) for a request
// that cannot be planned: a file for several targets, a damaged file or one that cannot go out.
RestorePlan PlanRestore(Session &session, Session::Timing timing, const RestoreOrder &order, Sink &sink);

// One board's end: left out by the survey, not restored, or its write (none when it held everything).
struct RestoreOutcome
{
    QHostAddress target;
    std::optional<LeftOut> leftOut;
    std::optional<SiteError> error;
    std::optional<WriteResult> write;
};

// Each board of the plan in the targets' order, until cancelled: `sink` told restoring() before it and
// restored() after, with the write's own events between.
QList<RestoreOutcome> RestoreBoards(Session &session, Session::Timing timing, const RestorePlan &plan,
                                    const WriteOptions &options, Sink &sink);

}  // namespace velmar
