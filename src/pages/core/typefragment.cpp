#include "pages/core/typefragment.h"

#include "base/core/fragmentsyntax.h"

QString typeFragment(const TypeChoice &choice)
{
    QString fragment = choice.exclude ? QStringLiteral("-t/") : QStringLiteral("t/");
    fragment += lettersInOrder(kTypeLetters, choice.letters);
    if (!choice.callsign.isEmpty()) {
        fragment += u'/' + choice.callsign.toUpper();
        if (!choice.range.isEmpty())
            fragment += u'/' + choice.range;
    }
    if (fragment == u"t/" || fragment == u"-t/")
        return {};
    return fragment;
}

TypeDecode parseTypeFragment(const QString &fragment)
{
    const QStringList pieces = fragmentPieces(fragment);
    TypeDecode decoded;
    decoded.exclude = isExclusion(fragment);
    if (pieces.size() > 1)
        decoded.letters = lettersInOrder(kTypeLetters, pieces.at(1));
    if (pieces.size() > 2)
        decoded.callsign = pieces.at(2);
    if (pieces.size() > 3)
        decoded.range = pieces.at(3);
    return decoded;
}
