#pragma once

#include <QString>

/// The q construct letters in the order the fragment lists them. Case matters: o and O, r and R
/// are different constructs.
inline constexpr QStringView kQConstructLetters = u"CIoOSrRUXZ";

/// What the q construct page's controls hold, and what one q word sets on it.
struct QConstructChoice
{
    bool exclude = false;
    bool analysis = false;
    QString letters; ///< checked constructs; from a decode, the known ones in fragment order
};

/// The q fragment: [-]q/ then "/" when Analysis is checked, then the letters in fixed order;
/// empty when neither a construct nor Analysis is checked.
QString qConstructFragment(const QConstructChoice &choice);

/// Reads a q word. A missing piece reads as empty, so "q" and "q/" check Analysis alone.
QConstructChoice parseQConstructFragment(const QString &fragment);
