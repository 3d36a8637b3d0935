#pragma once

#include <QLabel>

/// A one-line label that shows as much of its text as fits, ending in "...", and keeps the whole
/// text: in text(), in its tooltip, and for whoever listens to a click on it.
class ElidedLabel final : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    /// Whether the whole text does not fit the label's width.
    bool isElided() const;

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
