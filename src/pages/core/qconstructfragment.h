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

/// The q fragment in the form servers read, [-]q/constructs/analysis: the letters in fixed order,
/// then "/I" when Analysis is checked ("q//I" for Analysis alone); empty when neither a construct
/// nor Analysis is checked.
QString qConstructFragment(const QConstructChoice &choice);

/// Reads a q word: the constructs from piece 1 and Analysis from an "I" in piece 2. A word with an
/// empty piece 1 and constructs in piece 2 ("q//OSrRU", as older filters put Analysis) reads as
/// Analysis with those constructs; a missing piece reads as empty, so "q" and "q/" check Analysis.
QConstructChoice parseQConstructFragment(const QString &fragment);
