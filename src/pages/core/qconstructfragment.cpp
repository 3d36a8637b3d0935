#include "pages/core/qconstructfragment.h"

#include "base/core/fragmentsyntax.h"

QString qConstructFragment(const QConstructChoice &choice)
{
    const QString letters = lettersInOrder(kQConstructLetters, choice.letters);
    if (letters.isEmpty() && !choice.analysis)
        return {};
    // Servers read q/constructs/analysis: Analysis written before the letters would make them the
    // analysis part, and the whole fragment would be ignored.
    return (choice.exclude ? QStringLiteral("-q/") : QStringLiteral("q/")) + letters
        + (choice.analysis ? QStringLiteral("/I") : QString());
}

QConstructChoice parseQConstructFragment(const QString &fragment)
{
    const QStringList pieces = fragmentPieces(fragment);
    const QString constructs = pieces.value(1);
    const QString analysis = pieces.value(2);
    const bool analysisMark = analysis == u"I" || analysis == u"i";
    QConstructChoice decoded;
    decoded.exclude = isExclusion(fragment);
    if (!constructs.isEmpty()) {
        decoded.analysis = analysisMark;
        decoded.letters = lettersInOrder(kQConstructLetters, constructs);
    } else {
        decoded.analysis = true;
        decoded.letters = analysisMark ? QString() : lettersInOrder(kQConstructLetters, analysis);
    }
    return decoded;
}
