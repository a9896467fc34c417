#include "site_plan.h"
#include "escaped_text.h"
#include "guard.h"
#include "site_error.h"
#include "whole_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>

namespace velmar {

namespace {

// One CSV record per line; fields between double quotes may hold the separator, and "" stands for a
// quote. A plan's fields are trimmed, as a spreadsheet shows them; the record's are taken as written.
QList<QStringList> CsvRecords(const QString &text, QChar separator = QLatin1Char(','), bool trim = true,
                              QList<int> *unclosed = nullptr)
{
    QList<QStringList> records;
    for (const QString &line : text.split(QLatin1Char('\n'))) {
        QStringList fields{QString()};
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar ch = line[i];
            if (quoted && ch == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"'))
                fields.last() += line[++i];
            else if (ch == QLatin1Char('"'))
                quoted = !quoted;
            else if (ch == separator && !quoted)
                fields << QString();
            else if (ch != QLatin1Char('\r'))
                fields.last() += ch;
        }
        if (quoted && unclosed)
            *unclosed << int(records.size());
        if (trim)
            for (QString &field : fields)
                field = field.trimmed();
        records << fields;
    }
    return records;
}

// A spreadsheet takes a cell that starts with one of these for a formula; such a cell is written with
// an apostrophe before it, which a spreadsheet shows as text and the reader takes off again (an
// apostrophe of the text's own is doubled so).
bool StartsLikeAFormula(const QString &text)
{
    return !text.isEmpty() && QStringLiteral("=+-@\t\r'").contains(text[0]);
}

}  // namespace

QString RecordLine(const QStringList &texts, QChar separator)
{
    QStringList fields;
    for (const QString &text : texts) {
        // A line break or escape sequence of a board's never reaches the file: control characters are
        // written as \xNN (and a backslash doubled), as a terminal shows them.
        QString field = Printable(text);
        if (StartsLikeAFormula(field))
            field.prepend(QLatin1Char('\''));
        if (field.contains(separator) || field.contains(QLatin1Char('"')))
            field =
                QLatin1Char('"') + field.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
        fields << field;
    }
    return fields.join(separator);
}

QStringList RecordFields(const QString &line, QChar separator)
{
    QStringList fields = CsvRecords(line, separator, false).value(0);
    for (QString &field : fields) {
        if (field.startsWith(QLatin1Char('\'')) && StartsLikeAFormula(field.mid(1)))
            field.remove(0, 1);
        field = FromPrintable(field);
    }
    return fields;
}

const QStringList CommissionRecord::Columns = {"time",      "row",     "address", "mac_before",
                                               "mac_after", "version", "result"};

namespace {

const QStringList OlderColumns = {"time", "row", "mac_before", "mac_after", "version", "result"};
const QStringList Results = {"done",
                             "in place",
                             "written",
                             "forgotten",
                             "not confirmed",
                             "not kept",
                             "written by another configurator"};

[[noreturn]] void Unreadable(const QString &path, qsizetype line, const QString &why)
{
    Throw(SiteError::Failed,
          QStringLiteral("%1 line %2: %3; the record cannot be read as it was written, so "
                         "nothing is sent (put that line right, or the record back from a copy)")
              .arg(path)
              .arg(line)
              .arg(why));
}

}  // namespace

// Every record is written in one form, UTF-8 with a byte-order mark, whatever the plan's encoding: read
// back, it can be taken for nothing else, and it holds every name a plan can give (Windows-1251 holds
// few beyond Cyrillic). A spreadsheet on a Ukrainian Windows opens it with the names readable. It keeps
// the plan's separator, which the header names: the header is fixed text, so the character after its
// first word is the separator. A "sep=" line, which would name it to a spreadsheet too, is not written:
// Excel takes a file that has one for the system's code page, byte-order mark or not.
QByteArray CommissionRecord::bytes() const
{
    QString text = RecordLine(Columns, separator) + QLatin1Char('\n');
    for (const QStringList &line : lines)
        text += RecordLine(line, separator) + QLatin1Char('\n');
    return "\xEF\xBB\xBF" + text.toUtf8();
}

namespace {

// The lines of a record's bytes, decoded as UTF-8 or as Windows-1251, their CR taken off.
QStringList RecordTexts(const QByteArray &body, bool windows1251, const QString &path)
{
    QStringList texts;
    qsizetype number = 0;
    for (const QByteArray &raw : body.split('\n')) {
        ++number;
        QString text;
        if (windows1251) {
            for (const char byte : raw)
                text += QChar(Cp1251ToUnicode(static_cast<std::uint8_t>(byte)));
        } else {
            QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
            text = utf8(raw);
            if (utf8.hasError())
                Unreadable(path, number, QStringLiteral("a byte that is not UTF-8"));
        }
        if (text.endsWith(QLatin1Char('\r')))
            text.chop(1);
        texts << text;
    }
    return texts;
}

bool IsUtf8(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    (void)utf8(bytes);
    return !utf8.hasError();
}

}  // namespace

CommissionRecord CommissionRecord::Read(const QByteArray &bytes, CsvForm::Encoding plan, const QString &path,
                                        const QSet<QString> &rows)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        Unreadable(path, 1, QStringLiteral("it is UTF-16, a form no record is written in"));
    // Older records: UTF-8 with a byte-order mark, Windows-1251 without one (for a Windows-1251 plan),
    // and, before records had a form of their own, UTF-8 without one, comma-separated.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return Parse(RecordTexts(bytes.mid(3), false, path), true, false, path);
    if (plan != CsvForm::Encoding::Windows1251)
        return Parse(RecordTexts(bytes, false, path), false, false, path);
    // Beside a Windows-1251 plan a record without a mark is either. Bytes that are not UTF-8 are
    // Windows-1251; bytes that are may be either (pairs of Cyrillic capitals make UTF-8 sequences): the
    // reading whose rows are all rows of the plan is the record, and where both or neither are, it
    // cannot be told and nothing is guessed.
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; });
    if (ascii || !IsUtf8(bytes))
        return Parse(RecordTexts(bytes, true, path), false, true, path);
    return ReadEither(bytes, path, rows);
}

