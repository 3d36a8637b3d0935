#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class SymbolTable;

/// What an APRS-IS server makes of one word of a filter line.
struct FragmentCheck
{
    enum class Verdict { Accepted, AcceptedWithWarning, Ignored };

    QString word;
    QChar kind; ///< the kind letter in lower case; null when there is none
    Verdict verdict = Verdict::Accepted;
    QString reason; ///< one short sentence, empty when accepted without a warning
};

/// What a server makes of a whole filter line.
struct LineCheck
{
    QList<FragmentCheck> fragments;
    QStringList warnings; ///< about the line as a whole

    /// Whether any fragment would be ignored.
    bool anyIgnored() const;
};

/// Checks each word of a filter line (the leading word "filter" and empty words aside) against the
/// syntax APRS-IS servers accept. It only informs: nothing is changed.
LineCheck checkFilterLine(const QString &line);

/// Checks one fragment.
FragmentCheck checkFragment(const QString &word);

/// The fragment in plain words, for example "stations whose callsign starts with G" for "b/G*".
/// Symbols are named from the table when one is given. Empty for a fragment a server ignores.
QString explainFragment(const QString &word, const SymbolTable *symbols = nullptr);

/// The accepted fragments of a line in plain words, one line each.
QStringList explainFilterLine(const QString &line, const SymbolTable *symbols = nullptr);

/// The one-line summary the main window shows under the filter line.
QString checkSummary(const LineCheck &check);
