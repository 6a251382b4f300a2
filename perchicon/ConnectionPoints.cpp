#include "ConnectionPoints.h"

#include "Module.h"

#include <olectl.h>

#include <vector>

namespace perchicon {

EventPoint::~EventPoint() {
    for (auto& [cookie, sink] : sinks_) sink->Release();
}

STDMETHODIMP EventPoint::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EventPoint::AddRef() { return owner_.AddRef(); }
STDMETHODIMP_(ULONG) EventPoint::Release() { return owner_.Release(); }

STDMETHODIMP EventPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP EventPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (!container) return E_POINTER;
    return owner_.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container));
}

STDMETHODIMP EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    IUnknown* typed = nullptr;
    HRESULT hr = sink->QueryInterface(iid_, reinterpret_cast<void**>(&typed));
    if (FAILED(hr) && iid_ == DIID___Perchicon) hr = sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&typed));
    if (FAILED(hr)) return CONNECT_E_CANNOTCONNECT;
    return Guarded([&] {
        sinks_[nextCookie_] = typed;
        *cookie = nextCookie_++;
        return S_OK;
    });
}

STDMETHODIMP EventPoint::Unadvise(DWORD cookie) {
    auto it = sinks_.find(cookie);
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    IUnknown* sink = it->second;
    sinks_.erase(it);
    sink->Release();
    return S_OK;
}

STDMETHODIMP EventPoint::EnumConnections(IEnumConnections** connections) {
    if (connections) *connections = nullptr;
    return E_NOTIMPL;
}

void EventPoint::Fire(DISPID dispid, DISPPARAMS& params) {
    // A copy, holding each sink: a handler may unadvise, or release the control, while it runs.
    std::vector<IDispatch*> sinks;
    for (auto& [cookie, sink] : sinks_) {
        sink->AddRef();
        sinks.push_back(static_cast<IDispatch*>(sink));
    }
    for (IDispatch* sink : sinks) {
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
}

void EventPoint::Changed(DISPID dispid) {
    std::vector<IPropertyNotifySink*> sinks;
    for (auto& [cookie, sink] : sinks_) {
        sink->AddRef();
        sinks.push_back(static_cast<IPropertyNotifySink*>(sink));
    }
    for (IPropertyNotifySink* sink : sinks) {
        sink->OnChanged(dispid);
        sink->Release();
    }
}

STDMETHODIMP Connections::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Connections::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (!point) return E_POINTER;
    if (riid == DIID___Perchicon)
        *point = &events_;
    else if (riid == IID_IPropertyNotifySink)
        *point = &changes_;
    else {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    (*point)->AddRef();
    return S_OK;
}

STDMETHODIMP Connections::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    return GetTypeInfoOf(CLSID_Perchicon, false, info);
}

STDMETHODIMP Connections::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID___Perchicon;
    return S_OK;
}

}  // namespace perchicon
