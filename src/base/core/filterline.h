#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// Removes the blanks (U+0020, and nothing else) at both ends of a text.
QString trimBlanks(const QString &text);

/// The filter line: "filter", then for each non-empty fragment box, in the order given, one blank
/// and the box's text without blanks at its ends. A box of blanks only still adds its one blank.
QString assembleFilterLine(const QStringList &fragmentBoxesInLineOrder);

/// The kind letter a word names: its second character after a leading "-", else its first;
/// the null character when the word is too short for one.
QChar kindLetterOf(const QString &word);

/// A word of a filter line that goes to a kind's decoder.
struct FilterWord
{
    QChar kind;
    QString word; ///< the whole word, its "-" and kind letter included

    friend bool operator==(const FilterWord &, const FilterWord &) = default;
};

/// Whether a text holds a character at which servers split a filter line.
bool containsServerBlank(const QString &text);

/// The fragments of a filter line as servers split it: at blanks, tabs and form feeds, the word
/// "filter" at its start dropped.
QStringList serverFragments(const QString &line);

/// The words of a filter line that name a known kind, in line order. The line is split at every
/// single blank; the word "filter", empty words and words of no known kind are dropped.
QList<FilterWord> recognisedWords(const QString &line);
