#include "commission.h"
#include "address_lock.h"
#include "console.h"

#include "guard.h"
#include "whole_file.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>
#include <bit>

namespace velmar {

namespace {

constexpr qint64 MaxPlanBytes = 1 << 20;

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

// A separator the record's header names beyond doubt: not a letter, digit, blank, quote or backslash.
bool PlainSeparator(QChar ch)
{
    return ch == QLatin1Char('\t') ||
           ((ch.isPunct() || ch.isSymbol()) && !QStringLiteral("\"'\\").contains(ch));
}

[[noreturn]] void Unreadable(const QString &path, qsizetype line, const QString &why)
{
    Fail(SomeFailed, QStringLiteral("%1 line %2: %3; the record cannot be read as it was written, so "
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

QSet<QString> RowNames(const SitePlan &plan)
{
    QSet<QString> names;
    for (const PlanRow &row : plan.rows)
        names.insert(row.name);
    return names;
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
    auto attempt = [&](bool windows1251) -> std::optional<CommissionRecord> {
        try {
            CommissionRecord record = Parse(RecordTexts(bytes, windows1251, path), false, windows1251, path);
            for (const QStringList &line : std::as_const(record.lines))
                if (!rows.contains(line[1]))
                    return std::nullopt;
            return record;
        } catch (const Failure &) {
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
const QList<std::pair<QString, QStringList>> PlanColumns = {
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
    for (const auto &[column, headings] : PlanColumns)
        if (text == column || headings.contains(text))
            return column;
    return {};
}

const QStringList Required = {"name", "lift", "mask", "router"};

// The row's values, or the reason it cannot be used.
QString ParseRow(const QHash<QString, QString> &cell, PlanRow &row)
{
    Changes &c = row.changes;
    for (const char *name : {"lift", "mask", "router", "dispatcher"}) {
        const QString text = cell.value(QLatin1String(name));
        if (text.isEmpty() && Required.contains(QLatin1String(name)))
            return QStringLiteral("no %1").arg(QLatin1String(name));
        if (text.isEmpty())
            continue;
        const auto ip = ParseIp(text);
        if (!ip)
            return QStringLiteral("%1 \"%2\" is not an IPv4 address").arg(QLatin1String(name), text);
        (QLatin1String(name) == QLatin1String("lift")     ? c.lift
         : QLatin1String(name) == QLatin1String("mask")   ? c.mask
         : QLatin1String(name) == QLatin1String("router") ? c.router
                                                          : c.dispatcher) = ip;
    }
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
    auto choice = [&](const char *name, const char *off, const char *on, std::optional<bool> &into) {
        const QString text = cell.value(QLatin1String(name)).toLower();
        if (text.isEmpty())
            return QString();
        if (text == QLatin1String(off) || text == QLatin1String(on)) {
            into = text == QLatin1String(on);
            return QString();
        }
        return QStringLiteral("%1 \"%2\" is neither %3 nor %4")
            .arg(QLatin1String(name), text, QLatin1String(off), QLatin1String(on));
    };
    QString why = choice("console", "static", "dynamic", c.consoleDynamic);
    if (why.isEmpty())
        why = choice("board", "static", "dhcp", c.boardDhcp);
    return why;
}

const QString Done = QStringLiteral("done");
const QString InPlace = QStringLiteral("in place");
const QString Written = QStringLiteral("written");      // the row went to a board; its reboot not yet seen
const QString Forgotten = QStringLiteral("forgotten");  // a written row's board given up: the row is free

// The record beside the plan, PLAN.log.csv: one line per outcome, the last line of a row saying where
// it stands. It is held locked for the whole run, so that two runs never work through one plan, and
// every line goes to disk whole (the file is written anew through a temporary file) before the run
// touches a board again.
class CommissionLog
{
public:
    struct Entry
    {
        QString result;
        QString macBefore;  // the board's MAC before the row was written to it
        QString mac;        // the MAC the board has after the row was written
    };

    CommissionLog(const QString &path, const SitePlan &plan)
        : path_(path), lock_(path + QStringLiteral(".lock"))
    {
        switch (lock_.outcome()) {
        case RunLock::Outcome::Held: break;
        case RunLock::Outcome::HeldByRun:
            Fail(SomeFailed, QStringLiteral("another commission run works on this plan (%1.lock is locked by "
                                            "process %2)")
                                 .arg(path_)
                                 .arg(lock_.holder()));
        case RunLock::Outcome::NotOurs: Fail(SomeFailed, lock_.why() + QStringLiteral("; nothing sent"));
        case RunLock::Outcome::DiskFull:
            Fail(SomeFailed,
                 QStringLiteral("the disk that holds %1 is full: free some space; nothing sent").arg(path_));
        case RunLock::Outcome::CannotMake:
            Fail(SomeFailed, QStringLiteral("cannot make the lock file %1.lock beside the plan (the folder "
                                            "cannot be written?); nothing sent")
                                 .arg(path_));
        }
        QString error;
        QByteArray bytes;
        const ReadOutcome outcome = ReadBoundedFile(path_, MaxPlanBytes * 16, bytes, error);
        if (outcome != ReadOutcome::Read && outcome != ReadOutcome::Missing)
            Fail(SomeFailed, ReadFailure(outcome, path_, error, QStringLiteral("record")));
        // A record kept so far goes on with its own separator; a new one takes the plan's.
        record_.separator = PlainSeparator(plan.form.separator) ? plan.form.separator : QLatin1Char(',');
        if (!bytes.isEmpty())
            record_ = CommissionRecord::Read(bytes, plan.form.encoding, path_, RowNames(plan));
        for (const QStringList &line : std::as_const(record_.lines))
            entries_.insert(line[1], {line[6], line[3], line[4]});
        // Written at once, before any board is touched: a record that cannot be kept stops the run here.
        save();
    }

    std::optional<Entry> entry(const QString &row) const
    {
        const auto found = entries_.find(row);
        return found == entries_.end() ? std::nullopt : std::optional<Entry>(*found);
    }
    bool finished(const QString &row) const
    {
        const auto e = entry(row);
        return e && (e->result == Done || e->result == InPlace);
    }
    // Rows written and never seen done: their boards are waited for before any new board is taken.
    QStringList writtenOnly(const QList<PlanRow> &rows) const
    {
        QStringList names;
        for (const PlanRow &row : rows)
            if (const auto e = entry(row.name); e && e->result == Written)
                names << row.name;
        return names;
    }
    // The MACs that rows were written with: a board showing one of them is no new board.
    QSet<QString> writtenMacs() const
    {
        QSet<QString> macs;
        for (const Entry &e : entries_)
            if ((e.result == Done || e.result == Written) && !e.mac.isEmpty())
                macs.insert(e.mac);
        return macs;
    }

    // `before`: the board before the row was first written to it; `after`: as it was left, if written.
    void add(const PlanRow &row, const StoredConfig &before, const std::optional<StoredConfig> &after,
             const QString &result, Console &console)
    {
        const StoredConfig &board = after ? *after : before;
        const QString mac = after ? MacText(after->config.record.mac) : QString();
        // What a write leaves holds no version of its own: the board's is the one it showed before.
        const Bytes &version =
            board.config.versionText.empty() ? before.config.versionText : board.config.versionText;
        record_.lines << QStringList{QDateTime::currentDateTime().toString(Qt::ISODate),
                                     row.name,
                                     IpText(board.config.record.liftIp),
                                     MacText(before.config.record.mac),
                                     mac,
                                     VersionToText(version),
                                     result};
        save();
        entries_.insert(row.name, {result, MacText(before.config.record.mac), mac});
        console.out << Printable(row.name) << ": " << result << '\n';
        console.out.flush();
    }

private:
    void save()
    {
        QString error;
        if (!WriteWholeFile(path_, record_.bytes(), error))
            Fail(SomeFailed, QStringLiteral("cannot write %1: %2").arg(path_, error));
    }

    QString path_;
    RunLock lock_;
    CommissionRecord record_;
    QHash<QString, Entry> entries_;
};

// Reads `target` until it answers, Ctrl+C, or the time is up (0: no limit). A board coming up is asked
// often, and by broadcast too: the board that answered at this address before may still own it in this
// computer's address resolution, and a new board need not announce itself.
std::optional<StoredConfig> Await(Session &session, const QHostAddress &target, int limitMs,
                                  Session::Timing timing,
                                  const std::function<bool(const StoredConfig &)> &wanted)
{
    QElapsedTimer clock;
    clock.start();
    while (!Interrupted() && (limitMs == 0 || clock.elapsed() < limitMs)) {
        // Again each round: a cable plugged in meanwhile brings an interface.
        const QList<Broadcast> broadcasts = BroadcastsFor(LocalSubnets(), {target});
        const auto answer = session.lookFor(target, SelectorStored, broadcasts, wanted, timing);
        if (answer && wanted(*answer))
            return answer;
    }
    return std::nullopt;
}

}  // namespace

CsvForm CsvForm::Read(const QByteArray &bytes, QString &text)
{
    CsvForm form;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
        text = utf16(bytes.mid(2));
        form.encoding = Encoding::Utf16;
    } else {
        // A mark before Windows-1251 text (some tools add one whatever they write) is a mark all the same.
        const bool mark = bytes.startsWith("\xEF\xBB\xBF");
        const QByteArray rest = mark ? bytes.mid(3) : bytes;
        QStringDecoder utf8(QStringDecoder::Utf8);
        text = utf8(rest);
        form.encoding = Encoding::Utf8;
        if (utf8.hasError()) {
            text.clear();
            for (const char byte : rest)
                text += QChar(Cp1251ToUnicode(static_cast<std::uint8_t>(byte)));
            form.encoding = Encoding::Windows1251;
        }
    }
    text.remove(QChar(0xFEFF));
    // Lines that end with a carriage return alone, as some spreadsheets on a Mac save them.
    if (!text.contains(QLatin1Char('\n')))
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    // A first line "sep=;" names the separator; one that names none ("sep=" alone) is taken off all the
    // same, and the separator found as in a file without it.
    std::optional<QChar> named;
    if (text.startsWith(QLatin1String("sep="), Qt::CaseInsensitive)) {
        if (text.size() > 4 && text[4] != QLatin1Char('\r') && text[4] != QLatin1Char('\n'))
            named = text[4];
        const qsizetype end = text.indexOf(QLatin1Char('\n'));
        text = end < 0 ? QString() : text.mid(end + 1);
    }
    if (named) {
        form.separator = *named;
    } else {
        const QString header = text.left(text.indexOf(QLatin1Char('\n')));
        for (QChar other : {QLatin1Char(';'), QLatin1Char('\t')})
            if (header.contains(other) && !header.contains(QLatin1Char(',')))
                form.separator = other;
    }
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
    const QChar separator = plan.form.separator;
    QList<int> unclosed;
    QList<QStringList> records = CsvRecords(text, separator, true, &unclosed);
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
    const QStringList header = records.takeFirst();
    ++line;
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
    if (!plan.problems.isEmpty())
        return plan;
    QSet<QString> names;
    for (const QStringList &record : records) {
        ++line;
        if (record.join(QString()).isEmpty())
            continue;
        QHash<QString, QString> cell;
        for (qsizetype i = 0; i < columns.size(); ++i)
            if (!columns[i].isEmpty())
                cell.insert(columns[i], record.value(i));
        PlanRow row;
        row.name = cell.value(QStringLiteral("name"));
        row.line = line;
        QString why = row.name.isEmpty() ? QStringLiteral("no name") : ParseRow(cell, row);
        if (why.isEmpty() && names.contains(row.name))
            why = QStringLiteral("a second row named \"%1\"").arg(row.name);
        if (record.size() > header.size())
            why = QStringLiteral("more fields than columns");
        if (!why.isEmpty()) {
            plan.problems << QStringLiteral("line %1 (%2): %3").arg(line).arg(row.name, why);
            continue;
        }
        names.insert(row.name);
        plan.rows << row;
    }
    if (plan.rows.isEmpty() && plan.problems.isEmpty())
        plan.problems << QStringLiteral("the plan has a header but no rows");
    return plan;
}

StoredConfig Planned(const PlanRow &row, const StoredConfig &current)
{
    Changes changes = row.changes;
    changes.macFromLift = !row.macGiven;  // as the window's IP --> MAC does
    return Apply(current, changes);
}

QStringList CheckSitePlan(const SitePlan &plan, bool standIn, const QHostAddress &at)
{
    QStringList problems = plan.problems;
    QList<std::pair<QString, StoredConfig>> boards;
    for (const PlanRow &row : plan.rows) {
        // A board given the address new boards answer on could not be told from the next new board.
        if (!at.isNull() && HostAddressOf(*row.changes.lift) == at)
            problems << QStringLiteral("line %1 (%2): its lift address %3 is where new boards answer (--at); "
                                       "give the row another address (and set it by hand later), or "
                                       "commission new boards at another --at")
                            .arg(row.line)
                            .arg(row.name, at.toString());
        // A board as it comes new: the MAC's first bytes 00:1E, static addressing unless the row says.
        StoredConfig base;
        base.config.record.mac = {0x00, 0x1E};
        StoredConfig planned;
        try {
            planned = Planned(row, base);
        } catch (const Failure &failure) {
            problems << QStringLiteral("line %1 (%2): %3").arg(row.line).arg(row.name, failure.message);
            continue;
        }
        for (const QString &problem : GuardProblems(planned, standIn))
            problems << QStringLiteral("line %1 (%2): %3").arg(row.line).arg(row.name, problem);
        boards << std::pair{row.name, planned};
    }
    return problems + DuplicateProblems(boards);
}

QString CommissionLogPath(const QString &planPath)
{
    const QFileInfo info(planPath);
    return info.dir().filePath(info.completeBaseName() + QStringLiteral(".log.csv"));
}

SitePlan LoadSitePlan(const QString &path, bool standIn, const QHostAddress &at, Console &console)
{
    QByteArray text;
    QString error;
    const ReadOutcome outcome = ReadBoundedFile(path, MaxPlanBytes, text, error);
    if (outcome != ReadOutcome::Read)
        Fail(BadUsage, ReadFailure(outcome, path, error, QStringLiteral("plan")));
    SitePlan plan = ParseSitePlan(text);
    console.err << TerminalText(path) << ": read as " << plan.reading << '\n';
    if (!plan.ignored.isEmpty())
        console.err << TerminalText(path) << ": column(s) "
                    << TerminalText(plan.ignored.join(QStringLiteral(", ")))
                    << " not used by velmarctl: kept in the plan and ignored\n";
    const QStringList problems = CheckSitePlan(plan, standIn, at);
    for (const QString &problem : problems)
        console.err << TerminalText(path) << ": " << TerminalText(problem) << '\n';
    if (!problems.isEmpty())
        Fail(BadUsage, QStringLiteral("the plan has %1 problem(s); nothing sent").arg(problems.size()));
    return plan;
}

namespace {

// One run through a plan, in three phases: the rows written before are finished on their own boards,
// boards already in place are recorded, and then new boards are taken one at a time. A phase that
// ends the run gives its exit code.
class CommissionRun
{
public:
    CommissionRun(const Link &link, const CommissionOptions &options, const SitePlan &plan, Console &console)
        : link_(link), options_(options), plan_(plan), console_(console),
          log_(CommissionLogPath(options.planPath), plan), session_(link)
    {
        if (!options_.onlyRow.isEmpty() && !options_.redo && log_.finished(options_.onlyRow))
            Fail(BadUsage,
                 QStringLiteral("\"%1\" is done already; --redo \"%1\" commissions it again, on the board "
                                "that replaces its own")
                     .arg(options_.onlyRow));
    }

    int run()
    {
        if (!options_.forget.isEmpty())
            return forget();
        if (const auto end = finishWrittenRows())
            return *end;
        recordBoardsInPlace();
        while (!pending().isEmpty()) {
            if (const auto end = commissionNewBoard(pending().first()))
                return *end;
            if (!pending().isEmpty())
                sayNext();
        }
        if (!skipped_.isEmpty()) {
            console_.err << skipped_.size() << " row(s) not written: their addresses are taken\n";
            return SomeFailed;
        }
        QStringList open;
        for (const PlanRow &row : plan_.rows)
            if (!log_.finished(row.name))
                open << row.name +
                            (log_.writtenOnly({row}).isEmpty() ? QString() : QStringLiteral(" (written)"));
        if (!open.isEmpty()) {
            console_.out << open.size() << " row(s) of " << options_.planPath
                         << " not done yet: " << Printable(open.join(QStringLiteral(", "))) << '\n';
            return Ok;
        }
        console_.out << "every row of " << options_.planPath << " is done\n";
        return Ok;
    }

private:
    // "connect the next board: Lift 24 (24 of 40)": what the operator plugs in next, and where it stands.
    void sayNext()
    {
        const QList<PlanRow> rows = pending();
        if (rows.isEmpty())
            return;
        console_.out << "connect the next board: " << Printable(rows.first().name) << " ("
                     << position(rows.first()) << " of " << plan_.rows.size() << ")\n";
        console_.out.flush();
    }
    qsizetype position(const PlanRow &row) const
    {
        for (qsizetype i = 0; i < plan_.rows.size(); ++i)
            if (plan_.rows[i].name == row.name)
                return i + 1;
        return 0;
    }

    // A written row whose board is gone (broken, carried off) is given up, on record: the row is free
    // for a new board, and that board's MAC no longer waited for.
    int forget()
    {
        const auto e = log_.entry(options_.forget);
        if (!e || e->result != Written)
            Fail(BadUsage, QStringLiteral("\"%1\" is not a written row waiting for its board; --forget frees "
                                          "only such a row")
                               .arg(options_.forget));
        const PlanRow &row = *std::find_if(plan_.rows.begin(), plan_.rows.end(),
                                           [&](const PlanRow &r) { return r.name == options_.forget; });
        StoredConfig board;
        board.config.record.mac = ParseMac(e->macBefore).value_or(Mac{});
        board.config.record.liftIp = *row.changes.lift;
        log_.add(row, board, std::nullopt, Forgotten, console_);
        console_.out << Printable(row.name) << ": free again; board " << e->mac
                     << " is no longer waited for. A run started again gives the row to a new board\n";
        return Ok;
    }

    QList<PlanRow> pending() const
    {
        QList<PlanRow> rows;
        for (const PlanRow &row : plan_.rows) {
            const bool again = options_.redo && !redone_;
            if ((!log_.finished(row.name) || again) && !skipped_.contains(row.name) &&
                (options_.onlyRow.isEmpty() || row.name == options_.onlyRow))
                rows << row;
        }
        return rows;
    }

    void done(const PlanRow &row, const StoredConfig &before, const StoredConfig &after, const QString &how)
    {
        log_.add(row, before, after, how, console_);
        redone_ = true;
    }

    // A row written before but never seen on its planned address (the run was stopped, or the power
    // went) is finished first: its board may still be rebooting, and must not be taken for a new one.
    std::optional<int> finishWrittenRows()
    {
        for (const PlanRow &row : pending()) {
            const auto entry = log_.entry(row.name);
            if (!entry || entry->result != Written)
                continue;
            const QHostAddress target = HostAddressOf(*row.changes.lift);
            // Stopped before its reboot, the board still answers where new boards do: it is rebooted now.
            const auto waiting = session_.read({options_.at}, SelectorStored, link_.timing);
            if (!waiting.isEmpty() && MacText(waiting.begin()->config.record.mac) == entry->mac) {
                console_.out << Printable(row.name) << ": board " << entry->mac
                             << " was written but not rebooted; rebooting it\n";
                session_.reboot({options_.at}, link_.timing.timeoutMs);
            }
            console_.out << Printable(row.name) << ": written to board " << entry->mac
                         << " before; waiting for it at " << target.toString() << " …\n";
            console_.out.flush();
            const auto after = Await(session_, target, options_.waitLimitSeconds * 1000, link_.timing,
                                     [&](const StoredConfig &config) {
                                         return MacText(config.config.record.mac) == entry->mac &&
                                                Same(config, Expected(ValuesFor(Planned(row, config))));
                                     });
            if (Interrupted())
                return Stopped(console_);
            if (!after)
                Fail(SomeFailed,
                     QStringLiteral("%1 was written to board %2, which does not answer at %3 as planned; "
                                    "find that board before connecting another, or give it up with --forget "
                                    "\"%1\"")
                         .arg(row.name, entry->mac, target.toString()));
            StoredConfig before = *after;  // its MAC as it was before the write, as the record has it
            before.config.record.mac = ParseMac(entry->macBefore).value_or(before.config.record.mac);
            done(row, before, *after, Done);
            sayNext();
        }
        return std::nullopt;
    }

    // Boards already on their planned addresses, with their planned configuration, are done. Another
    // board on a planned address would clash with the row's: that row is not written.
    void recordBoardsInPlace()
    {
        QList<QHostAddress> addresses;
        for (const PlanRow &row : pending())
            addresses << HostAddressOf(*row.changes.lift);
        if (addresses.isEmpty())
            return;
        const auto found = session_.read(addresses, SelectorStored, link_.timing);
        for (const PlanRow &row : pending()) {
            const auto there = found.find(HostAddressOf(*row.changes.lift).toIPv4Address());
            if (there == found.end())
                continue;
            const StoredConfig planned = Expected(ValuesFor(Planned(row, *there)));
            if (Same(*there, planned)) {
                done(row, *there, *there, InPlace);
            } else if (there->config.record.mac == planned.config.record.mac) {
                // Its own board, set up by another run (another laptop, an earlier plan): no clash.
                console_.err << Printable(row.name) << ": its board " << MacText(there->config.record.mac)
                             << " is in place at " << HostAddressOf(*row.changes.lift).toString()
                             << " but holds " << Differences(*there, planned).join(QStringLiteral(", "))
                             << "; this row is not written (velmarctl write sets those fields)\n";
                skipped_.insert(row.name);
            } else {
                console_.err << Printable(row.name) << ": board " << MacText(there->config.record.mac)
                             << " already answers at " << HostAddressOf(*row.changes.lift).toString()
                             << " with another configuration: an address clash; this row is not written\n";
                skipped_.insert(row.name);
            }
        }
    }

    // Waits for a new board where new boards answer, writes the row, reboots it and finds it on its
    // planned address.
    std::optional<int> commissionNewBoard(const PlanRow &row)
    {
        console_.out << "waiting for the board of " << Printable(row.name) << " (" << position(row) << " of "
                     << plan_.rows.size() << ") at " << PaddedDottedText(options_.at) << " …\n";
        console_.out.flush();
        // A board that shows the MAC of a row written already is that row's board, not a new one.
        const QSet<QString> written = log_.writtenMacs();
        const auto current = Await(session_, options_.at, 0, link_.timing, [&](const StoredConfig &config) {
            return !written.contains(MacText(config.config.record.mac));
        });
        if (!current)
            return Stopped(console_);
        // Two new boards connected at once would both take this row: the run stops instead.
        session_.read({options_.at}, SelectorStored, link_.timing);
        RefuseTwoBoards(session_, {options_.at}, link_.timing, QStringLiteral("nothing written"));
        const StoredConfig expected = Expected(ValuesFor(Planned(row, *current)));
        console_.out << Printable(row.name) << ": board " << MacText(current->config.record.mac) << ", \""
                     << Printable(VersionToText(current->config.versionText)) << "\"\n";
        const int kept = WriteAndVerify(
            session_, link_, options_.at, *current,
            [&row](const StoredConfig &holds) {
                const StoredConfig planned = Planned(row, holds);
                return WriteIntent{planned, Expected(ValuesFor(planned))};
            },
            false, console_);
        if (Interrupted() && kept != NoConfirmation)
            return Stopped(console_);
        if (kept != Ok) {
            // Not recorded as written: a run started again finds the same board where new boards answer
            // and writes it again, whether it kept the write or not.
            log_.add(row, *current, std::nullopt,
                     kept == NoConfirmation ? QStringLiteral("not confirmed") : QStringLiteral("not kept"),
                     console_);
            return kept;
        }
        // Another configurator (a second laptop on the site) may have written the same board meanwhile: it
        // is read once more just before its reboot, and the row goes on only while it holds this run's
        // values.
        const auto still = session_.readUntil(
            options_.at, SelectorStored, [&](const StoredConfig &config) { return Same(config, expected); },
            link_.timing);
        if (Interrupted())
            return Stopped(console_);
        if (!still || !Same(*still, expected)) {
            console_.err << Printable(row.name) << ": another configurator wrote this board"
                         << (still ? QStringLiteral(" (it holds ") +
                                         Differences(*still, expected).join(", ") + ")"
                                   : QString())
                         << "; this row is not written\n";
            log_.add(row, *current, std::nullopt, QStringLiteral("written by another configurator"),
                     console_);
            return SomeFailed;
        }
        // Recorded before the reboot: a run stopped from here on finishes this row before any other.
        log_.add(row, *current, expected, Written, console_);
        const bool acknowledged = !session_.reboot({options_.at}, link_.timing.timeoutMs).isEmpty();
        if (Interrupted())
            return Stopped(console_);
        if (!acknowledged)
            console_.err << Printable(row.name)
                         << ": no acknowledgement of the reboot; waiting for it all the same\n";
        const QHostAddress target = HostAddressOf(expected.config.record.liftIp);
        console_.out << Printable(row.name) << ": rebooted; waiting for it at " << target.toString()
                     << " …\n";
        console_.out.flush();
        const auto after = Await(session_, target, options_.waitLimitSeconds * 1000, link_.timing,
                                 [&](const StoredConfig &config) { return Same(config, expected); });
        if (Interrupted())
            return Stopped(console_);
        if (!after) {
            // The row stays written: a run started again waits for this board before taking another.
            console_.err << Printable(row.name) << ": not found on its new address " << target.toString()
                         << " within " << options_.waitLimitSeconds
                         << " s; a run started again waits for it there first\n";
            return SomeFailed;
        }
        done(row, *current, *after, Done);
        return std::nullopt;
    }

    const Link &link_;
    const CommissionOptions &options_;
    const SitePlan &plan_;
    Console &console_;
    CommissionLog log_;
    LinkedSession session_;
    QSet<QString> skipped_;  // rows whose planned address another board already holds
    bool redone_ = false;    // --redo: the row is done again in this run
};

}  // namespace

QStringList OutOfReach(const SitePlan &plan, const QList<LocalSubnet> &subnets, const QHostAddress &at)
{
    QStringList problems;
    const std::optional<LocalSubnet> atSubnet = SubnetHolding(subnets, at);
    for (const PlanRow &row : plan.rows) {
        const QHostAddress lift = HostAddressOf(*row.changes.lift);
        if (lift.isLoopback() || SubnetHolding(subnets, lift))
            continue;
        const QHostAddress mask = HostAddressOf(*row.changes.mask);
        const quint32 bits = mask.toIPv4Address();  // a run of ones: the guard refuses any other mask
        problems << QStringLiteral(
                        "line %1 (%2): this computer has no address in %3/%4, where the board "
                        "answers after its reboot: it could not be found there; give this computer "
                        "an address there first (%5)")
                        .arg(row.line)
                        .arg(row.name, QHostAddress(lift.toIPv4Address() & bits).toString())
                        .arg(std::popcount(bits))
                        .arg(HowToReach(atSubnet ? &*atSubnet : nullptr, lift, mask,
                                        HostAddressOf(row.changes.router.value_or(Ipv4{})))
                                 .join(QStringLiteral("; ")));
    }
    return problems;
}

int CommissionCommand(const Link &link, const CommissionOptions &options, Console &console)
{
    if (options.planPath == QLatin1String("-") && !options.checkOnly)
        Fail(BadUsage, QStringLiteral("a commission run keeps its log beside the plan: give the plan as a "
                                      "file (standard input serves --check and audit)"));
    const SitePlan plan = LoadSitePlan(options.planPath, options.at.isLoopback(), options.at, console);
    for (const QString &named : {options.onlyRow, options.forget})
        if (!named.isEmpty() && std::none_of(plan.rows.begin(), plan.rows.end(),
                                             [&](const PlanRow &row) { return row.name == named; }))
            Fail(BadUsage, QStringLiteral("the plan has no row \"%1\"").arg(named));
    // A board written to a subnet this computer has no address in vanishes from it after its reboot. A
    // check (at the office, say) warns; a run refuses, unless --force.
    QStringList unreachable;
    if (!options.at.isLoopback())
        unreachable = OutOfReach(plan, LocalSubnets(), options.at);
    for (const QString &problem : unreachable)
        console.err << TerminalText(options.planPath) << ": " << TerminalText(problem) << '\n';
    if (options.checkOnly) {
        console.out << TerminalText(options.planPath) << ": " << plan.rows.size()
                    << " row(s), no problem found"
                    << (unreachable.isEmpty()
                            ? QString()
                            : QStringLiteral("; %1 of them in a subnet this computer has no address in now")
                                  .arg(unreachable.size()))
                    << '\n';
        return Ok;
    }
    if (!unreachable.isEmpty() && !link.force)
        Fail(BadUsage, QStringLiteral("%1 row(s) in a subnet this computer cannot reach; nothing sent "
                                      "(--force goes on all the same)")
                           .arg(unreachable.size()));
    // Two runs on this computer never wait for new boards at one address: both would take one board.
    const AddressLock lock(options.at, QStringLiteral("waits for new boards at"), console.err);
    return CommissionRun(link, options, plan, console).run();
}

}  // namespace velmar
