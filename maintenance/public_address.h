#pragma once

#include <QString>

#include <optional>

// The address an echo service reports: the run of digits and full stops after "IP Address:" (blanks
// after the marker skipped). Nothing when the marker is missing.
std::optional<QString> ExtractPublicAddress(const QString &reply);
