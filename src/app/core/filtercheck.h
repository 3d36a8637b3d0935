#pragma once

#include "filter/core/fragment.h"

#include <QList>
#include <QString>
#include <QStringList>

class SymbolTable;

/// What a server makes of a whole filter line.
struct LineCheck
{
    QList<Fragment> fragments;
    QStringList warnings; ///< about the line as a whole

    /// Whether any fragment would be ignored.
    bool anyIgnored() const;
    /// Whether a server takes the line, but something in it may not be what its reader expects.
    bool anyWarning() const;
};

/// Checks each word of a filter line (the leading word "filter" and empty words aside) against the
/// syntax APRS-IS servers accept. It only informs: nothing is changed.
LineCheck checkFilterLine(const QString &line);

/// The fragment in plain words, for example "stations whose callsign starts with G" for "b/G*".
/// Symbols are named from the table when one is given. Empty for a fragment a server ignores.
QString explainFragment(const Fragment &fragment, const SymbolTable *symbols = nullptr);

/// The accepted fragments of a line in plain words, one line each.
QStringList explainFilterLine(const QString &line, const SymbolTable *symbols = nullptr);

/// The one-line summary the main window shows under the filter line.
QString checkSummary(const LineCheck &check);
