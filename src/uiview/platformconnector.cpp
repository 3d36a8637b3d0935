#include "uiview/core/uiviewlink.h"

#ifdef Q_OS_WIN
#include "uiview/win/comlink.h"
#else
#include "uiview/dbus/dbuslink.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#endif

std::unique_ptr<UiViewConnector> createPlatformConnector()
{
#ifdef Q_OS_WIN
    return std::make_unique<ComConnector>();
#else
    // UI-View32 itself runs only on Windows; elsewhere a program serving its objects on the session
    // bus takes its place.
    return std::make_unique<DBusConnector>();
#endif
}

#ifndef Q_OS_WIN
void replaceMapOnClipboard(quintptr)
{
    // Over the session bus the map reached only this process's own clipboard.
    QImage blank(1, 1, QImage::Format_Mono);
    blank.fill(0);
    QGuiApplication::clipboard()->setImage(blank);
}
#endif
