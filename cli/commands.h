#pragma once
// velmarctl's commands: each takes its parsed arguments, runs the site's operation and presents what it
// found (text.h, json.h) with its exit code (exit_codes.h). Tests call them directly.

#include "discover.h"
#include "escaped_text.h"
#include "exit_codes.h"
#include "link.h"
#include "reboot.h"
#include "restore.h"
#include "session.h"
#include "site_error.h"
#include "survey.h"
#include "terminal_session.h"
#include "write.h"

#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>

namespace velmar {

// WriteAndVerify() on the terminal: the changes, what the guard finds, the verdict; its exit code. A
// configuration the guard refuses (unforced) is SiteError(Refused).
int ShowWrite(Session &session, const Link &link, const QHostAddress &target, const StoredConfig &before,
              const IntentFor &intent, const WriteOptions &options, Terminal &terminal);

// The same for one address named alone; from a range such addresses are left out, said once.
QList<QHostAddress> WithoutNonBoards(const QList<QHostAddress> &targets, Terminal &terminal);

// Asks every board that hears a broadcast on this computer's subnets and prints one row each.
int DiscoverCommand(const Link &link, char selector, bool json, Terminal &terminal);
// Exit 1 when an address named alone (in `named`) is silent or nothing answered at all; the silent
// addresses of a range are counted, not failed.
int ReadCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                char selector, bool json, Terminal &terminal);
// Starts from each board's stored configuration, or from `from`. Several boards are first read all at
// once; those that answered are then written one after another, each one's configuration first kept in
// a new run folder under `backupParent`, with a line of totals at the end (the silent addresses of a
// range counted apart, as ReadCommand counts them); --lift and --mac, which name one board, are refused
// for several.
int WriteCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                 const Changes &changes, const std::optional<StoredConfig> &from, const WriteOptions &options,
                 const QString &backupParent, Terminal &terminal);
// `source` is a backup file (one target) or a folder of backups, from which each target gets the newest
// backup of its MAC (or else of its address). Unless `exact`, a board keeps its own lift address and MAC,
// and says so. What the board holds afterwards is judged against the file, so saved values that a write
// cannot carry are named and count as not restored. Several boards are read all at once first, as for
// WriteCommand.
int RestoreCommand(const Link &link, const QString &source, const QList<QHostAddress> &targets,
                   const QSet<quint32> &named, bool exact, const WriteOptions &options, Terminal &terminal);
// Prints every datagram that reaches the port, decoded, until Ctrl+C (or `count` of them, when not 0).
int WatchCommand(const Link &link, bool json, int count, Terminal &terminal);
// Saves each answering board's stored configuration in a new run folder under `parent` (backups.h).
int BackupCommand(const Link &link, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                  const QString &parent, Terminal &terminal);
// Reboots every target that answers a read of them all; with `wait`, reads each until it answers again
// and says how long it took from its own acknowledgement. A line of totals at the end.
int RebootCommand(const Link &link, const RebootOrder &request, Terminal &terminal);

}  // namespace velmar
