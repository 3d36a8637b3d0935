#include "pages/gui/listbox.h"

#include "base/gui/dialogs.h"
#include "pages/core/listfragment.h"

#include <QListWidget>

QListWidget *createEntryList(const QString &name, QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    return list;
}

QStringList walkList(QListWidget *list)
{
    QStringList entries;
    entries.reserve(list->count());
    for (int row = 0; row < list->count(); ++row)
        entries.append(list->item(row)->text());
    list->setCurrentRow(list->count() - 1);
    return entries;
}

bool removeSelectedEntry(QListWidget *list)
{
    QListWidgetItem *selected = list->currentItem();
    if (!selected || !selected->isSelected())
        return false;
    delete selected;
    return true;
}

bool listHasRoom(QListWidget *list, Dialogs &dialogs, QWidget *parent)
{
    if (list->count() < kMaxListEntries)
        return true;
    dialogs.tell(parent, QStringLiteral("The list is full: it holds %1 entries.").arg(kMaxListEntries));
    return false;
}
