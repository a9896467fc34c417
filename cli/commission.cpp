#include "commission.h"

#include "guard.h"
#include "whole_file.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace velmar {

namespace {

constexpr qint64 MaxPlanBytes = 1 << 20;

// One CSV record per line; fields between double quotes may hold commas, and "" stands for a quote.
QList<QStringList> CsvRecords(const QString &text)
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
            else if (ch == QLatin1Char(',') && !quoted)
                fields << QString();
            else if (ch != QLatin1Char('\r'))
                fields.last() += ch;
        }
        for (QString &field : fields)
            field = field.trimmed();
        records << fields;
    }
    return records;
}

QString Csv(const QString &field)
{
    if (!field.contains(QLatin1Char(',')) && !field.contains(QLatin1Char('"')) &&
        !field.contains(QLatin1Char('\n')))
        return field;
    return QLatin1Char('"') + QString(field).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

const QStringList Columns = {"name",    "lift",       "mask",  "router", "mac",
                             "console", "dispatcher", "ident", "board"};
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

// The rows the record beside the plan names as done.
QSet<QString> DoneRows(const QString &logPath)
{
    QByteArray text;
    QString error;
    QSet<QString> done;
    if (ReadBoundedFile(logPath, MaxPlanBytes * 16, text, error) != ReadOutcome::Read)
        return done;
    const QList<QStringList> records = CsvRecords(QString::fromUtf8(text));
    for (const QStringList &record : records)
        if (record.size() >= 6 &&
            (record[5] == QLatin1String("done") || record[5] == QLatin1String("in place")))
            done.insert(record[1]);
    return done;
}

// One line appended whole; the header first when the record is new.
void Record(const QString &logPath, const PlanRow &row, const StoredConfig &before,
            const std::optional<StoredConfig> &after, const QString &result, Console &console)
{
    QFile file(logPath);
    const bool fresh = !file.exists() || file.size() == 0;
    QString line = fresh ? QStringLiteral("time,row,mac_before,mac_after,version,result\n") : QString();
    line += QStringList{QDateTime::currentDateTime().toString(Qt::ISODate),
                        Csv(row.name),
                        MacText(before.config.record.mac),
                        after ? MacText(after->config.record.mac) : QString(),
                        Csv(VersionToText((after ? *after : before).config.versionText)),
                        result}
                .join(QLatin1Char(','));
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered) || file.write(bytes) != bytes.size())
        Fail(SomeFailed, QStringLiteral("cannot add to %1: %2").arg(logPath, file.errorString()));
    console.out << row.name << ": " << result << '\n';
    console.out.flush();
}

QHostAddress AddressOf(const Ipv4 &ip)
{
    return QHostAddress(IpText(ip));
}

// Reads `target` until it answers, Ctrl+C, or the time is up (0: no limit).
std::optional<StoredConfig> Await(Session &session, const QHostAddress &target, int limitMs,
                                  Session::Timing timing,
                                  const std::function<bool(const StoredConfig &)> &wanted)
{
    QElapsedTimer clock;
    clock.start();
    while (!StopRequested() && (limitMs == 0 || clock.elapsed() < limitMs)) {
        const auto answer = session.readUntil(target, SelectorStored, wanted, timing);
        if (answer && wanted(*answer))
            return answer;
    }
    return std::nullopt;
}

}  // namespace

