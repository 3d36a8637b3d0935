#include "geo/core/numbers.h"

#include <QLocale>

#include <charconv>
#include <cmath>
#include <limits>

namespace {

/// Writes a value with a number of significant digits in plain decimal notation, trailing zeros
/// removed, then puts in the locale's decimal separator.
QString plainText(double value, int significantDigits)
{
    if (!std::isfinite(value))
        return QString::number(value);
    QString text = QString::number(value, 'g', significantDigits);
    if (text.contains(u'e')) {
        // Very large or small values: as many decimals as the significant digits need.
        const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(value))));
        const int decimals = std::max(0, significantDigits - 1 - exponent);
        text = QString::number(text.toDouble(), 'f', decimals);
        if (text.contains(u'.')) {
            while (text.endsWith(u'0'))
                text.chop(1);
            if (text.endsWith(u'.'))
                text.chop(1);
        }
    }
    if (text == u"-0")
        text = QStringLiteral("0");
    const QString point = QLocale().decimalPoint();
    if (point != u".")
        text.replace(u'.', point);
    return text;
}

/// Whether a number that a double cannot hold is too large for it rather than too small: where its
/// first digit other than zero stands against the point, with the exponent added.
bool isTooLarge(QByteArrayView number, bool hex)
{
    const qsizetype exponentAt = std::max(number.indexOf(hex ? 'p' : 'e'), number.indexOf(hex ? 'P' : 'E'));
    const QByteArrayView mantissa = exponentAt < 0 ? number : number.first(exponentAt);
    long long exponent = 0;
    if (exponentAt >= 0) {
        QByteArrayView digits = number.sliced(exponentAt + 1);
        const bool negative = digits.startsWith('-');
        if (digits.startsWith('-') || digits.startsWith('+'))
            digits = digits.sliced(1);
        for (char digit : digits)
            exponent = std::min(exponent * 10 + (digit - '0'), 1'000'000'000LL);
        if (negative)
            exponent = -exponent;
    }
    qsizetype point = mantissa.indexOf('.');
    if (point < 0)
        point = mantissa.size();
    for (qsizetype i = 0; i < mantissa.size(); ++i) {
        if (mantissa[i] == '.' || mantissa[i] == '0')
            continue;
        const long long order = i < point ? point - i : point - i + 1;
        return (hex ? order * 4 : order) + exponent > 0;
    }
    return false;
}

} // namespace

QString singleText(float value)
{
    return plainText(static_cast<double>(value), 7);
}

QString doubleText(double value)
{
    return plainText(value, 15);
}

std::optional<double> numberFromText(const QString &text)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double leadingNumber(QStringView text)
{
    QString compact;
    for (QChar c : text)
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            compact += c;

    qsizetype end = 0;
    const auto digitsFrom = [&compact](qsizetype at) {
        while (at < compact.size() && compact.at(at).isDigit() && compact.at(at).unicode() < 128)
            ++at;
        return at;
    };
    if (end < compact.size() && (compact.at(end) == u'-' || compact.at(end) == u'+'))
        ++end;
    const qsizetype intStart = end;
    end = digitsFrom(end);
    bool anyDigit = end > intStart;
    if (end < compact.size() && compact.at(end) == u'.') {
        const qsizetype fracEnd = digitsFrom(end + 1);
        anyDigit = anyDigit || fracEnd > end + 1;
        end = fracEnd;
    }
    if (!anyDigit)
        return 0;
    if (end < compact.size() && (compact.at(end) == u'e' || compact.at(end) == u'E')) {
        qsizetype exp = end + 1;
        if (exp < compact.size() && (compact.at(exp) == u'-' || compact.at(exp) == u'+'))
            ++exp;
        const qsizetype expEnd = digitsFrom(exp);
        if (expEnd > exp)
            end = expEnd;
    }
    const double value = compact.left(end).toDouble();
    return std::isfinite(value) ? value : 0;
}

