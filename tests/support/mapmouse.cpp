#include "support/mapmouse.h"

#include "mappicker/gui/mapwindow.h"

#include <QCoreApplication>
#include <QMouseEvent>

QWidget *mapCanvas(MapWindow *window)
{
    return window->findChild<QWidget *>(QStringLiteral("Picture1"));
}

void movePointer(MapWindow *window, QPoint at)
{
    QMouseEvent move(QEvent::MouseMove, at, mapCanvas(window)->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(mapCanvas(window), &move);
}

void pressButton(MapWindow *window)
{
    // Where the button goes down does not matter: the last pointer movement gives the position.
    const QPointF at(1, 1);
    QMouseEvent down(QEvent::MouseButtonPress, at, mapCanvas(window)->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(mapCanvas(window), &down);
}
