#pragma once
// Configurations that would leave a board unreachable or broken, found before anything is sent.

#include "codec.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace velmar {

// What is wrong with a configuration a board is to take; nothing when it is sound. A lift address on
// loopback is only for stand-in boards, themselves on loopback (`standIn`).
QStringList GuardProblems(const StoredConfig &config, bool standIn);

// Boards that would share a lift address or a MAC: one line for each pair, by the names given.
QStringList DuplicateProblems(const QList<std::pair<QString, StoredConfig>> &boards);

}  // namespace velmar
