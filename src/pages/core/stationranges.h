#pragma once

#include <QString>

/// The my range fragment: [-]m/ and the distance as typed; empty while the distance is empty.
QString myRangeFragment(bool exclude, const QString &range);

/// What one m word sets: the Exclude box, and the distance from piece 1 (empty when missing).
struct MyRangeDecode
{
    bool exclude = false;
    QString range;
};

MyRangeDecode parseMyRangeFragment(const QString &fragment);

/// A friend range entry: [-]f/, the callsign in upper case, "/", the distance as typed.
QString friendEntry(bool exclude, const QString &callsign, const QString &range);
