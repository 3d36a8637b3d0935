#include "pages/gui/pendingpage.h"

#include <QCheckBox>

PendingPage::PendingPage(const Kind &kind, QWidget *parent)
    : FragmentPage(kind, ExcludePlacement::InFragmentFrame, parent)
{
}

QString PendingPage::fragmentFromControls()
{
    return {};
}

void PendingPage::clearInputs()
{
    excludeBox()->setChecked(false);
}

void PendingPage::fill(const QString &)
{
}
