#include "app/core/filtercheck.h"

#include "base/core/filterline.h"
#include "geo/core/numbers.h"
#include "pages/core/symboltable.h"

#include <algorithm>
#include <cmath>

namespace {

// Servers keep only this many of r, a and f fragments.
constexpr int kMaxAreaFragments = 9;

QString degreesText(double value, QChar positive, QChar negative)
{
    return QString::number(std::fabs(value), 'g', 10) + u' ' + (value < 0 ? negative : positive);
}

/// A position as the server keeps it, in 32 bits.
QString position(double lat, double lon)
{
    return degreesText(static_cast<float>(lat), u'N', u'S') + u' ' + degreesText(static_cast<float>(lon), u'E', u'W');
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
        {u'm', QStringLiteral("messages")},
        {u'p', QStringLiteral("positions")},
        {u'o', QStringLiteral("objects")},
        {u'i', QStringLiteral("items")},
        {u'q', QStringLiteral("queries")},
        {u's', QStringLiteral("status reports")},
        {u't', QStringLiteral("telemetry")},
        {u'u', QStringLiteral("user-defined packets")},
        {u'n', QStringLiteral("NWS weather")},
        {u'w', QStringLiteral("weather reports")},
        {u'c', QStringLiteral("packets of weather observers (CW, DW and EW stations)")},
        {u'*', QStringLiteral("all packets")},
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

bool LineCheck::anyWarning() const
{
    return !warnings.isEmpty() || std::any_of(fragments.cbegin(), fragments.cend(), [](const Fragment &f) {
        return f.verdict == Fragment::Verdict::AcceptedWithWarning;
    });
}

bool LineCheck::anyIgnored() const
{
    for (const Fragment &fragment : fragments)
        if (fragment.verdict == Fragment::Verdict::Ignored)
            return true;
    return false;
}

LineCheck checkFilterLine(const QString &line)
{
    LineCheck check;
    int perKind[128] = {};
    for (Fragment &fragment : readFilterLine(line)) {
        if (!fragment.kind.isNull() && fragment.kind.unicode() < 128)
            ++perKind[fragment.kind.unicode()];
        check.fragments.append(std::move(fragment));
    }
    for (char16_t kind : {u'r', u'a', u'f'})
        if (perKind[kind] > kMaxAreaFragments)
            check.warnings.append(QStringLiteral("The line has %1 %2 fragments; servers may keep only 9.")
                                      .arg(perKind[kind])
                                      .arg(QChar(kind)));
    if (const qsizetype length = filterCommandText(line).size(); length > kMaxCommandLength)
        check.warnings.append(QStringLiteral("The filter is %1 characters long as a command; servers drop commands "
                                             "over %2.")
                                  .arg(length)
                                  .arg(kMaxCommandLength));
    return check;
}

QString explainFragment(const Fragment &f, const SymbolTable *symbols)
{
    if (f.verdict == Fragment::Verdict::Ignored)
        return {};
    if (f.kind.isNull())
        return QStringLiteral("nothing");
    const QStringList &p = f.pieces;
    QString text;
    switch (f.kind.unicode()) {
    case u'r':
        text = QStringLiteral("positions within %1 km of %2").arg(p[3], position(f.latitude, f.longitude));
        break;
    case u'a':
        text = QStringLiteral("positions in the box from %1 to %2")
                   .arg(position(f.north, f.west), position(f.south, f.east));
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
        if (f.qAnalysis)
            text += QStringLiteral(", and the server's analysis of q constructs");
        break;
    default:
        break;
    }
    return f.exclusion ? QStringLiteral("except ") + text : text;
}

QStringList explainFilterLine(const QString &line, const SymbolTable *symbols)
{
    QStringList lines;
    for (const Fragment &fragment : readFilterLine(line)) {
        const QString text = explainFragment(fragment, symbols);
        lines.append(fragment.word + QStringLiteral(": ")
                     + (text.isEmpty() ? QStringLiteral("ignored by servers (%1)").arg(fragment.reason) : text));
    }
    return lines;
}

QString checkSummary(const LineCheck &check)
{
    QStringList problems;
    int accepted = 0;
    for (const Fragment &fragment : check.fragments) {
        if (fragment.verdict == Fragment::Verdict::Ignored)
            problems.append(QStringLiteral("%1 is ignored: %2").arg(fragment.word, fragment.reason));
        else
            ++accepted;
        if (fragment.verdict == Fragment::Verdict::AcceptedWithWarning)
            problems.append(QStringLiteral("%1: %2").arg(fragment.word, fragment.reason));
    }
    problems += check.warnings;
    if (problems.isEmpty()) {
        if (check.fragments.isEmpty())
            return QStringLiteral("No fragments.");
        return accepted == 1 ? QStringLiteral("The fragment is accepted by APRS-IS servers.")
                             : QStringLiteral("All %1 fragments are accepted by APRS-IS servers.").arg(accepted);
    }
    return problems.join(QStringLiteral("  "));
}
