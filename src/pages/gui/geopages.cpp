#include "pages/gui/geopages.h"

#include "base/core/kinds.h"
#include "geo/core/coordinates.h"
#include "mappicker/core/callbacktext.h"
#include "pages/core/geofragments.h"
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

const QString kLatitudeFormat
    = QStringLiteral("latitude in decimal degrees, north positive and south negative (51.5, -33.87).");
const QString kLongitudeFormat
    = QStringLiteral("longitude in decimal degrees, east positive and west negative (-0.12, 151.21).");

} // namespace

MapEntryPage::MapEntryPage(const Kind &kind, const MapPageNames &names, const QString &addCaption, Dialogs &dialogs,
                           QWidget *parent)
    : EntryListPage(kind, names.list, dialogs, parent)
    , m_callback(namedLineEdit(names.callback, this))
    , m_add(namedButton(names.add, addCaption, this))
    , m_remove(namedButton(names.remove, QStringLiteral("Remove"), this))
    , m_mapCommands(namedGroup(QString(), QStringLiteral(" Range "), this))
{
    // Hidden, and starting with its own name as its text, the box only carries picks to the page.
    m_callback->setText(names.callback);
    m_callback->hide();
    connect(m_callback, &QLineEdit::textChanged, this, [this](const QString &text) { takePicked(text); });
    connect(m_add, &QPushButton::clicked, this, &MapEntryPage::addEntry);
    connect(m_remove, &QPushButton::clicked, this, &MapEntryPage::removeEntry);

    QPushButton *select = namedButton(names.select, QStringLiteral("UI-View32 Select"), this);
    connect(select, &QPushButton::clicked, this, &MapEntryPage::pickOnMap);
    QPushButton *display = namedButton(names.display, QStringLiteral("Display UI-View32"), this);
    connect(display, &QPushButton::clicked, this, &MapEntryPage::showOnMap);
    auto *mapRow = new QHBoxLayout(m_mapCommands);
    mapRow->addWidget(select);
    mapRow->addWidget(display);
}

QLineEdit *MapEntryPage::callbackBox() const
{
    return m_callback;
}

QPushButton *MapEntryPage::addButton() const
{
    return m_add;
}

void MapEntryPage::layOut(QGroupBox *inputs)
{
    auto *listColumn = new QGridLayout;
    listColumn->addWidget(list(), 0, 0, 2, 1);
    listColumn->addWidget(m_remove, 0, 1);
    listColumn->setRowStretch(1, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(inputs);
    right->addWidget(m_mapCommands);
    right->addStretch(1);

    auto *row = new QHBoxLayout;
    row->addLayout(listColumn, 1);
    row->addLayout(right);
    contentLayout()->addLayout(row, 1);
}

RangePage::RangePage(Dialogs &dialogs, QWidget *parent)
    : MapEntryPage(*kindForLetter(u'r'),
                   {QStringLiteral("List1"), QStringLiteral("range_ipc"), QStringLiteral("Command8"),
                    QStringLiteral("Command6"), QStringLiteral("Command4"), QStringLiteral("Command5")},
                   QStringLiteral("Add Range"), dialogs, parent)
    , m_latitude(namedLineEdit(QStringLiteral("range_latitude"), this))
    , m_longitude(namedLineEdit(QStringLiteral("range_longitude"), this))
    , m_range(namedLineEdit(QStringLiteral("range_range"), this))
{
    m_latitude->setToolTip(QStringLiteral("The centre's %1").arg(kLatitudeFormat));
    m_longitude->setToolTip(QStringLiteral("The centre's %1").arg(kLongitudeFormat));
    m_range->setToolTip(QStringLiteral("The distance from the centre, in kilometres (100, 12.5)."));
    // Enter in any field adds the range, as the button does.
    for (QLineEdit *field : {m_latitude, m_longitude, m_range})
        connect(field, &QLineEdit::returnPressed, addButton(), &QPushButton::click);
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
    grid->addWidget(addButton(), 3, 1);
    layOut(inputs);
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

void RangePage::takePicked(const QString &callbackText)
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
    : MapEntryPage(*kindForLetter(u'a'),
                   {QStringLiteral("List4"), QStringLiteral("area_ipc"), QStringLiteral("Command9"),
                    QStringLiteral("Command13"), QStringLiteral("Command11"), QStringLiteral("Command10")},
                   QStringLiteral("Add Area"), dialogs, parent)
{
    QGroupBox *inputs = namedGroup(QString(), QStringLiteral(" New Area "), this);
    auto *grid = new QGridLayout(inputs);
    const std::array<QString, 4> names{QStringLiteral("area_latitude1"), QStringLiteral("area_longitude1"),
                                       QStringLiteral("area_latitude2"), QStringLiteral("area_longitude2")};
    const std::array<QString, 4> labels{QStringLiteral("Decimal Latitude 1"), QStringLiteral("Decimal Longitude 1"),
                                        QStringLiteral("Decimal Latitude 2"), QStringLiteral("Decimal Longitude 2")};
    const std::array<QString, 4> tips{QStringLiteral("The north edge: %1").arg(kLatitudeFormat),
                                      QStringLiteral("The west edge: %1").arg(kLongitudeFormat),
                                      QStringLiteral("The south edge: %1").arg(kLatitudeFormat),
                                      QStringLiteral("The east edge: %1").arg(kLongitudeFormat)};
    for (int i = 0; i < 4; ++i) {
        const auto at = static_cast<std::size_t>(i);
        QLineEdit *field = m_corners[at] = namedLineEdit(names[at], inputs);
        field->setToolTip(tips[at]);
        // Enter in any field adds the area, as the button does.
        connect(field, &QLineEdit::returnPressed, addButton(), &QPushButton::click);
        grid->addWidget(new QLabel(labels[at], inputs), i, 0);
        grid->addWidget(field, i, 1);
    }
    grid->addWidget(excludeBox(), 4, 0);
    grid->addWidget(addButton(), 4, 1);
    layOut(inputs);
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

void AreaPage::takePicked(const QString &callbackText)
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
