#pragma once

#include <QToolButton>

/// The square Clear Filter button of every page: a red disc with a white diagonal cross.
class ClearButton final : public QToolButton
{
    Q_OBJECT

public:
    explicit ClearButton(QWidget *parent = nullptr);
};
