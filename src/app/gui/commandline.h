#pragma once

#include <QStringList>

#include <optional>

class QTextStream;

/// The command-line forms that work without a window: --check, --explain and --decode, each
/// followed by a filter line or by "-" to read it from standard input. Returns the exit code when
/// the arguments ask for one of them, nothing otherwise.
std::optional<int> runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err);

/// Whether the arguments ask for a command-line form (so no display is needed).
bool isCommandLineUse(const QStringList &arguments);
