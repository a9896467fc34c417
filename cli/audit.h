#pragma once
// A site checked against its plan: every lift where the plan puts it, as planned, and nothing else on
// the planned subnets.

#include "commands.h"

namespace velmar {

// Reads every planned lift (stored and working configuration) and every other address of the planned
// subnets (a /24 at most around each lift) at once, and prints one row per lift: as planned, differs
// (which fields), reboot pending (working differs from stored), silent, or two boards; then a row per
// board the plan does not know. Ok when every lift is as planned and no other board answers, else
// SomeFailed.
int AuditCommand(const Link &link, const QString &planPath, bool json, Console &console);

}  // namespace velmar
