#include "backup_run.h"
#include "backups.h"
#include "discover.h"
#include "site_error.h"

#include <QDir>

namespace velmar {

namespace {

// The read's events, each answering board saved as it comes.
class Saving : public Sink
{
public:
    Saving(const QDir &folder, BackupResult &result, Sink &next)
        : folder_(folder), result_(result), next_(next)
    {
    }
    void boardRead(const QHostAddress &target, const StoredConfig *config, const LeftOut &why) override
    {
        if (!config) {
            next_.boardRead(target, config, why);
            return;
        }
        try {
            const QString path = SaveBackup(folder_, target, *config);
            ++result_.saved;
            next_.backedUp(target, path);
        } catch (const SiteError &failure) {
            ++result_.failed;
            next_.notBackedUp(target, failure.text);
        }
    }

private:
    const QDir &folder_;
    BackupResult &result_;
    Sink &next_;
};

}  // namespace

BackupResult BackUpBoards(Session &session, Session::Timing timing, const ReadOrder &order,
                          const QString &parent, Sink &sink)
{
    const QDir folder = NewBackupFolder(parent);
    BackupResult result;
    Saving saving(folder, result, sink);
    ReadOrder stored = order;
    stored.selector = SelectorStored;
    result.read = ReadAnswers(session, timing, stored, saving);
    // A backup of one of two boards behind an address is no backup of the other: both are named.
    if (!result.read.stopped)
        result.read.twoBoards = TwoBoardsOn(session, stored.targets, timing);
    if (result.saved)
        result.folder = folder.path();
    else
        QDir().rmdir(folder.path());  // an empty folder would be the newest backup of nothing
    return result;
}

}  // namespace velmar
