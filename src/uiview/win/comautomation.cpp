#include "uiview/win/comautomation.h"

#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>
#include <utility>
#include <vector>
#include <windows.h>

namespace uiviewcom {

namespace {

// The identifiers UI-View32 registers for its type library's classes and interfaces.
constexpr CLSID kApplicationClass = {0x33CFA0BD, 0x2826, 0x11D4, {0x82, 0xE8, 0x00, 0xC0, 0xDF, 0x46, 0x4F, 0xC9}};
constexpr IID kApplicationEvents = {0x209E1020, 0x55A8, 0x48D5, {0x82, 0xE3, 0xA6, 0xF4, 0x87, 0xD2, 0xB3, 0xE7}};
constexpr IID kMapEvents = {0x33CFA049, 0x2826, 0x11D4, {0x82, 0xE8, 0x00, 0xC0, 0xDF, 0x46, 0x4F, 0xC9}};
constexpr DISPID kClosingEvent = 3;
constexpr DISPID kMapChangedEvent = 1;

/// Holds one COM interface pointer and releases it.
template<typename Interface>
class ComPtr
{
public:
    ComPtr() = default;
    explicit ComPtr(Interface *raw)
        : m_raw(raw)
    { }
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;
    ComPtr(ComPtr &&other) noexcept
        : m_raw(std::exchange(other.m_raw, nullptr))
    { }
    ComPtr &operator=(ComPtr &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_raw = std::exchange(other.m_raw, nullptr);
        }
        return *this;
    }

    Interface *get() const { return m_raw; }
    Interface **out()
    {
        reset();
        return &m_raw;
    }
    Interface *operator->() const { return m_raw; }
    explicit operator bool() const { return m_raw != nullptr; }

private:
    void reset()
    {
        if (m_raw)
            m_raw->Release();
        m_raw = nullptr;
    }
    Interface *m_raw = nullptr;
};

/// A VARIANT that clears itself.
struct Variant
{
    Variant() { VariantInit(&value); }
    ~Variant() { VariantClear(&value); }
    Variant(const Variant &) = delete;
    Variant &operator=(const Variant &) = delete;
    VARIANT value;
};

/// A BSTR that frees itself.
struct Bstr
{
    explicit Bstr(const std::wstring &text)
        : value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())))
    { }
    ~Bstr() { SysFreeString(value); }
    Bstr(const Bstr &) = delete;
    Bstr &operator=(const Bstr &) = delete;
    BSTR value;
};

/// Calls a member of a late-bound object by name. Arguments are given in their declared order.
bool invoke(IDispatch *object, const wchar_t *name, WORD flags, std::vector<VARIANT> arguments, VARIANT *result)
{
    if (!object)
        return false;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        return false;
    // IDispatch takes its arguments last first.
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPPARAMS parameters{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    return SUCCEEDED(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result, nullptr, nullptr));
}

VARIANT byRef(BSTR *text)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR | VT_BYREF;
    v.pbstrVal = text;
    return v;
}

VARIANT byRef(LONG *number)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4 | VT_BYREF;
    v.plVal = number;
    return v;
}

VARIANT byValue(BSTR text)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

// COM interfaces have no virtual destructor by design: objects end through Release, and this final
// class deletes itself as what it is.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

/// Receives one event interface's calls and hands the one event it listens for to a handler.
class EventSink final : public IDispatch
{
public:
    EventSink(const IID &events, DISPID event)
        : m_events(events)
        , m_event(event)
    { }

    void setHandler(std::function<void()> handler) { m_handler = std::move(handler); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, m_events)) {
            *object = static_cast<IDispatch *>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
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
        if (count)
            *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS *, VARIANT *, EXCEPINFO *,
                                     UINT *) override
    {
        if (id == m_event && m_handler)
            m_handler();
        return S_OK;
    }

private:
    IID m_events;
    DISPID m_event;
    std::function<void()> m_handler;
    LONG m_references = 1;
};

#pragma GCC diagnostic pop

/// A subscription to one event interface of an object, undone when destroyed.
class Subscription
{
public:
    Subscription(IDispatch *source, const IID &events, DISPID event)
        : m_sink(new EventSink(events, event))
    {
        ComPtr<IConnectionPointContainer> container;
        if (FAILED(source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(container.out()))))
            return;
        if (FAILED(container->FindConnectionPoint(events, m_point.out())))
            return;
        if (FAILED(m_point->Advise(m_sink.get(), &m_cookie)))
            m_cookie = 0;
    }
    ~Subscription()
    {
        if (m_point && m_cookie)
            m_point->Unadvise(m_cookie);
    }
    Subscription(const Subscription &) = delete;
    Subscription &operator=(const Subscription &) = delete;

    void setHandler(std::function<void()> handler) { m_sink->setHandler(std::move(handler)); }

