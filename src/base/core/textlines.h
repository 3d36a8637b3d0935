#pragma once

#include <QStringList>

/// The lines of a text file's contents, split at CR LF, LF or a lone CR; a final line end adds no
/// empty line.
QStringList textLines(const QString &text);
