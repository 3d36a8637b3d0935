#include "filter/core/decoding.h"

#include "base/core/filterline.h"

#include <QHash>

#include <algorithm>

namespace {

/// The pages that keep every word whole as an entry of their own.
bool keepsWordsWhole(QChar kind)
{
    return kind == u'r' || kind == u'a' || kind == u'f';
}

bool isListKind(QChar kind)
{
    return QStringView(u"bdegopu").contains(kind);
}

/// The word as the page's decoder reads it: servers take kinds, and type letters, in any case.
QString forThePage(const Fragment &f)
{
    if (f.pieces.isEmpty())
        return f.word;
    QStringList pieces = f.pieces;
    pieces[0] = pieces[0].toLower();
    if (f.kind == u't' && pieces.size() > 1)
        pieces[1] = pieces[1].toLower();
    return (f.exclusion ? QStringLiteral("-") : QString()) + pieces.join(u'/');
}

/// Whether two fragments of a kind, of one sign, can be said as one whose parameters are theirs
/// side by side: a server passes a packet when either passes it, and the merged fragment does the same.
bool mergeable(const Fragment &first, const Fragment &next)
{
    if (first.exclusion != next.exclusion)
        return false;
    switch (first.kind.unicode()) {
    case u't':
    case u'q':
        // Neither may carry a station or the analysis mark, which would apply to the other's letters.
        return first.pieces.size() == 2 && next.pieces.size() == 2;
    case u's':
        // An overlay narrows the alternate symbols it stands beside.
        return first.pieces.size() <= 3 && next.pieces.size() <= 3;
    default:
        return isListKind(first.kind) && first.strictObjects == next.strictObjects;
    }
}

/// One fragment that says the words together: the first word's kind and sign, their parameters
/// side by side.
QString mergedText(const QList<Fragment> &words)
{
    const Fragment &first = words.first();
    if (words.size() == 1)
        return forThePage(first);
    QStringList pieces{(first.exclusion ? QStringLiteral("-") : QString()) + first.pieces.first().toLower()};
    if (isListKind(first.kind)) {
        for (const Fragment &word : words)
            pieces += word.pieces.mid(1);
        return pieces.join(u'/');
    }
    QString letters, alternate;
    bool anyAlternate = false;
    for (const Fragment &word : words) {
        letters += first.kind == u't' ? word.pieces.at(1).toLower() : word.pieces.at(1);
        anyAlternate = anyAlternate || word.pieces.size() > 2;
        alternate += word.pieces.value(2);
    }
    pieces << letters;
    if (anyAlternate)
        pieces << alternate;
    return pieces.join(u'/');
}

/// What the merged fragment has to keep: every word's selection together.
Fragment together(const QList<Fragment> &words)
{
    Fragment all = words.first();
    for (const Fragment &word : words.mid(1)) {
        all.entries += word.entries;
        all.types += word.types;
        all.primary += word.primary;
        all.alternate += word.alternate;
        all.qConstructs += word.qConstructs;
    }
    return all;
}

template<typename Bytes>
Bytes asSet(Bytes bytes)
{
    std::sort(bytes.begin(), bytes.end());
    bytes.erase(std::unique(bytes.begin(), bytes.end()), bytes.end());
    return bytes;
}

/// Entries as a set; servers compare them in any case.
QList<QByteArray> entrySet(const QList<QByteArray> &entries)
{
    QList<QByteArray> upper;
    upper.reserve(entries.size());
    for (const QByteArray &entry : entries)
        upper.append(entry.toUpper());
    return asSet(upper);
}

/// Whether a fragment can pass or remove any packet: a server takes "b/" or "-s/", but they
/// select nothing, and do what no fragment does.
bool actsOnPackets(const Fragment &f)
{
    if (!f.isEvaluated())
        return false;
    switch (f.kind.unicode()) {
    case u's':
        return !f.primary.isEmpty() || !f.alternate.isEmpty();
    case u'q':
        return !f.qConstructs.isEmpty() || f.qAnalysis;
    default:
        return !isListKind(f.kind) || !f.entries.isEmpty();
    }
}

/// A list of words, the first few of a long one named and the rest counted.
QString named(const QStringList &words)
{
    constexpr qsizetype shown = 5;
    if (words.size() <= shown + 1)
        return words.join(QStringLiteral(", "));
    return QStringLiteral("%1 and %2 more")
        .arg(words.first(shown).join(QStringLiteral(", ")))
        .arg(words.size() - shown);
}

void inTypedOrder(QList<TypedWord> &words)
{
    std::stable_sort(words.begin(), words.end(), [](const TypedWord &a, const TypedWord &b) { return a.at < b.at; });
}

QStringList textsOf(const QList<TypedWord> &words)
{
    QStringList texts;
    texts.reserve(words.size());
    for (const TypedWord &word : words)
        texts.append(word.text);
    return texts;
}

/// Plans one kind's words: what its page takes and what stays beside it.
void planKind(DecodePlan &plan, QChar kind, const QList<TypedWord> &typed, const QList<Fragment> &read)
{
    DecodePlan::Share share;
    share.kind = kind;
    if (keepsWordsWhole(kind)) {
        share.typed = typed;
        for (const Fragment &f : read)
            share.words.append(forThePage(f));
        plan.shares.append(share);
        return;
    }

    // A word servers ignore does nothing; alone of its kind it still goes to its page, where the
    // user can mend it.
    if (std::none_of(read.cbegin(), read.cend(), [](const Fragment &f) { return f.isEvaluated(); })) {
        share.typed = {typed.first()};
        share.words = {forThePage(read.first())};
        share.merged = share.words.first();
        plan.leftOut += typed.mid(1);
        plan.shares.append(share);
        return;
    }

    QList<Fragment> merging;
    QList<TypedWord> others;
    for (qsizetype i = 0; i < read.size(); ++i) {
        if (!read[i].isEvaluated()) {
            plan.leftOut.append(typed[i]);
        } else if (merging.isEmpty() || mergeable(merging.first(), read[i])) {
            merging.append(read[i]);
            share.typed.append(typed[i]);
        } else {
            others.append(typed[i]);
        }
    }
    share.merged = mergedText(merging);
    // A merge the server would read otherwise (an entry past a limit, say) is not made.
    if (merging.size() > 1 && !sameMeaning(readFragment(share.merged), together(merging))) {
        others += share.typed.mid(1);
        share.typed.resize(1);
        share.merged = forThePage(merging.first());
    }
    share.words = {share.merged};
    plan.kept += others;
    plan.shares.append(share);
}

} // namespace

