#include "board_table.h"

#include "config_file.h"
#include "system_command.h"

#include <QBrush>
#include <QColor>

namespace velmar {

QString BoardRow::key() const
{
    return from.toString() + QLatin1Char('/') + MacText(config.config.record.mac);
}

QString CommandForThisSystem(const QStringList &lines)
{
    const QString wanted = ThisSystemsCommandStart();
    for (const QString &line : lines)
        if (line.startsWith(wanted))
            return line;
    return lines.isEmpty() ? QString() : lines.first();
}

QList<BoardRow> RowsOf(const Discovery &discovery)
{
    QList<BoardRow> rows;
    for (const Session::Sighting &sighting : discovery.sightings) {
        BoardRow row;
        row.from = sighting.from;
        row.config = sighting.config;
        row.twins = discovery.clashes.value(sighting.from.toIPv4Address());
        rows << row;
    }
    for (const Unreached &unreached : discovery.unreached) {
        const QStringList lines = ReachCommands(unreached.on ? &*unreached.on : nullptr, unreached.reach);
        for (const qsizetype index : unreached.rows) {
            if (index < 0 || index >= rows.size())
                continue;
            rows[index].reachSubnet = unreached.reach.subnet();
            rows[index].reachLines = lines;
        }
    }
    return rows;
}

int BoardTable::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BoardTable::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString BoardTable::StateText(const BoardRow &row)
{
    if (row.twins.size() > 1)
        return tr("Two boards answer at %1 (MACs %2): connect them one at a time and give each an address "
                  "of its own")
            .arg(row.from.toString(), row.twins.join(QStringLiteral(", ")));
    if (!row.reachSubnet.isEmpty())
        return tr("In %1, where this computer has no address: to reach it, run %2")
            .arg(row.reachSubnet, CommandForThisSystem(row.reachLines));
    return row.asked ? tr("Answers at its address") : tr("Answers");
}

QVariant BoardTable::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rows_.size())
        return {};
    const BoardRow &row = rows_[index.row()];
    const ConfigRecord &record = row.config.config.record;
    if (role == KeyRole)
        return row.key();
    if (role == Qt::BackgroundRole) {
        if (row.twins.size() > 1)
            return QBrush(QColor(0xF4, 0xB6, 0xB6));
        if (!row.reachSubnet.isEmpty())
            return QBrush(QColor(0xFA, 0xE6, 0xA0));
        return {};
    }
    if (role == Qt::ForegroundRole && (row.twins.size() > 1 || !row.reachSubnet.isEmpty()))
        return QBrush(Qt::black);
    if (role == Qt::ToolTipRole && index.column() == State)
        return StateText(row);
    if (role == Qt::DisplayRole && index.column() == State && progress_.contains(row.from.toIPv4Address()))
        return progress_.value(row.from.toIPv4Address());
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case From: return row.from.toString();
    case MacColumn: return MacText(record.mac);
    case Lift: return IpText(record.liftIp);
    case Mask: return IpText(record.netMask);
    case Router: return IpText(record.routerIp);
    case Dispatcher: return IpText(record.dispatcherIp);
    case Console: return record.consoleDynamic ? tr("dynamic") : tr("static");
    case BoardDhcp: return row.config.config.boardDhcp ? tr("DHCP") : tr("fixed");
    case Ident: return record.boardIdent;
    case Version: return VersionToText(row.config.config.versionText);
    case State: return StateText(row);
    default: return {};
    }
}

QVariant BoardTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case From: return tr("Answered from");
    case MacColumn: return tr("MAC");
    case Lift: return tr("Lift address");
    case Mask: return tr("Mask");
    case Router: return tr("Router");
    case Dispatcher: return tr("Dispatcher");
    case Console: return tr("Console");
    case BoardDhcp: return tr("Board address");
    case Ident: return tr("Identifier");
    case Version: return tr("Version");
    case State: return tr("State");
    default: return {};
    }
}

void BoardTable::setRows(QList<BoardRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void BoardTable::putRow(const BoardRow &row)
{
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        if (rows_[i].key() == row.key()) {
            rows_[i] = row;
            emit dataChanged(index(static_cast<int>(i), 0), index(static_cast<int>(i), ColumnCount - 1));
            return;
        }
    }
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at);
    rows_ << row;
    endInsertRows();
}

void BoardTable::setProgress(const QHostAddress &from, const QString &text)
{
    progress_.insert(from.toIPv4Address(), text);
    for (qsizetype i = 0; i < rows_.size(); ++i)
        if (rows_[i].from == from)
            emit dataChanged(index(static_cast<int>(i), State), index(static_cast<int>(i), State));
}

void BoardTable::clearProgress()
{
    progress_.clear();
    if (!rows_.isEmpty())
        emit dataChanged(index(0, State), index(static_cast<int>(rows_.size()) - 1, State));
}

bool BoardTable::setConfig(const QString &key, const StoredConfig &config)
{
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        if (rows_[i].key() == key) {
            rows_[i].config = config;
            emit dataChanged(index(static_cast<int>(i), 0), index(static_cast<int>(i), ColumnCount - 1));
            return true;
        }
    }
    return false;
}

const BoardRow *BoardTable::rowOf(const QString &key) const
{
    for (const BoardRow &row : rows_)
        if (row.key() == key)
            return &row;
    return nullptr;
}

}  // namespace velmar
