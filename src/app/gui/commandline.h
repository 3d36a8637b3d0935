#pragma once

#include <QStringList>

#include <optional>

class QTextStream;

/// The command-line forms that work without a window: --check, --explain and --decode, each
/// followed by a filter line or by "-" to read it from standard input, and --help and --version.
/// Returns the exit code (2 for a usage error) whenever there are arguments, nothing when there are
/// none and the window is to open.
std::optional<int> runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err);

/// Whether the arguments ask for a command-line form (so no display is needed).
bool isCommandLineUse(const QStringList &arguments);
