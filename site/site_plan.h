#pragma once
// A site's plan: one CSV row per board, as a spreadsheet saved it, checked before anything is sent, and
// the configuration each row gives its board; the record of a commissioning beside it.

#include "local_network.h"
#include "write.h"

#include "config_file.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

namespace velmar {

// The longest plan read.
inline constexpr qint64 MaxSitePlanBytes = 1 << 20;

struct SitePlanRow
{
    QString name;
    int line = 0;  // in the file, for messages
    Changes changes;
    bool macGiven = false;
};

// How a spreadsheet saved a file: its encoding and separator.
struct CsvForm
{
    enum class Encoding { Utf8, Windows1251, Utf16 } encoding = Encoding::Utf8;
    QChar separator = QLatin1Char(',');

    // A file's form and text: a byte-order mark (UTF-8, UTF-16 either way) decides, else UTF-8 when
    // the bytes are UTF-8, else Windows-1251; the separator from a first line "sep=;" (taken off), or
    // the header: a semicolon or tab where it has no comma.
    static CsvForm Read(const QByteArray &bytes, QString &text);
    QString describe() const;
};

struct SitePlan
{
    QList<SitePlanRow> rows;
    QStringList problems;  // "line 3 (Lift 3, tower B): ..." for every row that cannot be used
    CsvForm form;
    QString reading;      // how the file was read: "UTF-8, comma-separated", "Windows-1251, separated by ";""
    QStringList ignored;  // the headings of columns the tool does not use (notes, say), quoted
};

// A CSV plan with a header: name, lift, mask, router; optional mac (default: from the lift address),
// console (static/dynamic), dispatcher, ident, board (static/dhcp), each also by its Ukrainian heading
// (назва, адреса, маска, шлюз, ...). Other columns are kept in the file and ignored. Quoted fields may
// hold the separator.
SitePlan ParseSitePlan(const QByteArray &text);
// What is wrong with one row on its own (the guard's problems, an address where new boards answer), and
// the configuration it gives a new board, where it gives one.
struct RowCheck
{
    QStringList problems;
    std::optional<StoredConfig> planned;
};
RowCheck CheckRow(const SitePlanRow &row, bool standIn, const QHostAddress &at = QHostAddress());
// Every row through the guard, no two rows with one lift address or one MAC, and none on `at`, where
// new boards answer.
QStringList CheckSitePlan(const SitePlan &plan, bool standIn, const QHostAddress &at = QHostAddress());
// The configuration a row gives a board that holds `current`.
StoredConfig PlannedConfig(const SitePlanRow &row, const StoredConfig &current);

// The plan in the file, read as a spreadsheet may have saved it, and its problems (CheckSitePlan()), or
// SiteError(BadRequest) naming the file that cannot be read.
SitePlan ReadSitePlan(const QString &path, bool standIn, const QHostAddress &at, QStringList &problems);

// One line of the record beside the plan, and its fields read back exactly as they were given: control
// characters and backslashes escaped, a cell a spreadsheet would take for a formula (=, +, -, @, tab,
// carriage return) after an apostrophe.
QString RecordLine(const QStringList &fields, QChar separator = QLatin1Char(','));
QStringList RecordFields(const QString &line, QChar separator = QLatin1Char(','));

// The record beside the plan: PLAN.log.csv.
QString CommissionLogPath(const QString &planPath);

// The record's lines, as they are written and read back: one header, then one line per outcome.
struct CommissionRecord
{
    // The columns of every line; a record of an older version had no address and is read with it empty.
    static const QStringList Columns;
    QChar separator = QLatin1Char(',');
    QList<QStringList> lines;  // fields in the order of Columns

    QByteArray bytes() const;
    // The record in `bytes`, exactly as it was written, or SiteError(Failed) naming `path` and the
    // line that cannot be read so. `plan`: the encoding of the plan beside it, which a record of an
    // older version without a byte-order mark was written in (or in UTF-8, by the first versions);
    // `rows`: the plan's row names, which tell the two apart where the bytes read as either.
    static CommissionRecord Read(const QByteArray &bytes, CsvForm::Encoding plan, const QString &path,
                                 const QSet<QString> &rows = {});

private:
    // A record without a mark beside a Windows-1251 plan, in bytes that read as either encoding.
    static CommissionRecord ReadEither(const QByteArray &bytes, const QString &path,
                                       const QSet<QString> &rows);
    static CommissionRecord Parse(const QStringList &texts, bool mark, bool windows1251, const QString &path);
};

// A separator the record's header names beyond doubt: not a letter, digit, blank, quote or backslash.
bool PlainSeparator(QChar ch);
// The names of the plan's rows.
QSet<QString> RowNames(const SitePlan &plan);

}  // namespace velmar
