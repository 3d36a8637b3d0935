#include "aprsis/core/packets.h"

#include "aprsis/core/serverlines.h"
#include "base/core/filterline.h"

#include <cmath>
#include <limits>

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// Digits of a fixed-width field, blanks (position ambiguity) read as 0; nothing when another
/// character stands there.
std::optional<double> fieldValue(QByteArrayView digits)
{
    double value = 0;
    for (char c : digits) {
        if (c == ' ')
            c = '0';
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

/// "DDMM.mmN" or "DDDMM.mmW" (width 8 or 9) read as decimal degrees.
std::optional<double> degreesMinutes(QByteArrayView text, int degreeDigits, char positive, char negative)
{
    if (text.size() != degreeDigits + 6 || text[degreeDigits + 2] != '.')
        return std::nullopt;
    const std::optional<double> degrees = fieldValue(text.first(degreeDigits));
    const std::optional<double> minutes = fieldValue(text.sliced(degreeDigits, 2));
    const std::optional<double> hundredths = fieldValue(text.sliced(degreeDigits + 3, 2));
    const char hemisphere = text.back();
    if (!degrees || !minutes || !hundredths || *minutes >= 60 || (hemisphere != positive && hemisphere != negative))
        return std::nullopt;
    const double value = *degrees + (*minutes + *hundredths / 100) / 60;
    return hemisphere == negative ? -value : value;
}

std::optional<PacketPosition> checked(double latitude, double longitude)
{
    if (!(std::fabs(latitude) <= 90) || !(std::fabs(longitude) <= 180))
        return std::nullopt;
    return PacketPosition{latitude, longitude};
}

/// Four base-91 digits.
std::optional<double> base91(QByteArrayView digits)
{
    double value = 0;
    for (char c : digits) {
        if (c < '!' || c > '{')
            return std::nullopt;
        value = value * 91 + (c - '!');
    }
    return value;
}

bool isSymbolTable(char c)
{
    return c == '/' || c == '\\' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'j') || isDigit(c);
}

/// A position as a report writes it, uncompressed (19 characters) or compressed (13), with the
/// symbol code that follows it.
struct ReportPosition
{
    PacketPosition position;
    char symbol = 0;
};

std::optional<ReportPosition> reportPosition(QByteArrayView text)
{
    if (text.size() >= 19 && (isDigit(text[0]) || text[0] == ' ')) {
        const std::optional<double> latitude = degreesMinutes(text.first(8), 2, 'N', 'S');
        const std::optional<double> longitude = degreesMinutes(text.sliced(9, 9), 3, 'E', 'W');
        if (!latitude || !longitude)
            return std::nullopt;
        if (const std::optional<PacketPosition> position = checked(*latitude, *longitude))
            return ReportPosition{*position, text[18]};
        return std::nullopt;
    }
    if (text.size() >= 13 && isSymbolTable(text[0]) && !isDigit(text[0])) {
        const std::optional<double> y = base91(text.sliced(1, 4));
        const std::optional<double> x = base91(text.sliced(5, 4));
        if (!y || !x)
            return std::nullopt;
        if (const std::optional<PacketPosition> position = checked(90 - *y / 380926, -180 + *x / 190463))
            return ReportPosition{*position, text[9]};
    }
    return std::nullopt;
}

/// A Mic-E position: the latitude and three flags in the destination, the longitude in the
/// first three bytes after the data type.
std::optional<PacketPosition> micEPosition(QByteArrayView destination, QByteArrayView information)
{
    const qsizetype dash = destination.indexOf('-');
    if (dash >= 0)
        destination = destination.first(dash);
    if (destination.size() != 6 || information.size() < 4)
        return std::nullopt;
    double digits[6];
    bool flag[6];
    for (int i = 0; i < 6; ++i) {
        const char c = destination[i];
        if (isDigit(c)) {
            digits[i] = c - '0';
            flag[i] = false;
        } else if (c >= 'A' && c <= 'J') {
            digits[i] = c - 'A';
            flag[i] = true;
        } else if (c >= 'P' && c <= 'Y') {
            digits[i] = c - 'P';
            flag[i] = true;
        } else if (c == 'K' || c == 'L' || c == 'Z') {
            digits[i] = 0; // ambiguity
            flag[i] = c != 'L';
        } else
            return std::nullopt;
    }
    double latitude = digits[0] * 10 + digits[1] + (digits[2] * 10 + digits[3] + (digits[4] * 10 + digits[5]) / 100) / 60;
    if (!flag[3])
        latitude = -latitude;

    int degrees = static_cast<unsigned char>(information[1]) - 28;
    if (flag[4])
        degrees += 100;
    if (degrees >= 180 && degrees <= 189)
        degrees -= 80;
    else if (degrees >= 190 && degrees <= 199)
        degrees -= 190;
    int minutes = static_cast<unsigned char>(information[2]) - 28;
    if (minutes >= 60)
        minutes -= 60;
    const int hundredths = static_cast<unsigned char>(information[3]) - 28;
    if (degrees < 0 || minutes < 0 || hundredths < 0 || hundredths > 99)
        return std::nullopt;
    double longitude = degrees + (minutes + hundredths / 100.0) / 60;
    if (flag[5])
        longitude = -longitude;
    return checked(latitude, longitude);
}

/// The latitude and longitude fields of a $GPRMC or $GPGGA sentence.
std::optional<PacketPosition> nmeaPosition(QByteArrayView sentence)
{
    const QList<QByteArray> fields = sentence.toByteArray().split(',');
    int first = -1;
    if (sentence.startsWith("$GPRMC") && fields.size() > 6)
        first = 3;
    else if (sentence.startsWith("$GPGGA") && fields.size() > 5)
        first = 2;
    if (first < 0)
        return std::nullopt;
    const auto read = [](const QByteArray &field, const QByteArray &hemisphere, int degreeDigits, char negative) {
        bool ok = false;
        const double value = field.toDouble(&ok);
        if (!ok || field.indexOf('.') != degreeDigits + 2 || hemisphere.size() != 1)
            return std::numeric_limits<double>::quiet_NaN();
        const double degrees = std::floor(value / 100);
        const double result = degrees + (value - degrees * 100) / 60;
        return hemisphere[0] == negative ? -result : result;
    };
    return checked(read(fields[first], fields[first + 1], 2, 'S'), read(fields[first + 2], fields[first + 3], 3, 'W'));
}

QString messageKind(QByteArrayView addressee, QByteArrayView text)
{
    if (addressee.startsWith("BLN"))
        return QStringLiteral("Bulletin");
    for (const char *head : {"PARM.", "UNIT.", "EQNS.", "BITS."})
        if (text.startsWith(head))
            return QStringLiteral("Telemetry");
    return QStringLiteral("Message");
}

void readInformation(PacketSummary &summary, QByteArrayView destination, QByteArrayView information)
{
    const auto positionReport = [&](QByteArrayView report, const QString &kind) {
        summary.kind = kind;
        if (const std::optional<ReportPosition> read = reportPosition(report)) {
            summary.position = read->position;
            if (read->symbol == '_' && kind == QLatin1String("Position"))
                summary.kind = QStringLiteral("Weather");
        }
    };
    const char type = information.isEmpty() ? 0 : information[0];
    const QByteArrayView rest = information.sliced(information.isEmpty() ? 0 : 1);
    switch (type) {
    case '!':
    case '=':
        positionReport(rest, QStringLiteral("Position"));
        return;
    case '/':
    case '@':
        positionReport(rest.sliced(std::min<qsizetype>(7, rest.size())), QStringLiteral("Position"));
        return;
    case ';':
        if (rest.size() >= 17) {
            summary.name = QString::fromLatin1(rest.first(9)).trimmed();
            positionReport(rest.sliced(17), QStringLiteral("Object"));
            return;
        }
        break;
    case ')': {
        const qsizetype end = [&] {
            for (qsizetype i = 3; i <= std::min<qsizetype>(9, rest.size() - 1); ++i)
                if (rest[i] == '!' || rest[i] == '_')
                    return i;
            return qsizetype(-1);
        }();
        if (end > 0) {
            summary.name = QString::fromLatin1(rest.first(end));
            positionReport(rest.sliced(end + 1), QStringLiteral("Item"));
            return;
        }
        break;
    }
    case '`':
    case '\'':
    case 0x1c:
    case 0x1d:
        summary.kind = QStringLiteral("Mic-E");
        summary.position = micEPosition(destination, information);
        return;
    case ':':
        if (rest.size() >= 10 && rest[9] == ':') {
            summary.name = QString::fromLatin1(rest.first(9)).trimmed();
            summary.kind = messageKind(rest.first(9), rest.sliced(10));
            return;
        }
        break;
    case '>':
        summary.kind = QStringLiteral("Status");
        return;
    case 'T':
        if (rest.startsWith('#')) {
            summary.kind = QStringLiteral("Telemetry");
            return;
        }
        break;
    case '_':
    case '#':
    case '*':
        summary.kind = QStringLiteral("Weather");
        return;
    case '$':
        if (information.startsWith("$ULTW")) { // Peet Bros Ultimeter
            summary.kind = QStringLiteral("Weather");
            return;
        }
        summary.kind = QStringLiteral("NMEA");
        summary.position = nmeaPosition(information);
        return;
    case '}':
        summary.kind = QStringLiteral("Third party");
        return;
    case '<':
        summary.kind = QStringLiteral("Capabilities");
        return;
    case '?':
        summary.kind = QStringLiteral("Query");
        return;
    default:
        break;
    }
    // Some trackers put text before the position; a '!' in the first 40 characters starts one.
    const qsizetype bang = information.first(std::min<qsizetype>(40, information.size())).indexOf('!');
    if (bang > 0) {
        if (const std::optional<ReportPosition> read = reportPosition(information.sliced(bang + 1))) {
            summary.kind = QStringLiteral("Position");
            summary.position = read->position;
            return;
        }
    }
    summary.kind = QStringLiteral("Other");
}

} // namespace

