#include "exit_codes.h"

namespace velmar {

int ExitCode(SiteError::Kind kind)
{
    switch (kind) {
    case SiteError::BadRequest:
    case SiteError::Refused: return BadUsage;
    case SiteError::Failed: return SomeFailed;
    case SiteError::PortTaken: return PortTaken;
    case SiteError::NotConfirmed: return NoConfirmation;
    case SiteError::Stopped: return StoppedByUser;
    }
    return SomeFailed;
}

int ReadExit(const ReadResult &read, qsizetype total)
{
    const bool noneAnswered = total && read.silences.size() == total;
    return read.named || read.unusable() || noneAnswered || !read.twoBoards.isEmpty() ? SomeFailed : Ok;
}

int BackupExit(const BackupResult &backup, qsizetype total)
{
    return ReadExit(backup.read, total) != Ok || backup.failed ? SomeFailed : Ok;
}

int WriteExit(const WriteResult &result)
{
    switch (result.verdict) {
    case WriteVerdict::NoChange: return result.complete ? Ok : SomeFailed;
    case WriteVerdict::Refused: return BadUsage;
    case WriteVerdict::Checked:
    case WriteVerdict::Kept: return Ok;
    case WriteVerdict::NotAllKept:
    case WriteVerdict::Overtaken: return SomeFailed;
    case WriteVerdict::NotConfirmed: break;
    }
    return NoConfirmation;
}

int RebootExit(const RebootResult &result)
{
    return result.failed || !result.stillSilent.isEmpty() || result.survey.boards() == 0 ? SomeFailed : Ok;
}

void Tally::count(int code)
{
    ok += code == Ok;
    refused += code == BadUsage;
    unconfirmed += code == NoConfirmation;
    untouched += code == StoppedByUser;  // Ctrl+C before anything was sent to it
    failed += code != Ok && code != BadUsage && code != NoConfirmation && code != StoppedByUser;
}

int Tally::exitCode(const Survey &survey, bool stopped) const
{
    if (stopped)
        return unconfirmed ? NoConfirmation : StoppedByUser;
    return refused                ? BadUsage
           : failed               ? SomeFailed
           : unconfirmed          ? NoConfirmation
           : survey.boards() == 0 ? SomeFailed
                                  : Ok;
}

}  // namespace velmar
