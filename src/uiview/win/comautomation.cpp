#include "uiview/win/comautomation.h"

#include <atomic>
#include <cwchar>
#include <objbase.h>
#include <ocidl.h>
#include <oleauto.h>
#include <thread>
#include <utility>
#include <variant>
#include <vector>
#include <windows.h>

namespace uiviewcom {

namespace {

// The identifiers UI-View32 registers for its type library's classes and interfaces.
constexpr CLSID kApplicationClass = {0x33CFA0BD, 0x2826, 0x11D4, {0x82, 0xE8, 0x00, 0xC0, 0xDF, 0x46, 0x4F, 0xC9}};
constexpr GUID kTypeLibrary = {0x33CFA0C0, 0x2826, 0x11D4, {0x82, 0xE8, 0x00, 0xC0, 0xDF, 0x46, 0x4F, 0xC9}};
constexpr IID kApplicationInterface = {0x84C49058, 0x9EE9, 0x48B0, {0xBE, 0x81, 0x51, 0x6B, 0xC8, 0x6F, 0x63, 0x89}};
constexpr IID kMapInterface = {0x33CFA044, 0x2826, 0x11D4, {0x82, 0xE8, 0x00, 0xC0, 0xDF, 0x46, 0x4F, 0xC9}};
// A call UI-View32 rejects (behind a modal box) is tried again for this long; a call it does not
// answer is given up after it, so that a hung UI-View32 cannot hold the window.
constexpr DWORD kCallLimitMs = 10000;
constexpr DWORD kRetryDelayMs = 100;
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

/// An argument as the caller has it; it is passed as the type library declares the parameter.
using Argument = std::variant<long, std::wstring>;

/// Storage for one argument converted to its declared type, so that a by-reference one can point at it.
struct Slot
{
    LONG number32 = 0;
    SHORT number16 = 0;
    VARIANT_BOOL truth = VARIANT_FALSE;
    BSTR text = nullptr;
    ~Slot() { SysFreeString(text); }
};

/// Whether UI-View32 turned the call away for now, as it does behind a modal box.
bool rejected(HRESULT result, const EXCEPINFO &exception)
{
    const HRESULT cause = result == DISP_E_EXCEPTION ? exception.scode : result;
    return cause == RPC_E_CALL_REJECTED || cause == RPC_E_SERVERCALL_RETRYLATER;
}

/// One call to UI-View32 made on a thread of its own. The UI thread goes on handling its messages
/// meanwhile, whatever COM's own wait for a call does: Wine's handles neither timers nor input and
/// cannot give a call up. Shared with that thread, which outlives a call that was given up.
struct PendingCall
{
    explicit PendingCall(std::size_t count)
        : slots(count)
        , arguments(count)
    { }
    ~PendingCall()
    {
        for (VARIANT &argument : arguments)
            VariantInit(&argument); // they point into the slots, which free themselves
        if (done)
            CloseHandle(done);
    }
    PendingCall(const PendingCall &) = delete;
    PendingCall &operator=(const PendingCall &) = delete;

    DWORD object = 0; // in the global interface table
    IID interfaceId{};
    ComPtr<ITypeInfo> type; // a description of our own, or none: the object's IDispatch is called
    MEMBERID id = 0;
    WORD flags = 0;
    std::vector<Slot> slots;
    std::vector<VARIANT> arguments; // last first, as IDispatch takes them
    Variant result;
    HRESULT outcome = E_FAIL;
    std::atomic<bool> givenUp = false;
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

void makeCall(const std::shared_ptr<PendingCall> &call)
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        SetEvent(call->done);
        return;
    }
    {
        ComPtr<IGlobalInterfaceTable> table;
        ComPtr<IDispatch> object;
        if (SUCCEEDED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IGlobalInterfaceTable, reinterpret_cast<void **>(table.out())))
            && SUCCEEDED(table->GetInterfaceFromGlobal(call->object, call->interfaceId,
                                                       reinterpret_cast<void **>(object.out())))) {
            // A thread of the multi-threaded apartment has no call filter: turned-away calls are tried
            // again here.
            const ULONGLONG start = GetTickCount64();
            for (;;) {
                DISPPARAMS parameters{call->arguments.empty() ? nullptr : call->arguments.data(), nullptr,
                                      static_cast<UINT>(call->arguments.size()), 0};
                EXCEPINFO exception{};
                VariantClear(&call->result.value);
                call->outcome = call->type ? call->type->Invoke(object.get(), call->id, call->flags, &parameters,
                                                                &call->result.value, &exception, nullptr)
                                           : object->Invoke(call->id, IID_NULL, LOCALE_USER_DEFAULT, call->flags,
                                                            &parameters, &call->result.value, &exception, nullptr);
                SysFreeString(exception.bstrSource);
                SysFreeString(exception.bstrDescription);
                SysFreeString(exception.bstrHelpFile);
                if (!rejected(call->outcome, exception) || call->givenUp || GetTickCount64() - start > kCallLimitMs)
                    break;
                Sleep(kRetryDelayMs);
            }
        }
    }
    CoUninitialize();
    SetEvent(call->done);
}

