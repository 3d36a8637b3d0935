#pragma once

#include <QStringList>

class Dialogs;
class QListWidget;
class QWidget;

/// A list box of a page: one selected entry at a time, entries in the order they were added.
QListWidget *createEntryList(const QString &name, QWidget *parent);

/// Every entry from the first to the last. Like a walk that selects each entry in turn, it leaves
/// the last entry selected, so Remove right after Add takes the new entry out again.
QStringList walkList(QListWidget *list);

/// Removes the selected entry; false, changing nothing, when no entry is selected.
bool removeSelectedEntry(QListWidget *list);

/// Whether the list has room for one more entry; when it has not, the user is told.
bool listHasRoom(QListWidget *list, Dialogs &dialogs, QWidget *parent);
