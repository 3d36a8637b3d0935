// uiview32-standin for Windows: an out-of-process automation server that plays UI-View32's part, so
// that Varnock's COM link runs for real (under Wine in the tests). It is built as a 32-bit program,
// as UI-View32 is, and dispatches through the type library of its own IDL, as automation servers
// written in Visual Basic do, so that a call with the wrong argument kinds fails here as it would
// against UI-View32. Every call is written to "standin.log" in its folder.
//
//   uiview32-standin --folder DIR --map IMAGE.bmp [--no-register]
//       serves for DIR, which it records as UI-View32's folder (unless --no-register) until it ends,
//       shows the map IMAGE.bmp (the information file IMAGE.inf beside it), prints
//       "uiview32-standin: serving ..." once it serves and "ADDRESSEE: TEXT" for every message it is
//       asked to send, and takes commands on standard input (the end of input closes it).
//   uiview32-standin -Embedding
//       as COM starts it for a client: the program's own folder, a blank map of 640 x 480, and the
//       commands read from "standin.cmd" in that folder ten times a second.
//   uiview32-standin /regserver [32|both|without-typelib]   records the class and the type library
//       for 32-bit programs only (as a 32-bit program does; the default), in both registry views, or
//       the class alone
//   uiview32-standin /unregserver
//
// Commands:
//   map IMAGE.bmp   show another map and raise MapHasChanged
//   map-changed     raise MapHasChanged
//   close           raise UIView32IsClosing and end
//   exit            end at once, as a crashed UI-View32
//   die             end at once inside the next call
//   busy MS         reject incoming calls for MS milliseconds, as UI-View32 does behind a modal box
//   hang MS         answer the next call only after MS milliseconds, as a hung UI-View32
//   refuse-advise   refuse the next subscription to events
//   change-during-next-copy   raise MapHasChanged inside the next copyMapToClipboard
//   change-during-unadvise    raise MapHasChanged inside the next Unadvise of the map's events
#include "uiview32.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <ole2.h>
#include <olectl.h>
#include <string>
#include <windows.h>

namespace {

const CLSID kApplicationClass = {0x33CFA0BD, 0x2826, 0x11D4, {0x82, 0xE8, 0x00, 0xC0, 0xDF, 0x46, 0x4F, 0xC9}};
const IID kApplicationInterface = {0x84C49058, 0x9EE9, 0x48B0, {0xBE, 0x81, 0x51, 0x6B, 0xC8, 0x6F, 0x63, 0x89}};
const IID kApplicationEvents = {0x209E1020, 0x55A8, 0x48D5, {0x82, 0xE3, 0xA6, 0xF4, 0x87, 0xD2, 0xB3, 0xE7}};
const IID kMapInterface = {0x33CFA044, 0x2826, 0x11D4, {0x82, 0xE8, 0x00, 0xC0, 0xDF, 0x46, 0x4F, 0xC9}};
const IID kMapEvents = {0x33CFA049, 0x2826, 0x11D4, {0x82, 0xE8, 0x00, 0xC0, 0xDF, 0x46, 0x4F, 0xC9}};
const GUID kTypeLibrary = {0x33CFA0C0, 0x2826, 0x11D4, {0x82, 0xE8, 0x00, 0xC0, 0xDF, 0x46, 0x4F, 0xC9}};
constexpr DISPID kClosingEvent = 3;
constexpr DISPID kMapChangedEvent = 1;
const wchar_t kRecordKey[] = L"Software\\VB and VBA Program Settings\\Peak Systems\\UI-View32";

std::wstring g_program; // this program's folder, with its final separator
ITypeLib *g_typeLibrary = nullptr;
FILE *g_log = nullptr;
bool g_changeDuringCopy = false;
bool g_refuseAdvise = false;
bool g_changeDuringUnadvise = false;
bool g_dieInNextCall = false;
DWORD g_hangNextCall = 0;
DWORD g_busyUntil = 0;
DWORD g_registration = 0;
bool g_ended = false;

std::string narrow(const wchar_t *text, UINT length)
{
    std::string out;
    for (UINT i = 0; i < length; ++i)
        out += text[i] < 128 ? char(text[i]) : '?';
    return out;
}

std::string quoted(BSTR text)
{
    return '"' + narrow(text ? text : L"", text ? SysStringLen(text) : 0) + '"';
}

std::wstring wide(const std::string &text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(std::size_t(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), out.data(), length);
    return out;
}

void log(const std::string &line)
{
    if (!g_log)
        return;
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
}

/// Ends the stand-in as a crashed UI-View32 ends, for its clients: without a word, its class withdrawn
/// at once and every later call failing. The process itself ends after the call at hand, as it
/// always ends.
void endAtOnce(const char *how)
{
    log(how);
    CoRevokeClassObject(g_registration);
    g_registration = 0;
    g_ended = true;
}

/// What UI-View32 does before each call returns: S_OK, or a failure when it dies in the call. A hung
/// UI-View32 answers late.
HRESULT answerCall()
{
    if (g_dieInNextCall || g_ended) {
        if (!g_ended)
            endAtOnce("die");
        return RPC_E_DISCONNECTED;
    }
    if (g_hangNextCall) {
        const DWORD hang = g_hangNextCall;
        g_hangNextCall = 0;
        log("hang");
        Sleep(hang);
    }
    return S_OK;
}

/// The map UI-View32 shows: a bitmap and the file it came from.
struct MapPicture
{
    HBITMAP bitmap = nullptr;
    LONG width = 640;
    LONG height = 480;
    std::wstring path = L"C:\\UIView32\\MAPS\\sample.gif";