SitePlan ParseSitePlan(const QByteArray &text)
{
    SitePlan plan;
    QList<QStringList> records = CsvRecords(QString::fromUtf8(text).remove(QChar(0xFEFF)));
    int line = 0;
    while (!records.isEmpty() && records.first().join(QString()).isEmpty()) {
        records.removeFirst();
        ++line;
    }
    if (records.isEmpty()) {
        plan.problems << QStringLiteral("the plan is empty");
        return plan;
    }
    QStringList header = records.takeFirst();
    ++line;
    for (QString &column : header)
        column = column.toLower();
    for (const QString &column : header)
        if (!Columns.contains(column))
            plan.problems << QStringLiteral("line %1: unknown column \"%2\" (columns: %3)")
                                 .arg(line)
                                 .arg(column, Columns.join(QStringLiteral(", ")));
    for (const QString &column : Required)
        if (!header.contains(column))
            plan.problems << QStringLiteral("line %1: no column \"%2\"").arg(line).arg(column);
    if (!plan.problems.isEmpty())
        return plan;
    QSet<QString> names;
    for (const QStringList &record : records) {
        ++line;
        if (record.join(QString()).isEmpty())
            continue;
        QHash<QString, QString> cell;
        for (qsizetype i = 0; i < header.size(); ++i)
            cell.insert(header[i], record.value(i));
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
    return plan;
}

StoredConfig Planned(const PlanRow &row, const StoredConfig &current)
{
    Changes changes = row.changes;
    changes.macFromLift = !row.macGiven;  // as the window's IP --> MAC does
    return Apply(current, changes);
}

QStringList CheckSitePlan(const SitePlan &plan, bool standIn)
{
    QStringList problems = plan.problems;
    QList<std::pair<QString, StoredConfig>> boards;
    for (const PlanRow &row : plan.rows) {
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

int CommissionCommand(const Link &link, const CommissionOptions &options, Console &console)
{
    QByteArray text;
    QString error;
    switch (ReadBoundedFile(options.planPath, MaxPlanBytes, text, error)) {
    case ReadOutcome::Missing: Fail(BadUsage, QStringLiteral("no plan %1").arg(options.planPath));
    case ReadOutcome::Failed:
        Fail(BadUsage, QStringLiteral("cannot read %1: %2").arg(options.planPath, error));
    case ReadOutcome::TooLarge:
        Fail(BadUsage, QStringLiteral("%1 is larger than any plan").arg(options.planPath));
    case ReadOutcome::Read: break;
    }
    const SitePlan plan = ParseSitePlan(text);
    const QStringList problems = CheckSitePlan(plan, options.at.isLoopback());
    for (const QString &problem : problems)
        console.err << options.planPath << ": " << problem << '\n';
    if (!problems.isEmpty())
        Fail(BadUsage, QStringLiteral("the plan has %1 problem(s); nothing sent").arg(problems.size()));
    if (!options.onlyRow.isEmpty() &&
        std::none_of(plan.rows.begin(), plan.rows.end(),
                     [&](const PlanRow &row) { return row.name == options.onlyRow; }))
        Fail(BadUsage, QStringLiteral("the plan has no row \"%1\"").arg(options.onlyRow));
    if (options.checkOnly) {
        console.out << options.planPath << ": " << plan.rows.size() << " row(s), no problem found\n";
        return Ok;
    }

    const QString logPath = CommissionLogPath(options.planPath);
    QSet<QString> done = DoneRows(logPath);
    auto pending = [&] {
        QList<PlanRow> rows;
        for (const PlanRow &row : plan.rows)
            if (!done.contains(row.name) && (options.onlyRow.isEmpty() || row.name == options.onlyRow))
                rows << row;
        return rows;
    };
    LinkedSession session(link);

    // Boards already on their planned addresses, with their planned configuration, are done.
    QList<QHostAddress> planned;
    for (const PlanRow &row : pending())
        planned << AddressOf(*row.changes.lift);
    if (!planned.isEmpty()) {
        const auto found = session.read(planned, SelectorStored, link.timing);
        for (const PlanRow &row : pending()) {
            const auto there = found.find(AddressOf(*row.changes.lift).toIPv4Address());
            if (there != found.end() && Same(*there, Expected(ValuesFor(Planned(row, *there))))) {
                Record(logPath, row, *there, *there, QStringLiteral("in place"), console);
                done.insert(row.name);
            }
        }
    }

    while (!pending().isEmpty()) {
        const PlanRow row = pending().first();
        console.out << "waiting for a board at " << PaddedDottedText(options.at) << " …\n";
        console.out.flush();
        const auto current =
            Await(session, options.at, 0, link.timing, [](const StoredConfig &) { return true; });
        if (!current)
            return Stopped(console);
        const StoredConfig wanted = Planned(row, *current);
        const StoredConfig expected = Expected(ValuesFor(wanted));
        console.out << row.name << ": board " << MacText(current->config.record.mac) << ", \""
                    << Printable(VersionToText(current->config.versionText)) << "\"\n";
        if (WriteAndVerify(session, link, options.at, *current, wanted, expected, false, console) != Ok) {
            Record(logPath, row, *current, std::nullopt, QStringLiteral("not kept"), console);
            return SomeFailed;
        }
        const bool acknowledged = !session.reboot({options.at}, link.timing.timeoutMs).isEmpty();
        if (!acknowledged)
            console.err << row.name << ": no acknowledgement of the reboot; waiting for it all the same\n";
        const QHostAddress target = AddressOf(expected.config.record.liftIp);
        console.out << row.name << ": rebooted; waiting for it at " << target.toString() << " …\n";
        console.out.flush();
        const auto after = Await(session, target, options.waitLimitSeconds * 1000, link.timing,
                                 [&](const StoredConfig &config) { return Same(config, expected); });
        if (StopRequested())
            return Stopped(console);
        if (!after) {
            Record(logPath, row, *current, std::nullopt, QStringLiteral("not found on its new address"),
                   console);
            return SomeFailed;
        }
        Record(logPath, row, *current, after, QStringLiteral("done"), console);
        done.insert(row.name);
        if (!pending().isEmpty())
            console.out << "connect the next board\n";
    }
    console.out << "every row of " << options.planPath << " is done\n";
    return Ok;
}

}  // namespace velmar
