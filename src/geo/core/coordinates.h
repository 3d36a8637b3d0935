#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

class QByteArray;

/// A degree-minute text with its hemisphere letter as the last character, as UI-View32's map
/// information files write corners ("51.30.00N", "001.15.30W", "33,52,30S"), in signed decimal
/// degrees; -1 when the text cannot be read.
float convertLatORLontoDecimal(const QString &text);

/// The two corners of a map, in decimal degrees, as its information file gives them.
struct MapCorners
{
    float lat1 = 0;
    float lon1 = 0;
    float lat2 = 0;
    float lon2 = 0;

    friend bool operator==(const MapCorners &, const MapCorners &) = default;
};

/// The corner texts of a map information file, each pair sorted into latitude and longitude.
struct CornerTexts
{
    QString lat1;
    QString lon1;
    QString lat2;
    QString lon2;
};

/// The information file of a map: the map's path up to and including its first ".", then "inf".
QString mapInfoPath(const QString &mapPath);

/// The first five values of a map information file, each ended by a comma or a line end, with blanks
/// and double quotes around it removed; nothing when the file holds fewer than five.
std::optional<QStringList> readMapInfoValues(const QByteArray &bytes);

/// The first five values of the information file of a map (see readMapInfoValues); nothing when the
/// file cannot be read or holds fewer than five.
std::optional<QStringList> readMapInfoFile(const QString &mapPath);

/// Sorts the four corner values into the texts: upper-cased, a value with "N" or "S" is a latitude,
/// any other a longitude. Where both values of a pair are of one kind the later wins and the other
/// text keeps what it held.
void assignCornerTexts(const QStringList &values, CornerTexts &texts);

/// The corners the texts give; an empty text gives -1.
MapCorners cornersFromTexts(const CornerTexts &texts);

/// Reads the corners from the information file of a map; nothing when it cannot be read or holds
/// fewer than five values.
std::optional<MapCorners> loadMapCornersFromInf(const QString &mapPath);

/// The distance in kilometres between two positions in decimal degrees, on a sphere of 6367 km with
/// the latitudes corrected for the earth's flattening.
float DoDistance(double hlat, double hlon, double alat, double alon);

/// The position (latitude, longitude) that lies `kilometres` from a start along the great circle
/// that leaves it at `bearing` degrees (0 north, 90 east), on the sphere DoDistance measures on.
std::pair<double, double> pointAtDistance(double latitude, double longitude, double bearing, double kilometres);

/// The longitude due east of a centre at a whole number of kilometres, found in steps of 0.005
/// degrees (at most 60000). Gives the centre's longitude when no step matches, and nothing when the
/// longitude text is not a number.
std::optional<float> convertRangetoLongitude(const QString &latitude, const QString &longitude, qint16 range);
