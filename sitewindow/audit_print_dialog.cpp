// Printing where this build has Qt's print support: the system's print dialog, then the same pages as
// the PDF.

#include "audit_report.h"

#include <QPrintDialog>
#include <QPrinter>

namespace velmar {

bool CanPrint()
{
    return true;
}

void PrintReport(QWidget *parent, const AuditReport &report)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(report.title());
    QPrintDialog dialog(&printer, parent);
    if (dialog.exec() == QDialog::Accepted)
        report.paint(printer);
}

}  // namespace velmar
