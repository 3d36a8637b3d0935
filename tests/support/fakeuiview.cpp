#include "support/fakeuiview.h"

#include <QClipboard>
#include <QGuiApplication>

class FakeMap final : public UiViewMap
{
public:
    explicit FakeMap(FakeUiView &uiview)
        : m_uiview(uiview)
    { }

    std::optional<bool> copyMapToClipboard(int width, int height) override
    {
        if (record(QStringLiteral("copyMapToClipboard"), {width, height}))
            return std::nullopt;
        QGuiApplication::clipboard()->setImage(m_uiview.mapImage);
        return !m_uiview.mapImage.isNull();
    }
    std::optional<QString> mapFileName() override
    {
        if (record(QStringLiteral("mapFileName"), {}))
            return std::nullopt;
        return m_uiview.mapFile;
    }
    std::optional<qint16> mapHeight() override
    {
        if (record(QStringLiteral("mapHeight"), {}))
            return std::nullopt;
        return static_cast<qint16>(m_uiview.mapSize.value_or(m_uiview.mapImage.size()).height());
    }
    std::optional<qint16> mapWidth() override
    {
        if (record(QStringLiteral("mapWidth"), {}))
            return std::nullopt;
        return static_cast<qint16>(m_uiview.mapSize.value_or(m_uiview.mapImage.size()).width());
    }

private:
    /// Records the call; true when it is to fail.
    bool record(const QString &name, const QVariantList &arguments)
    {
        m_uiview.calls.append({name, arguments});
        return m_uiview.failing.contains(name);
    }

    FakeUiView &m_uiview;
};

class FakeApplication final : public UiViewApplication
{
public:
    explicit FakeApplication(FakeUiView &uiview)
        : m_uiview(uiview)
    { }

    std::unique_ptr<UiViewMap> currentMap() override
    {
        m_uiview.calls.append({QStringLiteral("currentMap"), {}});
        if (m_uiview.failing.contains(QStringLiteral("currentMap")))
            return nullptr;
        auto map = std::make_unique<FakeMap>(m_uiview);
        m_uiview.m_maps.append(map.get());
        return map;
    }

    bool sendAprsMessage(const QString &addressee, const QString &path, qint32 count, const QString &kind,
                         const QString &text) override
    {
        m_uiview.calls.append({QStringLiteral("sendAprsMessage"), {addressee, path, count, kind, text}});
        return !m_uiview.failing.contains(QStringLiteral("sendAprsMessage"));
    }

private:
    FakeUiView &m_uiview;
};

std::unique_ptr<UiViewApplication> FakeUiView::createApplication()
{
    calls.append({QStringLiteral("createApplication"), {}});
    if (failing.contains(QStringLiteral("createApplication")))
        return nullptr;
    auto application = std::make_unique<FakeApplication>(*this);
    m_applications.append(application.get());
    return application;
}

void FakeUiView::raiseClosing()
{
    for (const QPointer<UiViewApplication> &application : std::as_const(m_applications))
        if (application)
            Q_EMIT application->UIView32IsClosing();
}

void FakeUiView::raiseMapChanged()
{
    for (const QPointer<UiViewMap> &map : std::as_const(m_maps))
        if (map)
            Q_EMIT map->MapHasChanged();
}

QStringList FakeUiView::messages() const
{
    QStringList texts;
    for (const Call &call : calls)
        if (call.name == u"sendAprsMessage")
            texts.append(call.arguments.last().toString());
    return texts;
}