CommissionRecord CommissionRecord::ReadEither(const QByteArray &bytes, const QString &path,
                                              const QSet<QString> &rows)
{
    auto attempt = [&](bool windows1251) -> std::optional<CommissionRecord> {
        try {
            CommissionRecord record = Parse(RecordTexts(bytes, windows1251, path), false, windows1251, path);
            for (const QStringList &line : std::as_const(record.lines))
                if (!rows.contains(line[1]))
                    return std::nullopt;
            return record;
        } catch (const SiteError &) {
            return std::nullopt;
        }
    };
    const auto asWindows1251 = attempt(true), asUtf8 = attempt(false);
    if (asWindows1251.has_value() != asUtf8.has_value())
        return asWindows1251 ? *asWindows1251 : *asUtf8;
    Unreadable(path, 1,
               QStringLiteral("without a byte-order mark it reads as Windows-1251 and as UTF-8 alike, and %1 "
                              "gives only rows of the plan")
                   .arg(asUtf8 ? QStringLiteral("each") : QStringLiteral("neither")));
}

CommissionRecord CommissionRecord::Parse(const QStringList &texts, bool mark, bool windows1251,
                                         const QString &path)
{
    CommissionRecord record;
    const QString header = texts.value(0);
    record.separator = header.mid(4, 1).isEmpty() ? QChar() : header[4];
    const bool older = header == RecordLine(OlderColumns, record.separator);
    if (!PlainSeparator(record.separator) || (header != RecordLine(Columns, record.separator) && !older) ||
        (!mark && !older) || (!mark && !windows1251 && record.separator != QLatin1Char(',')))
        Unreadable(path, 1, QStringLiteral("its first line is not the header of a record of this program"));
    const QStringList &columns = older ? OlderColumns : Columns;
    for (qsizetype i = 1; i < texts.size(); ++i) {
        if (texts[i].isEmpty())
            continue;
        QList<int> unclosed;
        const QStringList cells = CsvRecords(texts[i], record.separator, false, &unclosed).value(0);
        if (!unclosed.isEmpty())
            Unreadable(path, i + 1, QStringLiteral("a quote (\") opened and never closed"));
        if (cells.size() != columns.size())
            Unreadable(
                path, i + 1,
                QStringLiteral("%1 fields where the header has %2").arg(cells.size()).arg(columns.size()));
        QStringList fields = RecordFields(texts[i], record.separator);
        if (!Results.contains(fields.last()))
            Unreadable(path, i + 1,
                       QStringLiteral("the result \"%1\" is none this program writes")
                           .arg(Printable(fields.last())));
        if (older)
            fields.insert(2, QString());
        record.lines << fields;
    }
    return record;
}

