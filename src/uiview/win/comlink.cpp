#include "uiview/win/comlink.h"

#include "uiview/win/comautomation.h"

#include <windows.h>

namespace {

/// The pixels of a bitmap, whatever its depth, as 32-bit colours.
QImage pixelsOf(HBITMAP bitmap)
{
    BITMAP facts{};
    if (!GetObjectW(bitmap, sizeof facts, &facts) || facts.bmWidth <= 0 || facts.bmHeight <= 0)
        return {};
    QImage image(facts.bmWidth, facts.bmHeight, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    BITMAPINFO layout{};
    layout.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    layout.bmiHeader.biWidth = facts.bmWidth;
    layout.bmiHeader.biHeight = -facts.bmHeight; // top row first, as QImage holds it
    layout.bmiHeader.biPlanes = 1;
    layout.bmiHeader.biBitCount = 32;
    layout.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, UINT(facts.bmHeight), image.bits(), &layout, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return rows == facts.bmHeight ? image : QImage();
}

/// The pixels of a device-independent bitmap on the clipboard; a null image when it is not whole.
QImage pixelsOfDib(HGLOBAL dib)
{
    const auto *header = static_cast<const BITMAPINFOHEADER *>(GlobalLock(dib));
    if (!header)
        return {};
    const SIZE_T size = GlobalSize(dib);
    QImage image;
    if (size >= sizeof(BITMAPINFOHEADER) && header->biSize >= sizeof(BITMAPINFOHEADER) && header->biWidth > 0
        && header->biHeight != 0 && header->biPlanes == 1
        && (header->biCompression == BI_RGB || header->biCompression == BI_BITFIELDS)) {
        const quint64 colours = header->biClrUsed ? header->biClrUsed
            : header->biBitCount <= 8             ? 1u << header->biBitCount
                                                  : 0;
        const quint64 masks
            = header->biCompression == BI_BITFIELDS && header->biSize == sizeof(BITMAPINFOHEADER) ? 3 * 4 : 0;
        const quint64 offset = header->biSize + masks + colours * sizeof(RGBQUAD);
        const quint64 stride = (quint64(header->biWidth) * header->biBitCount + 31) / 32 * 4;
        const quint64 rows = quint64(qAbs(qint64(header->biHeight)));
        if (offset + stride * rows <= size) {
            HDC screen = GetDC(nullptr);
            HBITMAP bitmap = CreateDIBitmap(screen, header, CBM_INIT, reinterpret_cast<const BYTE *>(header) + offset,
                                            reinterpret_cast<const BITMAPINFO *>(header), DIB_RGB_COLORS);
            ReleaseDC(nullptr, screen);
            if (bitmap) {
                image = pixelsOf(bitmap);
                DeleteObject(bitmap);
            }
        }
    }
    GlobalUnlock(dib);
    return image;
}

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
        QImage image = map ? pixelsOf(map) : QImage();
        // Wine 8 hands a 32-bit program's bitmap to a 64-bit one as a handle that is none; the same
        // picture as a device-independent bitmap, plain memory, arrives whole.
        if (image.isNull())
            if (const HANDLE dib = GetClipboardData(CF_DIB))
                image = pixelsOfDib(dib);
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
