#pragma once
// The site window: the boards of a site in a table, found by broadcast or asked at their addresses, and
// one board's configuration beside it, written and verified. Every operation runs on a SiteWorker, so the
// window answers while it waits; Cancel stops it.

#include "board_table.h"
#include "site_error.h"
#include "worker.h"
#include "write.h"

#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QSortFilterProxyModel;
class QSpinBox;
class QSplitter;
class QTableView;
class QToolButton;

namespace velmar {

class MacFields;
class NumericEdit;

class SiteWindow : public QMainWindow
{
    Q_OBJECT
public:
    struct Options
    {
        QString settingsPath;  // the window's own settings file (SettingsPath() by default)
        quint16 port = 6767;   // where the boards answer
        // Whether the window asks by broadcast at all; the tests ask boards on loopback by address only.
        bool broadcast = true;
        // Asked before a configuration the guard refuses is sent all the same; a dialog by default.
        std::function<bool(QWidget *parent, const QString &problems)> sendAnyway;
        // Asked before an operation on many boards goes out, with the boards listed; a dialog by default.
        std::function<bool(QWidget *parent, const QString &question)> confirm;
        // How long a reboot waits for the boards to answer again, as velmarctl reboot --wait does.
        int rebootWaitSeconds = 30;
    };
    // The folder of the backups last chosen, else the program's default.
    QString backupParent() const;

    explicit SiteWindow(Options options, QWidget *parent = nullptr);
    ~SiteWindow() override;

    // The settings file in the user's configuration folder, under the program's own name.
    static QString SettingsPath();
    // The settings file this window keeps its sizes and folders in.
    const QString &settingsPath() const { return options_.settingsPath; }

    // Finds the boards again: by broadcast (where the window broadcasts) and at every address added.
    void refresh();
    // Asks the boards at an address, a range ("10.0.0.2-10.0.0.40") or a subnet; several may be given,
    // separated by blanks or commas. They are asked again on every refresh.
    void addBoards(const QString &text);
    // Writes the board shown in the panel with what its fields hold, and verifies it.
    void writeBoard();
    void cancel();
    // Reads the chosen boards afresh and keeps each configuration in a new run's folder under `parent`.
    void backUp(const QString &parent);
    // Writes one change to every chosen board, once the operator confirms it: each board is backed up in
    // a new run's folder under backupParent() first, then written and verified, one after another, its
    // row saying how far it is. Cancel leaves the boards not yet begun as they were.
    void writeMany(const Changes &changes);
    // Reboots the chosen boards, once the operator confirms it, and waits for each to answer again.
    void rebootChosen();
    // Restores each chosen board (every board in the table, with none chosen) from the newest of its
    // backups in `folder`: the boards read and the plan shown for the operator to confirm first.
    void restoreFrom(const QString &folder);