    /// Loads a Windows bitmap file; false, keeping the map, when it cannot be read.
    bool load(const std::wstring &file)
    {
        auto *loaded = static_cast<HBITMAP>(
            LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
        BITMAP facts{};
        if (!loaded || !GetObjectW(loaded, sizeof facts, &facts)) {
            if (loaded)
                DeleteObject(loaded);
            return false;
        }
        if (bitmap)
            DeleteObject(bitmap);
        bitmap = loaded;
        width = facts.bmWidth;
        height = facts.bmHeight;
        path = file;
        return true;
    }

    /// The map drawn at the size asked for, as a bitmap for the clipboard.
    HBITMAP picture(LONG wantedWidth, LONG wantedHeight) const
    {
        if (!bitmap)
            return CreateBitmap(wantedWidth, wantedHeight, 1, 32, nullptr);
        HDC screen = GetDC(nullptr);
        HBITMAP out = CreateCompatibleBitmap(screen, wantedWidth, wantedHeight);
        HDC from = CreateCompatibleDC(screen);
        HDC to = CreateCompatibleDC(screen);
        HGDIOBJ oldFrom = SelectObject(from, bitmap);
        HGDIOBJ oldTo = SelectObject(to, out);
        SetStretchBltMode(to, COLORONCOLOR);
        StretchBlt(to, 0, 0, wantedWidth, wantedHeight, from, 0, 0, width, height, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        DeleteDC(from);
        DeleteDC(to);
        ReleaseDC(nullptr, screen);
        return out;
    }
};

MapPicture g_picture;

/// A device-independent copy of a bitmap, 32 bits a pixel, for the clipboard.
HGLOBAL independentCopy(HBITMAP bitmap, LONG width, LONG height)
{
    const SIZE_T bytes = sizeof(BITMAPINFOHEADER) + SIZE_T(width) * SIZE_T(height) * 4;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    auto *header = memory ? static_cast<BITMAPINFOHEADER *>(GlobalLock(memory)) : nullptr;
    if (!header) {
        if (memory)
            GlobalFree(memory);
        return nullptr;
    }
    *header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap, 0, UINT(height), header + 1, reinterpret_cast<BITMAPINFO *>(header),
                               DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    GlobalUnlock(memory);
    if (rows != height) {
        GlobalFree(memory);
        return nullptr;
    }
    return memory;
}

// COM objects end through Release; the classes here are final and delete themselves as what they are.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

/// One event interface of one object: the sinks advised on it, by cookie.
class ConnectionPoint final : public IConnectionPoint
{
public:
    ConnectionPoint(IConnectionPointContainer *owner, const IID &events)
        : m_owner(owner)
        , m_events(events)
    { }

    /// Calls the event on every sink; a sink whose client went away is dropped.
    void raise(DISPID event, const char *name)
    {
        // An object whose client has let go of its events, but whose release is still on its way
        // from the client, raises to no one: nothing happens, nothing is logged.
        if (m_sinks.empty())
            return;
        log(std::string("raise ") + name);
        std::map<DWORD, IDispatch *> sinks = m_sinks;
        for (auto &[cookie, sink] : sinks) {
            sink->AddRef();
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            const HRESULT result
                = sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr);
            if (FAILED(result))
                log(std::string("  ") + name + " not delivered");
            sink->Release();
        }
    }
    void dropAll()
    {
        for (auto &[cookie, sink] : m_sinks)
            sink->Release();
        m_sinks.clear();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
            *object = static_cast<IConnectionPoint *>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // Lives as long as its owner, which holds it.
    ULONG STDMETHODCALLTYPE AddRef() override { return m_owner->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return m_owner->Release(); }
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *iid) override
    {
        *iid = m_events;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer **owner) override
    {
        *owner = m_owner;
        m_owner->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown *sink, DWORD *cookie) override
    {
        if (g_refuseAdvise) {
            g_refuseAdvise = false;
            log("Advise refused, as told");
            return CONNECT_E_ADVISELIMIT;
        }
        IDispatch *events = nullptr;
        // A sink must answer for the event interface itself, as VB's event servers demand.
        if (!sink || FAILED(sink->QueryInterface(m_events, reinterpret_cast<void **>(&events)))) {
            log("Advise refused: the sink does not answer for the event interface");
            return CONNECT_E_CANNOTCONNECT;
        }
        *cookie = ++m_lastCookie;
        m_sinks[*cookie] = events;
        log(IsEqualIID(m_events, kApplicationEvents) ? "Advise application events" : "Advise map events");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        if (m_sinks.find(cookie) == m_sinks.end())
            return CONNECT_E_NOCONNECTION;
        if (g_changeDuringUnadvise && IsEqualIID(m_events, kMapEvents)) {
            g_changeDuringUnadvise = false;
            raise(kMapChangedEvent, "MapHasChanged");
        }
        const auto found = m_sinks.find(cookie);
        if (found == m_sinks.end())
            return S_OK;
        found->second->Release();
        m_sinks.erase(found);
        log(IsEqualIID(m_events, kApplicationEvents) ? "Unadvise application events" : "Unadvise map events");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **) override { return E_NOTIMPL; }

private:
    IConnectionPointContainer *m_owner;
    IID m_events;
    std::map<DWORD, IDispatch *> m_sinks;
    DWORD m_lastCookie = 0;
};

/// What both objects share: reference counting, IDispatch through the type library, and one
/// connection point.
template<typename Interface>
class AutomationObject : public Interface, public IConnectionPointContainer
{
public:
    AutomationObject(const IID &interfaceId, const IID &events)
        : m_interface(interfaceId)
        , m_point(this, events)
    {
        g_typeLibrary->GetTypeInfoOfGuid(interfaceId, &m_typeInfo);
    }
    virtual ~AutomationObject()
    {
        m_point.dropAll();
        if (m_typeInfo)
            m_typeInfo->Release();
    }

