#include "app/core/filtercheck.h"

#include "base/core/filterline.h"
#include "geo/core/numbers.h"
#include "pages/core/symboltable.h"

#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace {

// Servers cut list entries to this many characters, and keep this many of r, a and f fragments.
constexpr int kEntryLength = 9;
constexpr int kMaxAreaFragments = 9;
constexpr int kMaxLineLength = 510;

// Servers take positions a little past the poles and the date line, and compare them, and the
// distances, as 32-bit values.
constexpr double kLatitudeLimit = 90.01;
constexpr double kLongitudeLimit = 180.01;
constexpr double kShortestDistance = 0.1;

const QString kServerKinds = QStringLiteral("abdefgmopqrstu");
const QString kListKinds = QStringLiteral("bdegopu");

// Servers split the filter at any of these, not only at blanks.
const QRegularExpression kServerBlanks(QStringLiteral("[ \\t\\v\\f]"));

/// A number read as the server reads it, as a 32-bit value, and how much of the piece it took.
struct ServerNumber
{
    float value = 0;
    bool readable = false; ///< the piece starts with a number the server can read
    bool whole = false; ///< the number is the whole piece
    bool plain = false; ///< written as digits with an optional sign and point
};

/// How many characters of a piece the server's number reader takes, or -1 where it gives up. It
/// reads as C's scanf does, which differs from strtod at the edges: it takes a begun exponent
/// ("1e", "0x1p-"), "0x." but not "0x", and gives up on a spelling of infinity it cannot finish.
qsizetype scannedLength(QStringView piece)
{
    qsizetype at = 0;
    const auto next = [&](QStringView letters) {
        if (at < piece.size() && letters.contains(piece[at])) {
            ++at;
            return true;
        }
        return false;
    };
    const auto digits = [&](QStringView letters) {
        const qsizetype from = at;
        while (next(letters)) { }
        return at > from;
    };
    const auto word = [&](QStringView text) {
        if (!piece.mid(at).startsWith(text, Qt::CaseInsensitive))
            return false;
        at += text.size();
        return true;
    };
    next(u"+-");
    if (word(u"inf")) {
        if (word(u"inity"))
            return at;
        return at < piece.size() && piece[at].toLower() == u'i' ? -1 : at;
    }
    if (word(u"nan"))
        return at;
    const bool hex = piece.mid(at).startsWith(u"0x", Qt::CaseInsensitive);
    if (hex)
        at += 2;
    const QStringView mantissa = hex ? u"0123456789abcdefABCDEF" : u"0123456789";
    bool anyDigit = digits(mantissa);
    const bool point = next(u".");
    anyDigit = digits(mantissa) || anyDigit;
    if (!anyDigit && !(hex && point))
        return -1;
    if (anyDigit && next(hex ? u"pP" : u"eE")) {
        next(u"+-");
        digits(u"0123456789");
    } else if (!anyDigit && at < piece.size() && QStringView(u"pP").contains(piece[at])) {
        return -1;
    }
    return at;
}

