#include "pages/core/geofragments.h"

#include "geo/core/coordinates.h"
#include "geo/core/numbers.h"

#include <algorithm>

QString rangeEntry(bool exclude, const QString &latitude, const QString &longitude, const QString &range)
{
    return (exclude ? QStringLiteral("-r/") : QStringLiteral("r/")) + latitude + u'/' + longitude + u'/' + range;
}

QString areaEntry(bool exclude, const QString &latitude1, const QString &longitude1, const QString &latitude2,
                  const QString &longitude2)
{
    return (exclude ? QStringLiteral("-a/") : QStringLiteral("a/")) + latitude1 + u'/' + longitude1 + u'/' + latitude2
        + u'/' + longitude2;
}

QString areaEntryForMap(const MapCorners &corners)
{
    return areaEntry(false, roundedSingleText(std::max(corners.lat1, corners.lat2), 4),
                     roundedSingleText(std::min(corners.lon1, corners.lon2), 4),
                     roundedSingleText(std::min(corners.lat1, corners.lat2), 4),
                     roundedSingleText(std::max(corners.lon1, corners.lon2), 4));
}
