#include "geo/core/numbers.h"

#include <QLocale>

#include <cmath>
#include <cstdlib>
#include <locale.h>

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
    // The user's locale may take "," for the decimal point; servers never do.
#ifdef _WIN32
    static const _locale_t c = _create_locale(LC_NUMERIC, "C");
    const auto read = [](const char *begin, char **end) { return _strtod_l(begin, end, c); };
#else
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    const auto read = [](const char *begin, char **end) { return strtod_l(begin, end, c); };
#endif
    const QByteArray bytes = text.toLatin1(); // what is not Latin-1 ends a number as any letter does
    char *end = nullptr;
    const double value = read(bytes.constData(), &end);
    return {value, static_cast<qsizetype>(end - bytes.constData())};
}