    BoardTable &table() { return *table_; }
    QTableView &view() { return *view_; }
    QAction &refreshAction() { return *refreshAction_; }
    QAction &writeAction() { return *writeAction_; }
    QAction &cancelAction() { return *cancelAction_; }
    QAction &changeManyAction() { return *changeManyAction_; }
    QAction &rebootAction() { return *rebootAction_; }
    QAction &restoreAction() { return *restoreAction_; }
    QLineEdit &addressBox() { return *addressBox_; }
    QSpinBox &timeoutBox() { return *timeout_; }
    QLabel &outcome() { return *outcome_; }
    QPlainTextEdit &log() { return *log_; }
    bool busy() const { return worker_.running(); }
    // The panel's fields: the lift address, mask, router, dispatcher and reserve addresses ("reserve1",
    // "reserve2"; four groups each) and the identifier; the MAC's six bytes.
    NumericEdit &field(const QString &name, int group = 0);
    MacFields &macFields() { return *mac_; }
    // The key of the board in the panel, empty for none.
    QString shownKey() const { return shownKey_; }

signals:
    // A search for the boards ended, its rows in the table, or any operation failed (`done` false), what
    // it met said in outcome().
    void searched(bool done);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildActions();
    void buildWidgets();
    void restoreSettings();
    void saveSettings() const;
    void fillAdapters();
    // Runs `work` on the worker with the port and time-out as the window shows them now, and the worker's
    // cancel; false when the worker is busy.
    bool startOnLink(std::function<QVariant(Sink &, Link &)> work);
    void begin(const QString &what);
    void end();
    void say(const QString &line);
    void showBoard(const QString &key);
    void selectKeys(const QStringList &keys);
    QStringList selectedKeys() const;
    void refreshed(const QVariant &result);
    void written(const QVariant &result);
    void backedUp(const QVariant &result);
    void writeWith(const QHostAddress &target, const StoredConfig &before, const Changes &changes,
                   bool force);
    void copyCommand();
    // The actions on many boards, in the board menu (many_boards.cpp).
    void buildManyActions(QMenu *menu);
    QList<QHostAddress> chosenAddresses() const;
    bool refusedForMany(const QList<QHostAddress> &targets, const Changes &changes);
    void wroteMany(const QVariant &result);
    void rebooted(const QVariant &result);
    // Restoring from a folder of backups (restore_boards.cpp).
    void buildRestoreAction(QMenu *menu);
    void restorePlanned(const QVariant &plan);
    void restoreEnded(const QVariant &result);
    // The rows an operation on many boards ended before: nothing was sent to them.
    void leaveWaitingRows();
    // How an operation on many boards, on the worker, tells a row's progress and the status line: queued
    // to this window, and nothing once the window is gone.
    std::function<void(const QHostAddress &, const QString &)> rowTeller();
    std::function<void(const QString &)> statusTeller();
    using Finished = void (SiteWindow::*)(const QVariant &);
    // The worker's end, when it comes, goes to `slot` alone.
    void whenFinished(Finished slot);
    // The rows of `targets` wait, and the status line says what the worker now does; its end goes to `slot`.
    void beginOnRows(const QList<QHostAddress> &targets, const QString &doing, Finished slot);
    void updateActions();
    Changes changesFromFields(const StoredConfig &before) const;

    Options options_;
    SiteWorker worker_;
    BoardTable *table_;
    QSortFilterProxyModel *proxy_;
    QTableView *view_ = nullptr;
    QSplitter *splitter_ = nullptr;
    QComboBox *adapters_ = nullptr;
    QSpinBox *timeout_ = nullptr;
    QLineEdit *filter_ = nullptr;
    QLineEdit *addressBox_ = nullptr;
    QLabel *count_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QToolButton *cancelButton_ = nullptr;
    QPlainTextEdit *log_ = nullptr;
    // The panel of one board.
    QLabel *boardTitle_ = nullptr;
    QList<NumericEdit *> addressFields_;  // lift, mask, router, dispatcher, reserve 1 and 2: four groups each
    NumericEdit *ident_ = nullptr;
    MacFields *mac_ = nullptr;
    QCheckBox *consoleDynamic_ = nullptr, *boardDhcp_ = nullptr;
    QLabel *reach_ = nullptr;
    QToolButton *copyButton_ = nullptr;
    QLabel *outcome_ = nullptr;
    QString shownKey_;

    QAction *refreshAction_ = nullptr, *addAction_ = nullptr, *writeAction_ = nullptr,
            *cancelAction_ = nullptr, *copyAction_ = nullptr, *filterAction_ = nullptr,
            *quitAction_ = nullptr, *logAction_ = nullptr, *backupAction_ = nullptr,
            *changeManyAction_ = nullptr, *rebootAction_ = nullptr, *restoreAction_ = nullptr;
    QStringList asked_;  // the addresses and ranges added, asked again on every refresh
    QStringList keepSelected_;
    // The write under way: what it was asked with, to send it again when the operator sends it anyway.
    QHostAddress writeTarget_;
    StoredConfig writeBefore_;
    Changes writeChanges_;
    QStringList guardProblems_;
};

// Installs the translation of the system's language: Ukrainian for Ukrainian, English otherwise. False
// when the program's resources lack it.
bool LoadTranslation(const QLocale &locale);

// A message box that shows its text as it stands: names from plans, boards and files are data, never
// markup.
QMessageBox::StandardButton AskPlain(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                     const QString &text, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton = QMessageBox::NoButton);

// The box of how long to wait for each answer, as the site window and the audit's window show it.
QSpinBox *NewTimeoutBox();

}  // namespace velmar
