// Typed filter lines: every word reaches its kind's reader, and reading back what the page would
// build from it gives the same fragment (decode -> rebuild -> decode is stable). The checker and the
// explanation take any word.
#include "app/core/filtercheck.h"
#include "base/core/filterline.h"
#include "base/core/fragmentsyntax.h"
#include "filter/core/decoding.h"
#include "fuzzsupport.h"
#include "packets/core/filterengine.h"
#include "pages/core/listfragment.h"
#include "pages/core/qconstructfragment.h"
#include "pages/core/stationranges.h"
#include "pages/core/symboltable.h"
#include "pages/core/typefragment.h"

namespace {

const SymbolTable &symbols()
{
    static const SymbolTable table = SymbolTable::fromBytes("/> Car\n/_ Weather\n\\! Emergency\n\\> Car2\n", {}).table;
    return table;
}

/// The fragment the page of the word's kind builds after decoding it alone.
QString rebuilt(QChar kind, const QString &word)
{
    switch (kind.unicode()) {
    case u'b':
    case u'd':
    case u'o':
    case u'u':
    case u'e':
    case u'p':
    case u'g': {
        const ListContent content = parseListFragment(word);
        return listFragment(kind, content.exclude, content.entries);
    }
    case u't': {
        const TypeDecode decoded = parseTypeFragment(word);
        return typeFragment({decoded.exclude, decoded.letters, decoded.callsign.value_or(QString()),
                             decoded.range.value_or(QString())});
    }
    case u'q':
        return qConstructFragment(parseQConstructFragment(word));
    case u'm': {
        const MyRangeDecode decoded = parseMyRangeFragment(word);
        return myRangeFragment(decoded.exclude, decoded.range);
    }
    case u's': {
        const SymbolDecode decoded = parseSymbolFragment(symbols(), word);
        SymbolChoice choice{decoded.exclude, {}, decoded.overlay.value_or(QString())};
        for (const QString &name : decoded.names)
            choice.codes.append(symbols().codeForName(name));
        return symbolFragment(choice);
    }
    default: // r, a and f keep each word whole as an entry
        return entryListFragment({word}).chopped(1);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString line = fuzzText(data, size);
    // Every word the server would see is accounted for once: in a page, kept, or named as left out.
    const DecodePlan plan = planDecode(line);
    qsizetype accounted = plan.kept.size() + plan.notFragments.size() + plan.leftOut.size();
    for (const DecodePlan::Share &share : plan.shares) {
        accounted += share.typed.size();
        FUZZ_REQUIRE(!share.typed.isEmpty());
        // What a merge says, the server reads the way it read the words.
        if (share.typed.size() > 1 && !share.merged.isEmpty())
            FUZZ_REQUIRE(readFragment(share.merged).isEvaluated());
        for (const QString &word : share.words) {
            FUZZ_REQUIRE(!word.isEmpty() && !containsServerBlank(word));
            const QString once = rebuilt(share.kind, word);
            FUZZ_REQUIRE(!once.contains(u' ') || QStringView(u"bdouepgtms").contains(share.kind));
            if (!once.isEmpty())
                FUZZ_REQUIRE(rebuilt(share.kind, once) == once);
            explainFragment(readFragment(word), &symbols());
        }
    }
    if (!plan.refused())
        FUZZ_REQUIRE(accounted == serverFragments(line).size() - serverFragments(line).count(QStringLiteral("filter")));
    decodeSummary(plan);
    const LineCheck check = checkFilterLine(line);
    FUZZ_REQUIRE(check.fragments.size() <= line.size());
    // What a server takes can always be said in words; what it refuses always has a reason.
    for (const Fragment &fragment : check.fragments)
        FUZZ_REQUIRE(fragment.verdict == Fragment::Verdict::Ignored
                         ? !fragment.reason.isEmpty() && explainFragment(fragment).isEmpty()
                         : !explainFragment(fragment).isEmpty());
    // The engine evaluates exactly what the check accepts, and reads it the same way.
    const FilterEngine engine(line);
    FUZZ_REQUIRE(engine.fragments().size() == check.fragments.size());
    for (qsizetype i = 0; i < check.fragments.size(); ++i) {
        FUZZ_REQUIRE(engine.fragment(i).word == check.fragments[i].word);
        FUZZ_REQUIRE(
            engine.evaluates(i)
            == (check.fragments[i].verdict != Fragment::Verdict::Ignored && !check.fragments[i].kind.isNull()));
    }
    checkSummary(check);
    return 0;
}