namespace {

// Each column by the name the tool knows it by, and the Ukrainian headings a site's spreadsheet may give it.
const QList<std::pair<QString, QStringList>> SitePlanColumns = {
    {"name", {"назва", "ім'я", "імя"}},
    {"lift", {"адреса", "ліфт"}},
    {"mask", {"маска"}},
    {"router", {"маршрутизатор", "шлюз"}},
    {"mac", {"мак"}},
    {"console", {"консоль"}},
    {"dispatcher", {"диспетчер"}},
    {"ident", {"ідентифікатор"}},
    {"board", {"плата"}},
};

// The column a heading names, or an empty text for one the tool does not use. Case, blanks around it
// and the apostrophe's form (', ’ or ʼ) do not matter.
QString ColumnOf(const QString &heading)
{
    QString text = heading.trimmed().toLower();
    text.replace(QChar(0x2019), QLatin1Char('\'')).replace(QChar(0x02BC), QLatin1Char('\''));
    for (const auto &[column, headings] : SitePlanColumns)
        if (text == column || headings.contains(text))
            return column;
    return {};
}

const QStringList Required = {"name", "lift", "mask", "router"};

// The address columns, each into its field of the changes; the first reason one cannot be used.
QString ParseAddresses(const QHash<QString, QString> &cell, Changes &c)
{
    const std::pair<const char *, std::optional<Ipv4> Changes::*> columns[] = {
        {"lift", &Changes::lift},
        {"mask", &Changes::mask},
        {"router", &Changes::router},
        {"dispatcher", &Changes::dispatcher},
    };
    for (const auto &[name, field] : columns) {
        const QString text = cell.value(QLatin1String(name));
        if (text.isEmpty() && Required.contains(QLatin1String(name)))
            return QStringLiteral("no %1").arg(QLatin1String(name));
        if (text.isEmpty())
            continue;
        const auto ip = ParseIp(text);
        if (!ip)
            return QStringLiteral("%1 \"%2\" is not an IPv4 address").arg(QLatin1String(name), text);
        c.*field = ip;
    }
    return {};
}

QString ParseMacAndIdent(const QHash<QString, QString> &cell, SitePlanRow &row)
{
    Changes &c = row.changes;
    if (const QString mac = cell.value(QStringLiteral("mac")); !mac.isEmpty()) {
        if (!(c.mac = ParseMac(mac)))
            return QStringLiteral("mac \"%1\" is not six hexadecimal pairs").arg(mac);
        row.macGiven = true;
    }
    if (const QString ident = cell.value(QStringLiteral("ident")); !ident.isEmpty()) {
        bool ok = false;
        const uint value = ident.toUInt(&ok);
        if (!ok || value > 65535)
            return QStringLiteral("ident \"%1\" is not 0 to 65535").arg(ident);
        c.ident = static_cast<std::uint16_t>(value);
    }
    return {};
}

// A column of two words, `off` or `on`, in any case; empty leaves the board's setting as it is.
QString ParseChoice(const QHash<QString, QString> &cell, const char *name, const char *off, const char *on,
                    std::optional<bool> &into)
{
    const QString text = cell.value(QLatin1String(name)).toLower();
    if (text.isEmpty())
        return {};
    if (text == QLatin1String(off) || text == QLatin1String(on)) {
        into = text == QLatin1String(on);
        return {};
    }
    return QStringLiteral("%1 \"%2\" is neither %3 nor %4")
        .arg(QLatin1String(name), text, QLatin1String(off), QLatin1String(on));
}

// The row's values, or the first reason it cannot be used.
QString ParseRow(const QHash<QString, QString> &cell, SitePlanRow &row)
{
    QString why = ParseAddresses(cell, row.changes);
    if (why.isEmpty())
        why = ParseMacAndIdent(cell, row);
    if (why.isEmpty())
        why = ParseChoice(cell, "console", "static", "dynamic", row.changes.consoleDynamic);
    if (why.isEmpty())
        why = ParseChoice(cell, "board", "static", "dhcp", row.changes.boardDhcp);
    return why;
}

}  // namespace

namespace {

// The file's text, and its encoding: UTF-16 by its mark, else UTF-8 where the bytes are, else Windows-1251.
QString DecodedText(const QByteArray &bytes, CsvForm::Encoding &encoding)
{
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
        encoding = CsvForm::Encoding::Utf16;
        return utf16(bytes.mid(2));
    }
    // A mark before Windows-1251 text (some tools add one whatever they write) is a mark all the same.
    const QByteArray rest = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8(rest);
    encoding = CsvForm::Encoding::Utf8;
    if (!utf8.hasError())
        return text;
    text.clear();
    for (const char byte : rest)
        text += QChar(Cp1251ToUnicode(static_cast<std::uint8_t>(byte)));
    encoding = CsvForm::Encoding::Windows1251;
    return text;
}