/// Waits for a call made on its own thread, handling the UI thread's messages meanwhile (Qt's timers
/// and posted events, input, and COM's calls into this apartment). False when the call is given up.
bool awaitCall(const PendingCall &call)
{
    const ULONGLONG deadline = GetTickCount64() + kCallLimitMs;
    std::optional<WPARAM> quit;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline)
            break;
        const DWORD left = DWORD(deadline - now);
        const DWORD woke = quit ? WaitForSingleObject(call.done, left)
                                : MsgWaitForMultipleObjectsEx(1, &call.done, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke != WAIT_OBJECT_0 + 1)
            break;
        MSG message;
        while (!quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = message.wParam; // for the loop that waits for it, once this call is over
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (quit)
        PostQuitMessage(int(*quit));
    return WaitForSingleObject(call.done, 0) == WAIT_OBJECT_0;
}

/// One of UI-View32's interfaces on an object, called through the type library's description of it:
/// the ids are looked up once, locally, and the arguments take the declared types.
class TypedObject
{
public:
    TypedObject() = default;
    TypedObject(IDispatch *object, const IID &interfaceId)
    {
        if (!object)
            return;
        ComPtr<ITypeLib> library;
        const HRESULT loaded = LoadRegTypeLib(kTypeLibrary, 1, 0, LOCALE_NEUTRAL, library.out());
        if (SUCCEEDED(loaded))
            library->GetTypeInfoOfGuid(interfaceId, m_type.out());
        m_ownType = bool(m_type);
        if (!m_type) {
            // A type library of another version than ours: the object describes itself.
            ComPtr<ITypeInfo> own;
            if (SUCCEEDED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, own.out())))
                m_type = std::move(own);
        }
        // The interface crosses to UI-View32's process through its registered type library.
        if (m_type && FAILED(object->QueryInterface(interfaceId, reinterpret_cast<void **>(m_object.out()))))
            m_problem = FAILED(loaded) ? L"UI-View32's type library is not registered (reinstall UI-View32)"
                                       : L"UI-View32 does not offer the interface Varnock calls";
        else if (!m_type)
            m_problem = L"UI-View32's type library is not registered (reinstall UI-View32)";
        // Calls are made on threads of their own, which take the object from the global table.
        if (*this
            && SUCCEEDED(CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IGlobalInterfaceTable, reinterpret_cast<void **>(m_table.out())))
            && FAILED(m_table->RegisterInterfaceInGlobal(m_object.get(), interfaceId, &m_cookie)))
            m_cookie = 0;
        m_interfaceId = interfaceId;
    }
    ~TypedObject()
    {
        if (m_cookie)
            m_table->RevokeInterfaceFromGlobal(m_cookie);
    }
    TypedObject(const TypedObject &) = delete;
    TypedObject &operator=(const TypedObject &) = delete;

    explicit operator bool() const { return m_object && m_type; }
    /// Why the object cannot be called, when it cannot.
    const std::wstring &problem() const { return m_problem; }
    IDispatch *object() const { return m_object.get(); }

    /// Where a call is made: on a thread of its own, given up after the call limit, or on the UI
    /// thread, for a call that returns an object, which belongs to the thread that receives it.
    enum class Thread { Aside, Here };

    /// Calls the member, its arguments in declared order; false when the call fails.
    bool call(const wchar_t *name, WORD flags, const std::vector<Argument> &arguments, VARIANT *result,
              Thread thread = Thread::Aside)
    {
        if (!*this)
            return false;
        MEMBERID id = 0;
        if (!memberId(name, &id))
            return false;
        std::vector<VARTYPE> declared;
        if (!parameterTypes(id, flags, &declared) || declared.size() != arguments.size())
            return false;
        const std::size_t count = arguments.size();
        auto pending = std::make_shared<PendingCall>(count);
        // IDispatch takes its arguments last first.
        for (std::size_t i = 0; i < count; ++i)
            if (!convert(arguments[i], declared[i], pending->slots[i], pending->arguments[count - 1 - i]))
                return false;
        if (thread == Thread::Here) {
            DISPPARAMS parameters{count ? pending->arguments.data() : nullptr, nullptr, static_cast<UINT>(count), 0};
            return SUCCEEDED(m_type->Invoke(m_object.get(), id, flags, &parameters, result, nullptr, nullptr));
        }
        if (!m_cookie || !pending->done)
            return false;
        pending->object = m_cookie;
        pending->interfaceId = m_interfaceId;
        // A description the object gave of itself lives in UI-View32's process, bound to this thread.
        if (m_ownType) {
            m_type->AddRef();
            pending->type = ComPtr<ITypeInfo>(m_type.get());
        }
        pending->id = id;
        pending->flags = flags;
        std::thread(makeCall, pending).detach();
        // Nothing of this object is used after the wait: the window's messages handled meanwhile
        // may have ended it.
        if (!awaitCall(*pending)) {
            pending->givenUp = true;
            return false;
        }
        if (FAILED(pending->outcome))
            return false;
        if (result) {
            *result = pending->result.value;
            VariantInit(&pending->result.value);
        }
        return true;
    }

