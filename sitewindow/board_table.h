#pragma once
// The boards of the site as a table: one row for each board that answered, by broadcast or at an address
// asked for, with what the operator needs to know of it (two boards on one address, a subnet this
// computer has no address in) as the row's state.

#include "codec.h"
#include "discover.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

namespace velmar {

struct BoardRow
{
    QHostAddress from;  // where it answered from
    StoredConfig config;
    QStringList twins;       // every MAC that answers from the same address, where more than one does
    QString reachSubnet;     // the subnet this computer has no address in, where it sits in one
    QStringList reachLines;  // the commands that give this computer an address there, this system's first
    bool asked = false;      // found by asking its address, not by broadcast

    // What identifies the row across refreshes: the address and the MAC.
    QString key() const;
};

// The rows of a discovery, each with its state.
QList<BoardRow> RowsOf(const Discovery &discovery);
// The command of `lines` this system runs: netsh on Windows, ip elsewhere.
QString CommandForThisSystem(const QStringList &lines);

class BoardTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column {
        From,
        MacColumn,
        Lift,
        Mask,
        Router,
        Dispatcher,
        Console,
        BoardDhcp,
        Ident,
        Version,
        State,
        ColumnCount
    };
    // The row's key, for keeping the selection across a refresh.
    static constexpr int KeyRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Replaces every row.
    void setRows(QList<BoardRow> rows);
    // Replaces the row of the same key, or adds it.
    void putRow(const BoardRow &row);
    const QList<BoardRow> &rows() const { return rows_; }
    const BoardRow *rowOf(const QString &key) const;
    // Gives the row of `key` what its board holds now (a new MAC gives it a new key); false without it.
    bool setConfig(const QString &key, const StoredConfig &config);
    // The state in words: what is wrong with the board's place on the network, and what to do.
    static QString StateText(const BoardRow &row);
    // How far an operation on many boards is with the boards at `from`, shown as their state until the
    // next operation clears it; it outlasts a refresh, which shows what the operation left.
    void setProgress(const QHostAddress &from, const QString &text);
    void clearProgress();
    QString progressOf(const QHostAddress &from) const { return progress_.value(from.toIPv4Address()); }

private:
    QList<BoardRow> rows_;
    QHash<quint32, QString> progress_;
};

}  // namespace velmar
