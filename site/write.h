#pragma once
// Writing a board and checking that it kept the write: what a write carries, the guard before it, and its
// verdict as a typed result. A write goes out whole, so the board is read once more just before it and
// the write's intent applied to what it holds then: another configurator's write in between is built
// upon, not undone.

#include "session.h"
#include "sink.h"

#include "codec.h"

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace velmar {

// How a write goes out, whatever link reaches the board.
struct WriteOptions
{
    bool force = false;   // send a configuration the guard refuses, after saying what is wrong
    bool dryRun = false;  // say what would change, send nothing
};

// Changes to a board's configuration; what is not set stays as it is.
struct Changes
{
    std::optional<Ipv4> lift, mask, router, dispatcher, reserve1, reserve2;
    std::optional<Mac> mac;
    bool macFromLift = false;
    std::optional<std::uint16_t> ident;
    std::optional<bool> consoleDynamic, boardDhcp;
};

// SiteError(BadRequest) for changes that cannot go out whatever the board holds: a board on DHCP with a
// static console, or the console's block with a static console.
void CheckChanges(const Changes &changes);
// A configuration with the changes applied, or SiteError(BadRequest) naming a change that cannot go out:
// a board on DHCP needs a dynamic console, and the console's block goes only with a dynamic console.
StoredConfig Apply(StoredConfig config, const Changes &changes);

// The write as the window sends it, and what a board that keeps it reports afterwards (a static
// console's block goes out as zeros).
ConfigWriteValues ValuesFor(const StoredConfig &stored);
StoredConfig Expected(const ConfigWriteValues &values);
// What a board holds after a write of `written`.
StoredConfig HeldAfterWrite(const StoredConfig &written);
// Every field a write sets, as text: its name, its value in `a` (from) and in `b` (to).
QList<FieldChange> FieldsOf(const StoredConfig &a, const StoredConfig &b);
// The fields in which `a` and `b` differ.
QList<FieldChange> ChangesBetween(const StoredConfig &a, const StoredConfig &b);
// The same in every field a write sets.
bool Same(const StoredConfig &a, const StoredConfig &b);
// "mask 255.0.0.0 (planned 255.255.255.0)" for every field in which `have` differs from `want`.
QStringList Differences(const StoredConfig &have, const StoredConfig &want);

// What a write asks of a board that holds a configuration: what to send, and what to judge the board
// against after it (what the write carries for a write, the file for a restore).
struct WriteIntent
{
    StoredConfig wanted, judge;
};
using IntentFor = std::function<WriteIntent(const StoredConfig &current)>;

enum class WriteVerdict {
    NoChange,      // the board already holds what the write carries: nothing sent
    Checked,       // a dry run: nothing sent
    Refused,       // the guard refuses the configuration, and the write is not forced: nothing sent
    Kept,          // the board holds everything asked for
    NotAllKept,    // the board answered after the write, without some of what was asked for
    Overtaken,     // the board holds neither its old values nor this write's: another write overtook it
    NotConfirmed,  // the write went out, and no answer showed it kept
};

struct WriteResult
{
    QHostAddress target;
    WriteVerdict verdict = WriteVerdict::NotConfirmed;
    // NoChange: after another configurator's write, which left nothing to change.
    bool afterMeanwhile = false;
    // NoChange: the board holds what the intent judges by (a restore's file may hold what a write cannot
    // carry).
    bool complete = true;
    // Kept, NotAllKept: every field judged, wanted (from) against what the board holds (to). Overtaken and
    // NotConfirmed by an answer: the fields in which that answer differs, as Differences() says them.
    QList<FieldChange> fields;
    QStringList differences;
    // NotConfirmed: cancelled after the write went out, or no answer at all after it.
    bool stopped = false;
    bool noAnswer = false;
};

// Tells `sink` the changes from `before` and what the guard finds, refuses what the guard refuses
// (unless options.force), reads the board once more and sends the intent for what it holds then, reads
// the board back until it answers after the write, and judges what it holds. SiteError for what stops it
// before anything is sent: Stopped, Failed (no answer just before the write, a send the system refuses).
WriteResult WriteAndVerify(Session &session, Session::Timing timing, const QHostAddress &target,
                           const StoredConfig &before, const IntentFor &intent, const WriteOptions &options,
                           Sink &sink);

}  // namespace velmar
