#include "mappicker/core/mapgeometry.h"

#include "geo/core/numbers.h"

#include <cmath>

MapScale computeMapScale(const MapCorners &corners, float scaleWidth, float scaleHeight)
{
    const auto unit = [](float first, float second, float size) {
        const float span = first - second;
        const float unit = span != 0 ? span / size : first / size;
        return unit == 0 || !std::isfinite(unit) ? 1.0f : unit;
    };
    return {unit(corners.lon1, corners.lon2, scaleWidth), unit(corners.lat1, corners.lat2, scaleHeight)};
}

int convertLatORLontoXY(const QString &latOrLon, float unit, float maxUnit, float minUnit, bool lat)
{
    const std::optional<double> read = numberFromText(latOrLon);
    if (!read)
        return -1;
    const float value = static_cast<float>(*read);
    const bool onMap = lat ? (minUnit <= value && value <= maxUnit) : (maxUnit <= value && value <= minUnit);
    if (!onMap)
        return -1;
    const float t = (maxUnit - value) / unit;
    const double rounded = roundHalfEven(roundHalfEven(static_cast<double>(t), 5));
    if (!std::isfinite(rounded) || std::fabs(rounded) > 1e9)
        return -1;
    return static_cast<int>(rounded);
}

int mapY(const QString &latitude, const MapCorners &corners, const MapScale &scale)
{
    return convertLatORLontoXY(latitude, scale.latUnit, corners.lat1, corners.lat2, true);
}

int mapX(const QString &longitude, const MapCorners &corners, const MapScale &scale)
{
    return convertLatORLontoXY(longitude, scale.lonUnit, corners.lon1, corners.lon2, false);
}

Position positionAt(double x, double y, const MapCorners &corners, const MapScale &scale)
{
    const auto offset = [](float unit, double coordinate) {
        return roundHalfEven(static_cast<float>(static_cast<double>(unit) * coordinate), 7);
    };
    return {static_cast<double>(corners.lat1) - offset(scale.latUnit, y),
            static_cast<double>(corners.lon1) - offset(scale.lonUnit, x)};
}

QString pickingCaption(const Position &pointer, int stillWanted)
{
    QString caption = QStringLiteral("UI-View32 - Decimal Lat ") + doubleText(roundHalfEven(pointer.latitude, 4))
        + QStringLiteral(" Decimal Long ") + doubleText(roundHalfEven(pointer.longitude, 4));
    // A count past the table's 21 slots could never be reached, so it is not promised.
    if (stillWanted == 1)
        caption += QStringLiteral(" - 1 position to pick");
    else if (stillWanted > 1 && stillWanted <= 21)
        caption += QStringLiteral(" - %1 positions to pick").arg(stillWanted);
    return caption;
}
