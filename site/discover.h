#pragma once
// Finding boards by broadcast: a discovery of every board on this computer's segments, as data (who
// answered, which addresses more than one board claims, how to reach boards in subnets this computer has
// no address in), and the check that no two boards claim the addresses an operation is about to send to.

#include "link.h"
#include "local_network.h"
#include "session.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QStringList>

#include <optional>

namespace velmar {

// The boards of one subnet this computer has no address in, by the interface they answered on, and
// where this computer takes an address to reach them.
struct Unreached
{
    std::optional<LocalSubnet> on;  // the interface they answered on, where known
    Reach reach;
    QList<qsizetype> rows;  // of the sightings, in their order
};

struct Discovery
{
    QList<Session::Sighting> sightings;  // by address, then by MAC: the same order on every run
    QList<Unreached> unreached;
    QMap<quint32, QStringList> clashes;  // address -> the MACs that claim it, where more than one does
    QStringList refused;                 // the broadcast addresses the system refused, and why
    bool stopped = false;                // cancelled: what answered until then
};

// "10.0.0.255 (10.0.0.0/24 on eth0)" for each subnet, then "255.255.255.255": where a discovery asks.
QStringList DiscoveryAsks(const QList<LocalSubnet> &subnets);

// Asks every board that hears a broadcast on `subnets`' segments (EverySegment()), retries + 1 rounds.
Discovery DiscoverBoards(const Link &link, char selector, const QList<LocalSubnet> &subnets);

// The subnet a board answered on: by the interface its answer came in on, else the only one there is.
const LocalSubnet *ArrivedOn(const QList<LocalSubnet> &subnets, const Session::Sighting &sighting);

// Session::read() with the two-boards check riding along, where the targets are on a segment of this
// computer: a TwoBoardsOn() of these targets (or of some of them) just after it sends nothing more.
QHash<quint32, StoredConfig> ReadChecked(Session &session, const QList<QHostAddress> &targets, char selector,
                                         Session::Timing timing,
                                         const std::function<void(const Session::BoardRead &)> &onRead = {});
// Which of `targets` more than one board claims, with their MACs: those the session's last read saw
// answer at one address (on loopback every board there hears it), and, on a real segment, those a
// broadcast to the targets' subnets finds answering from a target or holding it as lift address.
QHash<quint32, QStringList> TwoBoardsOn(Session &session, const QList<QHostAddress> &targets,
                                        Session::Timing timing);
// SiteError(Failed) naming the MACs (and the first such target and its MACs as fields) when two boards
// claim a target, followed by `nothing` ("nothing written").
void RefuseTwoBoards(Session &session, const QList<QHostAddress> &targets, Session::Timing timing,
                     const QString &nothing);
// SiteError(BadRequest) when a target names no board: 255.255.255.255, the broadcast or network address
// of a subnet of this computer, or this computer's own address.
void RefuseNonBoards(const QList<QHostAddress> &targets);
// The same for one address named alone; from a range such addresses are left out, each with why.
struct Boards
{
    QList<QHostAddress> boards;
    QStringList leftOut;  // why each address left out names no board
};
Boards WithoutNonBoards(const QList<QHostAddress> &targets);

}  // namespace velmar
