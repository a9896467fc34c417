// A build without Qt's print support (the Windows Qt of the project has none): reports go to PDF only.

#include "audit_report.h"

namespace velmar {

bool CanPrint()
{
    return false;
}

void PrintReport(QWidget *, const AuditReport &) {}

}  // namespace velmar
