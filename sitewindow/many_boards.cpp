#include "many_boards.h"

#include "address_lock.h"
#include "backups.h"
#include "board_table.h"
#include "config_file.h"
#include "entry_fields.h"
#include "link.h"
#include "local_network.h"
#include "reboot.h"
#include "site_window.h"
#include "survey.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <utility>

namespace velmar {

namespace {

// What a write to many boards came to, counted by outcome; the silent addresses apart.
struct ManyWritten : Verdicts
{
    QString folder;  // the run's folder of backups; empty when none was kept
    int saved = 0, untouched = 0, silent = 0;
    qsizetype boards = 0;
    bool stopped = false;
};

// What a reboot of many boards came to, with the acknowledgements counted as they came (a reboot
// cancelled while it is sent has no count of its own).
struct Rebooted
{
    RebootResult result;
    qsizetype acknowledged = 0;
    int limitSeconds = 0;
};

// One board of many: its lock held, its configuration kept in `folder`, the changes written and verified,
// its row told and the verdict counted.
void WriteOneOfMany(Session &session, Session::Timing timing, const QHostAddress &target,
                    const StoredConfig &current, const Changes &changes, const QDir &folder, RowSink &events,
                    ManyWritten &result)
{
    try {
        const AddressLock lock(target, QStringLiteral("writes to"), events);
        SaveBackup(folder, target, current);
        ++result.saved;
        events.row(target, ManyBoards::tr("backed up"));
        events.problems_.clear();
        const IntentFor intent = [changes](const StoredConfig &holds) {
            const StoredConfig wanted = Apply(holds, changes);
            return WriteIntent{wanted, HeldAfterWrite(wanted)};
        };
        const WriteResult written =
            WriteAndVerify(session, timing, target, current, intent, WriteOptions{}, events);
        result.count(written.verdict);
        events.row(target, ManyBoards::VerdictRow(written, events.problems_));
    } catch (const SiteError &error) {
        if (error.kind == SiteError::Stopped)
            ++result.untouched;
        else
            ++result.failed;
        events.row(target, ManyBoards::ErrorText(error));
    }
}

// Whether the changes touch what goes out only with a dynamic console.
bool TouchesConsoleBlock(const Changes &changes)
{
    return changes.dispatcher || changes.ident || changes.reserve1 || changes.reserve2;
}

// What one write to many boards knows of them all.
struct ManyOrder
{
    const Survey &survey;
    const QHash<quint32, QStringList> &twins;  // what the table knows of two boards at one address
    const Changes &changes;
    const QDir &folder;
    const CancelToken &cancel;
};

// One board of many, or why it is left as it was.
void TakeOneOfMany(Session &session, Session::Timing timing, const QHostAddress &target,
                   const ManyOrder &order, RowSink &events, ManyWritten &result)
{
    const quint32 key = target.toIPv4Address();
    if (order.cancel.cancelled()) {
        ++result.untouched;
        events.row(target, ManyBoards::tr("left as it was"));
        return;
    }
    if (!order.survey.configs.contains(key)) {
        ++result.failed;
        if (order.survey.failed.contains(key))
            events.notice(QStringLiteral("%1: %2").arg(
                target.toString(), ManyBoards::LeftOutText(order.survey.failed.value(key))));
        events.row(target,
                   order.twins.contains(key)
                       ? ManyBoards::ErrorText({SiteError::Failed, {}, target, order.twins.value(key), {}})
                       : ManyBoards::tr("no usable answer: nothing written"));
        return;
    }
    const StoredConfig current = order.survey.configs.value(key);
    if (!current.config.record.consoleDynamic && order.changes.consoleDynamic != true &&
        TouchesConsoleBlock(order.changes)) {
        ++result.refused;
        events.row(target, ManyBoards::tr("its console is static: the dispatcher, identifier and reserve "
                                          "addresses go only with a dynamic one; nothing written"));
        return;
    }
    WriteOneOfMany(session, timing, target, current, order.changes, order.folder, events, result);
}

}  // namespace

}  // namespace velmar

Q_DECLARE_METATYPE(velmar::ManyWritten)
Q_DECLARE_METATYPE(velmar::Rebooted)