    ConnectionPoint &events() { return m_point; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, m_interface))
            *object = static_cast<Interface *>(this);
        else if (IsEqualIID(iid, IID_IConnectionPointContainer))
            *object = static_cast<IConnectionPointContainer *>(this);
        else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&m_references); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override
    {
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo **info) override
    {
        if (index != 0)
            return DISP_E_BADINDEX;
        m_typeInfo->AddRef();
        *info = m_typeInfo;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids) override
    {
        // A client that calls through the interfaces never needs this.
        log("GetIDsOfNames " + narrow(names[0], UINT(wcslen(names[0]))));
        return DispGetIDsOfNames(m_typeInfo, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *parameters, VARIANT *result,
                                     EXCEPINFO *exception, UINT *badArgument) override
    {
        // The type library checks the argument kinds and by-reference passing, and calls the vtable.
        const HRESULT outcome = DispInvoke(static_cast<Interface *>(this), m_typeInfo, id, flags, parameters, result,
                                           exception, badArgument);
        if (FAILED(outcome)) {
            char text[96];
            std::snprintf(text, sizeof text, "refused call %ld: 0x%08lx, argument %u", long(id),
                          static_cast<unsigned long>(outcome), badArgument ? *badArgument : 0u);
            log(text);
        }
        return outcome;
    }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID events, IConnectionPoint **point) override
    {
        IID own;
        m_point.GetConnectionInterface(&own);
        if (!IsEqualIID(events, own)) {
            *point = nullptr;
            return CONNECT_E_NOCONNECTION;
        }
        *point = &m_point;
        m_point.AddRef();
        return S_OK;
    }

private:
    IID m_interface;
    ConnectionPoint m_point;
    ITypeInfo *m_typeInfo = nullptr;
    LONG m_references = 1;
};

