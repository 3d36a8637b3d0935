#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// What the map shows of a page's entries: a dot at a position, or a line between two.
struct MapFigure
{
    enum class Shape { Point, Line };
    Shape shape;
    QString fromLat;
    QString fromLon;
    QString toLat; ///< lines only
    QString toLon; ///< lines only

    friend bool operator==(const MapFigure &, const MapFigure &) = default;
};

/// Each range entry as its centre, a line due east to its circle, and the circle itself in 36
/// lines. Entries without a number in each of their latitude, longitude and range fields, or with
/// a range past 16 bits, are left out.
QList<MapFigure> rangeFigures(const QStringList &entries);

/// Each area entry as the four sides of the rectangle of its corners. Entries without a number in
/// each of their four corner fields are left out.
QList<MapFigure> areaFigures(const QStringList &entries);
