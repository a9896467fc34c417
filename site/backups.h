#pragma once
// Boards' configurations kept as files: one folder per run under a parent folder, so that no backup ever
// replaces another. In a run's folder a board's file is named for its MAC and the address it answered
// at: 00-1E-7F-00-3D-19_10.0.0.25.json.
//
// A run's folder is named for its run number and then its local time with the offset from UTC:
// 000012_2026-10-25_031000+0200. The newest backup is the one of the highest number, never of the latest
// time: a clock goes back in autumn, with a new time zone, or when a wrong clock is put right, and a
// backup made after such a change must still be the newest. UTC names would outlast the first two but
// not the third. The number is the highest in the parent folder plus one, taken under a lock in that
// folder, so two runs never share one. The time is there for the operator; with its offset it names
// one moment however the clock has moved since. Folders of older versions, named for the local time
// alone (2026-12-08_101500), are still read, each older than every numbered one.

#include "config_file.h"

#include <QDateTime>
#include <QDir>
#include <QHostAddress>
#include <QString>

#include <optional>

namespace velmar {

// Where backups go when no --dir is given: the user's data folder of the program.
QString DefaultBackupParent();

// A run's own new folder under `parent`, made at once, or Failure(SomeFailed) saying why. `now` is the
// time its name shows.
QDir NewBackupFolder(const QString &parent, const QDateTime &now = QDateTime::currentDateTime());

// Saves a board's configuration in a run's folder: the file's path, or Failure(SomeFailed).
QString SaveBackup(const QDir &folder, const QHostAddress &address, const StoredConfig &config);

// A board's newest backup under `parent`: the newest file of its MAC, else the newest of its address (a
// board that replaced another). Newest by the run folders' numbers, then by the names of older versions'
// folders, never by file dates; files in `parent` itself come after every run folder.
struct FoundBackup
{
    QString path;
    bool byMac = true;
    QDateTime made;  // when its run began, as its folder's name says; not valid for a file of `parent`
};
std::optional<FoundBackup> NewestBackup(const QString &parent, const Mac &mac, const QHostAddress &address);

}  // namespace velmar
