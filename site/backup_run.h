#pragma once
// Backing boards up: every target read at once, each answering board's stored configuration saved in a
// new run folder (backups.h).

#include "read.h"
#include "session.h"
#include "sink.h"

#include <QString>

namespace velmar {

struct BackupResult
{
    QString folder;  // the run's folder; empty when nothing was saved (no empty folder is left)
    int saved = 0, failed = 0;
    ReadResult read;  // the silent ones, with why (configs: every board that answered)
};

// Makes the run's folder under `parent` first (SiteError(Failed) when it cannot be made); tells `sink`
// each silent target (boardRead), each board saved (backedUp) and each one that could not be
// (notBackedUp), as they come. An address two boards claim is in read.twoBoards: one of them was saved.
BackupResult BackUpBoards(Session &session, Session::Timing timing, const ReadOrder &order,
                          const QString &parent, Sink &sink);

}  // namespace velmar
