#include "app/core/filtercheck.h"

#include "pages/core/symboltable.h"

#include <cmath>
#include <optional>

namespace {

// Servers cut list entries to this many characters, and keep this many of r, a and f fragments.
constexpr int kEntryLength = 9;
constexpr int kMaxAreaFragments = 9;
constexpr int kMaxLineLength = 510;

const QString kServerKinds = QStringLiteral("abdefgmopqrstu");

/// A number as C's strtod reads it, the whole piece being the number.
std::optional<double> number(const QString &piece)
{
    if (piece.isEmpty() || piece.trimmed() != piece)
        return std::nullopt;
    bool ok = false;
    const double value = piece.toLatin1().toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

bool isLatitude(double value)
{
    return std::fabs(value) <= 90;
}

bool isLongitude(double value)
{
    return std::fabs(value) <= 180;
}

bool isDistance(const std::optional<double> &value)
{
    return value && *value >= 0.1;
}

/// Collects the verdict of one fragment: the first reason to ignore it wins over warnings.
class Verdicts
{
public:
    explicit Verdicts(FragmentCheck &check)
        : m_check(check)
    { }
    bool ignore(const QString &reason)
    {
        if (m_check.verdict != FragmentCheck::Verdict::Ignored) {
            m_check.verdict = FragmentCheck::Verdict::Ignored;
            m_check.reason = reason;
        }
        return false;
    }
    void warn(const QString &reason)
    {
        if (m_check.verdict == FragmentCheck::Verdict::Accepted) {
            m_check.verdict = FragmentCheck::Verdict::AcceptedWithWarning;
            m_check.reason = reason;
        }
    }

private:
    FragmentCheck &m_check;
};

bool checkRange(const QStringList &p, Verdicts &v)
{
    if (p.size() != 4)
        return v.ignore(QStringLiteral("A range needs latitude, longitude and distance: r/lat/lon/dist."));
    const auto lat = number(p[1]), lon = number(p[2]), dist = number(p[3]);
    if (!lat || !lon || !dist)
        return v.ignore(QStringLiteral("Latitude, longitude and distance must be numbers."));
    if (!isLatitude(*lat))
        return v.ignore(QStringLiteral("The latitude is beyond 90 degrees."));
    if (!isLongitude(*lon))
        return v.ignore(QStringLiteral("The longitude is beyond 180 degrees."));
    if (!isDistance(dist))
        return v.ignore(QStringLiteral("The distance must be at least 0.1 km."));
    return true;
}

bool checkArea(const QStringList &p, Verdicts &v)
{
    if (p.size() != 5)
        return v.ignore(QStringLiteral("An area needs four corners: a/latN/lonW/latS/lonE."));
    const auto north = number(p[1]), west = number(p[2]), south = number(p[3]), east = number(p[4]);
    if (!north || !west || !south || !east)
        return v.ignore(QStringLiteral("The four corners must be numbers."));
    if (!isLatitude(*north) || !isLatitude(*south))
        return v.ignore(QStringLiteral("A latitude is beyond 90 degrees."));
    if (!isLongitude(*west) || !isLongitude(*east))
        return v.ignore(QStringLiteral("A longitude is beyond 180 degrees."));
    if (*north < *south)
        return v.ignore(QStringLiteral("The north latitude is below the south latitude: write a/latN/lonW/latS/lonE."));
    if (*west > *east)
        return v.ignore(
            QStringLiteral("The west longitude is east of the east longitude: write a/latN/lonW/latS/lonE."));
    return true;
}

bool checkList(QChar kind, const QStringList &p, Verdicts &v)
{
    bool anyEntry = false;
    for (qsizetype i = 1; i < p.size(); ++i) {
        if (p[i].isEmpty())
            continue;
        anyEntry = true;
        if (kind == u'p' && p[i].contains(u'*'))
            return v.ignore(QStringLiteral("Prefix entries may not contain \"*\"."));
        if (p[i].size() > kEntryLength)
            v.warn(QStringLiteral("Servers cut \"%1\" to its first 9 characters.").arg(p[i]));
    }
    if (!anyEntry)
        return v.ignore(QStringLiteral("There is no entry after the letter."));
    return true;
}

bool checkSymbols(const QStringList &p, Verdicts &v)
{
    if (p.size() < 2)
        return v.ignore(QStringLiteral("A symbol fragment needs at least \"s/\"."));
    if (!p.value(3).isEmpty() && p.value(2).isEmpty())
        return v.ignore(QStringLiteral("An overlay needs symbols of the alternate table."));
    return true;
}

bool checkQConstruct(const QStringList &p, Verdicts &v)
{
    static const QString constructs = QStringLiteral("CXUoOSrRZI");
    if (p.size() < 2)
        return v.ignore(QStringLiteral("A q construct fragment needs at least \"q/\"."));
    if (p.size() > 3)
        return v.ignore(QStringLiteral("Nothing may follow the analysis part."));
    for (QChar c : p[1])
        if (!constructs.contains(c))
            return v.ignore(QStringLiteral("\"%1\" is no q construct letter (C X U o O S r R Z I).").arg(c));
    const QString analysis = p.value(2);
    if (!analysis.isEmpty() && analysis != u"I" && analysis != u"i")
        return v.ignore(QStringLiteral("The analysis part may only be \"I\"."));
    return true;
}

bool checkTypes(const QStringList &p, Verdicts &v)
{
    static const QString types = QStringLiteral("poimqstunwc*");
    if (p.size() < 2)
        return v.ignore(QStringLiteral("A type fragment needs at least \"t/\"."));
    for (QChar c : p[1])
        if (!types.contains(c.toLower()))
            return v.ignore(QStringLiteral("\"%1\" is no packet type letter.").arg(c));
    if (p.size() == 3)
        return v.ignore(QStringLiteral("A station needs a distance: t/types/call/dist."));
    if (p.size() > 4)
        return v.ignore(QStringLiteral("Too many parts: t/types or t/types/call/dist."));
    if (p.size() == 4) {
        if (p[2].size() < 3 || p[2].size() > kEntryLength)
            return v.ignore(QStringLiteral("The station's callsign must have 3 to 9 characters."));
        if (!isDistance(number(p[3])))
            return v.ignore(QStringLiteral("The distance must be a number of at least 0.1 km."));
    }
    return true;
}

bool checkStationRange(QChar kind, const QStringList &p, Verdicts &v)
{
    if (kind == u'm') {
        if (p.size() != 2 || !isDistance(number(p[1])))
            return v.ignore(QStringLiteral("My range needs one distance of at least 0.1 km: m/dist."));
        return true;
    }
    if (p.size() != 3)
        return v.ignore(QStringLiteral("A friend range needs a callsign and a distance: f/call/dist."));
    if (p[1].isEmpty() || p[1].size() > kEntryLength)
        return v.ignore(QStringLiteral("The callsign must have 1 to 9 characters."));
    if (!isDistance(number(p[2])))
        return v.ignore(QStringLiteral("The distance must be a number of at least 0.1 km."));
    return true;
}

QString degreesText(double value, QChar positive, QChar negative)
{
    return QString::number(std::fabs(value), 'g', 10) + u' ' + (value < 0 ? negative : positive);
}

QString position(const QString &lat, const QString &lon)
{
    return degreesText(*number(lat), u'N', u'S') + u' ' + degreesText(*number(lon), u'E', u'W');
}

QStringList nonEmpty(const QStringList &items)
{
    QStringList kept;
    for (const QString &item : items)
        if (!item.isEmpty())
            kept.append(item);
    return kept;
}

/// "G" or "G, M or N".
QString alternatives(const QStringList &items)
{
    if (items.size() < 2)
        return items.value(0);
    return items.mid(0, items.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") + items.last();
}

/// Entries of a list fragment, those ending in "*" as beginnings.
QString entryWords(const QStringList &entries, const QString &exact, const QString &starting)
{
    QStringList whole;
    QStringList starts;
    for (const QString &entry : entries) {
        if (entry.isEmpty())
            continue;
        if (entry.endsWith(u'*'))
            starts.append(entry.chopped(1));
        else
            whole.append(entry);
    }
    QStringList parts;
    if (!whole.isEmpty())
        parts.append(exact + u' ' + alternatives(whole));
    if (!starts.isEmpty())
        parts.append(starting + u' ' + alternatives(starts));
    return parts.join(QStringLiteral(", or "));
}

QString typeWords(const QString &letters)
{
    static const QList<std::pair<QChar, QString>> names{
        {u'm', QStringLiteral("messages")},      {u'p', QStringLiteral("positions")},
        {u'o', QStringLiteral("objects")},       {u'i', QStringLiteral("items")},
        {u'q', QStringLiteral("queries")},       {u's', QStringLiteral("status reports")},
        {u't', QStringLiteral("telemetry")},     {u'u', QStringLiteral("user-defined packets")},
        {u'n', QStringLiteral("NWS weather")},   {u'w', QStringLiteral("weather reports")},
        {u'c', QStringLiteral("other packets")}, {u'*', QStringLiteral("all packets")},
    };
    QStringList chosen;
    for (const auto &[letter, name] : names)
        if (letters.contains(letter, Qt::CaseInsensitive))
            chosen.append(name);
    if (chosen.isEmpty())
        return QStringLiteral("no packets");
    QString text = alternatives(chosen);
    text.replace(QStringLiteral(" or "), QStringLiteral(" and "));
    return text;
}

QString symbolWords(const QStringList &p, const SymbolTable *symbols)
{
    QStringList names;
    const auto add = [&](const QString &chars, QChar table) {
        for (QChar c : chars) {
            const QString name = symbols ? symbols->nameForCode(table + QString(c)) : QString();
            names.append(name.isEmpty() ? u'"' + QString(table) + c + u'"' : name);
        }
    };
    add(p.value(1), u'/');
    add(p.value(2), u'\\');
    QString text = names.isEmpty() ? QStringLiteral("no symbols") : alternatives(names);
    if (!p.value(3).isEmpty())
        text += QStringLiteral(" with the overlay ") + p.value(3);
    return text;
}

} // namespace

bool LineCheck::anyIgnored() const
{
    for (const FragmentCheck &fragment : fragments)
        if (fragment.verdict == FragmentCheck::Verdict::Ignored)
            return true;
    return false;
}

FragmentCheck checkFragment(const QString &word)
{
    FragmentCheck check{word, QChar(), FragmentCheck::Verdict::Accepted, {}};
    Verdicts v(check);
    const bool excluded = word.startsWith(u'-');
    const QString body = excluded ? word.mid(1) : word;
    if (body.isEmpty()) {
        v.ignore(QStringLiteral("A lone \"-\" is no fragment."));
        return check;
    }
    if (body.startsWith(u'-')) {
        v.ignore(QStringLiteral("Only one \"-\" may stand before the letter."));
        return check;
    }
    const QChar kind = body.at(0).toLower();
    if (!kServerKinds.contains(kind)) {
        v.ignore(QStringLiteral("\"%1\" is no filter kind.").arg(body.at(0)));
        return check;
    }
    check.kind = kind;
    const QStringList p = body.split(u'/');
    if (p[0].size() != 1) {
        v.ignore(QStringLiteral("The kind letter must be followed by \"/\"."));
        return check;
    }
    switch (kind.unicode()) {
    case u'r':
        checkRange(p, v);
        break;
    case u'a':
        checkArea(p, v);
        break;
    case u's':
        checkSymbols(p, v);
        break;
    case u'q':
        checkQConstruct(p, v);
        break;
    case u't':
        checkTypes(p, v);
        break;
    case u'm':
    case u'f':
        checkStationRange(kind, p, v);
        break;
    default:
        checkList(kind, p, v);
        break;
    }
    return check;
}

LineCheck checkFilterLine(const QString &line)
{
    LineCheck check;
    int perKind[128] = {};
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    for (qsizetype i = 0; i < words.size(); ++i) {
        if (i == 0 && words[i] == u"filter")
            continue;
        FragmentCheck fragment = checkFragment(words[i]);
        if (!fragment.kind.isNull() && fragment.kind.unicode() < 128)
            ++perKind[fragment.kind.unicode()];
        check.fragments.append(std::move(fragment));
    }
    for (char16_t kind : {u'r', u'a', u'f'})
        if (perKind[kind] > kMaxAreaFragments)
            check.warnings.append(QStringLiteral("The line has %1 %2 fragments; servers may keep only 9.")
                                      .arg(perKind[kind])
                                      .arg(QChar(kind)));
    if (line.size() > kMaxLineLength)
        check.warnings.append(
            QStringLiteral("The line is %1 characters long; servers may not keep more than 510.").arg(line.size()));
    return check;
}

QString explainFragment(const QString &word, const SymbolTable *symbols)
{
    const FragmentCheck check = checkFragment(word);
    if (check.verdict == FragmentCheck::Verdict::Ignored)
        return {};
    const bool excluded = word.startsWith(u'-');
    const QStringList p = (excluded ? word.mid(1) : word).split(u'/');
    QString text;
    switch (check.kind.unicode()) {
    case u'r':
        text = QStringLiteral("positions within %1 km of %2").arg(p[3], position(p[1], p[2]));
        break;
    case u'a':
        text = QStringLiteral("positions in the box from %1 to %2").arg(position(p[1], p[2]), position(p[3], p[4]));
        break;
    case u'm':
        text = QStringLiteral("positions within %1 km of your own station").arg(p[1]);
        break;
    case u'f':
        text = QStringLiteral("positions within %1 km of %2").arg(p[2], p[1].toUpper());
        break;
    case u'b':
        text = QStringLiteral("stations ")
            + entryWords(p.mid(1), QStringLiteral("whose callsign is"), QStringLiteral("whose callsign starts with"));
        break;
    case u'p':
        text = QStringLiteral("stations whose callsign starts with ") + alternatives(nonEmpty(p.mid(1)));
        break;
    case u'o':
        text = QStringLiteral("objects and items ")
            + entryWords(p.mid(1), QStringLiteral("named"), QStringLiteral("whose name starts with"));
        break;
    case u'd':
        text = QStringLiteral("packets digipeated by ")
            + entryWords(p.mid(1), QString(), QStringLiteral("a digipeater starting with")).trimmed();
        break;
    case u'u':
        text = QStringLiteral("packets whose destination ")
            + entryWords(p.mid(1), QStringLiteral("is"), QStringLiteral("starts with"));
        break;
    case u'e':
        text = QStringLiteral("packets that entered APRS-IS at ")
            + entryWords(p.mid(1), QString(), QStringLiteral("a server starting with")).trimmed();
        break;
    case u'g':
        text = QStringLiteral("messages to ")
            + entryWords(p.mid(1), QString(), QStringLiteral("addressees starting with")).trimmed();
        break;
    case u't':
        text = typeWords(p[1]);
        if (p.size() == 4)
            text += QStringLiteral(" within %1 km of %2").arg(p[3], p[2].toUpper());
        break;
    case u's':
        text = QStringLiteral("stations shown with the symbol ") + symbolWords(p, symbols);
        break;
    case u'q':
        text = p[1].isEmpty() ? QStringLiteral("no packets by q construct")
                              : QStringLiteral("packets whose q construct is ") + alternatives([&] {
                                    QStringList names;
                                    for (QChar c : p[1])
                                        names.append(QStringLiteral("qA") + c);
                                    return names;
                                }());
        if (!p.value(2).isEmpty())
            text += QStringLiteral(", and the server's analysis of q constructs");
        break;
    default:
        break;
    }
    return excluded ? QStringLiteral("except ") + text : text;
}

QStringList explainFilterLine(const QString &line, const SymbolTable *symbols)
{
    QStringList lines;
    for (const FragmentCheck &fragment : checkFilterLine(line).fragments) {
        const QString text = explainFragment(fragment.word, symbols);
        lines.append(fragment.word + QStringLiteral(": ")
                     + (text.isEmpty() ? QStringLiteral("ignored by servers (%1)").arg(fragment.reason) : text));
    }
    return lines;
}

QString checkSummary(const LineCheck &check)
{
    QStringList problems;
    int accepted = 0;
    for (const FragmentCheck &fragment : check.fragments) {
        if (fragment.verdict == FragmentCheck::Verdict::Ignored)
            problems.append(QStringLiteral("%1 is ignored: %2").arg(fragment.word, fragment.reason));
        else
            ++accepted;
        if (fragment.verdict == FragmentCheck::Verdict::AcceptedWithWarning)
            problems.append(QStringLiteral("%1: %2").arg(fragment.word, fragment.reason));
    }
    problems += check.warnings;
    if (problems.isEmpty())
        return check.fragments.isEmpty()
            ? QStringLiteral("No fragments.")
            : QStringLiteral("All %1 fragments are accepted by APRS-IS servers.").arg(accepted);
    return problems.join(QStringLiteral("  "));
}
