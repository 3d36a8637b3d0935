#pragma once

#include "pages/gui/fragmentpage.h"

class QLineEdit;

/// The my range page: one distance around the user's own station.
class MyRangePage final : public FragmentPage
{
    Q_OBJECT

public:
    explicit MyRangePage(QWidget *parent = nullptr);

protected:
    QString fragmentFromControls() override;
    void clearInputs() override;
    void fill(const QString &word) override;

private:
    QLineEdit *m_range;
};
