#pragma once

#include "uiview/core/uiviewlink.h"

#include <QImage>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QVariantList>

#include <optional>

/// A UI-View32 for tests: records every call with its arguments, raises the events on demand, serves
/// a map image and its file name, and fails the calls it is told to fail.
class FakeUiView final : public UiViewConnector
{
public:
    struct Call
    {
        QString name;
        QVariantList arguments;
    };

    std::unique_ptr<UiViewApplication> createApplication() override;

    /// UI-View32 announces that it closes, to every application object alive.
    void raiseClosing();
    /// UI-View32's map changes, to every map object alive.
    void raiseMapChanged();

    /// The texts of the APRS messages sent, in order.
    QStringList messages() const;

    QList<Call> calls;
    QSet<QString> failing; ///< names of the calls that fail: "createApplication", "currentMap", ...
    QString mapFile = QStringLiteral("C:\\maps\\map1.gif");
    QImage mapImage;
    std::optional<QSize> mapSize; ///< the size UI-View32 says its map has, when not the image's

private:
    QList<QPointer<UiViewApplication>> m_applications;
    QList<QPointer<UiViewMap>> m_maps;
    friend class FakeApplication;
};
