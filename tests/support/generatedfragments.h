#pragma once

#include <QStringList>

/// Some 4,700 fragments for measuring against the real server, the same at every run: every kind,
/// both signs, numbers at and past every bound, odd spellings, extra and missing pieces, empty
/// entries, and random mixtures of pieces.
QStringList generatedFragments();
