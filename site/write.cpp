#include "write.h"
#include "guard.h"
#include "site_error.h"

#include <algorithm>

namespace velmar {

ConfigWriteValues ValuesFor(const StoredConfig &stored)
{
    ConfigWriteValues values;
    values.record = stored.config.record;
    values.rayNumber = stored.rayNumber;
    values.boardDhcp = stored.config.boardDhcp;
    return values;
}

StoredConfig HeldAfterWrite(const StoredConfig &written)
{
    return Expected(ValuesFor(written));
}

StoredConfig Expected(const ConfigWriteValues &values)
{
    const auto parsed = ParseConfigWrite(ConfigWrite(values));
    StoredConfig expected;
    expected.config.record = parsed->record;
    expected.config.boardDhcp = parsed->boardDhcp;
    return expected;
}

QList<FieldChange> FieldsOf(const StoredConfig &a, const StoredConfig &b)
{
    const ConfigRecord &x = a.config.record, &y = b.config.record;
    auto mode = [](bool dynamic, const char *on) { return QString::fromLatin1(dynamic ? on : "static"); };
    return {
        {QStringLiteral("lift"), IpText(x.liftIp), IpText(y.liftIp)},
        {QStringLiteral("mask"), IpText(x.netMask), IpText(y.netMask)},
        {QStringLiteral("router"), IpText(x.routerIp), IpText(y.routerIp)},
        {QStringLiteral("mac"), MacText(x.mac), MacText(y.mac)},
        {QStringLiteral("dispatcher"), IpText(x.dispatcherIp), IpText(y.dispatcherIp)},
        {QStringLiteral("ident"), QString::number(x.boardIdent), QString::number(y.boardIdent)},
        {QStringLiteral("console"), mode(x.consoleDynamic, "dynamic"), mode(y.consoleDynamic, "dynamic")},
        {QStringLiteral("board"), mode(a.config.boardDhcp, "dhcp"), mode(b.config.boardDhcp, "dhcp")},
        {QStringLiteral("reserve1"), IpText(x.reserveIp1), IpText(y.reserveIp1)},
        {QStringLiteral("reserve2"), IpText(x.reserveIp2), IpText(y.reserveIp2)},
    };
}

QList<FieldChange> ChangesBetween(const StoredConfig &a, const StoredConfig &b)
{
    QList<FieldChange> changes;
    for (const FieldChange &field : FieldsOf(a, b))
        if (field.from != field.to)
            changes << field;
    return changes;
}

QStringList Differences(const StoredConfig &have, const StoredConfig &want)
{
    QStringList differences;
    for (const FieldChange &field : ChangesBetween(have, want))
        differences << QStringLiteral("%1 %2 (planned %3)").arg(field.field, field.from, field.to);
    return differences;
}

bool Same(const StoredConfig &a, const StoredConfig &b)
{
    return ChangesBetween(a, b).isEmpty();
}

namespace {

const char *const ConsoleOnly = "the dispatcher address, identifier and reserve addresses go only with a "
                                "dynamic console (--console dynamic)";

bool ChangesConsoleBlock(const Changes &c)
{
    return c.dispatcher || c.ident || c.reserve1 || c.reserve2;
}

}  // namespace

void CheckChanges(const Changes &c)
{
    if (c.consoleDynamic && c.boardDhcp && !AddressingAllowed(*c.boardDhcp, *c.consoleDynamic))
        Throw(SiteError::BadRequest, QStringLiteral("a board on DHCP needs --console dynamic"));
    if (c.consoleDynamic == false && ChangesConsoleBlock(c))
        Throw(SiteError::BadRequest, QString::fromLatin1(ConsoleOnly));
}

StoredConfig Apply(StoredConfig wanted, const Changes &c)
{
    CheckChanges(c);
    ConfigRecord &r = wanted.config.record;
    for (auto [change, field] : {std::pair{&c.lift, &r.liftIp},
                                 {&c.mask, &r.netMask},
                                 {&c.router, &r.routerIp},
                                 {&c.dispatcher, &r.dispatcherIp},
                                 {&c.reserve1, &r.reserveIp1},
                                 {&c.reserve2, &r.reserveIp2}})
        if (*change)
            *field = **change;
    if (c.mac)
        r.mac = *c.mac;
    if (c.macFromLift)
        r.mac = MacFromLift(r.mac, r.liftIp);
    // A change of one addressing box brings the other into line, as the window's boxes do.
    if (c.consoleDynamic) {
        r.consoleDynamic = *c.consoleDynamic;
        if (!AddressingAllowed(wanted.config.boardDhcp, r.consoleDynamic))
            wanted.config.boardDhcp = false;
    }
    if (c.boardDhcp) {
        wanted.config.boardDhcp = *c.boardDhcp;
        if (!AddressingAllowed(wanted.config.boardDhcp, r.consoleDynamic))
            r.consoleDynamic = true;
    }
    if (!r.consoleDynamic && ChangesConsoleBlock(c))
        Throw(SiteError::BadRequest, QString::fromLatin1(ConsoleOnly));
    if (c.ident)
        r.boardIdent = *c.ident;
    return wanted;
}

namespace {

WriteResult Verdict(const QHostAddress &target, WriteVerdict verdict, bool afterMeanwhile = false,
                    bool complete = true)
{
    WriteResult result;
    result.target = target;
    result.verdict = verdict;
    result.afterMeanwhile = afterMeanwhile;
    result.complete = complete;
    return result;
}

// What the guard finds in a configuration about to go out, told to the sink; whether it goes out.
bool Announce(const QHostAddress &target, const StoredConfig &expected, bool force, Sink &sink)
{
    const QStringList problems = GuardProblems(expected, target.isLoopback());
    if (!problems.isEmpty())
        sink.guardProblems(target, problems, force);
    return problems.isEmpty() || force;
}

// The verdict on what the board answered after the write.
WriteResult Judge(const QHostAddress &target, const std::optional<StoredConfig> &after,
                  const StoredConfig &base, const StoredConfig &expected, const StoredConfig &judge)
{
    WriteResult result = Verdict(target, WriteVerdict::NotConfirmed);
    if (!after) {
        result.noAnswer = true;
        return result;
    }
    if (!Same(*after, expected)) {
        // Values that are neither the old ones nor ours: another configurator wrote the board meanwhile
        // (or the board keeps only part of what it is sent). Answers that still show the old values may
        // be late copies of answers given before the write (a slow board's, or where answers get lost):
        // they neither confirm the write nor show it lost.
        result.verdict = Same(*after, base) ? WriteVerdict::NotConfirmed : WriteVerdict::Overtaken;
        result.differences = Differences(*after, expected);
        return result;
    }
    result.fields = FieldsOf(judge, *after);
    const bool lost = std::any_of(result.fields.begin(), result.fields.end(),
                                  [](const FieldChange &field) { return field.from != field.to; });
    result.verdict = lost ? WriteVerdict::NotAllKept : WriteVerdict::Kept;
    return result;
}

}  // namespace

WriteResult WriteAndVerify(Session &session, Session::Timing timing, const QHostAddress &target,
                           const StoredConfig &before, const IntentFor &intent, const WriteOptions &options,
                           Sink &sink)
{
    WriteIntent want = intent(before);
    StoredConfig expected = HeldAfterWrite(want.wanted);
    const QList<FieldChange> changes = ChangesBetween(before, expected);
    sink.writeChanges(target, changes, ChangesBetween(want.judge, expected));
    if (changes.isEmpty())
        return Verdict(target, WriteVerdict::NoChange, false, Same(want.judge, expected));
    if (!Announce(target, expected, options.force, sink))
        return Verdict(target, WriteVerdict::Refused);
    if (options.dryRun)
        return Verdict(target, WriteVerdict::Checked);
    session.settleQuiet(50);
    // A whole configuration goes out: had another configurator (a second laptop) written the board
    // since it was read, sending what was made from that read would undo its change. The board is read
    // once more, and this write's intent applied to what it holds now.
    const auto now = session.readUntil(
        target, SelectorStored, [](const StoredConfig &) { return true; }, timing);
    if (session.cancelled())
        Throw(SiteError{SiteError::Stopped, QStringLiteral("stopped"), target, {}, {}});
    if (!now)
        Throw(SiteError{SiteError::Failed,
                        target.toString() + QStringLiteral(": no answer just before the write; nothing sent"),
                        target,
                        {},
                        {}});
    StoredConfig base = before;
    if (!Same(*now, before)) {
        sink.writtenMeanwhile(target, ChangesBetween(before, *now));
        base = *now;
        want = intent(base);
        expected = HeldAfterWrite(want.wanted);
        if (Same(base, expected))
            return Verdict(target, WriteVerdict::NoChange, true, Same(want.judge, expected));
        if (!Announce(target, expected, options.force, sink))
            return Verdict(target, WriteVerdict::Refused);
    }
    try {
        session.write(target, ValuesFor(want.wanted));
    } catch (const SendError &error) {
        Throw(SiteError{SiteError::Failed,
                        QStringLiteral("cannot send to %1: %2").arg(target.toString(), error.what()),
                        target,
                        {},
                        {}});
    }
    // A slow board's late answers to the read before the write disagree; its answers to the write agree.
    const auto after = session.readUntil(
        target, SelectorStored, [&](const StoredConfig &config) { return Same(config, expected); }, timing);
    if (session.cancelled() && !(after && Same(*after, expected))) {
        WriteResult stopped = Verdict(target, WriteVerdict::NotConfirmed);
        stopped.stopped = true;
        return stopped;
    }
    return Judge(target, after, base, expected, want.judge);
}

}  // namespace velmar