void DecodePlan::withdraw(qsizetype index)
{
    Share &share = shares[index];
    share.withdrawn = true;
    for (const TypedWord &word : std::as_const(share.typed)) {
        if (readFragment(word.text).isEvaluated())
            kept.append(word);
        else
            leftOut.append(word);
    }
    inTypedOrder(kept);
    inTypedOrder(leftOut);
}

QString DecodePlan::keptText() const
{
    return textsOf(kept).join(u' ');
}

bool DecodePlan::anythingSetAside() const
{
    return !kept.isEmpty() || !notFragments.isEmpty() || !leftOut.isEmpty();
}

DecodePlan planDecode(const QString &line)
{
    DecodePlan plan;
    if (line.size() > kMaxDecodedLine) {
        plan.refusedLength = line.size();
        return plan;
    }

    QHash<QChar, QList<TypedWord>> typedByKind;
    QHash<QChar, QList<Fragment>> readByKind;
    QList<QChar> lastWordOrder;
    const QStringList words = serverFragments(line);
    for (qsizetype at = 0; at < words.size(); ++at) {
        const QString &word = words[at];
        if (word == u"filter")
            continue;
        Fragment f = readFragment(word);
        if (f.kind.isNull() || f.pieces.isEmpty()) {
            plan.notFragments.append(word);
            continue;
        }
        ++plan.fragments;
        const QChar kind = f.kind;
        typedByKind[kind].append({at, word});
        readByKind[kind].append(std::move(f));
        lastWordOrder.removeOne(kind);
        lastWordOrder.append(kind);
    }
    for (QChar kind : std::as_const(lastWordOrder))
        planKind(plan, kind, typedByKind.value(kind), readByKind.value(kind));
    inTypedOrder(plan.kept);
    inTypedOrder(plan.leftOut);
    return plan;
}

bool sameMeaning(const Fragment &a, const Fragment &b)
{
    const bool aActs = actsOnPackets(a);
    if (aActs != actsOnPackets(b))
        return false;
    if (!aActs)
        return true;
    return a.kind == b.kind && a.exclusion == b.exclusion && a.latitude == b.latitude && a.longitude == b.longitude
        && a.kilometres == b.kilometres && a.north == b.north && a.west == b.west && a.south == b.south
        && a.east == b.east && a.call == b.call && a.strictObjects == b.strictObjects
        && entrySet(a.entries) == entrySet(b.entries) && asSet(a.types) == asSet(b.types)
        && asSet(a.primary) == asSet(b.primary) && asSet(a.alternate) == asSet(b.alternate)
        && asSet(a.overlays) == asSet(b.overlays) && asSet(a.qConstructs) == asSet(b.qConstructs)
        && a.qAnalysis == b.qAnalysis;
}

bool pageHolds(const DecodePlan::Share &share, const QString &fragmentBox)
{
    // The pages of many fragments keep every word as it came.
    if (share.merged.isEmpty())
        return true;
    return sameMeaning(readFragment(trimBlanks(fragmentBox)), readFragment(share.merged));
}

QString decodeSummary(const DecodePlan &plan)
{
    if (plan.refused())
        return QStringLiteral("This filter is %1 characters long; Varnock decodes filters of up to %2 characters.")
            .arg(plan.refusedLength)
            .arg(kMaxDecodedLine);
    const qsizetype decoded = plan.fragments - plan.leftOut.size();
    QString text
        = decoded == 1 ? QStringLiteral("Decoded 1 fragment") : QStringLiteral("Decoded %1 fragments").arg(decoded);
    if (!plan.kept.isEmpty())
        text += QStringLiteral("; %1 kept as typed: %2").arg(plan.kept.size()).arg(named(textsOf(plan.kept)));
    text += u'.';
    if (!plan.notFragments.isEmpty())
        text += QStringLiteral(" Not a fragment: %1.").arg(named(plan.notFragments));
    if (!plan.leftOut.isEmpty())
        text += (plan.leftOut.size() == 1 ? QStringLiteral(" Left out, as servers ignore it: %1.")
                                          : QStringLiteral(" Left out, as servers ignore them: %1."))
                    .arg(named(textsOf(plan.leftOut)));
    return text;
}
