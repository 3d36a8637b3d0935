#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

/// The pieces of a fragment, split at every "/" with empty pieces kept; piece 0 is the prefix.
QStringList fragmentPieces(const QString &fragment);

/// Whether a fragment is an exclusion, that is, starts with "-".
bool isExclusion(const QString &fragment);

/// The letters of `order` that occur anywhere in `text`, each once, in the order of `order`.
QString lettersInOrder(QStringView order, const QString &text);

/// The fragment box of a page whose entries are whole fragments (range, area, friend range):
/// every entry in order, each followed by one blank.
QString entryListFragment(const QStringList &entries);
