#pragma once

#include <QList>
#include <QString>

#include <optional>

/// One position the map picker reports: where it is, and how far from the position before it.
struct PickedPosition
{
    float latitude = 0;
    float longitude = 0;
    float distance = 0; ///< kilometres from the previous position; 0 for the first
};

/// The callback text of picked positions: "latitude;longitude;distance$" for each, every number
/// written by the locale's number conventions as a 32-bit value.
QString callbackText(const QList<PickedPosition> &positions);

/// Reads a callback text: positions ended by "$", fields "latitude;longitude;distance" written by the
/// locale's number conventions. Nothing when any position is malformed or fewer than two are given.
/// `fields` is how many fields every position must have (2 or 3).
std::optional<QList<PickedPosition>> parseCallbackText(const QString &text, int fields);

/// The range page's inputs from a picked centre and a point on the circle: latitude and longitude
/// rounded to 4 decimals, the distance to a whole number of kilometres.
struct RangeInputs
{
    QString latitude;
    QString longitude;
    QString range;
};
std::optional<RangeInputs> rangeFromCallback(const QString &text);

/// The area page's inputs from two picked corners, in the order servers take a box: north latitude,
/// west longitude, south latitude, east longitude, each rounded to 4 decimals.
struct AreaInputs
{
    QString latitude1;
    QString longitude1;
    QString latitude2;
    QString longitude2;
};
std::optional<AreaInputs> areaFromCallback(const QString &text);
