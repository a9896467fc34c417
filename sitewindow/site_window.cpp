#include "site_window.h"

#include "audit_view.h"
#include "backups.h"
#include "board_panel.h"
#include "commission_view.h"
#include "config_file.h"
#include "discover.h"
#include "entry_fields.h"
#include "link.h"
#include "local_network.h"
#include "many_boards.h"
#include "practice_site.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QTranslator>
#include <QVBoxLayout>

#include <memory>

namespace velmar {

namespace {

// What a refresh found: the boards that answered a broadcast, and those asked at their addresses.
struct Refreshed
{
    QList<BoardRow> rows;
    QStringList notes;  // what the operator should know beyond the rows, in English from the library
    qsizetype silent = 0;
    bool stopped = false;
};

}  // namespace

QString FieldName(const QString &field)
{
    static const QHash<QString, const char *> names{
        {QStringLiteral("lift"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "lift address")},
        {QStringLiteral("mask"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "mask")},
        {QStringLiteral("router"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "router")},
        {QStringLiteral("mac"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "MAC")},
        {QStringLiteral("dispatcher"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "dispatcher")},
        {QStringLiteral("ident"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "identifier")},
        {QStringLiteral("console"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "console")},
        {QStringLiteral("board"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "board's address")},
        {QStringLiteral("reserve1"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "reserve address 1")},
        {QStringLiteral("reserve2"), QT_TRANSLATE_NOOP("velmar::SiteWindow", "reserve address 2")},
    };
    const char *name = names.value(field);
    return name ? QCoreApplication::translate("velmar::SiteWindow", name) : field;
}

QString ValueText(const QString &value)
{
    if (value == QLatin1String("dynamic"))
        return SiteWindow::tr("dynamic");
    if (value == QLatin1String("static"))
        return SiteWindow::tr("static");
    if (value == QLatin1String("dhcp"))
        return SiteWindow::tr("DHCP");
    return value;
}

namespace {

// The events of a write reach the window as the worker's other events do: queued to its thread.
class WriteSink : public Sink
{
public:
    WriteSink(Sink &inner, QObject *window, std::function<void(const QString &)> say,
              std::function<void(const QStringList &)> problems)
        : inner_(inner), window_(window), say_(std::move(say)), problems_(std::move(problems))
    {
    }
    void progress(const Progress &progress) override { inner_.progress(progress); }
    void notice(const QString &line) override { inner_.notice(line); }
    void warning(const QString &line) override { inner_.warning(line); }
    void writeChanges(const QHostAddress &target, const QList<FieldChange> &changes,
                      const QList<FieldChange> &uncarried) override
    {
        for (const FieldChange &change : changes)
            post(SiteWindow::tr("%1: %2 %3 → %4")
                     .arg(target.toString(), FieldName(change.field), ValueText(change.from),
                          ValueText(change.to)));
        for (const FieldChange &change : uncarried)
            post(SiteWindow::tr("%1: %2 will hold %3, not %4 (a write cannot carry it)")
                     .arg(target.toString(), FieldName(change.field), ValueText(change.to),
                          ValueText(change.from)));
    }
    void guardProblems(const QHostAddress &target, const QList<GuardProblem> &found, bool forced) override
    {
        QStringList problems;
        for (const GuardProblem &problem : found)
            problems << ManyBoards::GuardText(problem);
        for (const QString &problem : std::as_const(problems))
            post((forced ? SiteWindow::tr("%1: sent anyway: %2") : SiteWindow::tr("%1: refused: %2"))
                     .arg(target.toString(), problem));
        QMetaObject::invokeMethod(
            window_, [tell = problems_, problems] { tell(problems); }, Qt::QueuedConnection);
    }
    void writtenMeanwhile(const QHostAddress &target, const QList<FieldChange> &changes) override
    {
        for (const FieldChange &change : changes)
            post(SiteWindow::tr("%1: written meanwhile by another configurator: %2 %3 → %4")
                     .arg(target.toString(), FieldName(change.field), ValueText(change.from),
                          ValueText(change.to)));
    }

private:
    void post(const QString &line)
    {
        QMetaObject::invokeMethod(
            window_, [say = say_, line] { say(line); }, Qt::QueuedConnection);
    }
    Sink &inner_;
    QObject *window_;
    std::function<void(const QString &)> say_;
    std::function<void(const QStringList &)> problems_;
};

const char *const AddressNames[] = {"lift", "mask", "router", "dispatcher", "reserve1", "reserve2"};
constexpr int AddressCount = 6;

Ipv4 *AddressOf(ConfigRecord &record, int which)
{
    switch (which) {
    case 0: return &record.liftIp;
    case 1: return &record.netMask;
    case 2: return &record.routerIp;
    case 3: return &record.dispatcherIp;
    case 4: return &record.reserveIp1;
    default: return &record.reserveIp2;
    }
}

QString VerdictText(const WriteResult &result)
{
    switch (result.verdict) {
    case WriteVerdict::NoChange: return SiteWindow::tr("The board already holds this: nothing sent.");
    case WriteVerdict::Checked: return SiteWindow::tr("Checked: nothing sent.");
    case WriteVerdict::Refused: return SiteWindow::tr("Refused: nothing sent.");
    case WriteVerdict::Kept: return SiteWindow::tr("Written and kept.");
    case WriteVerdict::NotAllKept: return SiteWindow::tr("Written, but not all of it kept.");
    case WriteVerdict::Overtaken:
        return SiteWindow::tr("Overtaken by another write: the board holds neither its old values nor "
                              "these.");
    case WriteVerdict::NotConfirmed:
        if (result.stopped)
            return SiteWindow::tr("Cancelled after the write was sent: not confirmed that the board kept "
                                  "it. Read it again.");
        return SiteWindow::tr("Sent, and no answer showed it kept: not confirmed.");
    }
    return {};
}

// What a backup kept, and where.
struct BackedUp
{
    QString folder;
    QStringList files;
    QStringList silent;
};

}  // namespace

}  // namespace velmar

