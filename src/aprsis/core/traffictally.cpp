#include "aprsis/core/traffictally.h"

void TrafficTally::reset(const QString &filterLine, const QByteArray &loginCall)
{
    m_engine = std::make_unique<FilterEngine>(filterLine, loginCall);
    m_counts.clear();
    m_total = 0;
}

void TrafficTally::follow(const QString &filterLine)
{
    if (!m_engine)
        m_engine = std::make_unique<FilterEngine>(filterLine);
    m_engine->setLine(filterLine);
    m_counts.clear();
    m_total = 0;
}

QString TrafficTally::count(const AprsPacket &packet, qint64 now)
{
    if (!m_engine)
        m_engine = std::make_unique<FilterEngine>(QString());
    const FilterEngine::Verdict verdict = m_engine->match(packet, now);
    const QString fragment = verdict.passes ? m_engine->fragments().at(verdict.fragment) : kByTheServer;
    Count &count = m_counts[fragment];
    ++count.packets;
    count.perMinute.count(now);
    ++m_total;
    return fragment;
}

std::optional<QString> TrafficTally::evaluate(const AprsPacket &packet)
{
    if (!m_engine)
        return std::nullopt;
    const FilterEngine::Verdict verdict = m_engine->match(packet);
    if (!verdict.passes)
        return std::nullopt;
    const QString &fragment = m_engine->fragments().at(verdict.fragment);
    ++m_counts[fragment].packets;
    ++m_total;
    return fragment;
}

void TrafficTally::restore(const QHash<QString, qint64> &packetsByFragment)
{
    m_counts.clear();
    m_total = 0;
    for (auto it = packetsByFragment.cbegin(); it != packetsByFragment.cend(); ++it) {
        m_counts[it.key()].packets = it.value();
        m_total += it.value();
    }
}