// A first line "sep=;" names the separator; one that names none ("sep=" alone) is taken off all the
// same, and the separator found as in a file without it.
std::optional<QChar> TakeSeparatorLine(QString &text)
{
    if (!text.startsWith(QLatin1String("sep="), Qt::CaseInsensitive))
        return std::nullopt;
    std::optional<QChar> named;
    if (text.size() > 4 && text[4] != QLatin1Char('\r') && text[4] != QLatin1Char('\n'))
        named = text[4];
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    text = end < 0 ? QString() : text.mid(end + 1);
    return named;
}

}  // namespace

CsvForm CsvForm::Read(const QByteArray &bytes, QString &text)
{
    CsvForm form;
    text = DecodedText(bytes, form.encoding);
    text.remove(QChar(0xFEFF));
    // Lines that end with a carriage return alone, as some spreadsheets on a Mac save them.
    if (!text.contains(QLatin1Char('\n')))
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (const std::optional<QChar> named = TakeSeparatorLine(text)) {
        form.separator = *named;
        return form;
    }
    const QString header = text.left(text.indexOf(QLatin1Char('\n')));
    for (QChar other : {QLatin1Char(';'), QLatin1Char('\t')})
        if (header.contains(other) && !header.contains(QLatin1Char(',')))
            form.separator = other;
    return form;
}

QString CsvForm::describe() const
{
    const char *name = encoding == Encoding::Windows1251 ? "Windows-1251"
                       : encoding == Encoding::Utf16     ? "UTF-16"
                                                         : "UTF-8";
    return QLatin1String(name) + (separator == QLatin1Char(',') ? QStringLiteral(", comma-separated")
                                  : separator == QLatin1Char('\t')
                                      ? QStringLiteral(", tab-separated")
                                      : QStringLiteral(", separated by \"%1\"").arg(separator));
}

namespace {

// The header's columns, each by the name the tool knows it by (empty for one it does not use). The
// headings it does not use, and what is wrong with the header, go into `plan`.
QStringList ReadHeader(const QStringList &header, int line, SitePlan &plan)
{
    // Columns the tool does not use (notes, say) stay in the file and are passed over.
    QStringList columns;
    QHash<QString, QString> headings;
    for (qsizetype i = 0; i < header.size(); ++i) {
        const QString column = ColumnOf(header[i]);
        columns << column;
        if (column.isEmpty())
            plan.ignored << (header[i].isEmpty() ? QStringLiteral("column %1 (no heading)").arg(i + 1)
                                                 : QStringLiteral("\"%1\"").arg(header[i]));
        else if (!headings.contains(column))
            headings.insert(column, header[i]);
        else if (headings[column].compare(header[i], Qt::CaseInsensitive) == 0)
            plan.problems << QStringLiteral("line %1: column \"%2\" twice").arg(line).arg(header[i]);
        else
            plan.problems << QStringLiteral("line %1: columns \"%2\" and \"%3\" both give the %4")
                                 .arg(line)
                                 .arg(headings[column], header[i], column);
    }
    for (const QString &column : Required)
        if (!headings.contains(column))
            plan.problems << QStringLiteral("line %1: no column \"%2\"").arg(line).arg(column);
    return columns;
}

// One row under the header, or the reason it cannot be used. `names`: the rows' names before it.
QString ReadRow(const QStringList &record, const QStringList &columns, const QSet<QString> &names,
                SitePlanRow &row)
{
    QHash<QString, QString> cell;
    for (qsizetype i = 0; i < columns.size(); ++i)
        if (!columns[i].isEmpty())
            cell.insert(columns[i], record.value(i));
    row.name = cell.value(QStringLiteral("name"));
    QString why = row.name.isEmpty() ? QStringLiteral("no name") : ParseRow(cell, row);
    if (why.isEmpty() && names.contains(row.name))
        why = QStringLiteral("a second row named \"%1\"").arg(row.name);
    if (record.size() > columns.size())
        why = QStringLiteral("more fields than columns");
    return why;
}

// The rows after the header, which is on line `line`.
void ReadRows(const QList<QStringList> &records, const QStringList &columns, int line, SitePlan &plan)
{
    QSet<QString> names;
    for (const QStringList &record : records) {
        ++line;
        if (record.join(QString()).isEmpty())
            continue;
        SitePlanRow row;
        row.line = line;
        const QString why = ReadRow(record, columns, names, row);
        if (!why.isEmpty()) {
            plan.problems << QStringLiteral("line %1 (%2): %3").arg(line).arg(row.name, why);
            continue;
        }
        names.insert(row.name);
        plan.rows << row;
    }
}

}  // namespace

