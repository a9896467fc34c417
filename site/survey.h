#pragma once
// What one read of every target at once finds, before an operation on each board that answered (a write,
// a restore, a reboot): a silent address costs one time-out and its retries together with all the others,
// not one each.

#include "session.h"
#include "sink.h"

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

namespace velmar {

// Why a target gave no configuration, or is left out before anything is sent to it. Typed, so that each
// program words it in its own language.
struct LeftOut
{
    enum Cause { NoAnswer, Unusable, Unreachable, AnsweredLate, TwoBoards };
    Cause cause = NoAnswer;
    QString answered;   // Unusable: what the board answered instead
    QStringList macs;   // TwoBoards: the MACs that claim the address
    int timeoutMs = 0;  // AnsweredLate: the time-out its answer missed
    bool operator==(const LeftOut &) const = default;

    static LeftOut Of(Cause cause, const QString &answered = QString())
    {
        LeftOut why;
        why.cause = cause;
        why.answered = answered;
        return why;
    }
};

// How long a silent board is still listened to, for a late answer.
int LateWaitMs(Session::Timing timing);
// Why a target gave no configuration.
LeftOut SilenceOf(const Session::BoardRead &read);

// The board's stored configuration before a write, or nothing and why (silent, or answered late);
// SiteError(Stopped) when cancelled. Two boards that claim its address are refused here
// (SiteError(Failed)), before anything is written.
std::optional<StoredConfig> Current(Session &session, const QHostAddress &target, Session::Timing timing,
                                    LeftOut &why);

// The silent addresses of a range are counted apart; an address named alone (in `named`) that stays
// silent fails, as does one that answered with nothing usable, and an address two boards claim. Silent
// addresses of a range that answered late are
// told to the sink's answeredLate().
struct Survey
{
    QHash<quint32, StoredConfig> configs;  // the boards to work on
    QHash<quint32, LeftOut> failed;        // why, for the addresses that fail before anything is sent
    int silent = 0, unreachable = 0;

    qsizetype boards() const { return configs.size() + failed.size(); }
};
Survey SurveyOf(Session &session, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                Session::Timing timing, Sink &sink);

}  // namespace velmar
