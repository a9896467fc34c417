#include "read.h"
#include "discover.h"

#include <algorithm>

namespace velmar {

qsizetype ReadResult::unusable() const
{
    return std::count_if(silences.begin(), silences.end(),
                         [](const LeftOut &why) { return why.cause == LeftOut::Unusable; });
}

ReadResult ReadAnswers(Session &session, Session::Timing timing, const ReadOrder &order, Sink &sink)
{
    ReadResult result;
    const auto take = [&](const Session::BoardRead &read) {
        const quint32 key = read.target.toIPv4Address();
        const LeftOut why = SilenceOf(read);
        if (read.config) {
            result.configs.insert(key, *read.config);
        } else {
            result.silences.insert(key, why);
            result.named += order.named.contains(key);
        }
        sink.boardRead(read.target, read.config ? &*read.config : nullptr, why);
    };
    ReadChecked(session, order.targets, order.selector, timing, take);
    result.stopped = session.cancelled();
    return result;
}

ReadResult ReadBoards(Session &session, Session::Timing timing, const ReadOrder &order, Sink &sink)
{
    ReadResult result = ReadAnswers(session, timing, order, sink);
    if (result.stopped)
        return result;
    QList<QHostAddress> silent;
    for (const QHostAddress &target : order.targets)
        if (result.silences.value(target.toIPv4Address(), LeftOut::Of(LeftOut::Unusable)).cause ==
            LeftOut::NoAnswer)
            silent << target;
    // Addresses of a range are mostly empty ones, and only what came while the read lingered is said.
    if (std::any_of(silent.begin(), silent.end(),
                    [&](const QHostAddress &target) { return order.named.contains(target.toIPv4Address()); }))
        session.settle(LateWaitMs(timing));
    for (const QHostAddress &target : silent)
        if (session.answeredLate().contains(target.toIPv4Address()))
            result.late << target;
    // Two boards behind one address take one configuration between them: a clash to be told at once.
    result.twoBoards = TwoBoardsOn(session, order.targets, timing);
    return result;
}

}  // namespace velmar
