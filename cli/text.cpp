#include "text.h"

#include "escaped_text.h"
#include "session.h"

namespace velmar {

namespace {

const char *const Overtaken =
    "the board holds neither its old values nor this write's: another write overtook "
    "this one, or the board did not keep all of it";

// "  board holds: mask 255.0.0.0 (wanted 255.255.255.0)"
void SayDifferences(QTextStream &out, const char *what, const QStringList &differences)
{
    for (const QString &difference : differences)
        out << "  " << what << ": "
            << QString(difference).replace(QStringLiteral("(planned "), QStringLiteral("(wanted ")) << '\n';
}

}  // namespace

QString ConfigText(const StoredConfig &s)
{
    const ConfigRecord &r = s.config.record;
    return QStringLiteral("lift %1  mask %2  router %3  mac %4  ident %5  console %6  board %7  "
                          "dispatcher %8  reserve %9 %10  version \"%11\"")
        .arg(IpText(r.liftIp), IpText(r.netMask), IpText(r.routerIp), MacText(r.mac))
        .arg(r.boardIdent)
        .arg(r.consoleDynamic ? "dynamic" : "static", s.config.boardDhcp ? "dhcp" : "static",
             IpText(r.dispatcherIp), IpText(r.reserveIp1), IpText(r.reserveIp2),
             Printable(VersionToText(s.config.versionText)));
}

QString LateText(const QHostAddress &target, int timeoutMs)
{
    return QStringLiteral("%1 answered only after the time-out of %2 ms: give it more time, say --timeout %3")
        .arg(target.toString())
        .arg(timeoutMs)
        .arg(std::min(timeoutMs * 4, 60000));
}

QString SilenceText(const QHostAddress &target, const LeftOut &why)
{
    switch (why.cause) {
    case LeftOut::Unreachable:
        return QStringLiteral(
                   "no route to %1: this computer has no address in its subnet (velmarctl discover "
                   "says how to add one)")
            .arg(target.toString());
    case LeftOut::Unusable: return QStringLiteral("answered, but not with what was asked: ") + why.answered;
    case LeftOut::AnsweredLate: return LateText(target, why.timeoutMs).mid(target.toString().size() + 1);
    case LeftOut::TwoBoards: return TwoBoardsText(why.macs, target);
    case LeftOut::NoAnswer: break;
    }
    return QStringLiteral("no answer");
}

QString LeftOutText(const QHostAddress &target, const LeftOut &why, const QString &nothing)
{
    const bool sayNothing = why.cause == LeftOut::AnsweredLate || why.cause == LeftOut::TwoBoards;
    return SilenceText(target, why) + (sayNothing ? QStringLiteral("; ") + nothing : QString());
}

QString SilentText(int silent, int unreachable)
{
    QString text =
        silent == 1 ? QStringLiteral("1 address silent") : QStringLiteral("%1 addresses silent").arg(silent);
    if (unreachable)
        text += QStringLiteral(" (no route to %1 of them: this computer has no address in their subnet)")
                    .arg(unreachable);
    return text;
}

void SaySilences(const ReadResult &read, qsizetype total, Terminal &terminal)
{
    if (!read.silences.isEmpty())
        terminal.err << read.silences.size() << " of " << total
                     << " board(s) did not answer with their configuration"
                     << (read.named ? QStringLiteral(", %1 of them named alone").arg(read.named) : QString())
                     << '\n';
}

void SayTotals(const Tally &tally, const Survey &survey, const char *done, bool stopped, Terminal &terminal)
{
    if (stopped)
        terminal.err << "stopped; ";
    terminal.err << tally.ok << " of " << survey.boards() << " board(s) " << done;
    for (auto [count, what] : {std::pair{tally.failed, "failed"},
                               {tally.refused, "refused"},
                               {tally.unconfirmed, "not confirmed"},
                               {tally.untouched, "left as it was"}})
        if (count)
            terminal.err << ", " << count << ' ' << what;
    if (survey.silent)
        terminal.err << "; " << SilentText(survey.silent, survey.unreachable);
    terminal.err << '\n';
}

QString DatagramRow(const WatchedDatagram &d)
{
    QStringList parts{QLatin1String(KindName(d.kind))};
    if (d.oversize)
        parts = QStringList{QStringLiteral("oversize: longer than any board sends, not decoded")};
    if (d.config)
        parts << ConfigText(*d.config);
    if (d.ikl)
        parts << QStringLiteral("ikl %1").arg(*d.ikl);
    if (d.ident)
        parts << QStringLiteral("ident %1").arg(*d.ident);
    if (!d.oversize && d.kind == DatagramKind::Unknown)
        parts << QString::fromLatin1(d.data.left(64).toHex(' ')) + (d.data.size() > 64 ? " ..." : "");
    return QStringLiteral("%1  %2:%3  %4 bytes  %5")
        .arg(d.at.toString(QStringLiteral("HH:mm:ss.zzz")), d.from)
        .arg(d.port)
        .arg(d.bytes)
        .arg(parts.join(QLatin1String("  ")));
}

void SayRestoreStep(const RestoreStep &step, Terminal &terminal)
{
    QTextStream &out = terminal.out;
    const QString target = step.target.toString();
    const ConfigRecord &own = step.current.config.record;
    if (step.byAddress)
        out << target << ": no backup of its MAC " << MacText(own.mac)
            << "; taking the newest of its address\n";
    if (step.problem)
        return;
    // A file's name in a folder of backups is anyone's text: shown with its control characters escaped.
    out << target << ": from " << TerminalText(step.file);
    if (step.made.isValid())
        out << " (backed up " << step.made.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
            << ')';
    out << '\n';
    if (step.keepsOwn)
        out << "  keeps its own lift address " << IpText(own.liftIp) << " and MAC " << MacText(own.mac)
            << " (the file has " << IpText(step.filed.liftIp) << " and " << MacText(step.filed.mac)
            << "; --exact copies them)\n";
    if (step.nothingToSend)
        out << "  the board already holds the rest of what the file holds: nothing sent\n";
}

void WriteLines::writeChanges(const QHostAddress &target, const QList<FieldChange> &changes,
                              const QList<FieldChange> &uncarried)
{
    for (const FieldChange &change : changes)
        terminal_.out << "  " << change.field << ": " << change.from << " -> " << change.to << '\n';
    for (const FieldChange &field : uncarried)
        terminal_.err << target.toString() << ": " << field.field << " " << field.from
                      << " cannot go out with a static console; the board will hold " << field.to << '\n';
}

void WriteLines::guardProblems(const QHostAddress &target, const QList<GuardProblem> &problems, bool forced)
{
    for (const GuardProblem &problem : problems)
        terminal_.err << target.toString() << ": " << GuardText(problem) << '\n';
    if (forced)
        terminal_.err << target.toString() << ": sent all the same (--force)\n";
}

void WriteLines::writtenMeanwhile(const QHostAddress &, const QList<FieldChange> &changes)
{
    terminal_.out << "  written meanwhile by another configurator:\n";
    for (const FieldChange &change : changes)
        terminal_.out << "    " << change.field << ": " << change.from << " -> " << change.to << '\n';
}

int PresentWrite(const WriteResult &result, Terminal &terminal)
{
    QTextStream &out = terminal.out;
    const QString target = result.target.toString();
    switch (result.verdict) {
    case WriteVerdict::NoChange:
        out << (result.afterMeanwhile ? "  no change left: nothing sent\n" : "  no change: nothing sent\n");
        return WriteExit(result);
    case WriteVerdict::Refused:
        Throw(SiteError::Refused,
              QStringLiteral("this configuration would leave the board unreachable or broken; nothing "
                             "sent (--force sends it anyway)"));
    case WriteVerdict::Checked: out << "dry run: nothing sent\n"; return WriteExit(result);
    case WriteVerdict::Overtaken:
        SayDifferences(out, "board holds", result.differences);
        out << target << ": " << Overtaken << '\n';
        return WriteExit(result);
    case WriteVerdict::NotConfirmed: break;
    case WriteVerdict::Kept:
    case WriteVerdict::NotAllKept:
        for (const FieldChange &field : result.fields)
            out << "  " << field.field << ": "
                << (field.from == field.to ? "kept " + field.to
                                           : "NOT kept: wanted " + field.from + ", board has " + field.to)
                << '\n';
        out << target
            << (result.verdict == WriteVerdict::NotAllKept
                    ? ": the board does not hold everything asked for\n"
                    : ": the board kept the write\n");
        return WriteExit(result);
    }
    if (result.stopped) {
        terminal.out.flush();
        terminal.err << target << ": stopped after the write went out; not confirmed: read the board "
                     << "to see what it holds\n";
    } else if (result.noAnswer) {
        terminal.err << target << ": no answer after the write\n";
    } else {
        SayDifferences(out, "last answer", result.differences);
        out << target << ": no confirmation of the write; read the board again in a while\n";
    }
    return WriteExit(result);
}

}  // namespace velmar
