#pragma once
// Configurations that would leave a board unreachable or broken, found before anything is sent.

#include "codec.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace velmar {

// One thing that would leave a board unreachable or broken, with the values a window words it by.
struct GuardProblem
{
    enum Kind {
        MaskNotARun,              // mask: not a run of ones followed by zeros
        MaskAllOnes,              // 255.255.255.255: no subnet to reach the router or dispatcher through
        LiftZero,                 // 0.0.0.0
        LiftInZeroNetwork,        // address: in 0.0.0.0/8
        LiftLoopback,             // address
        LiftMulticast,            // address
        LiftBroadcast,            // 255.255.255.255
        LiftReserved,             // address: in 240.0.0.0/4
        LiftNetworkOfSubnet,      // address
        LiftBroadcastOfSubnet,    // address
        RouterOutsideSubnet,      // address: the router; lift, mask: the subnet it is outside of
        RouterIsLift,             // address: the router
        RouterNetworkOfSubnet,    // address: the router
        RouterBroadcastOfSubnet,  // address: the router
        MacNotOneBoard,           // mac: all zeros or all ones
        MacMulticast,             // mac: the lowest bit of its first byte set
        DhcpNeedsDynamicConsole,
    };
    Kind kind = MaskNotARun;
    QString address, lift, mask, mac;
    bool operator==(const GuardProblem &) const = default;
};

// What is wrong with a configuration a board is to take; nothing when it is sound. A lift address on
// loopback is only for stand-in boards, themselves on loopback (`standIn`).
QList<GuardProblem> GuardProblems(const StoredConfig &config, bool standIn);
// The problem in velmarctl's English: "router 10.1.0.1 is outside the subnet of 10.0.0.2/255.255.255.0".
QString GuardText(const GuardProblem &problem);
QStringList GuardTexts(const QList<GuardProblem> &problems);

// Boards that would share a lift address or a MAC: one line for each pair, by the names given.
QStringList DuplicateProblems(const QList<std::pair<QString, StoredConfig>> &boards);

}  // namespace velmar
