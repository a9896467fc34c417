#include "reboot.h"

#include <QElapsedTimer>

namespace velmar {

namespace {

// Each board is asked every PollMs from its acknowledgement on, and its time is its own: from its
// acknowledgement to its first answer.
constexpr int PollMs = 100;

// The boards to reboot, and where each one that stored another lift address comes up.
struct Rebooting
{
    QList<QHostAddress> asked;
    QHash<quint32, QHostAddress> comesUpAt;
};

Rebooting BoardsToReboot(const QList<QHostAddress> &targets, const Survey &survey, Sink &sink)
{
    Rebooting rebooting;
    for (const QHostAddress &target : targets) {
        const quint32 key = target.toIPv4Address();
        if (survey.failed.contains(key))
            sink.notDone(target, survey.failed.value(key));
        if (!survey.configs.contains(key))
            continue;
        rebooting.asked << target;
        const StoredConfig &stored = survey.configs[key];
        const QHostAddress lift = HostAddressOf(stored.config.record.liftIp);
        if (!stored.config.boardDhcp && lift.toIPv4Address() != key)
            rebooting.comesUpAt.insert(key, lift);
    }
    return rebooting;
}

// One round of the wait: every pending board read at its address and where it comes up; those that
// answered are told and taken off `pending`.
qsizetype AskPending(Session &session, QList<QHostAddress> &pending, const Rebooting &rebooting,
                     const QHash<quint32, qint64> &acknowledgedAt, const QElapsedTimer &clock, Sink &sink)
{
    QList<QHostAddress> asking;
    QHash<quint32, QHostAddress> whose;  // the address asked: the board it stands for
    for (const QHostAddress &target : pending)
        for (const QHostAddress &at : {target, rebooting.comesUpAt.value(target.toIPv4Address())})
            if (!at.isNull() && !whose.contains(at.toIPv4Address())) {
                whose.insert(at.toIPv4Address(), target);
                asking << at;
            }
    QSet<quint32> answered;
    session.read(asking, SelectorWorking, {PollMs, 0}, [&](const Session::BoardRead &read) {
        const QHostAddress target = whose.value(read.target.toIPv4Address());
        if (!read.config || answered.contains(target.toIPv4Address()))
            return;
        answered.insert(target.toIPv4Address());
        sink.answersAgain(target, read.target,
                          clock.elapsed() - acknowledgedAt.value(target.toIPv4Address()));
    });
    pending.removeIf([&](const QHostAddress &target) { return answered.contains(target.toIPv4Address()); });
    return answered.size();
}

}  // namespace

RebootResult RebootBoards(Session &session, Session::Timing timing, const RebootOrder &request, Sink &sink)
{
    RebootResult result;
    result.survey = SurveyOf(session, request.targets, request.named, timing, sink);
    if ((result.stopped = session.cancelled()))
        return result;
    const Rebooting rebooting = BoardsToReboot(request.targets, result.survey, sink);
    QElapsedTimer clock;
    clock.start();
    QHash<quint32, qint64> acknowledgedAt;  // only these are waited for
    QList<QHostAddress> pending;
    result.failed = int(result.survey.failed.size());
    if (!rebooting.asked.isEmpty())
        session.reboot(rebooting.asked, timing.timeoutMs, [&](const Session::Outcome &outcome) {
            const bool ack = outcome.answer.has_value();
            result.failed += !ack;
            if (ack) {
                pending << outcome.target;
                acknowledgedAt.insert(outcome.target.toIPv4Address(), clock.elapsed());
            }
            sink.rebootAnswered(outcome.target, ack                   ? RebootAnswer::Acknowledged
                                                : outcome.unreachable ? RebootAnswer::Unreachable
                                                : outcome.unusable    ? RebootAnswer::Unusable
                                                                      : RebootAnswer::None);
        });
    if ((result.stopped = session.cancelled()))
        return result;
    result.acknowledged = acknowledgedAt.size();
    const qint64 limitMs = request.waitLimitSeconds * 1000LL;
    while (request.wait && !pending.isEmpty() && clock.elapsed() < limitMs && !session.cancelled()) {
        sink.waiting(pending.size(), clock.elapsed() / 1000, request.waitLimitSeconds);
        result.back += AskPending(session, pending, rebooting, acknowledgedAt, clock, sink);
    }
    result.stopped = session.cancelled();
    if (request.wait)  // without a wait an acknowledged reboot is done: nothing is still silent
        result.stillSilent = pending;
    return result;
}

}  // namespace velmar