class StandinMap final : public AutomationObject<_Map>
{
public:
    StandinMap()
        : AutomationObject(kMapInterface, kMapEvents)
    { }

    HRESULT STDMETHODCALLTYPE copyMapToClipboard(LONG *left, LONG *top, LONG *width, LONG *height, BSTR *caption,
                                                 short *first, short *second, short *third,
                                                 VARIANT_BOOL *copied) override
    {
        char text[160];
        std::snprintf(text, sizeof text, "call copyMapToClipboard(%ld, %ld, %ld, %ld, %s, %d, %d, %d)", long(*left),
                      long(*top), long(*width), long(*height), quoted(*caption).c_str(), *first, *second, *third);
        log(text);
        if (const HRESULT answer = answerCall(); FAILED(answer))
            return answer;
        if (g_changeDuringCopy) {
            g_changeDuringCopy = false;
            events().raise(kMapChangedEvent, "MapHasChanged");
        }
        *copied = VARIANT_FALSE;
        HBITMAP picture = *width > 0 && *height > 0 ? g_picture.picture(*width, *height) : nullptr;
        // The map goes on as a device-independent bitmap too, as picture programs often put it: Wine
        // 8 does not hand a 32-bit program's bitmap to a 64-bit program, while plain memory arrives.
        HGLOBAL dib = picture ? independentCopy(picture, *width, *height) : nullptr;
        if (picture && OpenClipboard(nullptr)) {
            EmptyClipboard();
            if (SetClipboardData(CF_BITMAP, picture))
                *copied = VARIANT_TRUE;
            else
                DeleteObject(picture);
            if (!dib || !SetClipboardData(CF_DIB, dib))
                GlobalFree(dib);
            CloseClipboard();
        } else {
            if (picture)
                DeleteObject(picture);
            GlobalFree(dib);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_mapFileName(BSTR *path) override
    {
        log("call mapFileName");
        if (const HRESULT answer = answerCall(); FAILED(answer))
            return answer;
        *path = SysAllocString(g_picture.path.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_mapHeight(short *pixels) override
    {
        log("call mapHeight");
        if (const HRESULT answer = answerCall(); FAILED(answer))
            return answer;
        *pixels = short(g_picture.height);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_mapWidth(short *pixels) override
    {
        log("call mapWidth");
        if (const HRESULT answer = answerCall(); FAILED(answer))
            return answer;
        *pixels = short(g_picture.width);
        return S_OK;
    }
};

StandinMap *g_map = nullptr;
std::map<class StandinApplication *, bool> g_applications;

class StandinApplication final : public AutomationObject<_Application>
{
public:
    StandinApplication()
        : AutomationObject(kApplicationInterface, kApplicationEvents)
    {
        g_applications[this] = true;
    }
    ~StandinApplication() override { g_applications.erase(this); }

    HRESULT STDMETHODCALLTYPE get_currentMap(_Map **map) override
    {
        log("call currentMap");
        if (const HRESULT answer = answerCall(); FAILED(answer))
            return answer;
        g_map->AddRef();
        *map = g_map;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE sendAprsMessage(BSTR *addressee, BSTR *path, LONG *count, BSTR *kind, BSTR text) override
    {
        log("call sendAprsMessage(" + quoted(*addressee) + ", " + quoted(*path) + ", " + std::to_string(*count) + ", "
            + quoted(*kind) + ", " + quoted(text) + ")");
        if (const HRESULT answer = answerCall(); FAILED(answer))
            return answer;
        // What the tests read: the message as UI-View32 would put it on the air.
        const BSTR to = *addressee;
        std::printf("%s: %s\n", narrow(to ? to : L"", to ? SysStringLen(to) : 0).c_str(),
                    narrow(text ? text : L"", text ? SysStringLen(text) : 0).c_str());
        std::fflush(stdout);
        return S_OK;
    }
};

#pragma GCC diagnostic pop

/// A COM object that lives as long as the program and answers for one interface.
template<typename Interface, const IID &interfaceId>
class StaticObject : public Interface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, interfaceId)) {
            *object = static_cast<Interface *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

/// Rejects incoming calls while the stand-in is told it is busy, as an application behind a modal
/// box does; the caller is to retry.
class BusyFilter final : public StaticObject<IMessageFilter, IID_IMessageFilter>
{
public:
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        if (GetTickCount() < g_busyUntil) {
            // How often the caller retries depends on timing: only the first rejection is logged.
            if (!m_told)
                log("busy: calls rejected");
            m_told = true;
            return SERVERCALL_RETRYLATER;
        }
        m_told = false;
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return DWORD(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }

private:
    bool m_told = false;
};

class Factory final : public StaticObject<IClassFactory, IID_IClassFactory>
{
public:
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **object) override
    {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        log("create application");
        auto *application = new StandinApplication;
        const HRESULT result = application->QueryInterface(iid, object);
        application->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

/// Runs one command; false when the stand-in is to end.
bool runCommand(const std::string &command)
{
    const std::size_t blank = command.find(' ');
    const std::string verb = command.substr(0, blank);
    const std::string argument = blank == std::string::npos ? std::string() : command.substr(blank + 1);
    const DWORD milliseconds = DWORD(std::strtoul(argument.c_str(), nullptr, 10));
    if (verb == "map" && !argument.empty()) {
        if (!g_picture.load(wide(argument)))
            std::fprintf(stderr, "uiview32-standin: cannot read the map %s\n", argument.c_str());
        g_map->events().raise(kMapChangedEvent, "MapHasChanged");
    } else if (verb == "map-changed") {
        g_map->events().raise(kMapChangedEvent, "MapHasChanged");
    } else if (verb == "change-during-next-copy") {
        g_changeDuringCopy = true;
    } else if (verb == "refuse-advise") {
        g_refuseAdvise = true;
    } else if (verb == "change-during-unadvise") {
        g_changeDuringUnadvise = true;
    } else if (verb == "busy") {
        g_busyUntil = GetTickCount() + (milliseconds ? milliseconds : 1500);
    } else if (verb == "hang") {
        g_hangNextCall = milliseconds;
    } else if (verb == "die") {
        g_dieInNextCall = true;
    } else if (verb == "close") {
        for (auto &[application, alive] : std::map(g_applications))
            application->events().raise(kClosingEvent, "UIView32IsClosing");
        return false;
    } else if (verb == "exit") {
        endAtOnce("exit");
        return false;
    } else if (!verb.empty()) {
        std::fprintf(stderr, "uiview32-standin: unknown command %s\n", command.c_str());
    }
    return true;
}

/// Reads and empties the command file; false when the stand-in is to end.
bool runCommandFile()
{
    const std::wstring path = g_program + L"standin.cmd";
    FILE *file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return true;
    char line[512];
    bool goOn = true;
    while (goOn && std::fgets(line, sizeof line, file)) {
        std::string command(line);
        while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
            command.pop_back();
        goOn = runCommand(command);
    }
    std::fclose(file);
    _wremove(path.c_str());
    return goOn;
}

/// Standard input as a thread of its own reads it, where it cannot be looked into without waiting:
/// under Wine, a Unix pipe or FIFO is no named pipe to peek at. The reading thread waits there in
/// place of the window's thread, which serves COM.
struct InputReader
{
    CRITICAL_SECTION lock;
    std::string bytes;
    bool ended = false;

    InputReader() { InitializeCriticalSection(&lock); }
    static DWORD WINAPI run(void *self)
    {
        auto &reader = *static_cast<InputReader *>(self);
        char buffer[4096];
        DWORD got = 0;
        bool more = true;
        while (more) {
            more = ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) && got > 0;
            EnterCriticalSection(&reader.lock);
            reader.bytes.append(buffer, more ? got : 0);
            reader.ended = !more;
            LeaveCriticalSection(&reader.lock);
        }
        return 0;
    }
};

/// Runs the complete lines that standard input holds, without waiting for more, so that one thread
/// serves COM and the commands; the end of input closes. False when the stand-in is to end.
bool runStandardInput()
{
    static std::string pending;
    static InputReader *reader = nullptr;
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD available = 0;
    bool ended = false;
    if (!reader && !PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr)) {
        reader = new InputReader;
        if (HANDLE thread = CreateThread(nullptr, 0, &InputReader::run, reader, 0, nullptr))
            CloseHandle(thread);
        else
            ended = true;
    }
    if (reader) {
        EnterCriticalSection(&reader->lock);
        pending += reader->bytes;
        reader->bytes.clear();
        ended = ended || reader->ended;
        LeaveCriticalSection(&reader->lock);
    }
    while (!reader && available > 0) {
        char bytes[4096];
        DWORD got = 0;
        if (!ReadFile(input, bytes, std::min<DWORD>(available, sizeof bytes), &got, nullptr) || got == 0) {
            ended = true;
            break;
        }
        pending.append(bytes, got);
        available -= std::min(available, got);
    }
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
        std::string command = pending.substr(0, end);
        pending.erase(0, end + 1);
        if (!command.empty() && command.back() == '\r')
            command.pop_back();
        if (!runCommand(command))
            return false;
    }
    return !ended || runCommand("close");
}

/// UI-View32's folder in the user's settings, while this stand-in serves; what was recorded before
/// is put back when it ends.
class FolderRecord
{
public:
    explicit FolderRecord(const std::wstring &folder)
    {
        wchar_t before[MAX_PATH * 2];
        DWORD size = sizeof before;
        m_had = RegGetValueW(HKEY_CURRENT_USER, kRecordKey, L"Program Folder", RRF_RT_REG_SZ, nullptr, before, &size)
            == ERROR_SUCCESS;
        if (m_had)
            m_before = before;
        set(folder);
    }
    ~FolderRecord()
    {
        if (m_had)
            set(m_before);
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kRecordKey, L"Program Folder");
    }
    FolderRecord(const FolderRecord &) = delete;
    FolderRecord &operator=(const FolderRecord &) = delete;

private:
    static void set(const std::wstring &folder)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, kRecordKey, L"Program Folder", REG_SZ, folder.c_str(),
                        DWORD((folder.size() + 1) * sizeof(wchar_t)));
    }
    bool m_had = false;
    std::wstring m_before;
};

