#pragma once
// velmarctl audit: the audit of a site (site/audit.h) as rows, JSON objects or an HTML report.

#include "audit.h"
#include "commands.h"

namespace velmar {

// Reads every planned lift (stored and working configuration) and every other address of the planned
// subnets at once, and prints a title (plan, lifts, date and time), one row per lift: as planned,
// differs (which fields), moved (its planned MAC answers at another address), reboot pending (what it
// runs differs from what it stored, field by field), silent, or two boards; then a row per board the
// plan does not know, and a line of totals. Two boards on one address are found by one broadcast
// exchange for the whole site. `htmlPath`: the same as one self-contained HTML file that opens with
// the site's name (`siteName`, or else the plan's file name without its extension), the date, the
// totals and what to do about each state found, then the table, a printed page per 40 lifts. Ok when
// every lift is as planned and no other board answers, else SomeFailed.
int AuditCommand(const Link &link, const QString &planPath, bool json, const QString &htmlPath,
                 const QString &siteName, Terminal &terminal);

}  // namespace velmar