private:
    ComPtr<EventSink> m_sink;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

std::optional<short> shortProperty(IDispatch *object, const wchar_t *name)
{
    Variant result;
    if (!invoke(object, name, DISPATCH_PROPERTYGET, {}, &result.value)
        || FAILED(VariantChangeType(&result.value, &result.value, 0, VT_I2)))
        return std::nullopt;
    return result.value.iVal;
}

} // namespace

struct Application::Impl
{
    ComPtr<IDispatch> object;
    Subscription closing;
    bool comStarted;

    Impl(IDispatch *created, bool started)
        : object(created)
        , closing(created, kApplicationEvents, kClosingEvent)
        , comStarted(started)
    { }
    ~Impl()
    {
        if (comStarted)
            CoUninitialize();
    }
};

struct Map::Impl
{
    ComPtr<IDispatch> object;
    Subscription changed;

    explicit Impl(IDispatch *map)
        : object(map)
        , changed(map, kMapEvents, kMapChangedEvent)
    { }
};

std::unique_ptr<Application> Application::create()
{
    // The UI thread is a single-threaded apartment, so events arrive through its message loop.
    const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool comStarted = SUCCEEDED(started);
    IDispatch *object = nullptr;
    if (FAILED(CoCreateInstance(kApplicationClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                reinterpret_cast<void **>(&object)))) {
        if (comStarted)
            CoUninitialize();
        return nullptr;
    }
    return std::unique_ptr<Application>(new Application(std::make_unique<Impl>(object, comStarted)));
}

Application::Application(std::unique_ptr<Impl> impl)
    : d(std::move(impl))
{ }

Application::~Application() = default;

std::unique_ptr<Map> Application::currentMap()
{
    Variant result;
    if (!invoke(d->object.get(), L"currentMap", DISPATCH_PROPERTYGET, {}, &result.value)
        || result.value.vt != VT_DISPATCH || !result.value.pdispVal)
        return nullptr;
    IDispatch *map = result.value.pdispVal;
    map->AddRef();
    return std::make_unique<Map>(std::make_unique<Map::Impl>(map));
}

bool Application::sendAprsMessage(const std::wstring &addressee, const std::wstring &path, long count,
                                  const std::wstring &kind, const std::wstring &text)
{
    Bstr to(addressee);
    Bstr via(path);
    LONG times = count;
    Bstr type(kind);
    Bstr message(text);
    return invoke(d->object.get(), L"sendAprsMessage", DISPATCH_METHOD,
                  {byRef(&to.value), byRef(&via.value), byRef(&times), byRef(&type.value), byValue(message.value)},
                  nullptr);
}

void Application::onClosing(std::function<void()> handler)
{
    d->closing.setHandler(std::move(handler));
}

Map::Map(std::unique_ptr<Impl> impl)
    : d(std::move(impl))
{ }

Map::~Map() = default;

std::optional<bool> Map::copyMapToClipboard(long width, long height)
{
    LONG left = 0;
    LONG top = 0;
    LONG w = width;
    LONG h = height;
    Bstr empty(std::wstring{});
    LONG zero1 = 0;
    LONG zero2 = 0;
    LONG zero3 = 0;
    Variant result;
    if (!invoke(d->object.get(), L"copyMapToClipboard", DISPATCH_METHOD,
                {byRef(&left), byRef(&top), byRef(&w), byRef(&h), byRef(&empty.value), byRef(&zero1), byRef(&zero2),
                 byRef(&zero3)},
                &result.value)
        || FAILED(VariantChangeType(&result.value, &result.value, 0, VT_BOOL)))
        return std::nullopt;
    return result.value.boolVal != VARIANT_FALSE;
}

std::optional<std::wstring> Map::mapFileName()
{
    Variant result;
    if (!invoke(d->object.get(), L"mapFileName", DISPATCH_PROPERTYGET, {}, &result.value)
        || FAILED(VariantChangeType(&result.value, &result.value, 0, VT_BSTR)))
        return std::nullopt;
    return std::wstring(result.value.bstrVal, SysStringLen(result.value.bstrVal));
}

std::optional<short> Map::mapHeight()
{
    return shortProperty(d->object.get(), L"mapHeight");
}

std::optional<short> Map::mapWidth()
{
    return shortProperty(d->object.get(), L"mapWidth");
}

void Map::onChanged(std::function<void()> handler)
{
    d->changed.setHandler(std::move(handler));
}

} // namespace uiviewcom
