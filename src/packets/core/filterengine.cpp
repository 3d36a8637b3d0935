#include "packets/core/filterengine.h"

#include <algorithm>
#include <cmath>

namespace {

// The sphere servers measure ranges on, in kilometres. Measured on aprsc: from 10 N 10 E, a position
// at 11 N 10 E is within 111.21 km, not within 111.18 km. The pages' own distance, on a smaller
// earth, is the pages' rule and not the server's.
constexpr double kServerEarthRadius = 6371.0;
constexpr double kPi = 3.14159265358979323846;

/// A call against a list entry, in any case: an entry ending in "*" takes every call it begins.
bool callMatches(QByteArrayView call, const QByteArray &entry)
{
    if (entry.endsWith('*'))
        return call.size() >= entry.size() - 1 && qstrnicmp(call.data(), entry.constData(), entry.size() - 1) == 0;
    return call.size() == entry.size() && qstrnicmp(call.data(), call.size(), entry.constData(), entry.size()) == 0;
}

bool anyEntryMatches(QByteArrayView call, const QList<QByteArray> &entries)
{
    for (const QByteArray &entry : entries)
        if (callMatches(call, entry))
            return true;
    return false;
}

quint32 typesOf(const QString &letters)
{
    quint32 types = 0;
    for (QChar letter : letters) {
        switch (letter.unicode()) {
        case 'p':
            types |= AprsPacket::Position;
            break;
        case 'o':
            types |= AprsPacket::Object;
            break;
        case 'i':
            types |= AprsPacket::Item;
            break;
        case 'm':
            types |= AprsPacket::Message;
            break;
        case 'q':
            types |= AprsPacket::Query;
            break;
        case 's':
            types |= AprsPacket::Status;
            break;
        case 't':
            types |= AprsPacket::Telemetry;
            break;
        case 'u':
            types |= AprsPacket::UserDefined;
            break;
        case 'n':
            types |= AprsPacket::Nws;
            break;
        case 'w':
            types |= AprsPacket::Weather;
            break;
        default:
            break;
        }
    }
    return types;
}

/// A station of the Citizen Weather Observer Program, as servers tell one: "CW", "DW" or "EW" and
/// then digits only, no SSID.
bool isCwopStation(QByteArrayView call)
{
    if (call.size() < 2 || call[1] != 'W' || (call[0] != 'C' && call[0] != 'D' && call[0] != 'E'))
        return false;
    return std::all_of(call.begin() + 2, call.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

FilterEngine::FilterEngine(const QString &filterLine, const QByteArray &loginCall)
    : m_loginCall(loginCall)
{
    setLine(filterLine);
}

void FilterEngine::setLine(const QString &filterLine)
{
    m_texts.clear();
    m_fragments.clear();
    for (Fragment &fragment : readFilterLine(filterLine)) {
        m_texts.append(fragment.word);
        Evaluated evaluated{std::move(fragment)};
        // A fragment the server ignores is never evaluated.
        evaluated.evaluated = evaluated.fragment.isEvaluated();
        if (evaluated.fragment.kind == u'm')
            evaluated.fragment.call = m_loginCall;
        evaluated.types = typesOf(evaluated.fragment.types);
        evaluated.anyType = evaluated.fragment.types.contains(u'*');
        evaluated.cwop = evaluated.fragment.types.contains(u'c');
        m_fragments.append(std::move(evaluated));
    }
}

double FilterEngine::distance(const PacketPosition &from, const PacketPosition &to)
{
    const double toRadians = kPi / 180.0;
    const double lat1 = from.latitude * toRadians, lat2 = to.latitude * toRadians;
    const double dLat = lat2 - lat1, dLon = (to.longitude - from.longitude) * toRadians;
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2)
        + std::cos(lat1) * std::cos(lat2) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kServerEarthRadius * std::asin(std::sqrt(std::min(1.0, h)));
}

/// A key to look up with, borrowing the bytes: no copy for every packet.
QByteArray lookupKey(QByteArrayView call)
{
    return QByteArray::fromRawData(call.data(), call.size());
}

std::optional<PacketPosition> FilterEngine::firstRangeCentre(const QString &filterLine)
{
    for (const Evaluated &evaluated : FilterEngine(filterLine).m_fragments) {
        const Fragment &fragment = evaluated.fragment;
        if (evaluated.evaluated && fragment.kind == u'r' && !fragment.exclusion && std::fabs(fragment.latitude) <= 90
            && std::fabs(fragment.longitude) <= 180)
            return PacketPosition{fragment.latitude, fragment.longitude};
    }
    return std::nullopt;
}

void FilterEngine::learn(const AprsPacket &packet)
{
    if (!packet.position)
        return;
    const QByteArrayView who
        = packet.is(AprsPacket::Object) || packet.is(AprsPacket::Item) ? packet.name.trimmed() : packet.source;
    const auto known = m_positions.find(lookupKey(who));
    if (known != m_positions.end()) {
        *known = {*packet.position, m_clock};
        return;
    }
    if (m_positions.size() >= kMaxPositions)
        forgetOldest();
    m_positions.insert(who.toByteArray(), {*packet.position, m_clock});
}

void FilterEngine::forgetOldest()
{
    // A quarter at a time, so that a flood of new stations costs one pass per many packets.
    QList<qint64> times;
    times.reserve(m_positions.size());
    for (const Heard &heard : std::as_const(m_positions))
        times.append(heard.at);
    const auto quarter = times.begin() + times.size() / 4;
    std::nth_element(times.begin(), quarter, times.end());
    const qint64 before = std::max(*quarter, m_timed ? m_clock - kPositionLifetimeMs : *quarter);
    m_positions.removeIf([before](const auto &entry) { return entry.value().at <= before; });
}

std::optional<PacketPosition> FilterEngine::lastPosition(QByteArrayView call) const
{
    const auto known = m_positions.constFind(lookupKey(call));
    if (known == m_positions.cend() || (m_timed && m_clock - known->at > kPositionLifetimeMs))
        return std::nullopt;
    return known->position;
}

std::optional<PacketPosition> FilterEngine::whereIs(const AprsPacket &packet) const
{
    if (packet.position)
        return packet.position;
    // A packet without a position is where its sender last said it was.
    return lastPosition(packet.source);
}

FilterEngine::Match FilterEngine::within(const QByteArray &call, double kilometres, const AprsPacket &packet) const
{
    const std::optional<PacketPosition> where = whereIs(packet);
    if (!where)
        return Match::No;
    const std::optional<PacketPosition> centre = lastPosition(call);
    if (!centre)
        return Match::Unknown;
    return distance(*centre, *where) <= kilometres ? Match::Yes : Match::No;
}

FilterEngine::Match FilterEngine::matches(const Evaluated &evaluated, const AprsPacket &packet) const
{
    // Measured on aprsc: a third-party packet matches where its own packet inside matches.
    const Match outer = matchesOne(evaluated, packet);
    if (outer == Match::Yes || !packet.inner)
        return outer;
    // Except by the sender's call where the packet inside is an object or an item: there only the
    // outer sender counts.
    const AprsPacket &inside = *packet.inner;
    const QChar kind = evaluated.fragment.kind;
    if ((kind == u'b' || kind == u'p') && (inside.is(AprsPacket::Object) || inside.is(AprsPacket::Item)))
        return outer;
    const Match inner = matches(evaluated, inside);
    return inner == Match::No ? outer : inner;
}

FilterEngine::Match FilterEngine::matchesOne(const Evaluated &evaluated, const AprsPacket &packet) const
{
    const Fragment &f = evaluated.fragment;
    if (!evaluated.evaluated)
        return Match::No;
    const auto yes = [](bool b) { return b ? Match::Yes : Match::No; };
    if (!packet.hasHeader)
        return Match::No;
    switch (f.kind.unicode()) {
    case 'r': {
        const std::optional<PacketPosition> where = whereIs(packet);
        return yes(where && distance({f.latitude, f.longitude}, *where) <= f.kilometres);
    }
    case 'a': {
        const std::optional<PacketPosition> where = whereIs(packet);
        return yes(where && where->latitude <= f.north && where->latitude >= f.south && where->longitude >= f.west
                   && where->longitude <= f.east);
    }
    case 'm':
    case 'f':
        return within(f.call, f.kilometres, packet);
    case 't':
        if (!evaluated.anyType && (packet.types & evaluated.types) == 0
            && !(evaluated.cwop && isCwopStation(packet.source)))
            return Match::No;
        return f.call.isEmpty() ? Match::Yes : within(f.call, f.kilometres, packet);
    case 'b':
        return yes(anyEntryMatches(packet.source, f.entries));
    case 'p':
        return yes(anyEntryMatches(packet.source, f.entries));
    case 'o': {
        if (!packet.is(AprsPacket::Object) && !packet.is(AprsPacket::Item))
            return Match::No;
        const QByteArrayView name = f.strictObjects ? packet.name : packet.name.trimmed();
        return yes(anyEntryMatches(name, f.entries));
    }
    case 'd':
        for (int i = 0; i < packet.usedDigipeaters; ++i)
            if (anyEntryMatches(packet.digipeaters[i], f.entries))
                return Match::Yes;
        return Match::No;
    case 'u':
        return yes(anyEntryMatches(packet.destination, f.entries));
    case 'e':
        return yes(!packet.entryCall.isEmpty() && anyEntryMatches(packet.entryCall, f.entries));
    case 'g':
        return yes(packet.is(AprsPacket::Message) && anyEntryMatches(packet.name, f.entries));
    case 's': {
        if (packet.symbolCode == 0)
            return Match::No;
        if (packet.symbolTable == '/')
            return yes(f.primary.contains(packet.symbolCode));
        if (!f.alternate.contains(packet.symbolCode))
            return Match::No;
        return yes(f.overlays.isEmpty() || f.overlays.contains(packet.symbolTable));
    }
    case 'q':
        // Measured on aprsc: a list that names "A" passes nothing.
        return yes(packet.qConstruct.size() == 3 && !f.qConstructs.contains('A')
                   && f.qConstructs.contains(packet.qConstruct[2]));
    default:
        return Match::No;
    }
}

FilterEngine::Verdict FilterEngine::match(const AprsPacket &packet, qint64 now)
{
    if (now >= 0) {
        m_timed = true;
        m_clock = std::max(m_clock, now);
    } else {
        ++m_clock;
    }
    learn(packet);
    Verdict verdict;
    for (int i = 0; i < m_fragments.size(); ++i) {
        if (m_fragments[i].fragment.exclusion && matches(m_fragments[i], packet) == Match::Yes) {
            verdict.fragment = i;
            return verdict;
        }
    }
    for (int i = 0; i < m_fragments.size(); ++i) {
        if (m_fragments[i].fragment.exclusion)
            continue;
        const Match match = matches(m_fragments[i], packet);
        if (match == Match::Yes) {
            verdict.passes = true;
            verdict.fragment = i;
            return verdict;
        }
        verdict.unknown = verdict.unknown || match == Match::Unknown;
    }
    return verdict;
}
