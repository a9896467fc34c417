#include "survey.h"
#include "discover.h"
#include "site_error.h"

#include <algorithm>

namespace velmar {

namespace {

LeftOut Late(Session::Timing timing)
{
    LeftOut why = LeftOut::Of(LeftOut::AnsweredLate);
    why.timeoutMs = timing.timeoutMs;
    return why;
}

LeftOut Twins(const QStringList &macs)
{
    LeftOut why = LeftOut::Of(LeftOut::TwoBoards);
    why.macs = macs;
    return why;
}

}  // namespace

int LateWaitMs(Session::Timing timing)
{
    return std::min(timing.timeoutMs * 4, 1000);
}

LeftOut SilenceOf(const Session::BoardRead &read)
{
    if (read.unreachable)
        return LeftOut::Of(LeftOut::Unreachable);
    if (read.unusable)
        return LeftOut::Of(LeftOut::Unusable, read.why);
    return {};
}

std::optional<StoredConfig> Current(Session &session, const QHostAddress &target, Session::Timing timing,
                                    LeftOut &why)
{
    Session::BoardRead outcome;
    ReadChecked(session, {target}, SelectorStored, timing,
                [&](const Session::BoardRead &read) { outcome = read; });
    if (session.cancelled())
        Throw(SiteError::Stopped, QStringLiteral("stopped"));
    if (!outcome.config) {
        session.settle(LateWaitMs(timing));
        why = session.answeredLate().contains(target.toIPv4Address()) ? Late(timing) : SilenceOf(outcome);
        return std::nullopt;
    }
    RefuseTwoBoards(session, {target}, timing, QStringLiteral("nothing written"));
    if (session.cancelled())
        Throw(SiteError::Stopped, QStringLiteral("stopped"));
    return outcome.config;
}

Survey SurveyOf(Session &session, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                Session::Timing timing, Sink &sink)
{
    Survey survey;
    QHash<quint32, Session::BoardRead> outcomes;
    QList<QHostAddress> answered, silent;
    ReadChecked(session, targets, SelectorStored, timing,
                [&](const Session::BoardRead &read) { outcomes.insert(read.target.toIPv4Address(), read); });
    if (session.cancelled())
        return survey;
    bool namedSilent = false;
    for (const QHostAddress &target : targets) {
        const Session::BoardRead read = outcomes.value(target.toIPv4Address());
        if (read.config)
            answered << target;
        else if (!read.unusable && !read.unreachable)
            silent << target;
        namedSilent = namedSilent || (!read.config && named.contains(target.toIPv4Address()));
    }
    // A silent board named alone is listened to a little longer, for a late answer to name.
    if (namedSilent)
        session.settle(LateWaitMs(timing));
    for (const QHostAddress &target : silent)
        if (session.answeredLate().contains(target.toIPv4Address()) &&
            !named.contains(target.toIPv4Address()))
            sink.answeredLate(target, timing.timeoutMs);
    const QHash<quint32, QStringList> two =
        answered.isEmpty() ? QHash<quint32, QStringList>() : TwoBoardsOn(session, answered, timing);
    for (const QHostAddress &target : targets) {
        const quint32 key = target.toIPv4Address();
        const Session::BoardRead read = outcomes.value(key);
        if (read.config && two.contains(key))
            survey.failed.insert(key, Twins(two.value(key)));
        else if (read.config)
            survey.configs.insert(key, *read.config);
        else if (named.contains(key) && session.answeredLate().contains(key))
            survey.failed.insert(key, Late(timing));
        else if (named.contains(key) || read.unusable)
            survey.failed.insert(key, SilenceOf(read));
        else {
            ++survey.silent;
            survey.unreachable += read.unreachable;
        }
    }
    return survey;
}

}  // namespace velmar