SitePlan ParseSitePlan(const QByteArray &bytes)
{
    SitePlan plan;
    // A workbook is no plan: a spreadsheet saves it as CSV on request.
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("\xD0\xCF\x11\xE0")) {
        plan.problems << QStringLiteral(
            "this is a spreadsheet workbook (.xlsx, .ods or .xls), not CSV: save it "
            "as CSV (comma- or semicolon-separated) and give that file");
        return plan;
    }
    QString text;
    plan.form = CsvForm::Read(bytes, text);
    plan.reading = plan.form.describe();
    QList<int> unclosed;
    QList<QStringList> records = CsvRecords(text, plan.form.separator, true, &unclosed);
    // A line whose quote is never closed would take the rest of the line, separators too, for one field.
    for (int index : unclosed)
        plan.problems << QStringLiteral("line %1: a quote (\") opened and never closed").arg(index + 1);
    if (!plan.problems.isEmpty())
        return plan;
    int line = 0;
    while (!records.isEmpty() && records.first().join(QString()).isEmpty()) {
        records.removeFirst();
        ++line;
    }
    if (records.isEmpty()) {
        plan.problems << QStringLiteral("the plan is empty");
        return plan;
    }
    const QStringList columns = ReadHeader(records.takeFirst(), ++line, plan);
    if (!plan.problems.isEmpty())
        return plan;
    ReadRows(records, columns, line, plan);
    if (plan.rows.isEmpty() && plan.problems.isEmpty())
        plan.problems << QStringLiteral("the plan has a header but no rows");
    return plan;
}

StoredConfig PlannedConfig(const SitePlanRow &row, const StoredConfig &current)
{
    Changes changes = row.changes;
    changes.macFromLift = !row.macGiven;  // as the window's IP --> MAC does
    return Apply(current, changes);
}

RowCheck CheckRow(const SitePlanRow &row, bool standIn, const QHostAddress &at)
{
    RowCheck check;
    // A board given the address new boards answer on could not be told from the next new board.
    if (!at.isNull() && HostAddressOf(*row.changes.lift) == at)
        check.problems << QStringLiteral(
                              "its lift address %1 is where new boards answer (--at); give the row "
                              "another address (and set it by hand later), or commission new "
                              "boards at another --at")
                              .arg(at.toString());
    // A board as it comes new: the MAC's first bytes 00:1E, static addressing unless the row says.
    StoredConfig base;
    base.config.record.mac = {0x00, 0x1E};
    try {
        check.planned = PlannedConfig(row, base);
    } catch (const SiteError &failure) {
        check.problems << failure.text;
        return check;
    }
    check.problems << GuardTexts(GuardProblems(*check.planned, standIn));
    return check;
}

QStringList CheckSitePlan(const SitePlan &plan, bool standIn, const QHostAddress &at)
{
    QStringList problems = plan.problems;
    QList<std::pair<QString, StoredConfig>> boards;
    for (const SitePlanRow &row : plan.rows) {
        const RowCheck check = CheckRow(row, standIn, at);
        for (const QString &problem : check.problems)
            problems << QStringLiteral("line %1 (%2): %3").arg(row.line).arg(row.name, problem);
        if (check.planned)
            boards << std::pair{row.name, *check.planned};
    }
    return problems + DuplicateProblems(boards);
}

QString CommissionLogPath(const QString &planPath)
{
    const QFileInfo info(planPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".log.csv"));
}

// A separator the record's header names beyond doubt: not a letter, digit, blank, quote or backslash.
bool PlainSeparator(QChar ch)
{
    return ch == QLatin1Char('\t') ||
           ((ch.isPunct() || ch.isSymbol()) && !QStringLiteral("\"'\\").contains(ch));
}

QSet<QString> RowNames(const SitePlan &plan)
{
    QSet<QString> names;
    for (const SitePlanRow &row : plan.rows)
        names.insert(row.name);
    return names;
}

SitePlan ReadSitePlan(const QString &path, bool standIn, const QHostAddress &at, QStringList &problems)
{
    QByteArray text;
    QString error;
    const ReadOutcome outcome = ReadBoundedFile(path, MaxSitePlanBytes, text, error);
    if (outcome != ReadOutcome::Read)
        Throw(SiteError{
            SiteError::BadRequest, ReadFailure(outcome, path, error, QStringLiteral("plan")), {}, {}, path});
    SitePlan plan = ParseSitePlan(text);
    problems = CheckSitePlan(plan, standIn, at);
    return plan;
}

}  // namespace velmar