Q_DECLARE_METATYPE(velmar::BackedUp)
Q_DECLARE_METATYPE(velmar::Refreshed)
Q_DECLARE_METATYPE(velmar::WriteResult)

namespace velmar {

bool LoadTranslation(const QLocale &locale)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    const QString language =
        locale.language() == QLocale::Ukrainian ? QStringLiteral("uk") : QStringLiteral("en");
    if (!translator->load(QStringLiteral(":/i18n/velmar-site_%1.qm").arg(language))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

QString SiteWindow::SettingsPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("VELMAR/velmar-site.ini"));
}

SiteWindow::SiteWindow(Options options, QWidget *parent)
    : QMainWindow(parent), options_(std::move(options)), table_(new BoardTable(this)),
      proxy_(new QSortFilterProxyModel(this))
{
    if (options_.settingsPath.isEmpty())
        options_.settingsPath = SettingsPath();
    if (!options_.sendAnyway)
        options_.sendAnyway = [](QWidget *parent_, const QString &problems) {
            return AskPlain(parent_, QMessageBox::Warning, tr("Send anyway?"),
                            tr("This configuration may leave the board unreachable or "
                               "broken:\n\n%1\n\nSend it anyway?")
                                .arg(problems),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
        };
    setWindowTitle(tr("VELMAR site boards"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/velmarcom-48.png")));
    proxy_->setSourceModel(table_);
    proxy_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    proxy_->setFilterKeyColumn(-1);
    proxy_->setSortRole(Qt::DisplayRole);
    buildActions();
    buildWidgets();
    restoreSettings();

    connect(&worker_, &SiteWorker::progressed, this, [this](const Progress &progress) {
        if (progress.total > 0) {
            progress_->setRange(0, static_cast<int>(progress.total));
            progress_->setValue(static_cast<int>(progress.done));
        }
    });
    connect(&worker_, &SiteWorker::noticed, this, &SiteWindow::say);
    connect(&worker_, &SiteWorker::warned, this, &SiteWindow::say);
    connect(&worker_, &SiteWorker::failed, this, [this](const SiteError &error) {
        end();
        leaveWaitingRows();
        QString text = error.text;
        if (error.kind == SiteError::Stopped)
            text = tr("Cancelled: %1").arg(error.text);
        else if (error.kind == SiteError::PortTaken)
            text = tr("UDP port %1, where the boards answer, is held by another program (the configurator?): "
                      "close it, then try again")
                       .arg(options_.port);
        outcome_->setText(text);
        say(text);
        emit searched(false);
    });
    updateActions();
    if (options_.broadcast)
        QMetaObject::invokeMethod(this, &SiteWindow::refresh, Qt::QueuedConnection);
}

SiteWindow::~SiteWindow()
{
    worker_.cancel();
}

void SiteWindow::buildActions()
{
    auto action = [this](const QString &text, const QKeySequence &keys, const QString &icon) {
        auto *a = new QAction(QIcon::fromTheme(icon), text, this);
        a->setShortcut(keys);
        a->setToolTip(QStringLiteral("%1 (%2)").arg(QString(text).remove(QLatin1Char('&')),
                                                    keys.toString(QKeySequence::NativeText)));
        return a;
    };
    refreshAction_ = action(tr("&Find boards"), QKeySequence::Refresh, QStringLiteral("view-refresh"));
    addAction_ =
        action(tr("&Add address or range"), QKeySequence(Qt::CTRL | Qt::Key_N), QStringLiteral("list-add"));
    writeAction_ =
        action(tr("&Write board"), QKeySequence(Qt::CTRL | Qt::Key_W), QStringLiteral("document-send"));
    cancelAction_ = action(tr("&Cancel"), QKeySequence(Qt::Key_Escape), QStringLiteral("process-stop"));
    copyAction_ = action(tr("&Copy command"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                         QStringLiteral("edit-copy"));
    filterAction_ = action(tr("F&ilter"), QKeySequence::Find, QStringLiteral("edit-find"));
    quitAction_ = action(tr("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), QStringLiteral("application-exit"));
    backupAction_ = action(tr("&Back up chosen boards ..."), QKeySequence(Qt::CTRL | Qt::Key_B),
                           QStringLiteral("document-save"));
    logAction_ = action(tr("&Log"), QKeySequence(Qt::CTRL | Qt::Key_L), QString());
    logAction_->setCheckable(true);
    logAction_->setChecked(true);

    connect(refreshAction_, &QAction::triggered, this, &SiteWindow::refresh);
    connect(addAction_, &QAction::triggered, this, [this] {
        if (addressBox_->text().trimmed().isEmpty())
            addressBox_->setFocus(Qt::ShortcutFocusReason);
        else
            addBoards(addressBox_->text());
    });
    connect(writeAction_, &QAction::triggered, this, &SiteWindow::writeBoard);
    connect(cancelAction_, &QAction::triggered, this, &SiteWindow::cancel);
    connect(copyAction_, &QAction::triggered, this, &SiteWindow::copyCommand);
    connect(filterAction_, &QAction::triggered, this, [this] { filter_->setFocus(Qt::ShortcutFocusReason); });
    connect(quitAction_, &QAction::triggered, this, &QWidget::close);
    connect(backupAction_, &QAction::triggered, this, [this] {
        const QString parent =
            QFileDialog::getExistingDirectory(this, tr("Folder of the backups"), backupParent());
        if (parent.isEmpty())
            return;
        QSettings(options_.settingsPath, QSettings::IniFormat)
            .setValue(QStringLiteral("folders/backups"), parent);
        backUp(parent);
    });

    QMenu *site = menuBar()->addMenu(tr("&Site"));
    site->addAction(refreshAction_);
    site->addAction(addAction_);
    site->addAction(cancelAction_);
    site->addSeparator();
    AddAuditAction(*this, *site, options_.port);
    AddCommissionAction(*this, *site, options_.port);
    AddPracticeMenu(*this, *site);
    site->addSeparator();
    site->addAction(quitAction_);
    QMenu *board = menuBar()->addMenu(tr("&Board"));
    board->addAction(writeAction_);
    board->addAction(backupAction_);
    board->addAction(copyAction_);
    buildManyActions(board);
    buildRestoreAction(board);
    QMenu *view = menuBar()->addMenu(tr("&View"));
    view->addAction(filterAction_);
    view->addAction(logAction_);
}

void SiteWindow::buildWidgets()
{
    QToolBar *tools = addToolBar(tr("Site"));
    tools->setObjectName(QStringLiteral("tools"));
    tools->addAction(refreshAction_);
    adapters_ = new QComboBox;
    adapters_->setToolTip(tr("Where to look for boards: every adapter, or one"));
    tools->addWidget(adapters_);
    timeout_ = NewTimeoutBox();
    tools->addWidget(timeout_);
    tools->addSeparator();
    addressBox_ = new QLineEdit;
    addressBox_->setPlaceholderText(tr("Address or range: 10.0.0.2-10.0.0.40"));
    addressBox_->setToolTip(tr("Boards that hear no broadcast, asked at their addresses"));
    addressBox_->setClearButtonEnabled(true);
    connect(addressBox_, &QLineEdit::returnPressed, addAction_, &QAction::trigger);
    tools->addWidget(addressBox_);
    tools->addAction(addAction_);
    tools->addSeparator();
    filter_ = new QLineEdit;
    filter_->setPlaceholderText(tr("Filter"));
    filter_->setToolTip(filterAction_->toolTip());
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, proxy_, &QSortFilterProxyModel::setFilterFixedString);
    tools->addWidget(filter_);
    tools->addSeparator();
    tools->addAction(writeAction_);
    tools->addAction(cancelAction_);
    fillAdapters();

    view_ = new QTableView;
    view_->setModel(proxy_);
    view_->setSortingEnabled(true);
    view_->sortByColumn(BoardTable::From, Qt::AscendingOrder);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view_->horizontalHeader()->setStretchLastSection(true);
    view_->verticalHeader()->hide();
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { showBoard(current.data(BoardTable::KeyRole).toString()); });
    connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &SiteWindow::updateActions);

    auto *panel = new QWidget;
    auto *form = new QFormLayout(panel);
    boardTitle_ = new QLabel(tr("No board chosen"));
    boardTitle_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    boardTitle_->setTextFormat(Qt::PlainText);
    form->addRow(boardTitle_);
    const QString labels[] = {tr("&Lift address"),
                              tr("&Mask"),
                              tr("&Router"),
                              tr("&Dispatcher"),
                              MacFields::tr("Reserve address &1"),
                              MacFields::tr("Reserve address &2")};
    for (int which = 0; which < AddressCount; ++which) {
        auto *row = new QHBoxLayout;
        for (int group = 0; group < 4; ++group) {
            auto *edit = new NumericEdit(NumericEdit::Limits{});
            edit->setObjectName(QStringLiteral("%1_%2").arg(QLatin1String(AddressNames[which])).arg(group));
            edit->setMaximumWidth(48);
            row->addWidget(edit);
            addressFields_ << edit;
        }
        auto *label = new QLabel(labels[which]);
        label->setBuddy(addressFields_[which * 4]);
        form->addRow(label, row);
        if (which == 0) {
            mac_ = new MacFields;
            auto *macLabel = new QLabel(MacFields::tr("M&AC"));
            macLabel->setBuddy(&mac_->byte(0));
            form->addRow(macLabel, mac_);
        }
    }
    ident_ = new NumericEdit(NumericEdit::Limits{false, 5, 65535, 0, true});
    ident_->setObjectName(QStringLiteral("ident"));
    ident_->setMaximumWidth(80);
    auto *identLabel = new QLabel(tr("&Identifier"));
    identLabel->setBuddy(ident_);
    form->addRow(identLabel, ident_);
    consoleDynamic_ = new QCheckBox(tr("Console takes a d&ynamic address"));
    consoleDynamic_->setObjectName(QStringLiteral("consoleDynamic"));
    boardDhcp_ = new QCheckBox(tr("Board takes its address by D&HCP"));
    form->addRow(consoleDynamic_);
    form->addRow(boardDhcp_);
    auto *writeButton = new QToolButton;
    writeButton->setDefaultAction(writeAction_);
    writeButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    form->addRow(writeButton);
    outcome_ = new QLabel;
    outcome_->setTextFormat(Qt::PlainText);  // boards' and files' texts among the window's own
    outcome_->setWordWrap(true);
    outcome_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(outcome_);
    reach_ = new QLabel;
    reach_->setTextFormat(Qt::PlainText);
    reach_->setWordWrap(true);
    reach_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    copyButton_ = new QToolButton;
    copyButton_->setDefaultAction(copyAction_);
    copyButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    form->addRow(reach_);
    form->addRow(copyButton_);

    splitter_ = new QSplitter;
    splitter_->addWidget(view_);
    splitter_->addWidget(panel);
    splitter_->setStretchFactor(0, 3);
    setCentralWidget(splitter_);

    log_ = new QPlainTextEdit;
    log_->setReadOnly(true);
    log_->setMaximumBlockCount(5000);
    auto *dock = new QDockWidget(tr("Log"));
    dock->setObjectName(QStringLiteral("log"));
    dock->setWidget(log_);
    addDockWidget(Qt::BottomDockWidgetArea, dock);
    connect(logAction_, &QAction::toggled, dock, &QWidget::setVisible);
    connect(dock, &QDockWidget::visibilityChanged, logAction_, &QAction::setChecked);

    count_ = new QLabel;
    count_->setTextFormat(Qt::PlainText);
    progress_ = new QProgressBar;
    progress_->setMaximumWidth(200);
    progress_->hide();
    cancelButton_ = new QToolButton;
    cancelButton_->setDefaultAction(cancelAction_);
    cancelButton_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    cancelButton_->hide();
    statusBar()->addWidget(count_, 1);
    statusBar()->addPermanentWidget(progress_);
    statusBar()->addPermanentWidget(cancelButton_);
    showBoard({});
}

void SiteWindow::fillAdapters()
{
    adapters_->addItem(tr("Every adapter"), QString());
    for (const LocalSubnet &subnet : LocalSubnets())
        adapters_->addItem(QStringLiteral("%1 — %2/%3")
                               .arg(subnet.friendlyName, subnet.address.toString())
                               .arg(subnet.prefix),
                           subnet.address.toString());
    adapters_->setEnabled(options_.broadcast);
}

void SiteWindow::restoreSettings()
{
    const QSettings settings(options_.settingsPath, QSettings::IniFormat);
    restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
    restoreState(settings.value(QStringLiteral("window/state")).toByteArray());
    view_->horizontalHeader()->restoreState(settings.value(QStringLiteral("window/columns")).toByteArray());
    splitter_->restoreState(settings.value(QStringLiteral("window/splitter")).toByteArray());
    timeout_->setValue(settings.value(QStringLiteral("site/timeoutMs"), 500).toInt());
    const int adapter = adapters_->findData(settings.value(QStringLiteral("site/adapter")).toString());
    adapters_->setCurrentIndex(adapter < 0 ? 0 : adapter);
}

void SiteWindow::saveSettings() const
{
    QSettings settings(options_.settingsPath, QSettings::IniFormat);
    settings.setValue(QStringLiteral("window/geometry"), saveGeometry());
    settings.setValue(QStringLiteral("window/state"), saveState());
    settings.setValue(QStringLiteral("window/columns"), view_->horizontalHeader()->saveState());
    settings.setValue(QStringLiteral("window/splitter"), splitter_->saveState());
    settings.setValue(QStringLiteral("site/timeoutMs"), timeout_->value());
    settings.setValue(QStringLiteral("site/adapter"), adapters_->currentData().toString());
    settings.sync();
}

void SiteWindow::closeEvent(QCloseEvent *event)
{
    worker_.cancel();
    saveSettings();
    event->accept();
}

bool SiteWindow::startOnLink(std::function<QVariant(Sink &, Link &)> work)
{
    Link base;  // read here: the widgets belong to this thread
    base.port = options_.port;
    base.timing.timeoutMs = timeout_->value();
    return worker_.start([base, work = std::move(work)](Sink &sink, const CancelToken &cancel) {
        Link link = base;
        link.cancel = cancel;
        return work(sink, link);
    });
}

void SiteWindow::begin(const QString &what)
{
    say(what);
    progress_->setRange(0, 0);
    progress_->show();
    cancelButton_->show();
    updateActions();
}

void SiteWindow::end()
{
    progress_->hide();
    cancelButton_->hide();
    updateActions();
}

void SiteWindow::updateActions()
{
    const bool idle = !worker_.running();
    refreshAction_->setEnabled(idle);
    addAction_->setEnabled(idle);
    writeAction_->setEnabled(idle && !shownKey_.isEmpty());
    backupAction_->setEnabled(idle && !shownKey_.isEmpty());
    const bool chosen = view_ && view_->selectionModel()->hasSelection();
    changeManyAction_->setEnabled(idle && chosen);
    rebootAction_->setEnabled(idle && chosen);
    restoreAction_->setEnabled(idle && table_->rowCount() > 0);
    cancelAction_->setEnabled(!idle);
}

void SiteWindow::cancel()
{
    if (!worker_.running())
        return;
    worker_.cancel();
    say(tr("Cancelling ..."));
}

QString SiteWindow::backupParent() const
{
    return QSettings(options_.settingsPath, QSettings::IniFormat)
        .value(QStringLiteral("folders/backups"), DefaultBackupParent())
        .toString();
}

void SiteWindow::backUp(const QString &parent)
{
    QList<QHostAddress> targets;
    for (const QString &key : selectedKeys())
        if (const BoardRow *row = table_->rowOf(key); row && !targets.contains(row->from))
            targets << row->from;
    if (targets.isEmpty())
        return;
    const bool started = startOnLink([parent, targets](Sink &sink, Link &l) {
        l.sink = &sink;
        LinkedSession session(l);
        const QHash<quint32, StoredConfig> configs = session.read(targets, SelectorStored, l.timing);
        if (session.cancelled())
            Throw(SiteError::Stopped, tr("nothing kept"));
        BackedUp result;
        const QDir folder = NewBackupFolder(parent);
        result.folder = folder.path();
        for (const QHostAddress &target : targets) {
            if (configs.contains(target.toIPv4Address()))
                result.files << SaveBackup(folder, target, configs.value(target.toIPv4Address()));
            else
                result.silent << target.toString();
        }
        return QVariant::fromValue(result);
    });
    if (!started)
        return;
    begin(tr("Backing up %n board(s) ...", "", static_cast<int>(targets.size())));
    whenFinished(&SiteWindow::backedUp);
}

void SiteWindow::backedUp(const QVariant &value)
{
    end();
    const auto result = value.value<BackedUp>();
    QString text = tr("%n board(s) backed up in %1", "", static_cast<int>(result.files.size()))
                       .arg(QDir::toNativeSeparators(result.folder));
    if (!result.silent.isEmpty())
        text += QLatin1Char('\n') +
                tr("No answer, not backed up: %1").arg(result.silent.join(QStringLiteral(", ")));
    outcome_->setText(text);
    say(text);
    for (const QString &file : result.files)
        say(QDir::toNativeSeparators(file));
}

void SiteWindow::say(const QString &line)
{
    log_->appendPlainText(line);
}

void SiteWindow::refresh()
{
    const QString adapter = adapters_->currentData().toString();
    const bool broadcast = options_.broadcast;
    const QStringList asked = asked_;
    keepSelected_ = selectedKeys();
    const bool started = startOnLink([adapter, broadcast, asked](Sink &sink, Link &l) {
        l.sink = &sink;
        Refreshed result;
        if (broadcast) {
            QList<LocalSubnet> subnets = LocalSubnets();
            if (!adapter.isEmpty())
                subnets.removeIf([&](const LocalSubnet &s) { return s.address.toString() != adapter; });
            for (const QString &line : DiscoveryAsks(subnets))
                sink.notice(tr("Asking %1").arg(line));
            const Discovery discovery = DiscoverBoards(l, SelectorStored, subnets);
            result.rows = RowsOf(discovery);
            for (const QString &line : discovery.refused)
                result.notes << tr("Refused by the system: %1").arg(line);
            result.stopped = discovery.stopped;
        }
        if (!asked.isEmpty() && !l.cancel.cancelled()) {
            QString error;
            const std::optional<QList<QHostAddress>> targets = ParseTargets(asked, error);
            if (!targets)
                Throw(SiteError::BadRequest, error);
            const Boards boards = WithoutNonBoards(*targets);
            result.notes << boards.leftOut;
            LinkedSession session(l);
            for (const QHostAddress &target : boards.boards)
                sink.notice(tr("Asking %1").arg(target.toString()));
            const QHash<quint32, StoredConfig> configs =
                session.read(boards.boards, SelectorStored, l.timing);
            for (const QHostAddress &target : boards.boards) {
                const quint32 key = target.toIPv4Address();
                if (!configs.contains(key)) {
                    ++result.silent;
                    continue;
                }
                BoardRow row;
                row.from = target;
                row.config = configs.value(key);
                row.twins = session.twoBoards().value(key);
                row.asked = true;
                result.rows.removeIf([&](const BoardRow &other) { return other.key() == row.key(); });
                result.rows << row;
            }
            result.stopped = result.stopped || session.cancelled();
        }
        return QVariant::fromValue(result);
    });
    if (!started)
        return;
    begin(broadcast ? tr("Looking for boards ...") : tr("Asking the boards added ..."));
    whenFinished(&SiteWindow::refreshed);
}

void SiteWindow::refreshed(const QVariant &value)
{
    end();
    const auto result = value.value<Refreshed>();
    for (const QString &note : result.notes)
        say(note);
    table_->setRows(result.rows);
    selectKeys(keepSelected_);
    QString status = tr("%n board(s) found", "", static_cast<int>(result.rows.size()));
    if (result.silent > 0)
        status += tr("; %n address(es) silent", "", static_cast<int>(result.silent));
    if (result.stopped)
        status += tr("; cancelled: what answered until then");
    count_->setText(status);
    say(status);
    if (!table_->rowOf(shownKey_))
        showBoard({});
    else
        showBoard(shownKey_);
    emit searched(true);
}

void SiteWindow::addBoards(const QString &text)
{
    const QStringList items = text.split(QRegularExpression(QStringLiteral("[\\s,;]+")), Qt::SkipEmptyParts);
    QString error;
    if (items.isEmpty() || !ParseTargets(items, error)) {
        outcome_->setText(error);
        say(error);
        return;
    }
    for (const QString &item : items)
        if (!asked_.contains(item))
            asked_ << item;
    addressBox_->clear();
    refresh();
}

QStringList SiteWindow::selectedKeys() const
{
    QStringList keys;
    for (const QModelIndex &index : view_->selectionModel()->selectedRows())
        keys << index.data(BoardTable::KeyRole).toString();
    return keys;
}

void SiteWindow::selectKeys(const QStringList &keys)
{
    QItemSelection selection;
    QModelIndex current;
    for (int row = 0; row < proxy_->rowCount(); ++row) {
        const QModelIndex index = proxy_->index(row, 0);
        if (keys.contains(index.data(BoardTable::KeyRole).toString())) {
            selection.select(index, proxy_->index(row, BoardTable::ColumnCount - 1));
            if (!current.isValid() || index.data(BoardTable::KeyRole).toString() == shownKey_)
                current = index;
        }
    }
    if (current.isValid())
        view_->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

void SiteWindow::showBoard(const QString &key)
{
    const BoardRow *row = table_->rowOf(key);
    shownKey_ = row ? key : QString();
    for (QWidget *field : addressFields_)
        field->setEnabled(row);
    ident_->setEnabled(row);
    mac_->setEnabled(row);
    consoleDynamic_->setEnabled(row);
    boardDhcp_->setEnabled(row);
    reach_->setVisible(row && !row->reachLines.isEmpty());
    copyButton_->setVisible(row && !row->reachLines.isEmpty());
    copyAction_->setEnabled(row && !row->reachLines.isEmpty());
    updateActions();
    if (!row) {
        boardTitle_->setText(tr("No board chosen"));
        return;
    }
    ConfigRecord record = row->config.config.record;
    boardTitle_->setText(tr("Board %1 at %2").arg(MacText(record.mac), row->from.toString()));
    for (int which = 0; which < AddressCount; ++which)
        for (int group = 0; group < 4; ++group)
            addressFields_[which * 4 + group]->setValue((*AddressOf(record, which))[group]);
    mac_->setMac(record.mac);
    ident_->setValue(record.boardIdent);
    consoleDynamic_->setChecked(record.consoleDynamic);
    boardDhcp_->setChecked(row->config.config.boardDhcp);
    reach_->setText(BoardTable::StateText(*row));
}

NumericEdit &SiteWindow::field(const QString &name, int group)
{
    if (name == QLatin1String("ident"))
        return *ident_;
    for (int which = 0; which < AddressCount; ++which)
        if (name == QLatin1String(AddressNames[which]))
            return *addressFields_[which * 4 + group];
    return *ident_;
}

void SiteWindow::copyCommand()
{
    if (const BoardRow *row = table_->rowOf(shownKey_); row && !row->reachLines.isEmpty()) {
        QGuiApplication::clipboard()->setText(CommandForThisSystem(row->reachLines));
        say(tr("Copied: %1").arg(CommandForThisSystem(row->reachLines)));
    }
}

Changes SiteWindow::changesFromFields(const StoredConfig &before) const
{
    for (NumericEdit *field : addressFields_)
        field->takeEdit();
    ident_->takeEdit();
    ConfigRecord shown = before.config.record;
    Changes changes;
    std::optional<Ipv4> *targets[] = {&changes.lift,       &changes.mask,     &changes.router,
                                      &changes.dispatcher, &changes.reserve1, &changes.reserve2};
    for (int which = 0; which < AddressCount; ++which) {
        Ipv4 ip{};
        for (int group = 0; group < 4; ++group)
            ip[group] = static_cast<std::uint8_t>(addressFields_[which * 4 + group]->value());
        if (ip != *AddressOf(shown, which))
            *targets[which] = ip;
    }
    if (mac_->mac() != shown.mac)
        changes.mac = mac_->mac();
    if (static_cast<std::uint16_t>(ident_->value()) != shown.boardIdent)
        changes.ident = static_cast<std::uint16_t>(ident_->value());
    if (consoleDynamic_->isChecked() != shown.consoleDynamic)
        changes.consoleDynamic = consoleDynamic_->isChecked();
    if (boardDhcp_->isChecked() != before.config.boardDhcp)
        changes.boardDhcp = boardDhcp_->isChecked();
    return changes;
}

void SiteWindow::writeBoard()
{
    const BoardRow *row = table_->rowOf(shownKey_);
    if (!row || worker_.running())
        return;
    if (row->twins.size() > 1) {
        outcome_->setText(BoardTable::StateText(*row));
        return;
    }
    const Changes changes = changesFromFields(row->config);
    try {
        CheckChanges(changes);
    } catch (const SiteError &error) {
        outcome_->setText(error.text);
        return;
    }
    writeWith(row->from, row->config, changes, false);
}

void SiteWindow::writeWith(const QHostAddress &target, const StoredConfig &before, const Changes &changes,
                           bool force)
{
    writeTarget_ = target;
    writeBefore_ = before;
    writeChanges_ = changes;
    guardProblems_.clear();
    QPointer<SiteWindow> self(this);
    auto say = [self](const QString &line) {
        if (self)
            self->say(line);
    };
    auto problems = [self](const QStringList &lines) {
        if (self)
            self->guardProblems_ = lines;
    };
    const bool started = startOnLink([=](Sink &sink, Link &l) {
        WriteSink events(sink, self.data(), say, problems);
        LinkedSession session(l, &events);
        const IntentFor intent = [changes](const StoredConfig &holds) {
            const StoredConfig wanted = Apply(holds, changes);
            return WriteIntent{wanted, HeldAfterWrite(wanted)};
        };
        WriteOptions options;
        options.force = force;
        return QVariant::fromValue(
            WriteAndVerify(session, l.timing, target, before, intent, options, events));
    });
    if (!started)
        return;
    outcome_->clear();
    begin(tr("Writing %1 ...").arg(target.toString()));
    whenFinished(&SiteWindow::written);
}

void SiteWindow::written(const QVariant &value)
{
    end();
    const auto result = value.value<WriteResult>();
    QStringList lines{VerdictText(result)};
    if (result.verdict == WriteVerdict::Kept || result.verdict == WriteVerdict::NotAllKept) {
        for (const FieldChange &field : result.fields)
            lines << (field.from == field.to
                          ? tr("%1 %2: kept").arg(FieldName(field.field), ValueText(field.to))
                          : tr("%1 %2: not kept (the board holds %3)")
                                .arg(FieldName(field.field), ValueText(field.from), ValueText(field.to)));
    }
    lines << result.differences;
    outcome_->setText(lines.join(QLatin1Char('\n')));
    say(QStringLiteral("%1: %2").arg(result.target.toString(),
                                     (QStringList{lines.first()} << lines.mid(1).join(QStringLiteral("; ")))
                                         .join(QLatin1Char(' '))
                                         .trimmed()));
    if (result.verdict == WriteVerdict::Refused) {
        outcome_->setText(tr("Refused: nothing sent.") + QLatin1Char('\n') +
                          guardProblems_.join(QLatin1Char('\n')));
        if (options_.sendAnyway(this, guardProblems_.join(QLatin1Char('\n'))))
            writeWith(writeTarget_, writeBefore_, writeChanges_, true);
        return;
    }
    // A MAC kept makes the board's row another key: the row is given it, so that it stays chosen.
    if (result.verdict == WriteVerdict::Kept && writeChanges_.mac &&
        table_->setConfig(shownKey_, HeldAfterWrite(Apply(writeBefore_, writeChanges_))))
        shownKey_ = writeTarget_.toString() + QLatin1Char('/') + MacText(*writeChanges_.mac);
    if (result.verdict == WriteVerdict::Kept || result.verdict == WriteVerdict::NotAllKept ||
        result.verdict == WriteVerdict::Overtaken)
        refresh();
}

QMessageBox::StandardButton AskPlain(QWidget *parent, QMessageBox::Icon icon, const QString &title,
                                     const QString &text, QMessageBox::StandardButtons buttons,
                                     QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

QSpinBox *NewTimeoutBox()
{
    auto *box = new QSpinBox;
    box->setRange(100, 30000);
    box->setSingleStep(100);
    box->setValue(500);
    box->setSuffix(SiteWindow::tr(" ms"));
    box->setToolTip(SiteWindow::tr("How long to wait for each answer"));
    return box;
}

}  // namespace velmar
