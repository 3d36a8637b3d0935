#include "packets/core/aprspacket.h"

#include "geo/core/numbers.h"

#include <QIODevice>

#include <cmath>
#include <limits>

namespace {

constexpr int kInnerDepth = 4; // third-party packets in third-party packets, read this deep

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

/// A two-character field of minutes or hundredths. Measured on aprsc, which reads them as C reads
/// an unsigned number: a sign may take the first place ("+5" is 5, "-0" is 0), but below zero
/// ("-5") there is no position.
std::optional<double> signedFieldValue(QByteArrayView digits)
{
    if (digits[0] != '+' && digits[0] != '-')
        return fieldValue(digits);
    const std::optional<double> value = isDigit(digits[1]) ? fieldValue(digits.sliced(1)) : std::nullopt;
    if (!value || (digits[0] == '-' && *value != 0))
        return std::nullopt;
    return value;
}

/// Minutes to add for blanks standing for digits ("MM.mm" with blanks): measured on aprsc, a
/// position with blanks lies in the middle of what they leave open, from the first blank on
/// ("5130.  N" is 51 30.5', "003 0.00W" 3 30' W).
double ambiguity(QByteArrayView minutes)
{
    static constexpr double kMiddle[] = {30, 5, 0, 0.5, 0.05};
    for (int i = 0; i < 5; ++i)
        if (minutes[i] == ' ')
            return kMiddle[i];
    return 0;
}

/// "DDMM.mmN" or "DDDMM.mmW" (width 8 or 9) read as decimal degrees.
std::optional<double> degreesMinutes(QByteArrayView text, int degreeDigits, char positive, char negative)
{
    if (text.size() != degreeDigits + 6 || text[degreeDigits + 2] != '.')
        return std::nullopt;
    const std::optional<double> degrees = fieldValue(text.first(degreeDigits));
    const std::optional<double> minutes = signedFieldValue(text.sliced(degreeDigits, 2));
    const std::optional<double> hundredths = signedFieldValue(text.sliced(degreeDigits + 3, 2));
    // Servers take the hemisphere in either case.
    const char hemisphere = char(text.back() & ~0x20);
    if (!degrees || !minutes || !hundredths || *minutes >= 60 || (hemisphere != positive && hemisphere != negative))
        return std::nullopt;
    const double value = *degrees + (*minutes + *hundredths / 100 + ambiguity(text.sliced(degreeDigits))) / 60;
    return hemisphere == negative ? -value : value;
}

std::optional<PacketPosition> onTheGlobe(double latitude, double longitude)
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

/// A position as a report writes it, uncompressed (19 characters) or compressed (13), with its symbol.
bool readReportPosition(QByteArrayView text, AprsPacket &packet)
{
    if (text.size() >= 19 && (isDigit(text[0]) || text[0] == ' ')) {
        const std::optional<double> latitude = degreesMinutes(text.first(8), 2, 'N', 'S');
        const std::optional<double> longitude = degreesMinutes(text.sliced(9, 9), 3, 'E', 'W');
        if (!latitude || !longitude)
            return false;
        packet.position = onTheGlobe(*latitude, *longitude);
        packet.symbolTable = text[8];
        packet.symbolCode = text[18];
        return packet.position.has_value();
    }
    if (text.size() >= 13 && isSymbolTable(text[0]) && !isDigit(text[0])) {
        const std::optional<double> y = base91(text.sliced(1, 4));
        const std::optional<double> x = base91(text.sliced(5, 4));
        if (!y || !x)
            return false;
        packet.position = onTheGlobe(90 - *y / 380926, -180 + *x / 190463);
        // Compressed overlays are written as the letters a-j for the digits 0-9.
        packet.symbolTable = text[0] >= 'a' && text[0] <= 'j' ? char(text[0] - 'a' + '0') : text[0];
        packet.symbolCode = text[9];
        return packet.position.has_value();
    }
    return false;
}

/// A Mic-E position: the latitude and three flags in the destination, the longitude in the first
/// three bytes after the data type, the symbol after speed and course.
void readMicE(QByteArrayView destination, QByteArrayView information, AprsPacket &packet)
{
    const qsizetype dash = destination.indexOf('-');
    if (dash >= 0)
        destination = destination.first(dash);
    if (destination.size() != 6 || information.size() < 9)
        return;
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
            return;
    }
    double latitude
        = digits[0] * 10 + digits[1] + (digits[2] * 10 + digits[3] + (digits[4] * 10 + digits[5]) / 100) / 60;
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
        return;
    double longitude = degrees + (minutes + hundredths / 100.0) / 60;
    if (flag[5])
        longitude = -longitude;
    packet.position = onTheGlobe(latitude, longitude);
    packet.symbolCode = information[7];
    packet.symbolTable = information[8];
}