namespace velmar {

QString ManyBoards::ChangesText(const Changes &changes)
{
    QStringList parts;
    const std::pair<const std::optional<Ipv4> *, const char *> addresses[] = {
        {&changes.lift, "lift"},         {&changes.mask, "mask"},
        {&changes.router, "router"},     {&changes.dispatcher, "dispatcher"},
        {&changes.reserve1, "reserve1"}, {&changes.reserve2, "reserve2"}};
    for (const auto &[value, name] : addresses)
        if (*value)
            parts << tr("%1 → %2").arg(FieldName(QLatin1String(name)), IpText(**value));
    if (changes.mac)
        parts << tr("%1 → %2").arg(FieldName(QStringLiteral("mac")), MacText(*changes.mac));
    if (changes.ident)
        parts << tr("%1 → %2").arg(FieldName(QStringLiteral("ident"))).arg(*changes.ident);
    if (changes.consoleDynamic)
        parts << tr("%1 → %2").arg(
            FieldName(QStringLiteral("console")),
            ValueText(*changes.consoleDynamic ? QStringLiteral("dynamic") : QStringLiteral("static")));
    if (changes.boardDhcp)
        parts << tr("%1 → %2").arg(FieldName(QStringLiteral("board")),
                                   *changes.boardDhcp ? tr("DHCP") : tr("fixed"));
    return parts.join(QStringLiteral(", "));
}

QString ManyBoards::VerdictRow(const WriteResult &result, const QStringList &problems)
{
    switch (result.verdict) {
    case WriteVerdict::NoChange: return tr("already holds it: nothing sent");
    case WriteVerdict::Checked: return tr("checked: nothing sent");
    case WriteVerdict::Refused:
        return tr("refused, nothing sent: %1").arg(problems.join(QStringLiteral("; ")));
    case WriteVerdict::Kept: return tr("kept");
    case WriteVerdict::NotAllKept: {
        QStringList fields;
        for (const FieldChange &field : result.fields)
            if (field.from != field.to)
                fields << tr("%1 holds %2").arg(FieldName(field.field), ValueText(field.to));
        return tr("not kept: %1").arg(fields.join(QStringLiteral(", ")));
    }
    case WriteVerdict::Overtaken: return tr("overtaken by another write");
    case WriteVerdict::NotConfirmed:
        return result.stopped ? tr("sent, then cancelled: not confirmed")
                              : tr("sent, and no answer showed it kept: not confirmed");
    }
    return {};
}

QString ManyBoards::LeftOutText(const LeftOut &why)
{
    switch (why.cause) {
    case LeftOut::NoAnswer: return tr("no answer");
    case LeftOut::Unusable: return tr("answered, but not with what was asked: %1").arg(why.answered);
    case LeftOut::Unreachable: return tr("not reachable from this computer");
    case LeftOut::AnsweredLate:
        return tr("answered only after the time-out of %1 ms: give it more time").arg(why.timeoutMs);
    case LeftOut::TwoBoards:
        return tr("two boards answer at this address: %1").arg(why.macs.join(QStringLiteral(", ")));
    }
    return {};
}

QString ManyBoards::GuardText(const GuardProblem &p)
{
    switch (p.kind) {
    case GuardProblem::MaskNotARun:
        return tr("mask %1 is not a run of ones followed by zeros").arg(p.address);
    case GuardProblem::MaskAllOnes:
        return tr(
            "mask 255.255.255.255 leaves the board no subnet to reach its router or dispatcher through");
    case GuardProblem::LiftZero: return tr("lift address 0.0.0.0");
    case GuardProblem::LiftInZeroNetwork:
        return tr("lift address %1 is in 0.0.0.0/8, which names no host").arg(p.address);
    case GuardProblem::LiftLoopback: return tr("lift address %1 is a loopback address").arg(p.address);
    case GuardProblem::LiftMulticast: return tr("lift address %1 is a multicast address").arg(p.address);
    case GuardProblem::LiftBroadcast: return tr("lift address 255.255.255.255 is the broadcast address");
    case GuardProblem::LiftReserved:
        return tr("lift address %1 is in the reserved range 240.0.0.0/4").arg(p.address);
    case GuardProblem::LiftNetworkOfSubnet:
        return tr("lift address %1 is the network address of its subnet").arg(p.address);
    case GuardProblem::LiftBroadcastOfSubnet:
        return tr("lift address %1 is the broadcast address of its subnet").arg(p.address);
    case GuardProblem::RouterOutsideSubnet:
        return tr("router %1 is outside the subnet of %2/%3").arg(p.address, p.lift, p.mask);
    case GuardProblem::RouterIsLift: return tr("router %1 is the lift address itself").arg(p.address);
    case GuardProblem::RouterNetworkOfSubnet:
        return tr("router %1 is the network address of its subnet").arg(p.address);
    case GuardProblem::RouterBroadcastOfSubnet:
        return tr("router %1 is the broadcast address of its subnet").arg(p.address);
    case GuardProblem::MacNotOneBoard: return tr("MAC %1 is no address of one board").arg(p.mac);
    case GuardProblem::MacMulticast:
        return tr("MAC %1 is a multicast address (lowest bit of the first byte set)").arg(p.mac);
    case GuardProblem::DhcpNeedsDynamicConsole: return tr("a board on DHCP needs a dynamic console");
    }
    return {};
}

void Verdicts::count(WriteVerdict verdict)
{
    switch (verdict) {
    case WriteVerdict::Kept: ++kept; break;
    case WriteVerdict::NotAllKept: ++notKept; break;
    case WriteVerdict::Overtaken: ++overtaken; break;
    case WriteVerdict::NotConfirmed: ++notConfirmed; break;
    case WriteVerdict::Refused: ++refused; break;
    case WriteVerdict::NoChange:
    case WriteVerdict::Checked: ++unchanged; break;
    }
}

QString ManyBoards::SummaryText(const QString &head, const Verdicts &v, const QString &failed, int untouched,
                                bool stopped)
{
    QStringList parts{head};
    const std::pair<int, QString> counts[] = {
        {v.notKept, tr("%n not kept", "", v.notKept)},
        {v.overtaken, tr("%n overtaken", "", v.overtaken)},
        {v.notConfirmed, tr("%n sent and not confirmed", "", v.notConfirmed)},
        {v.unchanged, tr("%n already held it", "", v.unchanged)},
        {v.refused, tr("%n refused", "", v.refused)},
        {v.failed, failed},
        {untouched, tr("%n left as it was", "", untouched)}};
    for (const auto &[count, text] : counts)
        if (count > 0)
            parts << text;
    const QString summary = parts.join(QStringLiteral(", "));
    return (stopped ? tr("Cancelled: %1").arg(summary) : summary) + QLatin1Char('.');
}

QString ManyBoards::ErrorText(const SiteError &error)
{
    if (error.macs.size() > 1)
        return tr("two boards answer at this address (MACs %1): nothing written")
            .arg(error.macs.join(QStringLiteral(", ")));
    switch (error.kind) {
    case SiteError::Stopped: return tr("left as it was");
    case SiteError::NotConfirmed: return tr("sent, and no answer showed it kept: not confirmed");
    case SiteError::PortTaken: return tr("the port where the boards answer is held by another program");
    case SiteError::Refused: return tr("refused: nothing written");
    case SiteError::BadRequest: return tr("cannot be written: %1").arg(error.text);
    case SiteError::Failed:
        if (!error.path.isEmpty() && !error.address.isNull())
            return tr("another run on this computer holds its lock (%1): nothing written; try again when "
                      "it is done")
                .arg(QDir::toNativeSeparators(error.path));
        return tr("failed, nothing written: %1").arg(error.text);
    }
    return error.text;
}

ChangeDialog::ChangeDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(ManyBoards::tr("One change to the chosen boards"));
    field_ = new QComboBox;
    for (const char *name : {"mask", "router", "dispatcher", "reserve1", "reserve2"})
        field_->addItem(FieldName(QLatin1String(name)), QLatin1String(name));
    field_->addItem(FieldName(QStringLiteral("ident")), QStringLiteral("ident"));
    field_->addItem(FieldName(QStringLiteral("console")), QStringLiteral("console"));
    field_->addItem(FieldName(QStringLiteral("board")), QStringLiteral("board"));
    values_ = new QStackedWidget;
    auto *address = new QWidget;
    auto *groups = new QHBoxLayout(address);
    groups->setContentsMargins(0, 0, 0, 0);
    for (int group = 0; group < 4; ++group) {
        auto *edit = new NumericEdit(NumericEdit::Limits{});
        edit->setMaximumWidth(48);
        groups->addWidget(edit);
        address_ << edit;
    }
    values_->addWidget(address);
    ident_ = new NumericEdit(NumericEdit::Limits{false, 5, 65535, 0, true});
    values_->addWidget(ident_);
    console_ = new QComboBox;
    console_->addItems({ValueText(QStringLiteral("dynamic")), ValueText(QStringLiteral("static"))});
    values_->addWidget(console_);
    board_ = new QComboBox;
    board_->addItems({ManyBoards::tr("DHCP"), ManyBoards::tr("fixed")});
    values_->addWidget(board_);
    connect(field_, &QComboBox::currentIndexChanged, this,
            [this](int index) { values_->setCurrentIndex(std::clamp(index - 4, 0, 3)); });
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(ManyBoards::tr("&Field"), field_);
    form->addRow(ManyBoards::tr("&New value"), values_);
    form->addRow(buttons);
}

