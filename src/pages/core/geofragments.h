#pragma once

#include <QString>

struct MapCorners;

/// A range entry: [-]r/latitude/longitude/range, the texts as typed.
QString rangeEntry(bool exclude, const QString &latitude, const QString &longitude, const QString &range);

/// An area entry: [-]a/ and the four corner texts as typed, in the order given.
QString areaEntry(bool exclude, const QString &latitude1, const QString &longitude1, const QString &latitude2,
                  const QString &longitude2);

/// The area entry covering a map: a/latN/lonW/latS/lonE, whichever corner the information file names
/// first (servers take a box in that order only), each value rounded to 4 decimals.
QString areaEntryForMap(const MapCorners &corners);
