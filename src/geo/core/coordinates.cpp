#include "geo/core/coordinates.h"

#include "base/core/textlines.h"
#include "geo/core/numbers.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kEarthRadius = 12734.0 / 2.0;
constexpr double kFlattening = 40398736.0 / 40678884.0;
const double kPi = 4.0 * std::atan(1.0);

/// Degrees and minutes too large for a float overflow to infinities of either sign, whose sum is not
/// a number; such a text is no coordinate.
float finiteOrUnread(float value)
{
    return std::isfinite(value) ? value : -1;
}

/// Reads "degrees.minutes" followed by the hemisphere letter; `negative` is the letter that makes the
/// value negative. Latitudes keep their minutes as a 32-bit value, longitudes as a 64-bit one.
float readDegreeMinutes(const QString &text, QChar negative, bool wideMinutes)
{
    const qsizetype point = text.indexOf(u'.');
    if (point < 0)
        return -1;
    // Degrees are whole numbers, which read the same in every locale.
    const std::optional<double> wholeDegrees = numberFromText(text.left(point));
    if (!wholeDegrees)
        return -1;
    float degrees = static_cast<float>(*wholeDegrees);

    const QString rest = text.mid(point + 1);
    if (rest.isEmpty())
        return -1;
    const QChar hemisphere = rest.back();
    const double minutesRead = leadingNumber(QStringView(rest).chopped(1));
    if (wideMinutes) {
        double minutes = minutesRead;
        if (hemisphere == negative) {
            degrees = -degrees;
            minutes = -minutes;
        }
        return finiteOrUnread(static_cast<float>(static_cast<double>(degrees) + minutes / 60.0));
    }
    float minutes = static_cast<float>(minutesRead);
    if (hemisphere == negative) {
        degrees = -degrees;
        minutes = -minutes;
    }
    return finiteOrUnread(minutes / 60.0f + degrees);
}

/// Splits one line of a map information file into values at commas outside double quotes.
QStringList lineValues(const QString &line)
{
    QStringList values;
    QString value;
    bool quoted = false;
    for (QChar c : line) {
        if (c == u'"')
            quoted = !quoted;
        else if (c == u',' && !quoted) {
            values.append(value.trimmed());
            value.clear();
        } else
            value += c;
    }
    values.append(value.trimmed());
    return values;
}

} // namespace

float convertLatORLontoDecimal(const QString &text)
{
    QString copy = text;
    copy.replace(u',', u'.');
    if (copy.contains(u'S') || copy.contains(u'N'))
        return readDegreeMinutes(copy, u'S', false);
    if (copy.contains(u'E') || copy.contains(u'W'))
        return readDegreeMinutes(copy, u'W', true);
    return -1;
}

QString mapInfoPath(const QString &mapPath)
{
    const qsizetype point = mapPath.indexOf(u'.');
    return (point < 0 ? QString() : mapPath.left(point + 1)) + QStringLiteral("inf");
}

std::optional<QStringList> readMapInfoValues(const QByteArray &bytes)
{
    QStringList values;
    for (const QString &line : textLines(QString::fromLatin1(bytes))) {
        if (line.trimmed().isEmpty())
            continue;
        values += lineValues(line);
        if (values.size() >= 5)
            return values.mid(0, 5);
    }
    return std::nullopt;
}

void assignCornerTexts(const QStringList &values, CornerTexts &texts)
{
    const auto assignPair = [](const QString &first, const QString &second, QString &lat, QString &lon) {
        for (const QString &value : {first, second}) {
            const QString upper = value.toUpper();
            (upper.contains(u'N') || upper.contains(u'S') ? lat : lon) = upper;
        }
    };
    assignPair(values.value(0), values.value(1), texts.lat1, texts.lon1);
    assignPair(values.value(2), values.value(3), texts.lat2, texts.lon2);
}

MapCorners cornersFromTexts(const CornerTexts &texts)
{
    return {convertLatORLontoDecimal(texts.lat1), convertLatORLontoDecimal(texts.lon1),
            convertLatORLontoDecimal(texts.lat2), convertLatORLontoDecimal(texts.lon2)};
}

std::optional<QStringList> readMapInfoFile(const QString &mapPath)
{
    QFile file(mapInfoPath(mapPath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Information files are a few lines; a huge file is not one and is not read whole.
    return readMapInfoValues(file.read(64 * 1024));
}

std::optional<MapCorners> loadMapCornersFromInf(const QString &mapPath)
{
    const std::optional<QStringList> values = readMapInfoFile(mapPath);
    if (!values)
        return std::nullopt;
    CornerTexts texts;
    assignCornerTexts(*values, texts);
    return cornersFromTexts(texts);
}

float DoDistance(double hlat, double hlon, double alat, double alon)
{
    if (hlat == alat && hlon == alon)
        return 0;
    const double toRadians = kPi / 180.0;
    const double psi1 = std::atan(kFlattening * std::tan(hlat * toRadians));
    const double psi2 = std::atan(kFlattening * std::tan(alat * toRadians));
    double c = std::cos((hlon - alon) * toRadians) * std::cos(psi1) * std::cos(psi2) + std::sin(psi2) * std::sin(psi1);
    // Rounding can carry the cosine a hair past 1 for positions that almost coincide; and a quarter
    // circle gives exactly 0, which the arc tangent form cannot divide by.
    c = std::clamp(c, -1.0, 1.0);
    double delta = kPi / 2.0;
    if (c != 0) {
        delta = std::atan(std::fabs(std::sqrt(1.0 - c * c) / c));
        if (c < 0)
            delta = kPi - delta;
    }
    return static_cast<float>(kEarthRadius * delta);
}

std::pair<double, double> pointAtDistance(double latitude, double longitude, double bearing, double kilometres)
{
    const double toRadians = kPi / 180.0;
    const double lat = latitude * toRadians;
    const double angle = kilometres / kEarthRadius;
    const double course = bearing * toRadians;
    const double toLat
        = std::asin(std::sin(lat) * std::cos(angle) + std::cos(lat) * std::sin(angle) * std::cos(course));
    const double toLon = longitude * toRadians
        + std::atan2(std::sin(course) * std::sin(angle) * std::cos(lat),
                     std::cos(angle) - std::sin(lat) * std::sin(toLat));
    return {toLat / toRadians, toLon / toRadians};
}

std::optional<float> convertRangetoLongitude(const QString &latitude, const QString &longitude, qint16 range)
{
    const std::optional<double> lon = numberFromText(longitude);
    if (!lon)
        return std::nullopt;
    const float fallback = static_cast<float>(*lon);
    const std::optional<double> lat = numberFromText(latitude);
    if (!lat)
        return fallback;
    float offset = 0;
    for (int step = 0; step < 60000; ++step) {
        offset = static_cast<float>(static_cast<double>(offset) + 0.005);
        const double distance = DoDistance(*lat, *lon, *lat, *lon + static_cast<double>(offset));
        if (roundHalfEven(roundHalfEven(distance, 8)) == range)
            return static_cast<float>(*lon + static_cast<double>(offset));
    }
    return fallback;
}
