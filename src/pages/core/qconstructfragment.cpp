#include "pages/core/qconstructfragment.h"

#include "pages/core/fragmentsyntax.h"

QString qConstructFragment(const QConstructChoice &choice)
{
    QString fragment = choice.exclude ? QStringLiteral("-q/") : QStringLiteral("q/");
    if (choice.analysis)
        fragment += u'/';
    fragment += lettersInOrder(kQConstructLetters, choice.letters);
    if (fragment == u"q/" || fragment == u"-q/")
        return {};
    return fragment;
}

QConstructChoice parseQConstructFragment(const QString &fragment)
{
    const QStringList pieces = fragmentPieces(fragment);
    const QString piece1 = pieces.value(1);
    QConstructChoice decoded;
    decoded.exclude = isExclusion(fragment);
    decoded.analysis = piece1.isEmpty();
    decoded.letters = lettersInOrder(kQConstructLetters, decoded.analysis ? pieces.value(2) : piece1);
    return decoded;
}