private:
    bool memberId(const wchar_t *name, MEMBERID *id)
    {
        for (const auto &[known, knownId] : m_ids)
            if (known == name) {
                *id = knownId;
                return true;
            }
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        if (FAILED(m_type->GetIDsOfNames(names, 1, id)))
            return false;
        m_ids.emplace_back(name, *id);
        return true;
    }

    /// The declared type of each parameter (VT_BYREF set for a pointer), the result left out.
    bool parameterTypes(MEMBERID id, WORD flags, std::vector<VARTYPE> *types)
    {
        TYPEATTR *attributes = nullptr;
        if (FAILED(m_type->GetTypeAttr(&attributes)))
            return false;
        const WORD functions = attributes->cFuncs;
        m_type->ReleaseTypeAttr(attributes);
        for (UINT i = 0; i < functions; ++i) {
            FUNCDESC *function = nullptr;
            if (FAILED(m_type->GetFuncDesc(i, &function)))
                continue;
            const bool wanted = function->memid == id
                && ((flags & DISPATCH_PROPERTYGET) ? function->invkind == INVOKE_PROPERTYGET
                                                   : function->invkind == INVOKE_FUNC);
            if (wanted) {
                for (SHORT p = 0; p < function->cParams; ++p) {
                    const ELEMDESC &parameter = function->lprgelemdescParam[p];
                    if (parameter.paramdesc.wParamFlags & PARAMFLAG_FRETVAL)
                        continue;
                    const TYPEDESC &type = parameter.tdesc;
                    types->push_back(type.vt == VT_PTR ? VARTYPE(type.lptdesc->vt | VT_BYREF) : type.vt);
                }
            }
            m_type->ReleaseFuncDesc(function);
            if (wanted)
                return true;
        }
        return false;
    }

    static bool convert(const Argument &argument, VARTYPE declared, Slot &slot, VARIANT &value)
    {
        VariantInit(&value);
        const VARTYPE base = declared & ~VT_BYREF;
        const bool byReference = declared & VT_BYREF;
        if (const long *number = std::get_if<long>(&argument)) {
            switch (base) {
            case VT_I4:
                slot.number32 = *number;
                value.vt = declared;
                byReference ? void(value.plVal = &slot.number32) : void(value.lVal = slot.number32);
                return true;
            case VT_I2:
                slot.number16 = static_cast<SHORT>(*number);
                value.vt = declared;
                byReference ? void(value.piVal = &slot.number16) : void(value.iVal = slot.number16);
                return true;
            case VT_BOOL:
                slot.truth = *number ? VARIANT_TRUE : VARIANT_FALSE;
                value.vt = declared;
                byReference ? void(value.pboolVal = &slot.truth) : void(value.boolVal = slot.truth);
                return true;
            default:
                return false;
            }
        }
        const std::wstring &text = std::get<std::wstring>(argument);
        if (base != VT_BSTR)
            return false;
        slot.text = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        value.vt = declared;
        byReference ? void(value.pbstrVal = &slot.text) : void(value.bstrVal = slot.text);
        return true;
    }

    ComPtr<IDispatch> m_object;
    ComPtr<ITypeInfo> m_type;
    bool m_ownType = false;
    IID m_interfaceId{};
    ComPtr<IGlobalInterfaceTable> m_table;
    DWORD m_cookie = 0;
    std::vector<std::pair<std::wstring, MEMBERID>> m_ids;
    std::wstring m_problem;
};

