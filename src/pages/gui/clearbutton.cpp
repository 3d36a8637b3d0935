#include "pages/gui/clearbutton.h"

#include <QPainter>
#include <QPixmap>

namespace {

QPixmap clearPixmap(int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal margin = side / 16.0;
    const QRectF disc(margin, margin, side - 2 * margin, side - 2 * margin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(204, 0, 0));
    painter.drawEllipse(disc);
    painter.setPen(QPen(Qt::white, side / 8.0, Qt::SolidLine, Qt::RoundCap));
    const qreal inset = side * 0.3;
    painter.drawLine(QPointF(inset, inset), QPointF(side - inset, side - inset));
    painter.drawLine(QPointF(side - inset, inset), QPointF(inset, side - inset));
    return pixmap;
}

/// Drawn once and shared by the twelve buttons.
const QIcon &clearIcon()
{
    static const QIcon icon = [] {
        QIcon drawn;
        for (int side : {24, 48})
            drawn.addPixmap(clearPixmap(side));
        return drawn;
    }();
    return icon;
}

} // namespace

ClearButton::ClearButton(QWidget *parent)
    : QToolButton(parent)
{
    setIcon(clearIcon());
    setIconSize(QSize(24, 24));
    setToolTip(QStringLiteral("Clear Filter"));
    setAccessibleName(QStringLiteral("Clear Filter"));
    setFixedSize(41, 41);
}
