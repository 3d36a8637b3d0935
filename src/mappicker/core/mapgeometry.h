#pragma once

#include "geo/core/coordinates.h"

#include <QString>

/// Degrees per map unit: of longitude across, of latitude down. For the usual map, whose first
/// corner lies north-west of the second, the first is negative and the second positive.
struct MapScale
{
    float lonUnit = 1;
    float latUnit = 1;
};

/// The degrees per unit of a map of that many units across and down. Where both corners share a
/// longitude (or latitude) the first corner's value over the map's size stands in, and a unit that
/// comes out 0 becomes 1, so no conversion ever divides by 0.
MapScale computeMapScale(const MapCorners &corners, float scaleWidth, float scaleHeight);

/// A latitude or longitude text's map coordinate: (maxUnit - value) / unit, rounded to 5 decimals and
/// then to a whole number, halves to even; -1 when the value lies off the map (bounds included as
/// on it) or the text is not a number. Latitudes are on the map between minUnit and maxUnit,
/// longitudes between maxUnit and minUnit.
int convertLatORLontoXY(const QString &latOrLon, float unit, float maxUnit, float minUnit, bool lat);

/// The map's y coordinate of a latitude text and x coordinate of a longitude text.
int mapY(const QString &latitude, const MapCorners &corners, const MapScale &scale);
int mapX(const QString &longitude, const MapCorners &corners, const MapScale &scale);

/// The position under a map coordinate: each product of unit and coordinate taken as a 32-bit value
/// rounded to 7 decimals, subtracted from the first corner.
struct Position
{
    double latitude = 0;
    double longitude = 0;
};
Position positionAt(double x, double y, const MapCorners &corners, const MapScale &scale);

/// The window caption while picking: "UI-View32 - Decimal Lat ... Decimal Long ...", 4 decimals,
/// followed by how many positions are still wanted when that is between 1 and 21.
QString pickingCaption(const Position &pointer, int stillWanted = 0);
