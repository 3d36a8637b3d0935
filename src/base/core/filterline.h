#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// Removes the blanks (U+0020, and nothing else) at both ends of a text.
QString trimBlanks(const QString &text);

/// The filter line: "filter", then for each non-empty fragment box, in the order given, one blank
/// and the box's text without blanks at its ends. A box of blanks only still adds its one blank.
QString assembleFilterLine(const QStringList &fragmentBoxesInLineOrder);

/// Whether a text holds a character at which servers split a filter line.
bool containsServerBlank(const QString &text);

/// The fragments of a filter line as servers split it: at blanks, tabs and form feeds, the word
/// "filter" at its start dropped.
QStringList serverFragments(const QString &line);
