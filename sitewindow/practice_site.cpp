#include "practice_site.h"

#include "config_file.h"
#include "installation.h"
#include "site_plan.h"
#include "site_window.h"
#include "whole_file.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>

#include <algorithm>

namespace velmar {

namespace {

// How long the boards of a practice have to say they listen: they start in well under a second.
constexpr int StartBoundMs = 15000;

// A folder of the practice's own under `parent`, made new: nothing there is ever written over.
QString NewPracticeFolder(const QString &parent, QString &error)
{
    const QDir base(parent);
    // An empty or relative name would be a folder wherever the program was started from.
    if (parent.trimmed().isEmpty() || QDir::isRelativePath(parent)) {
        error = PracticeSite::tr("choose a folder for the practice site");
        return {};
    }
    if (!base.exists()) {
        error = PracticeSite::tr("there is no folder %1").arg(QDir::toNativeSeparators(parent));
        return {};
    }
    const QString name =
        PracticeSite::tr("practice site %1")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH-mm-ss")));
    for (int n = 1; n < 100; ++n) {
        const QString candidate = n == 1 ? name : QStringLiteral("%1 (%2)").arg(name).arg(n);
        if (!base.exists(candidate) && base.mkdir(candidate))
            return base.filePath(candidate);
    }
    error = PracticeSite::tr("cannot make a folder in %1").arg(QDir::toNativeSeparators(parent));
    return {};
}

}  // namespace

PracticeSite::PracticeSite(QWidget *window) : QObject(window)
{
    if (window)
        window->installEventFilter(this);
}

PracticeSite::~PracticeSite()
{
    // The window's actions that changed() updates may be gone already.
    blockSignals(true);
    stop();
}

bool PracticeSite::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent() && event->type() == QEvent::Close)
        stop();
    return QObject::eventFilter(watched, event);
}

QString PracticeSite::BoardProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("velmar-board"),
                                          {QCoreApplication::applicationDirPath()});
}

bool PracticeSite::LoopbackIsOne()
{
    return RunsUnderWine();
}

bool PracticeSite::start(const PracticeOptions &options, QString &error)
{
    stop();
    const QString program = options.program.isEmpty() ? BoardProgram() : options.program;
    if (program.isEmpty()) {
        error = tr("velmar-board is not beside this program");
        return false;
    }
    const int lifts = std::clamp(options.lifts, 1, 200);
    // Under Wine every loopback address is one: one board there, at 127.0.0.1, the others' rows silent.
    const bool one = LoopbackIsOne();
    // A new board and the lift it is written for would be one address there.
    if (one && options.commissioning) {
        error = tr("here every loopback address is one: a practice site to commission needs several");
        return false;
    }
    const quint32 first =
        one ? QHostAddress(QHostAddress::LocalHost).toIPv4Address() : options.first.toIPv4Address();
    // The router at .254, clear of the lifts (at most 200, from .11 or, under Wine, from .1).
    const QString router = QHostAddress((first & 0xFFFFFF00u) | 254).toString();
    QString text = QStringLiteral("name,lift,mask,router\n");
    for (int i = 0; i < lifts; ++i)
        text += QStringLiteral("%1,%2,255.255.255.0,%3\n")
                    .arg(tr("Lift %1").arg(i + 1), QHostAddress(first + quint32(i)).toString(), router);
    const SitePlan plan = ParseSitePlan(text.toUtf8());
    if (!CheckSitePlan(plan, true).isEmpty() || plan.rows.size() != lifts) {
        error = tr("the practice's addresses cannot make a plan: %1")
                    .arg(CheckSitePlan(plan, true).join(QStringLiteral("; ")));
        return false;
    }
    const QString folder = NewPracticeFolder(options.folder, error);
    if (folder.isEmpty())
        return false;
    const QString planPath = QDir(folder).filePath(tr("practice-plan") + QStringLiteral(".csv"));
    // With a byte-order mark, so that a spreadsheet on Windows opens the names as they are.
    if (!WriteWholeFile(planPath, "\xEF\xBB\xBF" + text.toUtf8(), error))
        return false;

    const int running =
        options.commissioning ? 0 : (one ? 1 : (options.silent && lifts > 1 ? lifts - 1 : lifts));
    for (int i = 0; i < running; ++i) {
        const QString address = QHostAddress(first + quint32(i)).toString();
        // Each board starts as its row plans it.
        StoredConfig base;
        base.config.record.mac = {0x00, 0x1E};
        base.config.versionText = VersionFromText(QStringLiteral("Стенд-плата 1.0"));
        const StoredConfig planned = HeldAfterWrite(PlannedConfig(plan.rows[i], base));
        const QString state = QDir(folder).filePath(QStringLiteral("board-%1.json").arg(address));
        if (!WriteConfigFile(state, planned, error)) {
            stop();
            return false;
        }
        QStringList arguments{QStringLiteral("--address"),   address,
                              QStringLiteral("--state"),     state,
                              QStringLiteral("--reboot-ms"), QString::number(options.rebootMs)};
        // The faults on the second, third and fourth boards (the first where there is one).
        if (options.twoBoards && i == std::min(1, running - 1)) {
            Mac twin = planned.config.record.mac;
            twin[5] ^= 0x80;
            arguments << QStringLiteral("--twin") << MacText(twin);
        }
        if (options.partial && i == std::min(2, running - 1))
            arguments << QStringLiteral("--partial-writes");
        if (options.slow && i == std::min(3, running - 1))
            arguments << QStringLiteral("--delay") << QStringLiteral("300");
        program_ = program;
        startBoard(arguments);
    }
    // Each says it listens, or ends saying why it cannot.
    const QDeadlineTimer deadline(StartBoundMs);
    for (QProcess *board : std::as_const(boards_)) {
        QByteArray said;
        while (!said.contains("listening") && board->state() != QProcess::NotRunning &&
               !deadline.hasExpired()) {
            board->waitForReadyRead(static_cast<int>(std::min<qint64>(deadline.remainingTime(), 200)));
            said += board->readAll().left(4096);
        }
        if (!said.contains("listening")) {
            error = tr("a stand-in board did not start: %1")
                        .arg(QString::fromLocal8Bit(said).trimmed().left(500) + board->errorString());
            stop();
            return false;
        }
    }
    planPath_ = planPath;
    program_ = program;
    folder_ = folder;
    running_ = true;
    commissioning_ = options.commissioning;
    factory_ = options.factory;
    rebootMs_ = options.rebootMs;
    range_ = QHostAddress(first).toString();
    if (lifts > 1)
        range_ += QLatin1Char('-') + QHostAddress(first + quint32(lifts - 1)).toString();
    emit changed();
    return true;
}

