// uiview32-standin for Windows: an out-of-process automation server that plays UI-View32's part,
// so that Varnock's COM link can run for real (under Wine in the tests). It dispatches through the
// type library of its own IDL, as automation servers written in Visual Basic do, so that a call with
// the wrong argument kinds fails here as it would against UI-View32. Every call is written to
// "standin.log" beside the program; commands are read from "standin.cmd" beside it:
//   map-changed   raise MapHasChanged
//   change-during-next-copy   raise MapHasChanged inside the next copyMapToClipboard, before it returns
//   close         raise UIView32IsClosing and end
//   exit          end at once, as a crashed UI-View32
//   refuse-advise   refuse the next subscription to events
//   change-during-unadvise   raise MapHasChanged inside the next Unadvise of the map's events
//   busy          reject incoming calls for a second and a half, as UI-View32 does behind a modal box
//   uiview32-standin.exe /regserver | /unregserver   records or removes the classes and the type library
#include "uiview32.h"

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

std::wstring g_folder; // the program's folder, with its final separator
ITypeLib *g_typeLibrary = nullptr;
FILE *g_log = nullptr;
bool g_changeDuringCopy = false;
bool g_refuseAdvise = false;
bool g_changeDuringUnadvise = false;
DWORD g_busyUntil = 0;

std::wstring beside(const wchar_t *name)
{
    return g_folder + name;
}

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

void log(const std::string &line)
{
    if (!g_log)
        return;
    std::fprintf(g_log, "%s\n", line.c_str());
    std::fflush(g_log);
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
        if (g_changeDuringCopy) {
            g_changeDuringCopy = false;
            events().raise(kMapChangedEvent, "MapHasChanged");
        }
        *copied = VARIANT_FALSE;
        HBITMAP picture = CreateBitmap(*width, *height, 1, 32, nullptr);
        if (picture && OpenClipboard(nullptr)) {
            EmptyClipboard();
            if (SetClipboardData(CF_BITMAP, picture))
                *copied = VARIANT_TRUE;
            else
                DeleteObject(picture);
            CloseClipboard();
        } else if (picture) {
            DeleteObject(picture);
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_mapFileName(BSTR *path) override
    {
        log("call mapFileName");
        *path = SysAllocString(L"C:\\UIView32\\MAPS\\sample.gif");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_mapHeight(short *pixels) override
    {
        log("call mapHeight");
        *pixels = 480;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_mapWidth(short *pixels) override
    {
        log("call mapWidth");
        *pixels = 640;
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
        g_map->AddRef();
        *map = g_map;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE sendAprsMessage(BSTR *addressee, BSTR *path, LONG *count, BSTR *kind, BSTR text) override
    {
        log("call sendAprsMessage(" + quoted(*addressee) + ", " + quoted(*path) + ", " + std::to_string(*count) + ", "
            + quoted(*kind) + ", " + quoted(text) + ")");
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

/// Reads and empties the command file; false when the stand-in is to end.
bool runCommands()
{
    const std::wstring path = beside(L"standin.cmd");
    FILE *file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return true;
    char line[128];
    bool goOn = true;
    while (std::fgets(line, sizeof line, file)) {
        std::string command(line);
        while (!command.empty() && (command.back() == '\n' || command.back() == '\r'))
            command.pop_back();
        if (command == "map-changed")
            g_map->events().raise(kMapChangedEvent, "MapHasChanged");
        else if (command == "change-during-next-copy")
            g_changeDuringCopy = true;
        else if (command == "refuse-advise")
            g_refuseAdvise = true;
        else if (command == "change-during-unadvise")
            g_changeDuringUnadvise = true;
        else if (command == "busy")
            g_busyUntil = GetTickCount() + 1500;
        else if (command == "close") {
            for (auto &[application, alive] : std::map(g_applications))
                application->events().raise(kClosingEvent, "UIView32IsClosing");
            goOn = false;
        } else if (command == "exit") {
            log("exit");
            std::fclose(file);
            _wremove(path.c_str());
            ExitProcess(0);
        }
    }
    std::fclose(file);
    _wremove(path.c_str());
    return goOn;
}

bool setKey(HKEY root, const std::wstring &key, const std::wstring &value)
{
    return RegSetKeyValueW(root, key.c_str(), nullptr, REG_SZ, value.c_str(),
                           DWORD((value.size() + 1) * sizeof(wchar_t)))
        == ERROR_SUCCESS;
}

int registerServer(bool add)
{
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    // Recorded for the machine, as UI-View32's installer does: Wine's COM reads only those.
    const std::wstring classKey = L"CLSID\\{33CFA0BD-2826-11D4-82E8-00C0DF464FC9}";
    if (!add) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, classKey.c_str());
        UnRegisterTypeLib(kTypeLibrary, 1, 0, LOCALE_NEUTRAL, SYS_WIN32);
        return 0;
    }
    const bool recorded = setKey(HKEY_CLASSES_ROOT, classKey, L"UIView32.Application")
        && setKey(HKEY_CLASSES_ROOT, classKey + L"\\LocalServer32", L"\"" + std::wstring(program) + L"\"")
        && setKey(HKEY_CLASSES_ROOT, classKey + L"\\TypeLib", L"{33CFA0C0-2826-11D4-82E8-00C0DF464FC9}");
    // The type library's interfaces travel between processes through the automation marshaler.
    const std::wstring library = beside(L"uiview32.tlb");
    ITypeLib *typeLibrary = nullptr;
    const bool typed = SUCCEEDED(LoadTypeLibEx(library.c_str(), REGKIND_REGISTER, &typeLibrary));
    if (typeLibrary)
        typeLibrary->Release();
    std::printf("%s\n", recorded && typed ? "registered" : "registration failed");
    return recorded && typed ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    g_folder = program;
    g_folder.erase(g_folder.find_last_of(L"\\/") + 1);

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    if (argc == 2 && (std::string(argv[1]) == "/regserver" || std::string(argv[1]) == "/unregserver")) {
        const int status = registerServer(std::string(argv[1]) == "/regserver");
        CoUninitialize();
        return status;
    }
    g_log = _wfopen(beside(L"standin.log").c_str(), L"a");
    log("start");
    if (FAILED(LoadTypeLibEx(beside(L"uiview32.tlb").c_str(), REGKIND_NONE, &g_typeLibrary))) {
        log("the type library cannot be read");
        return 1;
    }
    g_map = new StandinMap;
    static BusyFilter busyFilter;
    CoRegisterMessageFilter(&busyFilter, nullptr);
    static Factory factory;
    DWORD registration = 0;
    if (FAILED(CoRegisterClassObject(kApplicationClass, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE,
                                     &registration))) {
        log("the class cannot be offered");
        return 1;
    }
    // Commands are read ten times a second; a stand-in nobody ends stops after a minute.
    SetTimer(nullptr, 1, 100, nullptr);
    const DWORD started = GetTickCount();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr) {
            if (!runCommands() || GetTickCount() - started > 60000)
                break;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    CoRevokeClassObject(registration);
    log("end");
    g_map->Release();
    g_typeLibrary->Release();
    CoUninitialize();
    return 0;
}
