#include "pages/gui/geopages.h"

#include "geo/core/coordinates.h"
#include "mappicker/core/callbacktext.h"
#include "pages/core/geofragments.h"
#include "pages/core/kinds.h"
#include "pages/gui/controls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

/// The hidden text box a map picker writes into; it starts with its own name as its text.
QLineEdit *hiddenCallbackBox(const QString &name, QWidget *parent)
{
    QLineEdit *box = namedLineEdit(name, parent);
    box->setText(name);
    box->hide();
    return box;
}

/// The list with its Remove button beside it, and the inputs with the map commands to the right.
void layOutEntryPage(QBoxLayout *content, QListWidget *list, QPushButton *remove, QGroupBox *inputs, QGroupBox *map)
{
    auto *listColumn = new QGridLayout;
    listColumn->addWidget(list, 0, 0, 2, 1);
    listColumn->addWidget(remove, 0, 1);
    listColumn->setRowStretch(1, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(inputs);
    right->addWidget(map);
    right->addStretch(1);

    auto *row = new QHBoxLayout;
    row->addLayout(listColumn, 1);
    row->addLayout(right);
    content->addLayout(row, 1);
}

} // namespace

RangePage::RangePage(Dialogs &dialogs, QWidget *parent)
    : EntryListPage(*kindForLetter(u'r'), QStringLiteral("List1"), dialogs, parent)
    , m_latitude(namedLineEdit(QStringLiteral("range_latitude"), this))
    , m_longitude(namedLineEdit(QStringLiteral("range_longitude"), this))
    , m_range(namedLineEdit(QStringLiteral("range_range"), this))
    , m_callback(hiddenCallbackBox(QStringLiteral("range_ipc"), this))
{
    connect(m_callback, &QLineEdit::textChanged, this, &RangePage::takePickedRange);

    QPushButton *add = namedButton(QStringLiteral("Command4"), QStringLiteral("Add Range"), this);
    connect(add, &QPushButton::clicked, this, &RangePage::addEntry);
    QPushButton *remove = namedButton(QStringLiteral("Command5"), QStringLiteral("Remove"), this);
    connect(remove, &QPushButton::clicked, this, &RangePage::removeEntry);
    QPushButton *select = namedButton(QStringLiteral("Command8"), QStringLiteral("UI-View32 Select"), this);
    connect(select, &QPushButton::clicked, this, &RangePage::pickOnMap);
    QPushButton *display = namedButton(QStringLiteral("Command6"), QStringLiteral("Display UI-View32"), this);
    connect(display, &QPushButton::clicked, this, &RangePage::showOnMap);

    QGroupBox *inputs = namedGroup(QString(), QStringLiteral(" New Range "), this);
    auto *grid = new QGridLayout(inputs);
    grid->addWidget(new QLabel(QStringLiteral("Decimal Latitude"), inputs), 0, 0);
    grid->addWidget(m_latitude, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Decimal Longitude"), inputs), 1, 0);
    grid->addWidget(m_longitude, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Range"), inputs), 2, 0);
    grid->addWidget(m_range, 2, 1);
    grid->addWidget(new QLabel(QStringLiteral("Km"), inputs), 2, 2);
    grid->addWidget(excludeBox(), 3, 0);
    grid->addWidget(add, 3, 1);

    QGroupBox *map = namedGroup(QString(), QStringLiteral(" Range "), this);
    auto *mapRow = new QHBoxLayout(map);
    mapRow->addWidget(select);
    mapRow->addWidget(display);

    layOutEntryPage(contentLayout(), list(), remove, inputs, map);
}

QLineEdit *RangePage::callbackBox() const
{
    return m_callback;
}

QString RangePage::newEntry() const
{
    return rangeEntry(excludeBox()->isChecked(), m_latitude->text(), m_longitude->text(), m_range->text());
}

void RangePage::clearInputs()
{
    list()->clear();
    m_latitude->clear();
    m_longitude->clear();
    m_range->clear();
    excludeBox()->setChecked(false);
}

void RangePage::takePickedRange(const QString &callbackText)
{
    // A text that is not two complete positions adds nothing rather than half an entry.
    const std::optional<RangeInputs> picked = rangeFromCallback(callbackText);
    if (!picked)
        return;
    m_latitude->setText(picked->latitude);
    m_longitude->setText(picked->longitude);
    m_range->setText(picked->range);
    addEntry();
}

AreaPage::AreaPage(Dialogs &dialogs, QWidget *parent)
    : EntryListPage(*kindForLetter(u'a'), QStringLiteral("List4"), dialogs, parent)
    , m_callback(hiddenCallbackBox(QStringLiteral("area_ipc"), this))
{
    connect(m_callback, &QLineEdit::textChanged, this, &AreaPage::takePickedArea);

    QPushButton *add = namedButton(QStringLiteral("Command11"), QStringLiteral("Add Area"), this);
    connect(add, &QPushButton::clicked, this, &AreaPage::addEntry);
    QPushButton *remove = namedButton(QStringLiteral("Command10"), QStringLiteral("Remove"), this);
    connect(remove, &QPushButton::clicked, this, &AreaPage::removeEntry);
    QPushButton *select = namedButton(QStringLiteral("Command9"), QStringLiteral("UI-View32 Select"), this);
    connect(select, &QPushButton::clicked, this, &AreaPage::pickOnMap);
    QPushButton *display = namedButton(QStringLiteral("Command13"), QStringLiteral("Display UI-View32"), this);
    connect(display, &QPushButton::clicked, this, &AreaPage::showOnMap);

    QGroupBox *inputs = namedGroup(QString(), QStringLiteral(" New Area "), this);
    auto *grid = new QGridLayout(inputs);
    const std::array<QString, 4> names{QStringLiteral("area_latitude1"), QStringLiteral("area_longitude1"),
                                       QStringLiteral("area_latitude2"), QStringLiteral("area_longitude2")};
    const std::array<QString, 4> labels{QStringLiteral("Decimal Latitude 1"), QStringLiteral("Decimal Longitude 1"),
                                        QStringLiteral("Decimal Latitude 2"), QStringLiteral("Decimal Longitude 2")};
    for (int i = 0; i < 4; ++i) {
        m_corners[static_cast<std::size_t>(i)] = namedLineEdit(names[static_cast<std::size_t>(i)], inputs);
        grid->addWidget(new QLabel(labels[static_cast<std::size_t>(i)], inputs), i, 0);
        grid->addWidget(m_corners[static_cast<std::size_t>(i)], i, 1);
    }
    grid->addWidget(excludeBox(), 4, 0);
    grid->addWidget(add, 4, 1);

    QGroupBox *map = namedGroup(QString(), QStringLiteral(" Range "), this);
    auto *mapRow = new QHBoxLayout(map);
    mapRow->addWidget(select);
    mapRow->addWidget(display);

    layOutEntryPage(contentLayout(), list(), remove, inputs, map);
}

QLineEdit *AreaPage::callbackBox() const
{
    return m_callback;
}

QString AreaPage::newEntry() const
{
    return areaEntry(excludeBox()->isChecked(), m_corners[0]->text(), m_corners[1]->text(), m_corners[2]->text(),
                     m_corners[3]->text());
}

void AreaPage::clearInputs()
{
    list()->clear();
    excludeBox()->setChecked(false);
    for (QLineEdit *corner : m_corners)
        corner->clear();
}

void AreaPage::setAreaFromMap(const MapCorners &corners)
{
    list()->clear();
    list()->addItem(areaEntryForMap(corners));
    rebuild();
}

void AreaPage::takePickedArea(const QString &callbackText)
{
    const std::optional<AreaInputs> picked = areaFromCallback(callbackText);
    if (!picked)
        return;
    m_corners[0]->setText(picked->latitude1);
    m_corners[1]->setText(picked->longitude1);
    m_corners[2]->setText(picked->latitude2);
    m_corners[3]->setText(picked->longitude2);
    addEntry();
}
