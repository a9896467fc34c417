#pragma once
// velmarctl's commands: each takes its parsed arguments, talks to the boards and prints its rows.
// The program around them only parses options; tests call them directly.

#include "config_file.h"
#include "discover.h"
#include "escaped_text.h"
#include "link.h"
#include "reboot.h"
#include "restore.h"
#include "session.h"
#include "site_error.h"
#include "survey.h"
#include "write.h"

#include <QDir>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QString>
#include <QTextStream>

#include <functional>
#include <optional>

namespace velmar {

// NoConfirmation: a write went out, but no answer within the time-out and retries showed it kept (also
// when Ctrl+C came after it went out). StoppedByUser: Ctrl+C (or SIGTERM) ended the command.
enum Exit { Ok = 0, SomeFailed = 1, BadUsage = 2, PortTaken = 3, NoConfirmation = 4, StoppedByUser = 5 };

// The exit code velmarctl documents for an operation that ended with `kind`.
int ExitCode(SiteError::Kind kind);

struct Terminal
{
    QTextStream &out;
    QTextStream &err;
    bool progress = false;  // standard error is a terminal: long operations show how far they are
    Sink *sink = nullptr;   // the operations' notices and warnings, on `err`
    CancelToken cancel;     // Ctrl+C
};

// Where velmarctl tells what happens while an operation runs: what the wire showed on standard error, and
// warnings there after the program's name.
class TerminalSink : public Sink
{
public:
    explicit TerminalSink(QTextStream &err) : err_(err) {}
    void notice(const QString &text) override;
    void warning(const QString &text) override;
    void answeredLate(const QHostAddress &target, int timeoutMs) override;

private:
    QTextStream &err_;
};

// "10.0.0.2 answered only after the time-out of 500 ms: give it more time, say --timeout 2000": a board
// that answered only after the time-out, with a time-out that would have waited for it.
QString LateText(const QHostAddress &target, int timeoutMs);
// Why a target gave no configuration, for its row.
QString SilenceText(const QHostAddress &target, const LeftOut &why);
// Why a board of many is left out, for its line: with what is therefore not done (`nothing`) where the
// board did answer.
QString LeftOutText(const QHostAddress &target, const LeftOut &why, const QString &nothing);
// SiteError(Failed) saying why a board named alone gave no configuration before a write.
[[noreturn]] void ThrowNoCurrent(const QHostAddress &target, const LeftOut &why);
// The board's stored configuration before a write, or SiteError(Failed) saying why there is none.
StoredConfig CurrentOf(Session &session, const QHostAddress &target, Session::Timing timing);

// Ctrl+C ends an operation with what it has printed, says so, and gives StoppedByUser.
int Stopped(Terminal &terminal);

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
