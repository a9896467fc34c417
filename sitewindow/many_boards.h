#pragma once
// One change written to many boards at once, and a reboot of many: how far each board is, in its row of
// the table, and what the whole came to, in the window's words from the library's typed results.

#include "site_error.h"
#include "survey.h"
#include "write.h"

#include <QCoreApplication>
#include <QDialog>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>

class QComboBox;
class QStackedWidget;

namespace velmar {

class NumericEdit;

// How the boards of an operation on many came out, each verdict counted.
struct Verdicts
{
    int kept = 0, notKept = 0, overtaken = 0, notConfirmed = 0, unchanged = 0, refused = 0, failed = 0;

    void count(WriteVerdict verdict);
    int ended() const { return kept + notKept + overtaken + notConfirmed + unchanged + refused + failed; }
};

// The texts of the operations on many boards, in a context of their own.
class ManyBoards
{
    Q_DECLARE_TR_FUNCTIONS(velmar::ManyBoards)
public:
    // The changes in words: "mask → 255.255.0.0".
    static QString ChangesText(const Changes &changes);
    // What stopped the work on one board, for its row.
    static QString ErrorText(const SiteError &error);
    // Why a board was left out before anything was sent to it.
    static QString LeftOutText(const LeftOut &why);
    // What the guard finds wrong with a configuration about to go out.
    static QString GuardText(const GuardProblem &problem);
    // A board's verdict, for its row; `problems` the guard's, for a write it refused.
    static QString VerdictRow(const WriteResult &result, const QStringList &problems);
    // "Cancelled: 2 of 3 board(s) kept the write, 1 not kept.": `head` and the counts that are not nought,
    // `failed` worded as the operation calls a board it could not do.
    static QString SummaryText(const QString &head, const Verdicts &verdicts, const QString &failed,
                               int untouched, bool stopped);
};

// Asks for one change to many boards: which field, and its new value.
class ChangeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ChangeDialog(QWidget *parent = nullptr);
    Changes changes() const;

private:
    QComboBox *field_;
    QStackedWidget *values_;
    QList<NumericEdit *> address_;
    NumericEdit *ident_;
    QComboBox *console_, *board_;
};

// A field of a write and its values in the window's words (the library names them as velmarctl does).
QString FieldName(const QString &field);
QString ValueText(const QString &value);

// The events of an operation on many boards, queued to the window: a row's new state, a line for the
// log, the wait's progress for the status bar. The rest goes to the worker's own sink.
class RowSink : public Sink
{
public:
    using RowTold = std::function<void(const QHostAddress &, const QString &)>;
    using LineTold = std::function<void(const QString &)>;

    RowSink(Sink &inner, QObject *window, RowTold row, LineTold status)
        : inner_(inner), window_(window), row_(std::move(row)), status_(std::move(status))
    {
    }
    void progress(const Progress &progress) override { inner_.progress(progress); }
    void notice(const QString &line) override { inner_.notice(line); }
    void warning(const QString &line) override { inner_.warning(line); }

    void row(const QHostAddress &target, const QString &text)
    {
        QMetaObject::invokeMethod(
            window_, [tell = row_, target, text] { tell(target, text); }, Qt::QueuedConnection);
    }
    void writeChanges(const QHostAddress &target, const QList<FieldChange> &changes,
                      const QList<FieldChange> &uncarried) override
    {
        for (const FieldChange &change : changes)
            inner_.notice(ManyBoards::tr("%1: %2 %3 → %4")
                              .arg(target.toString(), FieldName(change.field), ValueText(change.from),
                                   ValueText(change.to)));
        for (const FieldChange &change : uncarried)
            inner_.notice(ManyBoards::tr("%1: %2 will hold %3, not %4 (a write cannot carry it)")
                              .arg(target.toString(), FieldName(change.field), ValueText(change.to),
                                   ValueText(change.from)));
    }
    void guardProblems(const QHostAddress &target, const QList<GuardProblem> &problems, bool) override
    {
        problems_.clear();
        for (const GuardProblem &problem : problems)
            problems_ << ManyBoards::GuardText(problem);
        for (const QString &problem : std::as_const(problems_))
            inner_.notice(ManyBoards::tr("%1: refused: %2").arg(target.toString(), problem));
    }
    void writtenMeanwhile(const QHostAddress &target, const QList<FieldChange> &changes) override
    {
        for (const FieldChange &change : changes)
            inner_.notice(ManyBoards::tr("%1: written meanwhile by another configurator: %2 %3 → %4")
                              .arg(target.toString(), FieldName(change.field), ValueText(change.from),
                                   ValueText(change.to)));
    }
    void notDone(const QHostAddress &target, const LeftOut &why) override
    {
        inner_.notice(QStringLiteral("%1: %2").arg(target.toString(), ManyBoards::LeftOutText(why)));
        row(target, ManyBoards::tr("not rebooted: no usable answer"));
    }
    void rebootAnswered(const QHostAddress &target, RebootAnswer answer) override
    {
        acknowledged += answer == RebootAnswer::Acknowledged;
        switch (answer) {
        case RebootAnswer::Acknowledged: row(target, ManyBoards::tr("rebooting")); break;
        case RebootAnswer::None: row(target, ManyBoards::tr("no acknowledgement: not rebooted")); break;
        case RebootAnswer::Unusable:
            row(target, ManyBoards::tr("answered without an acknowledgement: not rebooted"));
            break;
        case RebootAnswer::Unreachable:
            row(target, ManyBoards::tr("unreachable from this computer: not rebooted"));
            break;
        }
    }
    void waiting(qsizetype pending, qint64 seconds, int limitSeconds) override
    {
        const QString text = ManyBoards::tr("Waiting for %n board(s) to answer again: %1 of %2 s", "",
                                            static_cast<int>(pending))
                                 .arg(seconds)
                                 .arg(limitSeconds);
        if (text != lastStatus_) {
            lastStatus_ = text;
            QMetaObject::invokeMethod(
                window_, [tell = status_, text] { tell(text); }, Qt::QueuedConnection);
        }
    }
    void answersAgain(const QHostAddress &board, const QHostAddress &at, qint64 ms) override
    {
        row(board, at == board
                       ? ManyBoards::tr("answers again after %1 ms").arg(ms)
                       : ManyBoards::tr("answers again at %1 after %2 ms").arg(at.toString()).arg(ms));
    }

    QStringList problems_;  // the guard's, for the board being written
    qsizetype acknowledged = 0;

private:
    Sink &inner_;
    QObject *window_;
    RowTold row_;
    LineTold status_;
    QString lastStatus_;
};

}  // namespace velmar
