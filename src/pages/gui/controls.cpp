#include "pages/gui/controls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

QPushButton *namedButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}

QCheckBox *namedCheckBox(const QString &name, const QString &caption, QWidget *parent)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

QLineEdit *namedLineEdit(const QString &name, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // A line edit stops at 32767 characters by default; nothing the user gives may be cut short.
    edit->setMaxLength(std::numeric_limits<int>::max());
    return edit;
}

QGroupBox *namedGroup(const QString &name, const QString &caption, QWidget *parent)
{
    auto *group = new QGroupBox(caption, parent);
    if (!name.isEmpty())
        group->setObjectName(name);
    return group;
}

QGridLayout *layOutStation(QGroupBox *group, QLineEdit *callsign, QLineEdit *range)
{
    auto *grid = new QGridLayout(group);
    grid->addWidget(new QLabel(QStringLiteral("Callsign"), group), 0, 0);
    grid->addWidget(callsign, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Range"), group), 1, 0);
    grid->addWidget(range, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("Km"), group), 1, 2);
    callsign->setMinimumWidth(97);
    range->setMaximumWidth(60);
    return grid;
}
