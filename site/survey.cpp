#include "survey.h"
#include "discover.h"
#include "site_error.h"

#include <algorithm>

namespace velmar {

namespace {

const char *const Unusable = "answered, but not with what was asked";

}  // namespace

QString LateText(const QHostAddress &target, Session::Timing timing)
{
    return QStringLiteral("%1 answered only after the time-out of %2 ms: give it more time, say --timeout %3")
        .arg(target.toString())
        .arg(timing.timeoutMs)
        .arg(std::min(timing.timeoutMs * 4, 60000));
}

int LateWaitMs(Session::Timing timing)
{
    return std::min(timing.timeoutMs * 4, 1000);
}

QString Silence(const Session::BoardRead &read)
{
    if (read.unreachable)
        return QStringLiteral(
                   "no route to %1: this computer has no address in its subnet (velmarctl discover "
                   "says how to add one)")
            .arg(read.target.toString());
    if (read.unusable)
        return QString::fromLatin1(Unusable) + QStringLiteral(": ") + read.why;
    return QStringLiteral("no answer");
}

StoredConfig Current(Session &session, const QHostAddress &target, Session::Timing timing)
{
    Session::BoardRead outcome;
    ReadChecked(session, {target}, SelectorStored, timing,
                [&](const Session::BoardRead &read) { outcome = read; });
    if (session.cancelled())
        Throw(SiteError::Stopped, QStringLiteral("stopped"));
    if (!outcome.config) {
        session.settle(LateWaitMs(timing));
        Throw(SiteError::Failed, session.answeredLate().contains(target.toIPv4Address())
                                     ? LateText(target, timing) + QStringLiteral("; nothing sent")
                                     : target.toString() + ": " + Silence(outcome));
    }
    RefuseTwoBoards(session, {target}, timing, QStringLiteral("nothing written"));
    if (session.cancelled())
        Throw(SiteError::Stopped, QStringLiteral("stopped"));
    return *outcome.config;
}

Survey SurveyOf(Session &session, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                Session::Timing timing, const QString &nothing, Sink &sink)
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
            sink.notice(LateText(target, timing));
    const QHash<quint32, QStringList> two =
        answered.isEmpty() ? QHash<quint32, QStringList>() : TwoBoardsOn(session, answered, timing);
    for (const QHostAddress &target : targets) {
        const quint32 key = target.toIPv4Address();
        const Session::BoardRead read = outcomes.value(key);
        if (read.config && two.contains(key))
            survey.failed.insert(key, TwoBoardsText(two.value(key), target) + QStringLiteral("; ") + nothing);
        else if (read.config)
            survey.configs.insert(key, *read.config);
        else if (named.contains(key) && session.answeredLate().contains(key))
            survey.failed.insert(key, LateText(target, timing).mid(target.toString().size() + 1) +
                                          QStringLiteral("; ") + nothing);
        else if (named.contains(key) || read.unusable)
            survey.failed.insert(key, Silence(read));
        else {
            ++survey.silent;
            survey.unreachable += read.unreachable;
        }
    }
    return survey;
}

}  // namespace velmar