Changes ChangeDialog::changes() const
{
    for (NumericEdit *edit : address_)
        edit->takeEdit();
    ident_->takeEdit();
    Changes changes;
    const QString field = field_->currentData().toString();
    Ipv4 ip{};
    for (int group = 0; group < 4; ++group)
        ip[group] = static_cast<std::uint8_t>(address_[group]->value());
    if (field == QLatin1String("mask"))
        changes.mask = ip;
    else if (field == QLatin1String("router"))
        changes.router = ip;
    else if (field == QLatin1String("dispatcher"))
        changes.dispatcher = ip;
    else if (field == QLatin1String("reserve1"))
        changes.reserve1 = ip;
    else if (field == QLatin1String("reserve2"))
        changes.reserve2 = ip;
    else if (field == QLatin1String("ident"))
        changes.ident = static_cast<std::uint16_t>(ident_->value());
    else if (field == QLatin1String("console"))
        changes.consoleDynamic = console_->currentIndex() == 0;
    else
        changes.boardDhcp = board_->currentIndex() == 0;
    return changes;
}

void SiteWindow::buildManyActions(QMenu *menu)
{
    if (!options_.confirm)
        options_.confirm = [](QWidget *parent_, const QString &question) {
            return AskPlain(parent_, QMessageBox::Question, ManyBoards::tr("Go ahead?"), question,
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
        };
    changeManyAction_ = new QAction(QIcon::fromTheme(QStringLiteral("document-edit")),
                                    ManyBoards::tr("C&hange chosen boards ..."), this);
    changeManyAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    rebootAction_ = new QAction(QIcon::fromTheme(QStringLiteral("system-reboot")),
                                ManyBoards::tr("&Reboot chosen boards ..."), this);
    rebootAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    for (QAction *action : {changeManyAction_, rebootAction_})
        action->setToolTip(QStringLiteral("%1 (%2)").arg(
            action->text().remove(QLatin1Char('&')), action->shortcut().toString(QKeySequence::NativeText)));
    connect(changeManyAction_, &QAction::triggered, this, [this] {
        ChangeDialog dialog(this);
        if (dialog.exec() == QDialog::Accepted)
            writeMany(dialog.changes());
    });
    connect(rebootAction_, &QAction::triggered, this, &SiteWindow::rebootChosen);
    menu->addSeparator();
    menu->addAction(changeManyAction_);
    menu->addAction(rebootAction_);
}

QList<QHostAddress> SiteWindow::chosenAddresses() const
{
    QList<QHostAddress> targets;
    for (const QString &key : selectedKeys())
        if (const BoardRow *row = table_->rowOf(key); row && !targets.contains(row->from))
            targets << row->from;
    std::sort(targets.begin(), targets.end(), [](const QHostAddress &a, const QHostAddress &b) {
        return a.toIPv4Address() < b.toIPv4Address();
    });
    return targets;
}

// What velmarctl refuses before anything is sent, refused here the same: a lift address or a MAC for many
// boards, changes that cannot go together, and an address that names no board.
bool SiteWindow::refusedForMany(const QList<QHostAddress> &targets, const Changes &changes)
{
    QString why;
    if (targets.size() > 1 && (changes.lift || changes.mac))
        why =
            ManyBoards::tr("The lift address and the MAC name one board: write them to one board at a time.");
    try {
        CheckChanges(changes);
    } catch (const SiteError &) {
        why = ManyBoards::tr("A board on DHCP needs a dynamic console, and the dispatcher, identifier and "
                             "reserve addresses go only with a dynamic console.");
    }
    const QList<LocalSubnet> subnets = LocalSubnets();
    for (const QHostAddress &target : targets) {
        if (!NamesNoBoard(subnets, target).isEmpty())
            why = ManyBoards::tr("%1 names no board (a broadcast or network address): every board that hears "
                                 "it would take what is sent there.")
                      .arg(target.toString());
        else if (IsOwnAddress(subnets, target))
            why = ManyBoards::tr("%1 is this computer's own address, not a board's.").arg(target.toString());
    }
    if (why.isEmpty())
        return false;
    why += QLatin1Char(' ') + ManyBoards::tr("Nothing was sent.");
    outcome_->setText(why);
    say(why);
    return true;
}

void SiteWindow::writeMany(const Changes &changes)
{
    const QList<QHostAddress> targets = chosenAddresses();
    if (targets.isEmpty() || worker_.running() || refusedForMany(targets, changes))
        return;
    const QString parent = backupParent();
    QStringList boards;
    for (const QHostAddress &target : targets)
        boards << target.toString();
    if (!options_.confirm(this, ManyBoards::tr("Write %1 to %n board(s)?\n\n%2\n\nEach board's configuration "
                                               "is backed up first in a new folder under %3.",
                                               "", static_cast<int>(targets.size()))
                                    .arg(ManyBoards::ChangesText(changes), boards.join(QLatin1Char('\n')),
                                         QDir::toNativeSeparators(parent))))
        return;
    QSet<quint32> named;
    for (const QHostAddress &target : targets)
        named.insert(target.toIPv4Address());
    QHash<quint32, QStringList> twins;  // what the table knows of two boards at one address
    for (const BoardRow &row : table_->rows())
        if (row.twins.size() > 1)
            twins.insert(row.from.toIPv4Address(), row.twins);
    auto row = rowTeller();
    auto status = statusTeller();
    QObject *context = this;  // outlives the worker, which ends with it
    const bool started = startOnLink([=](Sink &sink, Link &l) {
        RowSink events(sink, context, row, status);
        LinkedSession session(l, &events);
        ManyWritten result;
        const Survey survey = SurveyOf(session, targets, named, l.timing, events);
        result.silent = survey.silent;
        result.boards = targets.size();
        // Made once the boards are known, so that a survey that fails leaves no empty folder behind.
        const QDir folder = NewBackupFolder(parent);
        for (const QHostAddress &target : targets)
            TakeOneOfMany(session, l.timing, target, {survey, twins, changes, folder, l.cancel}, events,
                          result);
        result.stopped = l.cancel.cancelled();
        if (result.saved == 0)
            QDir().rmdir(folder.path());  // an empty folder would be the newest backup of nothing
        else
            result.folder = folder.path();
        return QVariant::fromValue(result);
    });
    if (!started)
        return;
    beginOnRows(targets,
                ManyBoards::tr("Writing %1 to %n board(s) ...", "", static_cast<int>(targets.size()))
                    .arg(ManyBoards::ChangesText(changes)),
                &SiteWindow::wroteMany);
}

void SiteWindow::wroteMany(const QVariant &value)
{
    end();
    const auto result = value.value<ManyWritten>();
    QString summary = ManyBoards::SummaryText(
        ManyBoards::tr("%1 of %n board(s) kept the write", "", static_cast<int>(result.boards))
            .arg(result.kept),
        result, ManyBoards::tr("%n not written", "", result.failed), result.untouched, result.stopped);
    if (!result.folder.isEmpty())
        summary += QLatin1Char('\n') + ManyBoards::tr("Each board's configuration before the write: %1")
                                           .arg(QDir::toNativeSeparators(result.folder));
    else
        summary += QLatin1Char('\n') + ManyBoards::tr("No backup was made; nothing was sent.");
    outcome_->setText(summary);
    say(summary);
    count_->clear();
    if (result.kept + result.notKept + result.overtaken > 0)
        refresh();
}

void SiteWindow::whenFinished(Finished slot)
{
    disconnect(&worker_, &SiteWorker::finished, this, nullptr);
    connect(&worker_, &SiteWorker::finished, this, slot);
}

void SiteWindow::beginOnRows(const QList<QHostAddress> &targets, const QString &doing, Finished slot)
{
    table_->clearProgress();
    for (const QHostAddress &target : targets)
        table_->setProgress(target, ManyBoards::tr("waiting"));
    outcome_->clear();
    begin(doing);
    whenFinished(slot);
}

std::function<void(const QHostAddress &, const QString &)> SiteWindow::rowTeller()
{
    return [self = QPointer<SiteWindow>(this)](const QHostAddress &target, const QString &text) {
        if (self)
            self->table_->setProgress(target, text);
    };
}

std::function<void(const QString &)> SiteWindow::statusTeller()
{
    return [self = QPointer<SiteWindow>(this)](const QString &text) {
        if (self)
            self->count_->setText(text);
    };
}

void SiteWindow::leaveWaitingRows()
{
    for (const BoardRow &row : table_->rows())
        if (table_->progressOf(row.from) == ManyBoards::tr("waiting"))
            table_->setProgress(row.from, ManyBoards::tr("left as it was"));
}

void SiteWindow::rebootChosen()
{
    const QList<QHostAddress> targets = chosenAddresses();
    if (targets.isEmpty() || worker_.running() || refusedForMany(targets, {}))
        return;
    QStringList boards;
    for (const QHostAddress &target : targets)
        boards << target.toString();
    if (!options_.confirm(this, ManyBoards::tr("Reboot %n board(s)? Their lifts lose the connection until "
                                               "they are up again.\n\n%1",
                                               "", static_cast<int>(targets.size()))
                                    .arg(boards.join(QLatin1Char('\n')))))
        return;
    RebootOrder order;
    order.targets = targets;
    for (const QHostAddress &target : targets)
        order.named.insert(target.toIPv4Address());
    order.wait = true;
    order.waitLimitSeconds = options_.rebootWaitSeconds;
    auto row = rowTeller();
    auto status = statusTeller();
    QObject *context = this;  // outlives the worker, which ends with it
    const bool started = startOnLink([=](Sink &sink, Link &l) {
        RowSink events(sink, context, row, status);
        LinkedSession session(l, &events);
        Rebooted result;
        result.result = RebootBoards(session, l.timing, order, events);
        result.acknowledged = events.acknowledged;
        result.limitSeconds = order.waitLimitSeconds;
        for (const QHostAddress &target : result.result.stillSilent)
            events.row(target, ManyBoards::tr("still silent after %1 s").arg(order.waitLimitSeconds));
        return QVariant::fromValue(result);
    });
    if (!started)
        return;
    beginOnRows(targets, ManyBoards::tr("Rebooting %n board(s) ...", "", static_cast<int>(targets.size())),
                &SiteWindow::rebooted);
}

void SiteWindow::rebooted(const QVariant &value)
{
    end();
    count_->clear();
    const auto rebooted = value.value<Rebooted>();
    const RebootResult &result = rebooted.result;
    QStringList parts;
    if (result.stopped && rebooted.acknowledged == 0) {
        parts << ManyBoards::tr("Cancelled before any board acknowledged a reboot");
    } else if (result.stopped) {
        parts << ManyBoards::tr(
            "Cancelled: %n board(s) acknowledged the reboot and are rebooting; the wait for "
            "them stopped",
            "", static_cast<int>(rebooted.acknowledged));
    } else {
        parts << ManyBoards::tr("%1 of %n board(s) answered again after the reboot", "",
                                static_cast<int>(result.acknowledged))
                     .arg(result.back);
        if (!result.stillSilent.isEmpty())
            parts << ManyBoards::tr("%n still silent after %1 s", "",
                                    static_cast<int>(result.stillSilent.size()))
                         .arg(rebooted.limitSeconds);
    }
    if (result.failed > 0)
        parts << ManyBoards::tr("%n not rebooted", "", result.failed);
    const QString summary = parts.join(QStringLiteral("; ")) + QLatin1Char('.');
    leaveWaitingRows();
    outcome_->setText(summary);
    say(summary);
}

}  // namespace velmar
