#pragma once

#include <QString>

/// Where a UI-View32 stand-in serves its objects on the session bus.
namespace UiViewBus {
inline QString service()
{
    return QStringLiteral("org.varnock.UIView32");
}
inline QString applicationPath()
{
    return QStringLiteral("/Application");
}
inline QString mapPath()
{
    return QStringLiteral("/Map");
}
} // namespace UiViewBus
