#pragma once

#include <QString>

#include <optional>

/// The packet-type letters in the order the fragment lists them.
inline constexpr QStringView kTypeLetters = u"imnopqstuw";

/// What the type page's controls hold.
struct TypeChoice
{
    bool exclude = false;
    QString letters; ///< the letters of the checked boxes, in any order
    QString callsign; ///< as typed
    QString range; ///< as typed
};

/// The type fragment: [-]t/letters[/STATION[/range]], the letters in alphabetical order and the
/// station in upper case; empty when no box is checked and no station is given. A range without a
/// station is left out: a server would read it as the station.
QString typeFragment(const TypeChoice &choice);

/// What one t word of a filter line sets on the type page. Decoding adds to the checked boxes; the
/// station and the range change only where the word has them.
struct TypeDecode
{
    bool exclude = false;
    QString letters; ///< the known letters found in piece 1, each once, alphabetically
    std::optional<QString> callsign;
    std::optional<QString> range;
};

TypeDecode parseTypeFragment(const QString &fragment);
