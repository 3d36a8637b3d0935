#pragma once

#include <QString>
#include <QStringView>

#include <optional>

/// Text of a 32-bit value: at most 7 significant digits, no trailing zeros, no decimal separator for a
/// whole number, the decimal separator of the user's locale, never an exponent.
QString singleText(float value);

/// Text of a 64-bit value, as singleText with at most 15 significant digits.
QString doubleText(double value);

/// A text read as a number by the user's locale, blanks at its ends allowed; nothing when the text is
/// not a number.
std::optional<double> numberFromText(const QString &text);

/// The number at the start of a text, read as far as it goes with "." as the decimal point, blanks
/// anywhere ignored: "15.30.5" gives 15.3, "30.00" gives 30, a text without one gives 0.
double leadingNumber(QStringView text);

/// A value rounded to a number of decimals, halves going to the even neighbour.
double roundHalfEven(double value, int decimals = 0);

/// A 32-bit value rounded to a number of decimals (halves to even) and written as singleText does.
QString roundedSingleText(float value, int decimals);

/// A number as C's strtod reads it in the C locale ("0x10" is 16; "nan" and "inf" are read too):
/// the value, and how many characters of the text it took (0 when the text starts with no number,
/// the value then being 0). Servers read their numbers this way.
struct CNumber
{
    double value = 0;
    qsizetype length = 0;
};
CNumber cNumber(QStringView text);
