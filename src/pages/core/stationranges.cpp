#include "pages/core/stationranges.h"

#include "base/core/fragmentsyntax.h"

QString myRangeFragment(bool exclude, const QString &range)
{
    if (range.isEmpty())
        return {};
    return (exclude ? QStringLiteral("-m/") : QStringLiteral("m/")) + range;
}

MyRangeDecode parseMyRangeFragment(const QString &fragment)
{
    return {isExclusion(fragment), fragmentPieces(fragment).value(1)};
}

QString friendEntry(bool exclude, const QString &callsign, const QString &range)
{
    return (exclude ? QStringLiteral("-f/") : QStringLiteral("f/")) + callsign.toUpper() + u'/' + range;
}
