#include "mappicker/core/callbacktext.h"

#include "geo/core/numbers.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

QString callbackText(const QList<PickedPosition> &positions)
{
    QString text;
    for (const PickedPosition &position : positions)
        text += singleText(position.latitude) + u';' + singleText(position.longitude) + u';'
            + singleText(position.distance) + u'$';
    return text;
}

std::optional<QList<PickedPosition>> parseCallbackText(const QString &text, int fields)
{
    QStringList positions = text.split(u'$');
    if (!positions.isEmpty() && positions.last().isEmpty())
        positions.removeLast(); // the text ends with "$"
    if (positions.size() < 2)
        return std::nullopt;

    QList<PickedPosition> picked;
    for (const QString &position : positions) {
        const QStringList parts = position.split(u';');
        if (parts.size() < fields)
            return std::nullopt;
        float values[3] = {0, 0, 0};
        for (int i = 0; i < fields; ++i) {
            const std::optional<double> number = numberFromText(parts.at(i));
            // A value past the 32-bit range would come out infinite.
            if (!number || !std::isfinite(static_cast<float>(*number)))
                return std::nullopt;
            values[i] = static_cast<float>(*number);
        }
        picked.append({values[0], values[1], values[2]});
    }
    return picked;
}

std::optional<RangeInputs> rangeFromCallback(const QString &text)
{
    const std::optional<QList<PickedPosition>> picked = parseCallbackText(text, 3);
    if (!picked)
        return std::nullopt;
    const PickedPosition &centre = picked->at(0);
    return RangeInputs{roundedSingleText(centre.latitude, 4), roundedSingleText(centre.longitude, 4),
                       roundedSingleText(picked->at(1).distance, 0)};
}

std::optional<AreaInputs> areaFromCallback(const QString &text)
{
    const std::optional<QList<PickedPosition>> picked = parseCallbackText(text, 2);
    if (!picked)
        return std::nullopt;
    const PickedPosition &a = picked->at(0);
    const PickedPosition &b = picked->at(1);
    return AreaInputs{roundedSingleText(std::max(a.latitude, b.latitude), 4),
                      roundedSingleText(std::min(a.longitude, b.longitude), 4),
                      roundedSingleText(std::min(a.latitude, b.latitude), 4),
                      roundedSingleText(std::max(a.longitude, b.longitude), 4)};
}