bool setKey(REGSAM view, const std::wstring &key, const std::wstring &value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &handle, nullptr)
        != ERROR_SUCCESS)
        return false;
    const bool set = RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE *>(value.c_str()),
                                    DWORD((value.size() + 1) * sizeof(wchar_t)))
        == ERROR_SUCCESS;
    RegCloseKey(handle);
    return set;
}

bool recordClass(REGSAM view, const std::wstring &program)
{
    const std::wstring classKey = L"CLSID\\{33CFA0BD-2826-11D4-82E8-00C0DF464FC9}";
    return setKey(view, classKey, L"UIView32.Application")
        && setKey(view, classKey + L"\\LocalServer32", L"\"" + program + L"\"")
        && setKey(view, classKey + L"\\TypeLib", L"{33CFA0C0-2826-11D4-82E8-00C0DF464FC9}");
}

int registerServer(const std::string &how)
{
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (how == "remove") {
        for (REGSAM view : {REGSAM(KEY_WOW64_32KEY), REGSAM(KEY_WOW64_64KEY)}) {
            HKEY classes = nullptr;
            if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_ALL_ACCESS | view, &classes) == ERROR_SUCCESS) {
                RegDeleteTreeW(classes, L"{33CFA0BD-2826-11D4-82E8-00C0DF464FC9}");
                RegCloseKey(classes);
            }
        }
        UnRegisterTypeLib(kTypeLibrary, 1, 0, LOCALE_NEUTRAL, SYS_WIN32);
        UnRegisterTypeLib(kTypeLibrary, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
        std::printf("unregistered\n");
        return 0;
    }
    // As a 32-bit program records itself: in the registry's view for 32-bit programs.
    bool recorded = recordClass(KEY_WOW64_32KEY, program);
    if (how == "both")
        recorded = recorded && recordClass(KEY_WOW64_64KEY, program);
    bool typed = true;
    if (how != "without-typelib") {
        // The type library's interfaces travel between processes through the automation marshaler.
        const std::wstring library = g_program + L"uiview32.tlb";
        ITypeLib *typeLibrary = nullptr;
        typed = SUCCEEDED(LoadTypeLibEx(library.c_str(), REGKIND_REGISTER, &typeLibrary));
        if (typeLibrary)
            typeLibrary->Release();
        if (typed && how == "both")
            typed = setKey(KEY_WOW64_64KEY, L"TypeLib\\{33CFA0C0-2826-11D4-82E8-00C0DF464FC9}\\1.0\\0\\win64", library);
    }
    std::printf("%s\n", recorded && typed ? "registered" : "registration failed");
    return recorded && typed ? 0 : 1;
}

