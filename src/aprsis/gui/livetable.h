#pragma once

#include "packets/core/aprspacket.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>
#include <QTime>

#include <optional>

/// One packet of the table: when it came, the packet, and the fragment that brought it.
struct LiveRow
{
    QTime received;
    AprsPacket packet;
    QString fragment;
};

/// The packets of the live table, newest first: a window on the last packets received, kept to a
/// fixed number however fast they come.
class LivePacketModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Time, Fragment, Source, Destination, Path, Kind, Position, Distance, Text, ColumnCount };
    /// The role that gives a row's packet exactly as received.
    static constexpr int RawLineRole = Qt::UserRole;
    static constexpr qsizetype kKeptPackets = 5000;

    explicit LivePacketModel(QObject *parent = nullptr);

    /// Adds rows, oldest first, forgetting the oldest kept beyond the limit.
    void addRows(QList<LiveRow> rows);
    void clear();

    /// Distances are measured from here; nothing leaves the column empty.
    void setCentre(const std::optional<PacketPosition> &centre);
    /// Shows only the packets whose source, destination or object name holds the text (any case);
    /// the empty text shows all.
    void setSearch(const QString &text);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    bool matches(const LiveRow &row) const;
    const LiveRow &rowAt(int viewRow) const;
    void rebuildShown();

    QList<LiveRow> m_rows; ///< oldest first
    QList<qsizetype> m_shown; ///< while searching: the indexes in m_rows shown, newest first
    QString m_search;
    std::optional<PacketPosition> m_centre;
};
