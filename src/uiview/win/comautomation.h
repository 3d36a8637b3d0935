#pragma once

// UI-View32's automation objects through COM, without Qt, so that the compiler of any Windows
// toolchain can check it alone. The Qt side lives in comlink.cpp.

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace uiviewcom {

class Map;

/// UI-View32's application object, created in UI-View32's own process.
class Application
{
public:
    /// A new application object, or nullptr when UI-View32 is not registered or not answering;
    /// then `problem`, when given, says why in a few words.
    static std::unique_ptr<Application> create(std::wstring *problem = nullptr);
    ~Application();
    Application(const Application &) = delete;
    Application &operator=(const Application &) = delete;

    std::unique_ptr<Map> currentMap();
    bool sendAprsMessage(const std::wstring &addressee, const std::wstring &path, long count, const std::wstring &kind,
                         const std::wstring &text);
    /// Called on the UI thread when UI-View32 announces that it closes.
    void onClosing(std::function<void()> handler);

    struct Impl;

private:
    explicit Application(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

/// UI-View32's map object.
class Map
{
public:
    ~Map();
    Map(const Map &) = delete;
    Map &operator=(const Map &) = delete;

    std::optional<bool> copyMapToClipboard(long width, long height);
    std::optional<std::wstring> mapFileName();
    std::optional<short> mapHeight();
    std::optional<short> mapWidth();
    /// Called on the UI thread when UI-View32's map changes.
    void onChanged(std::function<void()> handler);

    struct Impl;
    explicit Map(std::unique_ptr<Impl> impl);

private:
    std::unique_ptr<Impl> d;
};

} // namespace uiviewcom
