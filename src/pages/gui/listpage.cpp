#include "pages/gui/listpage.h"

#include "base/core/kinds.h"
#include "base/gui/dialogs.h"
#include "pages/core/listfragment.h"
#include "pages/gui/controls.h"
#include "pages/gui/listbox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

const std::array<ListPageSpec, 7> &ListPage::specs()
{
    static const std::array<ListPageSpec, 7> table{{
        {u'b', u" Budlist ", u"List2", u"budlist_Command1", u"Add Callsign", u"budlist_command2", u"Enter callsign",
         true},
        {u'd', u" Digipeater ", u"List3", u"digi_add", u"Add Digi", u"digi_remove", u"Enter callsign", true},
        {u'u', u" Unproto ", u"List8", u"unproto_add", u"Add Unproto", u"unproto_remove",
         u"Enter unproto (or destination field)", true},
        {u'e', u" Port of entry ", u"List9", u"port_add", u"Add Port Entry", u"port_remove", u"Enter callsign", true},
        {u'o', u" Object ", u"List7", u"object_add", u"Add Object", u"object_remove", u"Enter object", false},
        {u'p', u" Prefix ", u"List10", u"prefix_add", u"Add Prefix", u"prefix_remove", u"Enter callsign prefix", true},
        {u'g', u" Group Message ", u"List11", u"group_add", u"Add Group", u"group_remove", u"Enter message addressee",
         true},
    }};
    return table;
}

ListPage::ListPage(const ListPageSpec &spec, Dialogs &dialogs, QWidget *parent)
    : FragmentPage(*kindForLetter(spec.kind), ExcludePlacement::InFragmentFrame, parent)
    , m_spec(spec)
    , m_dialogs(dialogs)
    , m_list(createEntryList(spec.listName.toString(), this))
{

    auto *add = namedButton(spec.addName.toString(), spec.addCaption.toString(), this);
    connect(add, &QPushButton::clicked, this, &ListPage::addEntry);

    auto *remove = namedButton(spec.removeName.toString(), QStringLiteral("Remove"), this);
    connect(remove, &QPushButton::clicked, this, &ListPage::removeEntry);

    auto *frame = new QGroupBox(spec.frameCaption.toString(), this);
    auto *grid = new QGridLayout(frame);
    grid->addWidget(m_list, 0, 0, 3, 1);
    grid->addWidget(add, 0, 1);
    grid->addWidget(remove, 1, 1);
    grid->setRowStretch(2, 1);
    frame->setMinimumSize(217, 217);

    auto *row = new QHBoxLayout;
    row->addWidget(frame);
    row->addStretch(1);
    contentLayout()->addLayout(row, 1);
}

QListWidget *ListPage::list() const
{
    return m_list;
}

void ListPage::addEntry()
{
    if (!listHasRoom(m_list, m_dialogs, this))
        return;
    const QString answer = m_dialogs.askText(this, m_spec.prompt.toString(), applicationTitle(), QString());
    if (answer.isEmpty())
        return;
    m_list->addItem(m_spec.upperCase ? answer.toUpper() : answer);
    rebuild();
}

void ListPage::removeEntry()
{
    if (removeSelectedEntry(m_list))
        rebuild();
}

QString ListPage::fragmentFromControls()
{
    return listFragment(kind().letter, excludeBox()->isChecked(), walkList(m_list));
}

void ListPage::clearInputs()
{
    m_list->clear();
    excludeBox()->setChecked(false);
}

void ListPage::fill(const QString &word)
{
    const ListContent content = parseListFragment(word);
    excludeBox()->setChecked(content.exclude);
    m_list->clear();
    m_list->addItems(content.entries);
}