ServerNumber serverNumber(const QString &piece)
{
    static const QRegularExpression plainForm(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    const qsizetype length = scannedLength(piece);
    return {static_cast<float>(cNumber(piece).value), length > 0, length == piece.size(),
            plainForm.match(piece).hasMatch()};
}

QString valueText(float value)
{
    if (std::isnan(value))
        return QStringLiteral("not a number");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("minus infinity") : QStringLiteral("infinity");
    return QString::number(value, 'g', 9);
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
    /// Warns when a number is written in a form a reader of the line would not take for it.
    void noteSpelling(const QString &piece, const ServerNumber &number)
    {
        if (!number.whole)
            warn(QStringLiteral("Servers read \"%1\" as %2 and skip the rest.").arg(piece, valueText(number.value)));
        else if (!number.plain)
            warn(QStringLiteral("Servers read \"%1\" as %2.").arg(piece, valueText(number.value)));
    }
    /// Warns about pieces the server never reads.
    void noteExtra(const QStringList &p, qsizetype used, const QString &last)
    {
        if (p.size() > used)
            warn(QStringLiteral("Servers ignore \"/%1\" after %2.").arg(p.mid(used).join(u'/'), last));
    }

private:
    FragmentCheck &m_check;
};

bool isLatitude(float value)
{
    return value >= -kLatitudeLimit && value <= kLatitudeLimit; // not a number is no latitude
}

bool isLongitude(float value)
{
    return value >= -kLongitudeLimit && value <= kLongitudeLimit;
}

/// A distance as servers take it: the number at the start of the piece (0 when there is none),
/// or, where `whole`, only a piece that is a number throughout.
bool checkDistance(const QString &piece, bool whole, Verdicts &v)
{
    const ServerNumber d = serverNumber(piece);
    if (!d.readable || (whole && !d.whole))
        return v.ignore(QStringLiteral("The distance \"%1\" is not a number.").arg(piece));
    // A distance that is not a number passes the server's test, so it is taken.
    if (d.value < kShortestDistance)
        return v.ignore(QStringLiteral("The distance must be at least 0.1 km."));
    v.noteSpelling(piece, d);
    return true;
}

/// A latitude or longitude: a number throughout, within the server's bounds.
bool checkCoordinate(const QString &piece, bool latitude, Verdicts &v)
{
    const ServerNumber n = serverNumber(piece);
    if (!n.whole)
        return v.ignore(QStringLiteral("\"%1\" is not a number.").arg(piece));
    if (latitude && !isLatitude(n.value))
        return v.ignore(QStringLiteral("The latitude is beyond 90 degrees."));
    if (!latitude && !isLongitude(n.value))
        return v.ignore(QStringLiteral("The longitude is beyond 180 degrees."));
    v.noteSpelling(piece, n);
    if (std::fabs(n.value) > (latitude ? 90 : 180))
        v.warn(QStringLiteral("%1 is beyond %2 degrees; servers still take it.").arg(piece).arg(latitude ? 90 : 180));
    return true;
}

bool checkRange(const QStringList &p, Verdicts &v)
{
    if (p.size() < 4)
        return v.ignore(QStringLiteral("A range needs latitude, longitude and distance: r/lat/lon/dist."));
    if (!checkCoordinate(p[1], true, v) || !checkCoordinate(p[2], false, v) || !checkDistance(p[3], false, v))
        return false;
    v.noteExtra(p, 4, QStringLiteral("the distance"));
    return true;
}

bool checkArea(const QStringList &p, Verdicts &v)
{
    if (p.size() < 5)
        return v.ignore(QStringLiteral("An area needs four corners: a/latN/lonW/latS/lonE."));
    for (int i = 1; i <= 4; ++i)
        if (!checkCoordinate(p[i], i % 2 == 1, v))
            return false;
    if (serverNumber(p[1]).value < serverNumber(p[3]).value)
        return v.ignore(QStringLiteral("The north latitude is below the south latitude: write a/latN/lonW/latS/lonE."));
    if (serverNumber(p[2]).value > serverNumber(p[4]).value)
        return v.ignore(
            QStringLiteral("The west longitude is east of the east longitude: write a/latN/lonW/latS/lonE."));
    v.noteExtra(p, 5, QStringLiteral("the four corners"));
    return true;
}

/// b, d, e, g, o, p, u: servers take the text after the first "/", whatever stands between the
/// letter and it.
bool checkList(QChar kind, const QStringList &p, Verdicts &v)
{
    if (p.size() < 2 || (p.size() == 2 && p[1].isEmpty()))
        return v.ignore(QStringLiteral("There is no entry after \"%1/\".").arg(kind));
    bool anyEntry = false;
    for (qsizetype i = 1; i < p.size(); ++i) {
        if (kind == u'p' && p[i].contains(u'*'))
            return v.ignore(QStringLiteral("Prefix entries may not contain \"*\"."));
        anyEntry = anyEntry || !p[i].isEmpty();
    }
    if (p[0].size() > 1)
        v.warn(QStringLiteral("Servers skip \"%1\" between the letter and the first \"/\".").arg(p[0].mid(1)));
    for (qsizetype i = 1; i < p.size(); ++i)
        if (p[i].size() > kEntryLength)
            v.warn(QStringLiteral("Servers cut \"%1\" to its first 9 characters.").arg(p[i]));
    if (!anyEntry)
        v.warn(QStringLiteral("Every entry is empty."));
    return true;
}

bool checkSymbols(const QStringList &p, Verdicts &v)
{
    if (p.size() < 2)
        return v.ignore(QStringLiteral("A symbol fragment needs at least \"s/\"."));
    // Everything after the third "/" is the overlay, slashes included.
    const QString overlay = p.mid(3).join(u'/');
    if (!overlay.isEmpty() && p.value(2).isEmpty())
        return v.ignore(QStringLiteral("An overlay needs symbols of the alternate table."));
    if (p.size() > 4)
        v.warn(QStringLiteral("Servers read all of \"%1\" as the overlay.").arg(overlay));
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
    if (p.size() > 4)
        return v.ignore(QStringLiteral("Too many parts: t/types or t/types/call/dist."));
    if (p.size() == 3) {
        if (!p[2].isEmpty())
            return v.ignore(QStringLiteral("A station needs a distance: t/types/call/dist."));
        v.warn(QStringLiteral("Servers ignore the empty station after the types."));
    }
    if (p.size() == 4) {
        if (const qsizetype bytes = p[2].toUtf8().size(); bytes < 3 || bytes > kEntryLength)
            return v.ignore(QStringLiteral("The station's callsign must have 3 to 9 characters."));
        return checkDistance(p[3], true, v);
    }
    return true;
}

bool checkStationRange(QChar kind, const QStringList &p, Verdicts &v)
{
    if (kind == u'm') {
        if (p.size() < 2)
            return v.ignore(QStringLiteral("My range needs a distance: m/dist."));
        if (!checkDistance(p[1], false, v))
            return false;
        v.noteExtra(p, 2, QStringLiteral("the distance"));
        return true;
    }
    if (p.size() < 3)
        return v.ignore(QStringLiteral("A friend range needs a callsign and a distance: f/call/dist."));
    if (p[1].isEmpty() || p[1].toUtf8().size() > kEntryLength)
        return v.ignore(QStringLiteral("The callsign must have 1 to 9 characters."));
    if (!checkDistance(p[2], false, v))
        return false;
    v.noteExtra(p, 3, QStringLiteral("the distance"));
    return true;
}

QString degreesText(double value, QChar positive, QChar negative)
{
    return QString::number(std::fabs(value), 'g', 10) + u' ' + (value < 0 ? negative : positive);
}

QString position(const QString &lat, const QString &lon)
{
    return degreesText(serverNumber(lat).value, u'N', u'S') + u' ' + degreesText(serverNumber(lon).value, u'E', u'W');
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
    const QString overlay = p.mid(3).join(u'/');
    if (!overlay.isEmpty())
        text += QStringLiteral(" with the overlay ") + overlay;
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
    if (word.contains(kServerBlanks)) {
        v.ignore(QStringLiteral("Servers split a fragment at blanks and tabs."));
        return check;
    }
    const bool excluded = word.startsWith(u'-');
    const QString body = excluded ? word.mid(1) : word;
    if (body.isEmpty()) {
        v.warn(QStringLiteral("Servers take a lone \"-\", but it removes nothing."));
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
    if (kListKinds.contains(kind)) {
        checkList(kind, p, v);
        return check;
    }
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
    default:
        checkStationRange(kind, p, v);
        break;
    }
    return check;
}

LineCheck checkFilterLine(const QString &line)
{
    LineCheck check;
    int perKind[128] = {};
    for (const QString &word : serverFragments(line)) {
        FragmentCheck fragment = checkFragment(word);
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
    if (check.kind.isNull())
        return QStringLiteral("nothing");
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
        text = QStringLiteral("messages to ") + alternatives(nonEmpty(p.mid(1)))
            + (nonEmpty(p.mid(1)).size() > 1 ? QStringLiteral(", and bulletins of those groups")
                                             : QStringLiteral(", and bulletins of that group"));
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
