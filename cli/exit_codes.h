#pragma once
// velmarctl's exit codes, and the rules that make one of what an operation on many boards found.

#include "backup_run.h"
#include "read.h"
#include "reboot.h"
#include "site_error.h"
#include "survey.h"
#include "write.h"

#include <QtGlobal>

namespace velmar {

// NoConfirmation: a write went out, but no answer within the time-out and retries showed it kept (also
// when Ctrl+C came after it went out). StoppedByUser: Ctrl+C (or SIGTERM) ended the command.
enum Exit { Ok = 0, SomeFailed = 1, BadUsage = 2, PortTaken = 3, NoConfirmation = 4, StoppedByUser = 5 };

// The exit code velmarctl documents for an operation that ended with `kind`.
int ExitCode(SiteError::Kind kind);

// A read of `total` targets: silent addresses of a range are said, not failed. Exit 1 for a silent address
// named alone, a board that answered with no usable configuration, two boards at one address, or when
// nothing at all answered.
int ReadExit(const ReadResult &read, qsizetype total);
// A backup: as a read, and exit 1 too when a board's file could not be saved.
int BackupExit(const BackupResult &backup, qsizetype total);
// A write's verdict: 0 kept (or nothing to change, or a dry run), 1 not all kept or overtaken, 4 not
// confirmed.
int WriteExit(const WriteResult &result);
// A reboot: exit 1 when a board was not rebooted, stayed silent after it, or none answered at all.
int RebootExit(const RebootResult &result);

// The exit codes of the boards an operation on many went through, counted. The worst outcome is the
// exit code: a refused configuration (2) before a failure (1) before an unconfirmed write (4); nothing
// that answered at all is a failure.
struct Tally
{
    int ok = 0, failed = 0, unconfirmed = 0, refused = 0, untouched = 0;

    void count(int code);
    int exitCode(const Survey &survey, bool stopped) const;
};

}  // namespace velmar
