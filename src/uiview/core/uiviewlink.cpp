#include "uiview/core/uiviewlink.h"

#include <QClipboard>
#include <QGuiApplication>

QImage UiViewMap::takeMapFromClipboard(quintptr)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QImage image = clipboard->image();
    if (!image.isNull()) {
        QImage blank(1, 1, QImage::Format_Mono);
        blank.fill(0);
        clipboard->setImage(blank);
    }
    return image;
}
