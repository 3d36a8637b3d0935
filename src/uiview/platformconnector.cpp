#include "uiview/core/uiviewlink.h"

#ifdef Q_OS_WIN
#include "uiview/win/comlink.h"
#else
#include "uiview/dbus/dbuslink.h"
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

