#include "app/windows/ControlHost.h"

#include <olectl.h>

namespace zarvik {

ControlHost::ControlHost(HWND parent, const RECT& rect, EventHandler onEvent)
    : parent_(parent), rect_(rect), onEvent_(std::move(onEvent)) {}

ControlHost::~ControlHost() { Destroy(); }

HRESULT ControlHost::Create(const wchar_t* progId, HWND parent, const RECT& rect, EventHandler onEvent,
                            ControlHost** result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return hr;
    auto host = winbase::Make<ControlHost>(parent, rect, std::move(onEvent));
    if (!host) return E_OUTOFMEMORY;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, host->control_.put_void());

    // Events: the control names its event interface itself.
    if (SUCCEEDED(hr)) {
        winbase::ComPtr<IProvideClassInfo2> classInfo;
        winbase::ComPtr<IConnectionPointContainer> container;
        GUID events = GUID_NULL;
        if (SUCCEEDED(host->control_.As(IID_IProvideClassInfo2, classInfo)))
            classInfo->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &events);
        host->eventsIid_ = events;
        hr = host->control_.As(IID_IConnectionPointContainer, container);
        if (SUCCEEDED(hr)) hr = container->FindConnectionPoint(events, host->events_.put());
        if (SUCCEEDED(hr)) hr = host->events_->Advise(&host->sink_, &host->cookie_);
    }

    // Sited and active in place, as a form's control is.
    winbase::ComPtr<IOleObject> object;
    if (SUCCEEDED(hr)) hr = host->control_.As(IID_IOleObject, object);
    if (SUCCEEDED(hr)) {
        hr = object->SetClientSite(static_cast<IOleClientSite*>(host.get()));
        winbase::ComPtr<IPersistStreamInit> persist;
        if (SUCCEEDED(hr) && SUCCEEDED(host->control_.As(IID_IPersistStreamInit, persist))) persist->InitNew();
        if (SUCCEEDED(hr))
            hr = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(host.get()), 0, parent,
                                &host->rect_);
    }
    if (FAILED(hr)) {
        host->Destroy();
        return hr;
    }
    *result = host.Detach();
    return S_OK;
}

void ControlHost::Destroy() {
    if (events_) events_->Unadvise(cookie_);
    events_.reset();
    if (winbase::ComPtr<IOleObject> object; SUCCEEDED(control_.As(IID_IOleObject, object))) {
        object->Close(OLECLOSE_NOSAVE);
        object->SetClientSite(nullptr);
    }
    control_.reset();
}

HRESULT ControlHost::Put(DISPID id, const VARIANT& value) {
    if (!control_) return E_UNEXPECTED;
    VARIANT argument = value;
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&argument, &named, 1, 1};
    return control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr, nullptr,
                            nullptr);
}

HRESULT ControlHost::Get(DISPID id, VARIANT* value) {
    if (!control_) return E_UNEXPECTED;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    return control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value, nullptr, nullptr);
}

HRESULT ControlHost::Call(DISPID id) {
    if (!control_) return E_UNEXPECTED;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT ignored;
    VariantInit(&ignored);
    const HRESULT hr =
        control_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &ignored, nullptr, nullptr);
    VariantClear(&ignored);
    return hr;
}

const winbase::Interface ControlHost::kInterfaces[] = {winbase::Row<ControlHost, IOleClientSite>(IID_IUnknown),
                                                       winbase::Row<ControlHost, IOleClientSite>(IID_IOleClientSite),
                                                       winbase::Row<ControlHost, IOleInPlaceSite>(IID_IOleWindow),
                                                       winbase::Row<ControlHost, IOleInPlaceSite>(IID_IOleInPlaceSite),
                                                       winbase::Row<ControlHost, IDispatch>(IID_IDispatch),
                                                       {}};

STDMETHODIMP ControlHost::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP ControlHost::GetContainer(IOleContainer** container) {
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP ControlHost::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = parent_;
    return S_OK;
}

STDMETHODIMP ControlHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                           LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
    if (!frame || !document || !position || !clip || !info) return E_POINTER;
    *frame = nullptr;
    *document = nullptr;
    *position = rect_;
    *clip = rect_;
    info->fMDIApp = FALSE;
    info->hwndFrame = parent_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP ControlHost::OnPosRectChange(LPCRECT position) {
    if (!position) return E_POINTER;
    rect_ = *position;
    return S_OK;
}

STDMETHODIMP ControlHost::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ControlHost::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
    if (id != DISPID_AMBIENT_USERMODE) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = VARIANT_TRUE;
    return S_OK;
}

const winbase::Interface ControlHost::EventSink::kInterfaces[] = {
    winbase::Row<EventSink, IDispatch>(IID_IUnknown), winbase::Row<EventSink, IDispatch>(IID_IDispatch), {}};

STDMETHODIMP ControlHost::EventSink::QueryInterface(REFIID riid, void** ppv) {
    const bool events = riid == host_.eventsIid_ && riid != GUID_NULL;  // answered as IDispatch
    return winbase::Query(this, kInterfaces, events ? IID_IDispatch : riid, ppv);
}

STDMETHODIMP ControlHost::EventSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                            EXCEPINFO*, UINT*) {
    if (result) VariantInit(result);
    if (!host_.onEvent_) return S_OK;
    try {
        host_.onEvent_(id, params);
    } catch (...) {
        return E_UNEXPECTED;  // a handler's exception must not cross into the control
    }
    return S_OK;
}

}  // namespace zarvik