double roundHalfEven(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    const double scaled = value * scale;
    if (!std::isfinite(scaled))
        return value;
    // nearbyint rounds halves to the even neighbour in the default rounding mode.
    return std::nearbyint(scaled) / scale;
}

QString roundedSingleText(float value, int decimals)
{
    return singleText(static_cast<float>(roundHalfEven(static_cast<double>(value), decimals)));
}

CNumber cNumber(QStringView text)
{
    // The servers run on glibc, whose strtod reads hexadecimal numbers, "nan" and "infinity"; other C
    // libraries do not all do so, so the grammar is followed here and only the digits are converted.
    const qsizetype size = text.size();
    const auto at = [&](qsizetype i) { return i < size ? text[i].unicode() : char16_t(0); };
    const auto isDigit = [](char16_t c) { return c >= u'0' && c <= u'9'; };
    const auto isHexDigit = [&](char16_t c) {
        return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    };
    const auto startsWith = [&](qsizetype i, QStringView word) {
        return text.mid(i).startsWith(word, Qt::CaseInsensitive);
    };

    qsizetype i = 0;
    while (i < size && QStringView(u" \t\n\v\f\r").contains(text[i]))
        ++i;
    bool negative = false;
    if (at(i) == u'+' || at(i) == u'-')
        negative = at(i++) == u'-';
    const auto signedValue = [&](double value) { return negative ? -value : value; };

    if (startsWith(i, u"inf"))
        return {signedValue(std::numeric_limits<double>::infinity()), i + (startsWith(i, u"infinity") ? 8 : 3)};
    if (startsWith(i, u"nan")) {
        i += 3;
        // "nan(...)" with letters, digits and underscores inside is read whole.
        if (at(i) == u'(') {
            qsizetype close = i + 1;
            while (at(close) < 128 && (QChar::isLetterOrNumber(at(close)) || at(close) == u'_'))
                ++close;
            if (at(close) == u')')
                i = close + 1;
        }
        return {signedValue(std::numeric_limits<double>::quiet_NaN()), i};
    }

    const bool hex = at(i) == u'0' && (at(i + 1) == u'x' || at(i + 1) == u'X')
        && (isHexDigit(at(i + 2)) || (at(i + 2) == u'.' && isHexDigit(at(i + 3))));
    const auto isMantissaDigit = [&](char16_t c) { return hex ? isHexDigit(c) : isDigit(c); };
    const qsizetype mantissaStart = hex ? i + 2 : i;
    qsizetype end = mantissaStart;
    qsizetype digits = 0;
    while (isMantissaDigit(at(end)))
        ++end, ++digits;
    if (at(end) == u'.') {
        ++end;
        while (isMantissaDigit(at(end)))
            ++end, ++digits;
    }
    if (digits == 0)
        return {0, 0};
    // An exponent counts only with at least one digit after its letter and sign.
    const char16_t exponentLetter = hex ? u'p' : u'e';
    if (QChar(at(end)).toLower() == QChar(exponentLetter)) {
        qsizetype exponentEnd = end + 1;
        if (at(exponentEnd) == u'+' || at(exponentEnd) == u'-')
            ++exponentEnd;
        if (isDigit(at(exponentEnd))) {
            while (isDigit(at(exponentEnd)))
                ++exponentEnd;
            end = exponentEnd;
        }
    }

    const QByteArray number = text.sliced(mantissaStart, end - mantissaStart).toLatin1();
    double value = 0;
    const std::from_chars_result read = std::from_chars(number.constData(), number.constData() + number.size(),
                                                        value, hex ? std::chars_format::hex : std::chars_format::general);
    if (read.ec == std::errc::result_out_of_range) {
        // strtod gives infinity for a number too large and zero for one too small.
        value = isTooLarge(number, hex) ? std::numeric_limits<double>::infinity() : 0;
    }
    return {signedValue(value), end};
}