std::string argumentAfter(int argc, char **argv, const char *option)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == option)
            return argv[i + 1];
    return {};
}

bool hasArgument(int argc, char **argv, const char *option)
{
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == option)
            return true;
    return false;
}

} // namespace

int main(int argc, char **argv)
{
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    g_program = program;
    g_program.erase(g_program.find_last_of(L"\\/") + 1);

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    if (argc >= 2 && (std::string(argv[1]) == "/regserver" || std::string(argv[1]) == "/unregserver")) {
        const int status = registerServer(std::string(argv[1]) == "/unregserver" ? "remove"
                                              : argc > 2                         ? argv[2]
                                                                                 : "32");
        CoUninitialize();
        return status;
    }

    // Started by a test with a folder of its own, or by COM for a client.
    const std::string folderArgument = argumentAfter(argc, argv, "--folder");
    const bool serving = !folderArgument.empty();
    std::wstring folder = serving ? wide(folderArgument) : g_program;
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    g_log = _wfopen((folder + L"standin.log").c_str(), L"a");
    log("start");
    if (FAILED(LoadTypeLibEx((g_program + L"uiview32.tlb").c_str(), REGKIND_NONE, &g_typeLibrary))) {
        log("the type library cannot be read");
        std::fprintf(stderr, "uiview32-standin: the type library uiview32.tlb beside it cannot be read\n");
        return 1;
    }
    if (serving && !g_picture.load(wide(argumentAfter(argc, argv, "--map")))) {
        std::fprintf(stderr, "uiview32-standin: --map names no Windows bitmap that can be read\n");
        return 2;
    }
    g_map = new StandinMap;
    static BusyFilter busyFilter;
    CoRegisterMessageFilter(&busyFilter, nullptr);
    static Factory factory;
    if (FAILED(CoRegisterClassObject(kApplicationClass, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                     &g_registration))) {
        log("the class cannot be offered");
        std::fprintf(stderr, "uiview32-standin: the class cannot be offered\n");
        return 1;
    }

    FolderRecord *record = serving && !hasArgument(argc, argv, "--no-register") ? new FolderRecord(folder) : nullptr;
    if (serving) {
        std::printf("uiview32-standin: serving UIView32.Application for %s\n",
                    narrow(folder.c_str(), UINT(folder.size())).c_str());
        std::fflush(stdout);
    }
    // Commands are looked for twenty times a second; started by COM, the stand-in stops after a minute.
    SetTimer(nullptr, 1, 50, nullptr);
    const DWORD started = GetTickCount();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) {
            const bool goOn = serving ? runStandardInput() : runCommandFile() && GetTickCount() - started < 60000;
            if (!goOn)
                break;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (g_ended)
            break;
    }
    if (g_registration)
        CoRevokeClassObject(g_registration);
    // A crashed UI-View32 leaves its record behind.
    if (!g_ended)
        delete record;
    log("end");
    std::fflush(stdout);
    if (g_log)
        std::fclose(g_log);
    // The clients' event sinks are not released, nor COM ended: either would call back into clients
    // that may have gone, and under qemu's user emulation (where 32-bit programs run on kernels
    // that run none themselves) Wine cannot deliver the exception a failed call raises.
    TerminateProcess(GetCurrentProcess(), 0);
    return 0;
}