/// A few words on why UI-View32's application object could not be made.
std::wstring creationProblem(HRESULT result)
{
    switch (result) {
    case REGDB_E_CLASSNOTREG:
        return L"UI-View32 is not registered for automation on this computer";
    case CO_E_SERVER_EXEC_FAILURE:
    case CO_E_APPNOTFOUND:
        return L"UI-View32 could not be started for automation";
    case E_ACCESSDENIED:
        return L"Windows refused Varnock access to UI-View32 (are both run as the same user?)";
    default: {
        wchar_t text[64];
        swprintf(text, 64, L"UI-View32 did not answer (error 0x%08lX)", static_cast<unsigned long>(result));
        return text;
    }
    }
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

/// Retries calls UI-View32 rejects while it is busy, and gives up on one it does not answer.
class CallFilter final : public IMessageFilter
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
            *object = static_cast<IMessageFilter *>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // One filter for the whole program: it is never deleted.
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD rejection) override
    {
        return rejection == SERVERCALL_RETRYLATER && elapsed < kCallLimitMs ? kRetryDelayMs : DWORD(-1);
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD elapsed, DWORD) override
    {
        return elapsed > kCallLimitMs ? PENDINGMSG_CANCELCALL : PENDINGMSG_WAITDEFPROCESS;
    }
};

#pragma GCC diagnostic pop

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
        if (id != m_event || !m_handler)
            return S_OK;
        // The handler may end the subscription that holds this sink; the sink lives until it returns.
        AddRef();
        const std::function<void()> handler = m_handler;
        handler();
        Release();
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
        // An event that comes while unsubscribing must find no handler of the object that is going.
        m_sink->setHandler({});
        if (m_point && m_cookie)
            m_point->Unadvise(m_cookie);
    }
    Subscription(const Subscription &) = delete;
    Subscription &operator=(const Subscription &) = delete;

    /// Whether the object took the subscription.
    bool active() const { return m_cookie != 0; }

    void setHandler(std::function<void()> handler) { m_sink->setHandler(std::move(handler)); }

private:
    ComPtr<EventSink> m_sink;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

std::optional<short> shortProperty(TypedObject &object, const wchar_t *name)
{
    Variant result;
    if (!object.call(name, DISPATCH_PROPERTYGET, {}, &result.value)
        || FAILED(VariantChangeType(&result.value, &result.value, 0, VT_I2)))
        return std::nullopt;
    return result.value.iVal;
}

/// The COM apartment of the UI thread, with the call filter: started by the application object and
/// ended after the last object of UI-View32's was let go, its map included.
class Apartment
{
public:
    Apartment()
        : m_started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
    {
        static CallFilter filter;
        CoRegisterMessageFilter(&filter, &m_previousFilter);
    }
    ~Apartment()
    {
        IMessageFilter *ours = nullptr;
        CoRegisterMessageFilter(m_previousFilter, &ours);
        if (m_started)
            CoUninitialize();
    }
    Apartment(const Apartment &) = delete;
    Apartment &operator=(const Apartment &) = delete;

private:
    bool m_started;
    IMessageFilter *m_previousFilter = nullptr;
};

} // namespace

