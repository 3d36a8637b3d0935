#include "pages/gui/entrylistpage.h"

#include "base/core/fragmentsyntax.h"
#include "pages/gui/listbox.h"

#include <QListWidget>

EntryListPage::EntryListPage(const Kind &kind, const QString &listName, Dialogs &dialogs, QWidget *parent)
    : FragmentPage(kind, ExcludePlacement::AmongInputs, parent)
    , m_dialogs(dialogs)
    , m_list(createEntryList(listName, this))
{ }

QListWidget *EntryListPage::list() const
{
    return m_list;
}

void EntryListPage::addEntry()
{
    if (!listHasRoom(m_list, m_dialogs, this))
        return;
    m_list->addItem(newEntry());
    rebuild();
}

void EntryListPage::removeEntry()
{
    if (removeSelectedEntry(m_list))
        rebuild();
}

QString EntryListPage::fragmentFromControls()
{
    return entryListFragment(walkList(m_list));
}

void EntryListPage::fill(const QString &word)
{
    m_list->addItem(word);
}

Dialogs &EntryListPage::dialogs() const
{
    return m_dialogs;
}
