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

class QComboBox;
class QStackedWidget;

namespace velmar {

class NumericEdit;

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

}  // namespace velmar
