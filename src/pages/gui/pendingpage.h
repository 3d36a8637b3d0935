#pragma once

#include "pages/gui/fragmentpage.h"

/// A page whose editor is not written yet: it has the shared bottom row, clears and rebuilds, and
/// its decoder takes the word without filling anything.
class PendingPage final : public FragmentPage
{
    Q_OBJECT

public:
    explicit PendingPage(const Kind &kind, QWidget *parent = nullptr);

protected:
    QString fragmentFromControls() override;
    void clearInputs() override;
    void fill(const QString &word) override;
};