QProcess *PracticeSite::startBoard(const QStringList &arguments)
{
    auto *board = new QProcess(this);
    board->setReadChannel(QProcess::StandardError);
    board->start(program_,
                 arguments + QStringList{QStringLiteral("--quiet"), QStringLiteral("--exit-with-input")});
    boards_ << board;
    return board;
}

void PracticeSite::bringNewBoard()
{
    if (!commissioning())
        return;
    if (fresh_ && fresh_->state() != QProcess::NotRunning) {
        // Its state file is made as it starts, and holds the row's address once the board is written.
        StoredConfig stored;
        QString error;
        if (!QFileInfo::exists(freshState_) || (ReadConfigFile(freshState_, stored, error) &&
                                                HostAddressOf(stored.config.record.liftIp) == factory_))
            return;
    }
    ++newBoards_;
    const QString address = factory_.toString();
    freshState_ = QDir(folder_).filePath(QStringLiteral("new-board-%1.json").arg(newBoards_));
    // Each with a factory MAC of its own.
    const Mac mac = {
        0x00, 0x1E, 0x00, 0x00, static_cast<quint8>(newBoards_ >> 8), static_cast<quint8>(newBoards_ & 0xFF)};
    fresh_ = startBoard({QStringLiteral("--address"), address, QStringLiteral("--state"), freshState_,
                         QStringLiteral("--mac"), MacText(mac), QStringLiteral("--reboot-ms"),
                         QString::number(rebootMs_)});
    emit changed();
}

void PracticeSite::stop()
{
    fresh_ = nullptr;
    if (!running_ && boards_.isEmpty())
        return;
    running_ = commissioning_ = false;
    for (QProcess *board : std::as_const(boards_)) {
        board->kill();
        board->waitForFinished(StartBoundMs);
    }
    qDeleteAll(boards_);
    boards_.clear();
    emit changed();
}

