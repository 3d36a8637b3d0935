#include "filter/core/fragment.h"

#include "base/core/filterline.h"
#include "geo/core/numbers.h"

#include <QRegularExpression>

#include <cmath>

namespace {

// Servers cut list entries to this many characters.
constexpr int kEntryLength = 9;

// Servers take positions a little past the poles and the date line, and compare them, and the
// distances, as 32-bit values.
constexpr double kLatitudeLimit = 90.01;
constexpr double kLongitudeLimit = 180.01;
constexpr double kShortestDistance = 0.1;

const QString kServerKinds = QStringLiteral("abdefgmopqrstu");
const QString kListKinds = QStringLiteral("bdegopu");

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
    explicit Verdicts(Fragment &check)
        : m_check(check)
    { }
    bool ignore(const QString &reason)
    {
        if (m_check.verdict != Fragment::Verdict::Ignored) {
            m_check.verdict = Fragment::Verdict::Ignored;
            m_check.reason = reason;
        }
        return false;
    }
    void warn(const QString &reason)
    {
        if (m_check.verdict == Fragment::Verdict::Accepted) {
            m_check.verdict = Fragment::Verdict::AcceptedWithWarning;
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
    Fragment &m_check;
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

/// The value of a number piece as the server reads it.
double valueOf(const QString &piece)
{
    return cNumber(piece).value;
}

/// Fills in what the server keeps of a fragment it accepts.
void keepParameters(Fragment &f)
{
    const QStringList &p = f.pieces;
    switch (f.kind.unicode()) {
    case u'r':
        f.latitude = valueOf(p[1]);
        f.longitude = valueOf(p[2]);
        f.kilometres = valueOf(p[3]);
        break;
    case u'a':
        f.north = valueOf(p[1]);
        f.west = valueOf(p[2]);
        f.south = valueOf(p[3]);
        f.east = valueOf(p[4]);
        break;
    case u'm':
        f.kilometres = valueOf(p[1]);
        break;
    case u'f':
        f.call = p[1].toLatin1();
        f.kilometres = valueOf(p[2]);
        break;
    case u't':
        f.types = p[1].toLower();
        if (p.size() == 4) {
            f.call = p[2].toLatin1();
            f.kilometres = valueOf(p[3]);
        }
        break;
    case u's':
        f.primary = p[1].toLatin1();
        f.alternate = p.value(2).toLatin1();
        f.overlays = p.mid(3).join(u'/').toLatin1();
        break;
    case u'q':
        f.qConstructs = p[1].toLatin1();
        f.qAnalysis = !p.value(2).isEmpty();
        break;
    default:
        f.strictObjects = p[0].compare(u"os", Qt::CaseInsensitive) == 0;
        for (const QString &entry : p.mid(1)) {
            // Measured on aprsc: a "*" anywhere makes the entry a beginning, with its "*"s left out
            // ("A*B" takes AB4WS), and an entry of "*"s alone takes nothing. A prefix is a
            // beginning too.
            QByteArray start = entry.toLatin1();
            const bool beginning = f.kind == u'p' || start.contains('*');
            start.replace("*", "");
            if (!start.isEmpty())
                f.entries.append(beginning ? start + '*' : start);
        }
        break;
    }
}

} // namespace

Fragment readFragment(const QString &word)
{
    Fragment f;
    f.word = word;
    Verdicts v(f);
    if (containsServerBlank(word)) {
        v.ignore(QStringLiteral("Servers split a fragment at blanks and tabs."));
        return f;
    }
    f.exclusion = word.startsWith(u'-');
    const QString body = f.exclusion ? word.mid(1) : word;
    if (body.isEmpty()) {
        v.warn(QStringLiteral("Servers take a lone \"-\", but it removes nothing."));
        return f;
    }
    if (body.startsWith(u'-')) {
        v.ignore(QStringLiteral("Only one \"-\" may stand before the letter."));
        return f;
    }
    const QChar kind = body.at(0).toLower();
    if (!kServerKinds.contains(kind)) {
        v.ignore(QStringLiteral("\"%1\" is no filter kind.").arg(body.at(0)));
        return f;
    }
    f.kind = kind;
    f.pieces = body.split(u'/');
    const QStringList &p = f.pieces;
    bool kept = false;
    if (kListKinds.contains(kind)) {
        kept = checkList(kind, p, v);
    } else if (p[0].size() != 1) {
        kept = v.ignore(QStringLiteral("The kind letter must be followed by \"/\"."));
    } else {
        switch (kind.unicode()) {
        case u'r':
            kept = checkRange(p, v);
            break;
        case u'a':
            kept = checkArea(p, v);
            break;
        case u's':
            kept = checkSymbols(p, v);
            break;
        case u'q':
            kept = checkQConstruct(p, v);
            break;
        case u't':
            kept = checkTypes(p, v);
            break;
        default:
            kept = checkStationRange(kind, p, v);
            break;
        }
    }
    if (kept)
        keepParameters(f);
    return f;
}

QList<Fragment> readFilterLine(const QString &line)
{
    QList<Fragment> fragments;
    for (const QString &word : serverFragments(line))
        fragments.append(readFragment(word));
    return fragments;
}

QByteArray filterCommandText(const QString &filterLine)
{
    const QStringList fragments = serverFragments(filterLine);
    return "#filter " + (fragments.isEmpty() ? QByteArray("default") : fragments.join(u' ').toUtf8());
}
