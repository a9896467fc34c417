#pragma once
// A practice site: stand-in boards (velmar-board, found beside the program) started on this computer's
// loopback addresses as child processes, some with a fault of a real site, and a plan that names them
// written to a folder of the user's, so that a new technician rehearses a search, a commissioning and an
// audit without hardware. The boards end with the practice, with the window it belongs to, and, as they
// read a pipe from this program that the system closes, with the program however it ends.

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QMenu;
class QProcess;

namespace velmar {

class SiteWindow;

struct PracticeOptions
{
    QString folder;         // where the practice's own folder is made, with its plan and the boards' state
    int lifts = 4;          // in the plan
    bool silent = true;     // the last lift has no board
    bool twoBoards = true;  // a lift answered by two boards
    bool partial = false;   // a board that keeps only part of a write
    bool slow = false;      // a board that answers late
    QHostAddress first{QStringLiteral("127.77.0.11")};  // the first lift's address
    // A site to commission: no lift has a board yet, and each comes factory-fresh at `factory` when the
    // commissioning wants the next one (the faults above are not made then).
    bool commissioning = false;
    QHostAddress factory{QStringLiteral("127.77.0.2")};
    int rebootMs = 1500;  // how long a board is silent after its reboot
    QString program;      // the stand-in board; velmar-board beside this program by default
};

class PracticeSite : public QObject
{
    Q_OBJECT
public:
    // Ended with `window` (when it closes, or is destroyed).
    explicit PracticeSite(QWidget *window);
    ~PracticeSite() override;

    // Writes the plan in a new folder under options.folder and starts the boards; each has told it
    // listens, or none runs and `error` says why.
    bool start(const PracticeOptions &options, QString &error);
    // Ends every board and waits for it.
    void stop();
    bool running() const { return running_; }
    // Whether the lifts wait to be commissioned, and where their new boards come.
    bool commissioning() const { return running_ && commissioning_; }
    QHostAddress factory() const { return factory_; }
    // Brings a factory-fresh board up at the factory address, unless the last one brought is still
    // there unwritten (a run stopped and started again wants the same board).
    void bringNewBoard();

    QString planPath() const { return planPath_; }
    // The lifts' addresses as a range ("127.77.0.11-127.77.0.14").
    QString range() const { return range_; }
    const QList<QProcess *> &boards() const { return boards_; }

    // velmar-board(.exe) beside this program.
    static QString BoardProgram();
    // Whether every loopback address is one here (under Wine): then the practice's boards share one.
    static bool LoopbackIsOne();

signals:
    void changed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QProcess *startBoard(const QStringList &arguments);

    QList<QProcess *> boards_;
    QString planPath_, range_, program_, folder_;
    bool running_ = false, commissioning_ = false;
    QHostAddress factory_;
    int rebootMs_ = 1500;
    int newBoards_ = 0;
    QProcess *fresh_ = nullptr;  // the last new board, and its state
    QString freshState_;
};

// The practice's menu entries in the site window: start (a dialog: how many lifts, which faults, where)
// and end. The window's title and status bar say a practice runs; its boards are added to the window.
PracticeSite *AddPracticeMenu(SiteWindow &window, QMenu &menu);

}  // namespace velmar