/// The latitude and longitude fields of a $GPRMC, $GPGGA or $GPGLL sentence.
std::optional<PacketPosition> nmeaPosition(QByteArrayView sentence)
{
    const QList<QByteArray> fields = sentence.toByteArray().split(',');
    int first = -1;
    if (sentence.startsWith("$GPRMC") && fields.size() > 6)
        first = 3;
    else if (sentence.startsWith("$GPGGA") && fields.size() > 5)
        first = 2;
    else if (sentence.startsWith("$GPGLL") && fields.size() > 4)
        first = 1;
    if (first < 0)
        return std::nullopt;
    const auto read = [](const QByteArray &field, const QByteArray &hemisphere, int degreeDigits, char negative) {
        const CNumber number = cNumber(QString::fromLatin1(field));
        if (number.length != field.size() || field.indexOf('.') != degreeDigits + 2 || hemisphere.size() != 1)
            return std::numeric_limits<double>::quiet_NaN();
        const double degrees = std::floor(number.value / 100);
        const double result = degrees + (number.value - degrees * 100) / 60;
        return hemisphere[0] == negative ? -result : result;
    };
    return onTheGlobe(read(fields[first], fields[first + 1], 2, 'S'),
                      read(fields[first + 2], fields[first + 3], 3, 'W'));
}

void readHeader(AprsPacket &packet, QByteArrayView header)
{
    const qsizetype arrow = header.indexOf('>');
    packet.source = header.first(arrow);
    QByteArrayView addresses = header.sliced(arrow + 1);
    const qsizetype comma = addresses.indexOf(',');
    packet.destination = comma < 0 ? addresses : addresses.first(comma);
    if (comma < 0)
        return;
    packet.path = addresses.sliced(comma + 1);
    const QByteArrayView path = packet.path;
    bool beforeQ = true;
    for (qsizetype from = 0; from <= path.size();) {
        qsizetype end = path.indexOf(',', from);
        if (end < 0)
            end = path.size();
        const QByteArrayView element = path.sliced(from, end - from);
        from = end + 1;
        if (!beforeQ) {
            if (packet.entryCall.isNull())
                packet.entryCall = element;
        } else if (element.size() == 3 && element.startsWith('q')) {
            beforeQ = false;
            packet.qConstruct = element;
        } else {
            const bool used = element.endsWith('*');
            packet.digipeaters.append(used ? element.chopped(1) : element);
            if (used)
                packet.usedDigipeaters = int(packet.digipeaters.size());
        }
    }
}

void setKind(AprsPacket &packet, AprsPacket::Type type, const QString &kind)
{
    packet.types |= type;
    if (packet.kind.isEmpty())
        packet.kind = kind;
}

/// A position report or object body: a weather station's symbol makes it weather too.
void readPositioned(AprsPacket &packet, QByteArrayView report)
{
    readReportPosition(report, packet);
    if (packet.symbolCode == '_' && packet.position)
        packet.types |= AprsPacket::Weather;
}

