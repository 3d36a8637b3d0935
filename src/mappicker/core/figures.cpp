#include "mappicker/core/figures.h"

#include "base/core/fragmentsyntax.h"
#include "geo/core/coordinates.h"
#include "geo/core/numbers.h"

#include <limits>

namespace {

/// The entry's fields from 1 on, when it has `count` of them and each is a number.
std::optional<QStringList> numberFields(const QString &entry, int count)
{
    const QStringList fields = fragmentPieces(entry);
    if (fields.size() < count + 1)
        return std::nullopt;
    for (int i = 1; i <= count; ++i)
        if (!numberFromText(fields.at(i)))
            return std::nullopt;
    return fields.mid(1, count);
}

/// The circle of a range on the map: a point every ten degrees of bearing, joined.
void appendCircle(QList<MapFigure> &figures, double latitude, double longitude, double kilometres)
{
    constexpr int kSegments = 36;
    const auto pointAt = [&](int step) {
        const auto [toLat, toLon] = pointAtDistance(latitude, longitude, 360.0 * step / kSegments, kilometres);
        return std::pair{singleText(float(toLat)), singleText(float(toLon))};
    };
    auto from = pointAt(0);
    for (int step = 1; step <= kSegments; ++step) {
        const auto to = pointAt(step);
        figures.append({MapFigure::Shape::Line, from.first, from.second, to.first, to.second});
        from = to;
    }
}

} // namespace

QList<MapFigure> rangeFigures(const QStringList &entries)
{
    QList<MapFigure> figures;
    for (const QString &entry : entries) {
        const std::optional<QStringList> fields = numberFields(entry, 3);
        if (!fields)
            continue;
        const double range = roundHalfEven(*numberFromText(fields->at(2)));
        if (range < std::numeric_limits<qint16>::min() || range > std::numeric_limits<qint16>::max())
            continue;
        const std::optional<float> east
            = convertRangetoLongitude(fields->at(0), fields->at(1), static_cast<qint16>(range));
        if (!east)
            continue;
        figures.append({MapFigure::Shape::Point, fields->at(0), fields->at(1), {}, {}});
        figures.append({MapFigure::Shape::Line, fields->at(0), fields->at(1), fields->at(0), singleText(*east)});
        appendCircle(figures, *numberFromText(fields->at(0)), *numberFromText(fields->at(1)), range);
    }
    return figures;
}

QList<MapFigure> areaFigures(const QStringList &entries)
{
    QList<MapFigure> figures;
    for (const QString &entry : entries) {
        const std::optional<QStringList> f = numberFields(entry, 4);
        if (!f)
            continue;
        // The rectangle of its corners: north-west, north-east, south-east, south-west.
        const QString &north = f->at(0), &west = f->at(1), &south = f->at(2), &east = f->at(3);
        figures.append({MapFigure::Shape::Line, north, west, north, east});
        figures.append({MapFigure::Shape::Line, north, east, south, east});
        figures.append({MapFigure::Shape::Line, south, east, south, west});
        figures.append({MapFigure::Shape::Line, south, west, north, west});
    }
    return figures;
}
