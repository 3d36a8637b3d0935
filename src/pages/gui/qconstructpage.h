#pragma once

#include "pages/gui/fragmentpage.h"

#include <array>

/// The q construct page: the constructs the network adds to a packet's path, and Analysis.
class QConstructPage final : public FragmentPage
{
    Q_OBJECT

public:
    explicit QConstructPage(QWidget *parent = nullptr);

protected:
    QString fragmentFromControls() override;
    void clearInputs() override;
    void fill(const QString &word) override;

private:
    std::array<QCheckBox *, 10> m_constructs{};
    QCheckBox *m_analysis;
};
