#include "aprsis/gui/livetable.h"

#include "aprsis/core/serverlines.h"
#include "packets/core/filterengine.h"

LivePacketModel::LivePacketModel(QObject *parent)
    : QAbstractTableModel(parent)
{ }

void LivePacketModel::addRows(QList<LiveRow> rows)
{
    if (rows.size() > kKeptPackets)
        rows.remove(0, rows.size() - kKeptPackets);
    const qsizetype adding = rows.size();
    if (adding == 0)
        return;
    const qsizetype dropping = std::max<qsizetype>(0, m_rows.size() + adding - kKeptPackets);

    if (!m_search.isEmpty()) {
        beginResetModel();
        m_rows.remove(0, dropping);
        m_rows.append(std::move(rows));
        rebuildShown();
        endResetModel();
        return;
    }
    if (dropping > 0) {
        beginRemoveRows(QModelIndex(), int(m_rows.size() - dropping), int(m_rows.size() - 1));
        m_rows.remove(0, dropping);
        endRemoveRows();
    }
    beginInsertRows(QModelIndex(), 0, int(adding - 1));
    m_rows.append(std::move(rows));
    endInsertRows();
}

void LivePacketModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_shown.clear();
    endResetModel();
}

void LivePacketModel::setCentre(const std::optional<PacketPosition> &centre)
{
    if (centre == m_centre)
        return;
    m_centre = centre;
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, Distance), index(rowCount() - 1, Distance));
}

void LivePacketModel::setSearch(const QString &text)
{
    QString search = text.trimmed();
    search.remove(u'*');
    if (search == m_search)
        return;
    beginResetModel();
    m_search = search;
    rebuildShown();
    endResetModel();
}

bool LivePacketModel::matches(const LiveRow &row) const
{
    const AprsPacket &p = row.packet;
    for (QByteArrayView call : {p.source, p.destination, p.name})
        if (QString::fromLatin1(call).contains(m_search, Qt::CaseInsensitive))
            return true;
    return false;
}

void LivePacketModel::rebuildShown()
{
    m_shown.clear();
    if (m_search.isEmpty())
        return;
    for (qsizetype i = m_rows.size() - 1; i >= 0; --i)
        if (matches(m_rows[i]))
            m_shown.append(i);
}

const LiveRow &LivePacketModel::rowAt(int viewRow) const
{
    return m_search.isEmpty() ? m_rows[m_rows.size() - 1 - viewRow] : m_rows[m_shown[viewRow]];
}

int LivePacketModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_search.isEmpty() ? m_rows.size() : m_shown.size());
}

int LivePacketModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LivePacketModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const LiveRow &row = rowAt(index.row());
    if (role == RawLineRole)
        return row.packet.line;
    if (role == Qt::TextAlignmentRole && index.column() == Distance)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const AprsPacket &s = row.packet;
    switch (index.column()) {
    case Time:
        return row.received.toString(QStringLiteral("HH:mm:ss"));
    case Fragment:
        return row.fragment;
    case Source:
        return QString::fromLatin1(s.source);
    case Destination:
        return QString::fromLatin1(s.destination);
    case Path:
        return s.pathText();
    case Kind:
        return s.name.isEmpty() ? s.kind : QStringLiteral("%1 %2").arg(s.kind, QString::fromLatin1(s.name).trimmed());
    case Position:
        return s.position ? positionText(*s.position) : QString();
    case Distance:
        if (!s.position || !m_centre)
            return QString();
        return QString::number(FilterEngine::distance(*m_centre, *s.position), 'f', 1);
    case Text:
        return packetText(s.body.toByteArray());
    default:
        return {};
    }
}

QVariant LivePacketModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const titles[ColumnCount]
        = {"Time", "Fragment", "Source", "Destination", "Path", "Kind", "Position", "km", "Text"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(titles[section]) : QVariant();
}
