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

namespace velmar {

// "10.0.0.2 answered only after the time-out of 500 ms: give it more time, say --timeout 2000": a board
// that answered only after the time-out, with a time-out that would have waited for it.
QString LateText(const QHostAddress &target, Session::Timing timing);
// How long a silent board is still listened to, for a late answer.
int LateWaitMs(Session::Timing timing);
// Why a target gave no configuration, for its row.
QString Silence(const Session::BoardRead &read);

// The board's stored configuration before a write, or SiteError: Stopped, Failed (silent, or answered
// late). Two boards that claim its address are refused here, before anything is written.
StoredConfig Current(Session &session, const QHostAddress &target, Session::Timing timing);

// The silent addresses of a range are counted apart; an address named alone (in `named`) that stays
// silent fails, as does one that answered with nothing usable, and an address two boards claim
// (`nothing`: what is therefore not done there). Silent addresses of a range that answered late are
// told to the sink as notices.
struct Survey
{
    QHash<quint32, StoredConfig> configs;  // the boards to work on
    QHash<quint32, QString> failed;        // why, for the addresses that fail before anything is sent
    int silent = 0, unreachable = 0;

    qsizetype boards() const { return configs.size() + failed.size(); }
};
Survey SurveyOf(Session &session, const QList<QHostAddress> &targets, const QSet<quint32> &named,
                Session::Timing timing, const QString &nothing, Sink &sink);

}  // namespace velmar