void readMessage(AprsPacket &packet, QByteArrayView rest)
{
    packet.name = rest.first(9);
    while (packet.name.endsWith(' '))
        packet.name.chop(1);
    // The ":" after the addressee is not always there; servers take the message without it.
    packet.messageText = rest.sliced(rest.size() > 9 && rest[9] == ':' ? 10 : 9);
    // Telemetry's names, units and equations travel as messages to the station itself, but are
    // telemetry, not messages, to a server's filter.
    for (const char *head : {"PARM.", "UNIT.", "EQNS.", "BITS."}) {
        if (packet.messageText.startsWith(head)) {
            setKind(packet, AprsPacket::Telemetry, QStringLiteral("Telemetry"));
            return;
        }
    }
    if (packet.name.startsWith("NWS-") || packet.name.startsWith("NWS_") || packet.name.startsWith("SKY")
        || packet.name.startsWith("CWA") || packet.name.startsWith("BOM"))
        setKind(packet, AprsPacket::Nws, QStringLiteral("NWS bulletin"));
    setKind(packet, AprsPacket::Message,
            packet.name.startsWith("BLN") ? QStringLiteral("Bulletin") : QStringLiteral("Message"));
}

AprsPacket readAtDepth(const QByteArray &line, int depth);

void readBody(AprsPacket &packet, int depth)
{
    const QByteArrayView information(packet.body);
    const char type = information.isEmpty() ? 0 : information[0];
    const QByteArrayView rest = information.sliced(information.isEmpty() ? 0 : 1);
    switch (type) {
    case '!':
    case '=':
        setKind(packet, AprsPacket::Position, QStringLiteral("Position"));
        readPositioned(packet, rest);
        if (packet.is(AprsPacket::Weather))
            packet.kind = QStringLiteral("Weather");
        return;
    case '/':
    case '@':
        setKind(packet, AprsPacket::Position, QStringLiteral("Position"));
        readPositioned(packet, rest.sliced(std::min<qsizetype>(7, rest.size())));
        if (packet.is(AprsPacket::Weather))
            packet.kind = QStringLiteral("Weather");
        return;
    case ';': {
        // The name is 9 characters; servers also take a shorter one ended by the live or killed mark.
        qsizetype mark = rest.size() > 9 && (rest[9] == '*' || rest[9] == '_') ? 9 : -1;
        for (qsizetype i = 1; mark < 0 && i < std::min<qsizetype>(9, rest.size()); ++i)
            if (rest[i] == '*' || rest[i] == '_')
                mark = i;
        if (mark > 0) {
            setKind(packet, AprsPacket::Object, QStringLiteral("Object"));
            packet.name = rest.first(mark);
            packet.killed = rest[mark] == '_';
            // The position stands where a 9-character name puts it, whatever the name's length.
            if (rest.size() > 17)
                readPositioned(packet, rest.sliced(17));
            return;
        }
        break;
    }
    case ')': {
        for (qsizetype i = 3; i <= std::min<qsizetype>(9, rest.size() - 1); ++i) {
            if (rest[i] == '!' || rest[i] == '_') {
                setKind(packet, AprsPacket::Item, QStringLiteral("Item"));
                packet.name = rest.first(i);
                packet.killed = rest[i] == '_';
                readPositioned(packet, rest.sliced(i + 1));
                return;
            }
        }
        break;
    }
    case '`':
    case '\'':
    case 0x1c:
    case 0x1d:
        setKind(packet, AprsPacket::Position, QStringLiteral("Mic-E"));
        packet.types |= AprsPacket::MicE;
        readMicE(packet.destination, information, packet);
        return;
    case ':':
        if (rest.size() >= 9) {
            readMessage(packet, rest);
            return;
        }
        break;
    case '>':
        setKind(packet, AprsPacket::Status, QStringLiteral("Status"));
        return;
    case '?':
        setKind(packet, AprsPacket::Query, QStringLiteral("Query"));
        return;
    case 'T':
        if (rest.startsWith('#')) {
            setKind(packet, AprsPacket::Telemetry, QStringLiteral("Telemetry"));
            return;
        }
        break;
    case '_':
    case '#':
    case '*':
        setKind(packet, AprsPacket::Weather, QStringLiteral("Weather"));
        return;
    case '$':
        if (information.startsWith("$ULTW")) { // Peet Bros Ultimeter
            setKind(packet, AprsPacket::Weather, QStringLiteral("Weather"));
            return;
        }
        setKind(packet, AprsPacket::Nmea, QStringLiteral("NMEA"));
        packet.position = nmeaPosition(information);
        if (packet.position)
            packet.types |= AprsPacket::Position;
        return;
    case '{':
        setKind(packet, AprsPacket::UserDefined, QStringLiteral("User-defined"));
        return;
    case '}':
        setKind(packet, AprsPacket::ThirdParty, QStringLiteral("Third party"));
        if (depth < kInnerDepth)
            packet.inner = std::make_shared<const AprsPacket>(readAtDepth(rest.toByteArray(), depth + 1));
        return;
    case '<':
        setKind(packet, AprsPacket::Capabilities, QStringLiteral("Capabilities"));
        return;
    default:
        break;
    }
    // A position after other text (some trackers put it there) is not one to servers either.
    packet.kind = QStringLiteral("Unknown");
}

