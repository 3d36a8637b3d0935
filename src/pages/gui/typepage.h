#pragma once

#include "pages/gui/fragmentpage.h"

#include <array>

class QLineEdit;

/// The type page: ten packet types and an optional station with a range around it.
class TypePage final : public FragmentPage
{
    Q_OBJECT

public:
    explicit TypePage(QWidget *parent = nullptr);

protected:
    QString fragmentFromControls() override;
    void clearInputs() override;
    void fill(const QString &word) override;

private:
    std::array<QCheckBox *, 10> m_types{};
    QLineEdit *m_callsign;
    QLineEdit *m_range;
};
