#pragma once
// Restoring the chosen boards from a folder of backups: what each one gets, for the operator to confirm
// before anything is sent, and the run's texts, in a context of their own.

#include "restore.h"

#include <QCoreApplication>
#include <QString>

namespace velmar {

class RestoreFromFolder
{
    Q_DECLARE_TR_FUNCTIONS(velmar::RestoreFromFolder)
public:
    // Each board of the plan, in the targets' order: its backup and when it was made, what it keeps of
    // its own, whether it already holds the rest, or why it gets nothing.
    static QString PlanText(const RestorePlan &plan);
};

}  // namespace velmar
