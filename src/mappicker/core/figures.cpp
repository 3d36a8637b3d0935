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
    }
    return figures;
}

QList<MapFigure> areaFigures(const QStringList &entries)
{
    QList<MapFigure> figures;
    for (const QString &entry : entries)
        if (const std::optional<QStringList> fields = numberFields(entry, 4))
            figures.append({MapFigure::Shape::Line, fields->at(0), fields->at(1), fields->at(2), fields->at(3)});
    return figures;
}
