#pragma once

#include "filter/core/fragment.h"
#include "packets/core/aprspacket.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

/// A filter line evaluated packet by packet the way APRS-IS servers evaluate it: an excluded
/// fragment that matches removes a packet first; otherwise the first fragment, in line order, that
/// matches passes it. Fragments that need a station's position (m/, f/, t/.../call/dist) use the
/// last position that station sent in the packets read so far, as a server's position history does.
class FilterEngine
{
public:
    /// The line may be given with or without its word "filter". The login call is what m/ measures from.
    explicit FilterEngine(const QString &filterLine, const QByteArray &loginCall = QByteArray());

    /// Evaluates another line from now on, keeping the positions learned so far.
    void setLine(const QString &filterLine);

    struct Verdict
    {
        bool passes = false;
        /// The fragment that decided: the exclusion that removed the packet, or the fragment that
        /// passed it; -1 when none matched.
        int fragment = -1;
        /// No fragment matched, but one could not be evaluated: it measures from a station whose
        /// position has not been seen. A server that knows it may have passed the packet.
        bool unknown = false;
    };

    /// Learns the packet's position, then evaluates the line for it. Given the time (milliseconds),
    /// positions older than a server keeps them are forgotten; without it, packets are taken to
    /// come in a moment, as a capture read at once does.
    Verdict match(const AprsPacket &packet, qint64 now = -1);

    /// How long a server remembers a station's last position, measured on aprsc (its clock run 600
    /// times as fast): still known 23 hours after, forgotten after 24.
    static constexpr qint64 kPositionLifetimeMs = 24 * 3600 * 1000LL;
    /// The most stations whose position is remembered; the longest unheard are forgotten first.
    /// The whole APRS-IS network has some 50,000 stations with a position in a day.
    static constexpr qsizetype kMaxPositions = 200000;
    /// Whether the engine knows where the station is, from the packets read so far.
    bool knowsPosition(QByteArrayView call) const { return lastPosition(call).has_value(); }
    /// How many positions are remembered now.
    qsizetype positionsKnown() const { return m_positions.size(); }

    /// The fragments of the line as servers split it.
    const QStringList &fragments() const { return m_texts; }

    /// The fragment at an index, as the server reads it.
    const Fragment &fragment(qsizetype index) const { return m_fragments.at(index).fragment; }

    /// Whether the fragment at an index is evaluated for every packet.
    bool evaluates(qsizetype index) const { return m_fragments.at(index).evaluated; }

    /// Distance in kilometres on the sphere servers measure on.
    static double distance(const PacketPosition &from, const PacketPosition &to);

    /// The centre of the first range fragment ("r/lat/lon/km") of a line, read as the engine reads
    /// it; nothing when the line has none.
    static std::optional<PacketPosition> firstRangeCentre(const QString &filterLine);

private:
    /// A fragment as the engine evaluates it: what the server keeps, and its types as bits.
    struct Evaluated
    {
        Fragment fragment;
        bool evaluated = false; ///< the server keeps it
        quint32 types = 0; ///< t/
        bool anyType = false; ///< t/*: every packet
        bool cwop = false; ///< t/c: every packet of a weather observer's station
    };
    enum class Match { No, Yes, Unknown };

    Match matches(const Evaluated &fragment, const AprsPacket &packet) const;
    Match matchesOne(const Evaluated &fragment, const AprsPacket &packet) const;
    std::optional<PacketPosition> whereIs(const AprsPacket &packet) const;
    std::optional<PacketPosition> lastPosition(QByteArrayView call) const;
    Match within(const QByteArray &call, double kilometres, const AprsPacket &packet) const;
    void learn(const AprsPacket &packet);
    void forgetOldest();

    struct Heard
    {
        PacketPosition position;
        qint64 at = 0; ///< on the clock given, else the number of the packet
    };

    QStringList m_texts;
    QList<Evaluated> m_fragments;
    QByteArray m_loginCall;
    QHash<QByteArray, Heard> m_positions;
    qint64 m_clock = 0; ///< the time of the packet being evaluated, or its number
    bool m_timed = false;
};