PracticeSite *AddPracticeMenu(SiteWindow &window, QMenu &menu)
{
    auto *practice = new PracticeSite(&window);
    QAction *start = menu.addAction(PracticeSite::tr("Start a &practice site ..."));
    QAction *end = menu.addAction(PracticeSite::tr("&End the practice site"));
    auto *mark = new QLabel(PracticeSite::tr("PRACTICE SITE: stand-in boards on this computer"));
    mark->setStyleSheet(QStringLiteral("color:#a00;font-weight:bold"));
    window.statusBar()->addPermanentWidget(mark);
    const QString title = window.windowTitle();
    auto update = [&window, practice, end, mark, title] {
        end->setEnabled(practice->running());
        mark->setVisible(practice->running());
        window.setWindowTitle(practice->running() ? PracticeSite::tr("%1: PRACTICE SITE").arg(title) : title);
    };
    QObject::connect(practice, &PracticeSite::changed, &window, update);
    update();
    QObject::connect(end, &QAction::triggered, practice, &PracticeSite::stop);
    QObject::connect(start, &QAction::triggered, &window, [&window, practice] {
        QDialog dialog(&window);
        dialog.setWindowTitle(PracticeSite::tr("Practice site"));
        auto *form = new QFormLayout(&dialog);
        auto *about = new QLabel(PracticeSite::tr(
            "Stand-in boards on this computer and a plan that names them, to rehearse a search, a "
            "commissioning and an audit without hardware. They end with the practice or the window."));
        about->setWordWrap(true);
        form->addRow(about);
        auto *lifts = new QSpinBox;
        lifts->setRange(2, 40);
        lifts->setValue(5);
        form->addRow(PracticeSite::tr("Lifts in the plan"), lifts);
        auto *silent = new QCheckBox(PracticeSite::tr("a silent board (the last lift has none)"));
        auto *twins = new QCheckBox(PracticeSite::tr("two boards on one address"));
        auto *partial = new QCheckBox(PracticeSite::tr("a board that keeps only part of a write"));
        auto *slow = new QCheckBox(PracticeSite::tr("a slow board (answers after 0.3 s)"));
        for (QCheckBox *box : {silent, twins, partial, slow}) {
            box->setChecked(true);
            form->addRow(box);
        }
        auto *commissioning = new QCheckBox(
            PracticeSite::tr("to commission: the lifts have no boards yet, each comes new when wanted"));
        form->addRow(commissioning);
        for (QCheckBox *box : {silent, twins, partial, slow})
            QObject::connect(commissioning, &QCheckBox::toggled, box, &QWidget::setDisabled);
        if (PracticeSite::LoopbackIsOne())
            form->addRow(new QLabel(PracticeSite::tr(
                "Here every loopback address is one: one board runs, the other lifts are silent.")));
        auto *folder =
            new QLineEdit(QSettings(window.settingsPath(), QSettings::IniFormat)
                              .value(QStringLiteral("folders/practice"),
                                     QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                              .toString());
        auto *browse = new QPushButton(PracticeSite::tr("Choose ..."));
        QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, folder] {
            const QString chosen = QFileDialog::getExistingDirectory(
                &dialog, PracticeSite::tr("Folder of the practice's plan"), folder->text());
            if (!chosen.isEmpty())
                folder->setText(chosen);
        });
        auto *row = new QHBoxLayout;
        row->addWidget(folder, 1);
        row->addWidget(browse);
        form->addRow(PracticeSite::tr("Plan's folder"), row);
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        form->addRow(buttons);
        if (dialog.exec() != QDialog::Accepted)
            return;
        QSettings(window.settingsPath(), QSettings::IniFormat)
            .setValue(QStringLiteral("folders/practice"), folder->text());
        PracticeOptions options;
        options.folder = folder->text();
        options.lifts = lifts->value();
        options.silent = silent->isChecked();
        options.twoBoards = twins->isChecked();
        options.partial = partial->isChecked();
        options.slow = slow->isChecked();
        options.commissioning = commissioning->isChecked();
        QString error;
        if (!practice->start(options, error)) {
            AskPlain(&window, QMessageBox::Warning, PracticeSite::tr("Practice site"), error,
                     QMessageBox::Ok);
            return;
        }
        window.log().appendPlainText(
            PracticeSite::tr("Practice site: boards at %1, the plan in %2")
                .arg(practice->range(), QDir::toNativeSeparators(practice->planPath())));
        if (practice->commissioning())
            window.log().appendPlainText(
                PracticeSite::tr("The lifts wait to be commissioned; new boards come at %1")
                    .arg(practice->factory().toString()));
        else
            window.addBoards(practice->range());
    });
    return practice;
}

}  // namespace velmar
