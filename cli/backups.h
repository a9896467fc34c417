#pragma once
// Boards' configurations kept as files: one folder per run, named for its date and time, under a parent
// folder, so that no backup ever replaces another. In a run's folder a board's file is named for its
// MAC and the address it answered at: 00-1E-7F-00-3D-19_10.0.0.25.json.

#include "config_file.h"

#include <QDir>
#include <QHostAddress>
#include <QString>

#include <optional>

namespace velmar {

// Where backups go when no --dir is given: the user's data folder of the program.
QString DefaultBackupParent();

// A run's own new folder under `parent`: PARENT/2026-12-08_010542 (with "-2" and on when the name is
// taken), made at once, or Failure(SomeFailed) saying why.
QDir NewBackupFolder(const QString &parent);

// Saves a board's configuration in a run's folder: the file's path, or Failure(SomeFailed).
QString SaveBackup(const QDir &folder, const QHostAddress &address, const StoredConfig &config);

// A board's newest backup under `parent`: the newest file of its MAC, else the newest of its address (a
// board that replaced another). Newest by the run folders' names, never by file dates; files in `parent`
// itself come after every run folder.
struct FoundBackup
{
    QString path;
    bool byMac = true;
};
std::optional<FoundBackup> NewestBackup(const QString &parent, const Mac &mac, const QHostAddress &address);

}  // namespace velmar
