// Drives Varnock's COM link (comautomation.cpp, as the program uses it) against the Windows
// stand-in: every operation of UI-View32's two objects and both events, one line each with its
// outcome, then what the link does when the stand-in is gone.
//   comdriver FOLDER             the stand-in's folder, where it reads its commands
//   comdriver FOLDER unregistered   only creation, which must fail
//   comdriver FOLDER crash       the stand-in ends abruptly between two calls
//   comdriver FOLDER faults      what the link does when events are refused, when an event comes
//                                while it unsubscribes, when the application goes before its map,
//                                and when UI-View32 is busy
#include "uiview/win/comautomation.h"

#include <cstdio>
#include <string>
#include <windows.h>

namespace {

std::wstring g_commands;

void say(const char *operation, const std::string &outcome)
{
    std::printf("%s: %s\n", operation, outcome.c_str());
    std::fflush(stdout);
}

void command(const char *text)
{
    FILE *file = _wfopen(g_commands.c_str(), L"ab");
    if (file) {
        std::fprintf(file, "%s\n", text);
        std::fclose(file);
    }
}

/// Lets COM deliver incoming calls (the events) until the flag is set or the time is up.
bool waitFor(const bool &flag, DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (!flag && GetTickCount() - start < milliseconds) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(10);
    }
    return flag;
}

std::string text(const std::optional<std::wstring> &value)
{
    if (!value)
        return "failed";
    std::string out;
    for (wchar_t c : *value)
        out += c < 128 ? char(c) : '?';
    return out;
}

template<typename Number>
std::string number(const std::optional<Number> &value)
{
    return value ? std::to_string(*value) : "failed";
}

std::string truth(const std::optional<bool> &value)
{
    return value ? (*value ? "true" : "false") : "failed";
}

int faults(std::unique_ptr<uiviewcom::Application> application)
{
    say("create", application ? "ok" : "failed");
    if (!application)
        return 1;
    std::unique_ptr<uiviewcom::Map> map = application->currentMap();
    say("currentMap", map ? "ok" : "failed");
    if (!map)
        return 1;

    // UI-View32 behind a modal box rejects calls for a while: the link retries.
    command("busy");
    Sleep(400);
    say("mapWidth while UI-View32 is busy", number(map->mapWidth()));
    Sleep(1600); // until it is no longer busy

    // An event raised while the map unsubscribes reaches no handler of the map that is going.
    bool going = false;
    bool lateEvent = false;
    map->onChanged([&] { lateEvent = going; });
    command("change-during-unadvise");
    Sleep(300);
    going = true;
    map.reset();
    say("an event while the map unsubscribes", lateEvent ? "reached the gone map" : "not delivered");

    // A map that outlives its application still answers.
    map = application->currentMap();
    application.reset();
    say("mapWidth after the application object is gone", number(map ? map->mapWidth() : std::nullopt));
    command("close");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    const std::string folder = argv[1];
    g_commands = std::wstring(folder.begin(), folder.end()) + L"\\standin.cmd";
    const std::string mode = argc == 3 ? argv[2] : "";
    const bool unregistered = mode == "unregistered";

    if (mode == "faults") {
        command("refuse-advise");
        Sleep(300);
    }
    std::unique_ptr<uiviewcom::Application> application = uiviewcom::Application::create();
    if (mode == "faults") {
        // Without its events the link would never hear that UI-View32 closes: that is no link.
        say("create with its events refused", application ? "ok" : "failed");
        return application ? 1 : 0;
    }
    if (mode == "faults2")
        return faults(std::move(application));
    say("create", application ? "ok" : "failed");
    if (unregistered || !application)
        return unregistered && !application ? 0 : 1;

    bool closing = false;
    bool changed = false;
    application->onClosing([&] { closing = true; });
    std::unique_ptr<uiviewcom::Map> map = application->currentMap();
    say("currentMap", map ? "ok" : "failed");
    if (!map)
        return 1;
    map->onChanged([&] { changed = true; });
    if (mode == "crash") {
        command("exit");
        Sleep(1000);
        const DWORD before = GetTickCount();
        const std::optional<short> width = map->mapWidth();
        const DWORD took = GetTickCount() - before;
        say("mapWidth after the stand-in crashed", width ? "answered" : (took < 20000 ? "failed" : "failed late"));
        return 0;
    }
    say("sendAprsMessage",
        application->sendAprsMessage(L"SERVER", L"", 100, L"A", L"filter b/G* r/51.5/-1/100") ? "ok" : "failed");
    say("mapFileName", text(map->mapFileName()));
    say("mapWidth", number(map->mapWidth()));
    say("mapHeight", number(map->mapHeight()));
    say("copyMapToClipboard", truth(map->copyMapToClipboard(640, 480)));

    command("map-changed");
    say("MapHasChanged", waitFor(changed, 10000) ? "received" : "not received");

    // An event raised while the link's own call is still running.
    changed = false;
    command("change-during-next-copy");
    Sleep(300);
    const std::optional<bool> copied = map->copyMapToClipboard(640, 480);
    say("copyMapToClipboard with an event during it", truth(copied));
    say("MapHasChanged during a call", waitFor(changed, 10000) ? "received" : "not received");

    command("close");
    say("UIView32IsClosing", waitFor(closing, 10000) ? "received" : "not received");

    // The stand-in has ended: the next call must fail, and soon.
    waitFor(closing, 1000);
    const DWORD before = GetTickCount();
    const std::optional<short> width = map->mapWidth();
    const DWORD took = GetTickCount() - before;
    say("mapWidth after the stand-in ended", width ? "answered" : (took < 20000 ? "failed" : "failed late"));
    return 0;
}
