#include "support/workbench.h"

#include <QListWidget>

QStringList Workbench::entries(const QString &listName)
{
    QStringList texts;
    auto *list = find<QListWidget>(listName);
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}
