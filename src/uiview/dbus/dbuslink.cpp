#include "uiview/dbus/dbuslink.h"

#include "uiview/dbus/dbusnames.h"
#include "uiview/dbus/mappixels.h"
#include "uiview_application_proxy.h"
#include "uiview_map_proxy.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QGuiApplication>
#include <QImage>

namespace {

// A vanished or hung peer must never freeze the window for long.
constexpr int kCallTimeoutMs = 1000;

template<typename T>
std::optional<T> valueOf(QDBusPendingReply<T> reply)
{
    reply.waitForFinished();
    return reply.isValid() ? std::optional<T>(reply.value()) : std::nullopt;
}

class DBusMap final : public UiViewMap
{
public:
    DBusMap()
        : m_proxy(UiViewBus::service(), UiViewBus::mapPath(), QDBusConnection::sessionBus())
    {
        m_proxy.setTimeout(kCallTimeoutMs);
        connect(&m_proxy, &MapProxy::MapHasChanged, this, &UiViewMap::MapHasChanged);
    }

    std::optional<bool> copyMapToClipboard(int width, int height) override
    {
        const std::optional<QDBusUnixFileDescriptor> pixels = valueOf(m_proxy.mapPixels());
        if (!pixels)
            return std::nullopt;
        // UI-View32 would put the map on the shared clipboard; over the bus it comes as shared
        // memory, and this process puts it on its own clipboard, which is where the map window reads it.
        QImage image;
        if (!pixels->isValid()
            || MapPixels::read(pixels->fileDescriptor(), width, height, &image) != MapPixels::Read::Ok)
            return false;
        QGuiApplication::clipboard()->setImage(image);
        return true;
    }
    std::optional<QString> mapFileName() override { return valueOf(m_proxy.mapFileName()); }
    std::optional<qint16> mapHeight() override { return valueOf(m_proxy.mapHeight()); }
    std::optional<qint16> mapWidth() override { return valueOf(m_proxy.mapWidth()); }

private:
    MapProxy m_proxy;
};

class DBusApplication final : public UiViewApplication
{
public:
    DBusApplication()
        : m_proxy(UiViewBus::service(), UiViewBus::applicationPath(), QDBusConnection::sessionBus())
    {
        m_proxy.setTimeout(kCallTimeoutMs);
        connect(&m_proxy, &ApplicationProxy::UIView32IsClosing, this, &UiViewApplication::UIView32IsClosing);
    }

    std::unique_ptr<UiViewMap> currentMap() override
    {
        if (!valueOf(m_proxy.currentMap()))
            return nullptr;
        return std::make_unique<DBusMap>();
    }

    bool sendAprsMessage(const QString &addressee, const QString &path, qint32 count, const QString &kind,
                         const QString &text) override
    {
        QDBusPendingReply<> reply = m_proxy.sendAprsMessage(addressee, path, count, kind, text);
        reply.waitForFinished();
        return reply.isValid();
    }

private:
    ApplicationProxy m_proxy;
};

} // namespace

std::unique_ptr<UiViewApplication> DBusConnector::createApplication()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) {
        m_problem = QStringLiteral("there is no session bus");
        return nullptr;
    }
    if (!bus.interface()->isServiceRegistered(UiViewBus::service())) {
        m_problem = QStringLiteral("nothing serves %1 on the session bus").arg(UiViewBus::service());
        return nullptr;
    }
    m_problem.clear();
    return std::make_unique<DBusApplication>();
}

QString DBusConnector::lastProblem() const
{
    return m_problem;
}
