#include "uiview/win/comlink.h"

#include "uiview/win/comautomation.h"

#include <windows.h>

namespace {

class ComMap final : public UiViewMap
{
public:
    explicit ComMap(std::unique_ptr<uiviewcom::Map> map)
        : m_map(std::move(map))
    {
        // The event comes inside UI-View32's own outgoing call; it is handled once that call has
        // returned, one after another on this thread, and not at all once this map is gone.
        m_map->onChanged([this] {
            QMetaObject::invokeMethod(
                this, [this] { Q_EMIT MapHasChanged(); }, Qt::QueuedConnection);
        });
    }

    std::optional<bool> copyMapToClipboard(int width, int height) override
    {
        return m_map->copyMapToClipboard(width, height);
    }
    QImage takeMapFromClipboard(quintptr window) override
    {
        // Through the clipboard's own calls: UI-View32 puts a plain bitmap there, which Windows
        // offers in other forms only on request, and the map is to be replaced without emptying the
        // clipboard first, as UI-View32's add-ons do.
        if (!OpenClipboard(reinterpret_cast<HWND>(window)))
            return {};
        const auto map = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
        QImage image = map ? QImage::fromHBITMAP(map) : QImage();
        if (!image.isNull()) {
            // One row of a monochrome bitmap takes a 16-bit word.
            static const WORD zeroBits = 0;
            HBITMAP blank = CreateBitmap(1, 1, 1, 1, &zeroBits);
            if (blank && !SetClipboardData(CF_BITMAP, blank))
                DeleteObject(blank);
        }
        CloseClipboard();
        return image;
    }
    std::optional<QString> mapFileName() override
    {
        const std::optional<std::wstring> name = m_map->mapFileName();
        return name ? std::optional<QString>(QString::fromStdWString(*name)) : std::nullopt;
    }
    std::optional<qint16> mapHeight() override { return m_map->mapHeight(); }
    std::optional<qint16> mapWidth() override { return m_map->mapWidth(); }

private:
    std::unique_ptr<uiviewcom::Map> m_map;
};

class ComApplication final : public UiViewApplication
{
public:
    explicit ComApplication(std::unique_ptr<uiviewcom::Application> application)
        : m_application(std::move(application))
    {
        m_application->onClosing([this] {
            QMetaObject::invokeMethod(
                this, [this] { Q_EMIT UIView32IsClosing(); }, Qt::QueuedConnection);
        });
    }

    std::unique_ptr<UiViewMap> currentMap() override
    {
        std::unique_ptr<uiviewcom::Map> map = m_application->currentMap();
        return map ? std::make_unique<ComMap>(std::move(map)) : nullptr;
    }
    bool sendAprsMessage(const QString &addressee, const QString &path, qint32 count, const QString &kind,
                         const QString &text) override
    {
        return m_application->sendAprsMessage(addressee.toStdWString(), path.toStdWString(), count, kind.toStdWString(),
                                              text.toStdWString());
    }

private:
    std::unique_ptr<uiviewcom::Application> m_application;
};

} // namespace

std::unique_ptr<UiViewApplication> ComConnector::createApplication()
{
    std::wstring problem;
    std::unique_ptr<uiviewcom::Application> application = uiviewcom::Application::create(&problem);
    m_problem = QString::fromStdWString(problem);
    return application ? std::make_unique<ComApplication>(std::move(application)) : nullptr;
}

QString ComConnector::lastProblem() const
{
    return m_problem;
}