AprsPacket readAtDepth(const QByteArray &line, int depth)
{
    AprsPacket packet;
    packet.line = line;
    const qsizetype colon = line.indexOf(':');
    const qsizetype arrow = line.indexOf('>');
    if (colon < 0 || arrow <= 0 || arrow > colon) {
        packet.kind = QStringLiteral("Unknown");
        packet.body = packet.line;
        return packet;
    }
    packet.hasHeader = true;
    readHeader(packet, QByteArrayView(packet.line).first(colon));
    packet.body = QByteArrayView(packet.line).sliced(colon + 1);
    readBody(packet, depth);
    return packet;
}

} // namespace

bool CaptureReader::next(QByteArray *packet)
{
    while (m_next == m_ready.size()) {
        m_ready.clear();
        m_next = 0;
        if (!fill())
            return false;
    }
    *packet = std::move(m_ready[m_next++]);
    return true;
}

bool CaptureReader::fill()
{
    if (m_ended)
        return false;
    const auto take = [this](QByteArrayView line) {
        if (!line.startsWith('#'))
            m_ready.append(line.toByteArray());
    };
    // Read in blocks, not by lines: a pipe or a FIFO says it is at its end before its first bytes.
    char block[1 << 16];
    const qint64 got = m_capture.read(block, sizeof block);
    if (got > 0) {
        m_bytes += got;
        m_reader.feed(QByteArrayView(block, got), take);
        if (m_reader.runningLength() > kMaxUnendedLine) {
            m_problem = QStringLiteral("No line end in %1 bytes after byte %2: this is not a capture.")
                            .arg(kMaxUnendedLine)
                            .arg(m_bytes - m_reader.runningLength());
            m_ended = true;
        }
        return true;
    }
    if (got < 0)
        m_problem = m_capture.errorString();
    m_reader.finish(take);
    m_ended = true;
    return true;
}

QString AprsPacket::pathText() const
{
    return QString::fromLatin1(path);
}

AprsPacket readPacket(const QByteArray &line)
{
    return readAtDepth(line, 0);
}

QString positionText(const PacketPosition &position)
{
    return QStringLiteral("%1 %2 %3 %4")
        .arg(std::fabs(position.latitude), 0, 'f', 4)
        .arg(QChar(position.latitude < 0 ? u'S' : u'N'))
        .arg(std::fabs(position.longitude), 0, 'f', 4)
        .arg(QChar(position.longitude < 0 ? u'W' : u'E'));
}
