#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

/// The most entries a list page holds; indexes of the lists are 16-bit.
inline constexpr int kMaxListEntries = 32767;

/// The fragment of a parameter-list kind (b, d, o, u, e): the prefix, then "/" and each entry in
/// order; the empty text when there is no entry, whatever the Exclude box says.
QString listFragment(QChar letter, bool exclude, const QStringList &entries);

/// What a parameter-list fragment holds.
struct ListContent
{
    bool exclude = false;
    QStringList entries; ///< pieces 1 to the last, unchanged
};

/// Reads a parameter-list word of a filter line back into its Exclude state and entries.
ListContent parseListFragment(const QString &fragment);
