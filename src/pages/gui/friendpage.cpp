#include "pages/gui/friendpage.h"

#include "base/core/kinds.h"
#include "pages/core/stationranges.h"
#include "pages/gui/controls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

FriendPage::FriendPage(Dialogs &dialogs, QWidget *parent)
    : EntryListPage(*kindForLetter(u'f'), QStringLiteral("List5"), dialogs, parent)
    , m_callsign(namedLineEdit(QStringLiteral("friend_callsign"), this))
    , m_range(namedLineEdit(QStringLiteral("friend_range"), this))
{
    QPushButton *add = namedButton(QStringLiteral("friend_add"), QStringLiteral("Add Friend"), this);
    connect(add, &QPushButton::clicked, this, &FriendPage::addEntry);
    QPushButton *remove = namedButton(QStringLiteral("friend_remove"), QStringLiteral("Remove"), this);
    connect(remove, &QPushButton::clicked, this, &FriendPage::removeEntry);

    QGroupBox *station = namedGroup(QStringLiteral("friend_frame"), QStringLiteral(" Friend Station "), this);
    layOutStation(station, m_callsign, m_range)->addWidget(excludeBox(), 2, 1, 1, 2);

    QGroupBox *frame = namedGroup(QString(), QStringLiteral(" Friend "), this);
    auto *grid = new QGridLayout(frame);
    grid->addWidget(list(), 0, 0, 3, 1);
    grid->addWidget(add, 0, 1);
    grid->addWidget(remove, 1, 1);
    grid->addWidget(station, 0, 2, 3, 1, Qt::AlignTop);
    grid->setRowStretch(2, 1);
    contentLayout()->addWidget(frame, 1);
}

QString FriendPage::newEntry() const
{
    return friendEntry(excludeBox()->isChecked(), m_callsign->text(), m_range->text());
}

void FriendPage::clearInputs()
{
    // The Exclude box keeps its state: after any clear, new entries still take the prefix it shows.
    list()->clear();
    m_callsign->clear();
    m_range->clear();
}
