#pragma once
// velmarctl's text presenter: what the site's operations found, as the English lines scripts read.

#include "exit_codes.h"
#include "read.h"
#include "restore.h"
#include "survey.h"
#include "terminal_session.h"
#include "watch.h"
#include "write.h"

#include <QHostAddress>
#include <QString>

namespace velmar {

// A configuration on one line: "lift 10.0.0.2  mask 255.255.255.0  router ...".
QString ConfigText(const StoredConfig &s);
// "10.0.0.2 answered only after the time-out of 500 ms: give it more time, say --timeout 2000": a board
// that answered only after the time-out, with a time-out that would have waited for it.
QString LateText(const QHostAddress &target, int timeoutMs);
// Why a target gave no configuration, for its row.
QString SilenceText(const QHostAddress &target, const LeftOut &why);
// Why a board of many is left out, for its line: with what is therefore not done (`nothing`) where the
// board did answer.
QString LeftOutText(const QHostAddress &target, const LeftOut &why, const QString &nothing);
// "1 address silent", "33 addresses silent", and how many of them this computer has no route to.
QString SilentText(int silent, int unreachable);
// "2 of 40 board(s) did not answer with their configuration, 1 of them named alone", when any did not.
void SaySilences(const ReadResult &read, qsizetype total, Terminal &terminal);
// "3 of 4 board(s) kept the write, 1 failed; 2 addresses silent"
void SayTotals(const Tally &tally, const Survey &survey, const char *done, bool stopped, Terminal &terminal);
// One datagram that reached the port, decoded, as a row.
QString DatagramRow(const WatchedDatagram &d);
// A board a restore is about to write: which backup, and what it keeps of its own.
void SayRestoreStep(const RestoreStep &step, Terminal &terminal);

// A write's events on the terminal as they come: the changes on standard output, what cannot go out and
// what the guard finds on standard error.
class WriteLines : public Sink
{
public:
    explicit WriteLines(Terminal &terminal) : terminal_(terminal) {}
    void writeChanges(const QHostAddress &target, const QList<FieldChange> &changes,
                      const QList<FieldChange> &uncarried) override;
    void guardProblems(const QHostAddress &target, const QStringList &problems, bool forced) override;
    void writtenMeanwhile(const QHostAddress &, const QList<FieldChange> &changes) override;

private:
    Terminal &terminal_;
};

// The verdict's lines, and its exit code; SiteError(Refused) for a configuration the guard refuses.
int PresentWrite(const WriteResult &result, Terminal &terminal);

}  // namespace velmar
