#pragma once

#include <QImage>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

/// UI-View32's map object: the map it shows. Every call may fail, for example when UI-View32 has
/// gone away; a failure gives no value (or false) and never throws.
class UiViewMap : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// Asks UI-View32 to put the map on the clipboard as a bitmap of that size; nothing on failure.
    virtual std::optional<bool> copyMapToClipboard(int width, int height) = 0;
    /// The map copyMapToClipboard put on the clipboard, taken off it for the window `window`: a
    /// bitmap of 1 x 1 pixel takes its place, so that the map does not stay there. A null image when
    /// the clipboard holds none.
    virtual QImage takeMapFromClipboard(quintptr window);
    /// The path of the map's image file.
    virtual std::optional<QString> mapFileName() = 0;
    virtual std::optional<qint16> mapHeight() = 0;
    virtual std::optional<qint16> mapWidth() = 0;

Q_SIGNALS:
    /// UI-View32 shows another map, or the same one changed. Delivered on the UI thread.
    void MapHasChanged();
};

/// UI-View32's application object.
class UiViewApplication : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    /// The map UI-View32 shows now; nullptr when it cannot be had.
    virtual std::unique_ptr<UiViewMap> currentMap() = 0;

    /// Has UI-View32 send an APRS message to the addressee; false when the call failed.
    virtual bool sendAprsMessage(const QString &addressee, const QString &path, qint32 count, const QString &kind,
                                 const QString &text)
        = 0;

Q_SIGNALS:
    /// UI-View32 is closing. Delivered on the UI thread.
    void UIView32IsClosing();
};

/// Creates UI-View32 application objects; each window that talks to UI-View32 holds its own.
class UiViewConnector
{
public:
    virtual ~UiViewConnector() = default;

    /// A new application object, or nullptr when UI-View32 cannot be reached.
    virtual std::unique_ptr<UiViewApplication> createApplication() = 0;
    /// Why the last createApplication() gave nothing, in a few words for the user; empty when it
    /// cannot be told.
    virtual QString lastProblem() const { return {}; }
};

/// The connector of this platform: COM automation on Windows, the session bus elsewhere.
std::unique_ptr<UiViewConnector> createPlatformConnector();

