#pragma once

#include "aprsis/core/serverlines.h"
#include "packets/core/filterengine.h"

#include <QHash>
#include <QString>

#include <memory>

/// What the packets a server sent add up to: which fragment of the line it applies brought each
/// one, how many each brought and at what rate, on a clock it is given.
class TrafficTally
{
public:
    /// What the engine cannot explain: the server knew a position Varnock has not seen, or passed
    /// the packet by its own rules.
    static inline const QString kByTheServer = QStringLiteral("server");

    struct Count
    {
        qint64 packets = 0;
        PacketRate perMinute;
    };

    /// Starts over: counts for this line, positions measured from the login call.
    void reset(const QString &filterLine, const QByteArray &loginCall);
    /// Evaluates another line from now on (what the server says it keeps), keeping the positions
    /// learned and starting the counts again.
    void follow(const QString &filterLine);

    /// Counts a packet the server sent; returns the fragment that brought it, or kByTheServer.
    QString count(const AprsPacket &packet, qint64 now);
    /// Counts a packet of a capture, if the line passes it; returns the fragment, or nothing.
    std::optional<QString> evaluate(const AprsPacket &packet);

    /// Takes the counts of an analysis made elsewhere, by fragment.
    void restore(const QHash<QString, qint64> &packetsByFragment);

    /// The counts of a fragment of the line, or of kByTheServer.
    Count countOf(const QString &fragment) const { return m_counts.value(fragment); }
    bool hasCount(const QString &fragment) const { return m_counts.contains(fragment); }
    qint64 total() const { return m_total; }
    const FilterEngine *engine() const { return m_engine.get(); }

private:
    std::unique_ptr<FilterEngine> m_engine;
    QHash<QString, Count> m_counts;
    qint64 m_total = 0;
};
