#pragma once
// Commissioning a site from a plan: one CSV row per board, each board connected in turn at the address
// new boards answer on, written, rebooted and found again on its planned address.

#include "commands.h"
#include "local_network.h"
#include "site_plan.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace velmar {

struct CommissionOptions
{
    QString planPath;
    QHostAddress at;    // where a new board answers
    QString onlyRow;    // empty: the next row not yet done
    bool redo = false;  // onlyRow again, although it is done (its board was replaced)
    QString forget;     // a written row whose board is gone: recorded as free, and nothing else done
    bool checkOnly = false;
    bool force = false;         // go on with rows in a subnet this computer has no address in
    int waitLimitSeconds = 30;  // for a rebooted board to answer on its new address
};

// The plan in the file, read as a spreadsheet may have saved it (which way is said on standard error) and
// checked (loopback lift addresses allowed for stand-in boards), or SiteError(BadRequest) naming every
// problem. `at`: where new boards answer, or null.
SitePlan LoadSitePlan(const QString &path, bool standIn, const QHostAddress &at, Terminal &terminal);

int CommissionCommand(const Link &link, const CommissionOptions &options, Terminal &terminal);

}  // namespace velmar
