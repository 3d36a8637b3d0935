#include "pages/gui/myrangepage.h"

#include "base/core/kinds.h"
#include "pages/core/stationranges.h"
#include "pages/gui/controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

MyRangePage::MyRangePage(QWidget *parent)
    : FragmentPage(*kindForLetter(u'm'), ExcludePlacement::InFragmentFrame, parent)
    , m_range(namedLineEdit(QStringLiteral("myrange_range"), this))
{
    connect(m_range, &QLineEdit::textChanged, this, &MyRangePage::rebuildUnlessFilling);

    QGroupBox *frame = namedGroup(QStringLiteral("range_frame"), QStringLiteral(" My Range "), this);
    auto *row = new QHBoxLayout(frame);
    row->addWidget(new QLabel(QStringLiteral("Range"), frame));
    row->addWidget(m_range);
    row->addWidget(new QLabel(QStringLiteral("Km"), frame));
    m_range->setMaximumWidth(90);

    auto *line = new QHBoxLayout;
    line->addWidget(frame);
    line->addStretch(1);
    contentLayout()->addLayout(line);
    contentLayout()->addStretch(1);
}

QString MyRangePage::fragmentFromControls()
{
    return myRangeFragment(excludeBox()->isChecked(), m_range->text());
}

void MyRangePage::clearInputs()
{
    m_range->clear();
    excludeBox()->setChecked(false);
}

void MyRangePage::fill(const QString &word)
{
    const MyRangeDecode decoded = parseMyRangeFragment(word);
    excludeBox()->setChecked(decoded.exclude);
    m_range->setText(decoded.range);
}