// The apartment comes first in each, so that it ends last, after the proxies are released.
struct Application::Impl
{
    std::shared_ptr<Apartment> apartment;
    TypedObject object;
    Subscription closing;

    Impl(std::shared_ptr<Apartment> started, IDispatch *created)
        : apartment(std::move(started))
        , object(created, kApplicationInterface)
        , closing(created, kApplicationEvents, kClosingEvent)
    { }
};

struct Map::Impl
{
    std::shared_ptr<Apartment> apartment;
    TypedObject object;
    Subscription changed;

    Impl(std::shared_ptr<Apartment> shared, IDispatch *map)
        : apartment(std::move(shared))
        , object(map, kMapInterface)
        , changed(map, kMapEvents, kMapChangedEvent)
    { }
};

std::unique_ptr<Application> Application::create(std::wstring *problem)
{
    std::wstring ignored;
    std::wstring &why = problem ? *problem : ignored;
    // The UI thread is a single-threaded apartment, so events arrive through its message loop.
    auto apartment = std::make_shared<Apartment>();
    ComPtr<IDispatch> object;
    const HRESULT created = CoCreateInstance(kApplicationClass, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                             reinterpret_cast<void **>(object.out()));
    if (FAILED(created)) {
        why = creationProblem(created);
        return nullptr;
    }
    auto impl = std::make_unique<Impl>(apartment, object.get());
    if (!impl->object) {
        why = impl->object.problem();
        return nullptr;
    }
    // Without its closing event the window would outlive UI-View32 unawares: that is no link.
    if (!impl->closing.active()) {
        why = L"UI-View32 would not tell Varnock when it closes";
        return nullptr;
    }
    why.clear();
    return std::unique_ptr<Application>(new Application(std::move(impl)));
}

Application::Application(std::unique_ptr<Impl> impl)
    : d(std::move(impl))
{ }

Application::~Application() = default;

std::unique_ptr<Map> Application::currentMap()
{
    Variant result;
    if (!d->object.call(L"currentMap", DISPATCH_PROPERTYGET, {}, &result.value, TypedObject::Thread::Here)
        || (result.value.vt != VT_DISPATCH && result.value.vt != VT_UNKNOWN) || !result.value.pdispVal)
        return nullptr;
    ComPtr<IDispatch> map;
    if (FAILED(result.value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(map.out()))))
        return nullptr;
    auto impl = std::make_unique<Map::Impl>(d->apartment, map.get());
    if (!impl->object || !impl->changed.active())
        return nullptr;
    return std::make_unique<Map>(std::move(impl));
}

bool Application::sendAprsMessage(const std::wstring &addressee, const std::wstring &path, long count,
                                  const std::wstring &kind, const std::wstring &text)
{
    return d->object.call(L"sendAprsMessage", DISPATCH_METHOD, {addressee, path, count, kind, text}, nullptr);
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
    Variant result;
    if (!d->object.call(L"copyMapToClipboard", DISPATCH_METHOD, {0L, 0L, width, height, std::wstring(), 0L, 0L, 0L},
                        &result.value)
        || FAILED(VariantChangeType(&result.value, &result.value, 0, VT_BOOL)))
        return std::nullopt;
    return result.value.boolVal != VARIANT_FALSE;
}

std::optional<std::wstring> Map::mapFileName()
{
    Variant result;
    if (!d->object.call(L"mapFileName", DISPATCH_PROPERTYGET, {}, &result.value)
        || FAILED(VariantChangeType(&result.value, &result.value, 0, VT_BSTR)))
        return std::nullopt;
    return std::wstring(result.value.bstrVal, SysStringLen(result.value.bstrVal));
}

std::optional<short> Map::mapHeight()
{
    return shortProperty(d->object, L"mapHeight");
}

std::optional<short> Map::mapWidth()
{
    return shortProperty(d->object, L"mapWidth");
}

void Map::onChanged(std::function<void()> handler)
{
    d->changed.setHandler(std::move(handler));
}

} // namespace uiviewcom