PacketSummary summarisePacket(const QByteArray &line)
{
    PacketSummary summary;
    const qsizetype colon = line.indexOf(':');
    const qsizetype arrow = line.indexOf('>');
    if (colon < 0 || arrow <= 0 || arrow > colon) {
        summary.kind = QStringLiteral("Other");
        summary.text = packetText(line);
        return summary;
    }
    const QByteArrayView header = QByteArrayView(line).first(colon);
    const QByteArrayView information = QByteArrayView(line).sliced(colon + 1);
    summary.source = QString::fromLatin1(header.first(arrow));
    const QByteArrayView addresses = header.sliced(arrow + 1);
    const qsizetype comma = addresses.indexOf(',');
    const QByteArrayView destination = comma < 0 ? addresses : addresses.first(comma);
    summary.destination = QString::fromLatin1(destination);
    if (comma >= 0)
        summary.path = QString::fromLatin1(addresses.sliced(comma + 1));
    summary.text = packetText(information.toByteArray());
    readInformation(summary, destination, information);
    return summary;
}

std::optional<PacketPosition> firstRangeCentre(const QString &filterLine)
{
    for (const QString &fragment : serverFragments(filterLine)) {
        if (!fragment.startsWith(QLatin1String("r/")))
            continue;
        const QStringList parts = fragment.split(u'/');
        if (parts.size() < 4)
            continue;
        bool latitudeRead = false;
        bool longitudeRead = false;
        const double latitude = parts[1].toDouble(&latitudeRead);
        const double longitude = parts[2].toDouble(&longitudeRead);
        if (latitudeRead && longitudeRead)
            return checked(latitude, longitude);
    }
    return std::nullopt;
}

QString positionText(const PacketPosition &position)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(std::fabs(position.latitude), 0, 'f', 4)
        .arg(QChar(position.latitude < 0 ? u'S' : u'N'))
        .arg(std::fabs(position.longitude), 0, 'f', 4)
        .arg(QChar(position.longitude < 0 ? u'W' : u'E'));
}
