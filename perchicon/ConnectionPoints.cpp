#include "ConnectionPoints.h"

#include "Module.h"

#include <olectl.h>

#include <algorithm>
#include <vector>

namespace perchicon {
namespace {

void Hold(IConnectionPoint* point) { point->AddRef(); }
void Drop(IConnectionPoint* point) { point->Release(); }
void Hold(const CONNECTDATA& connection) { connection.pUnk->AddRef(); }
void Drop(const CONNECTDATA& connection) { connection.pUnk->Release(); }

// A snapshot of connection points or connections, each held until the enumerator goes.
template <typename Enum, typename Item>
class Enumerator : public Enum {
public:
    Enumerator(const std::vector<Item>& items, std::size_t at) : items_(items), at_(at) {
        for (const Item& item : items_) Hold(item);
    }
    virtual ~Enumerator() {
        for (const Item& item : items_) Drop(item);
    }
    Enumerator(const Enumerator&) = delete;
    Enumerator& operator=(const Enumerator&) = delete;

    static HRESULT Create(const std::vector<Item>& items, std::size_t at, Enum** result) {
        if (!result) return E_POINTER;
        *result = nullptr;
        return Guarded([&] {
            *result = new Enumerator(items, at);
            return S_OK;
        });
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == __uuidof(Enum)) {
            *ppv = static_cast<Enum*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && at_ < items_.size(); ++n, ++at_) {
            out[n] = items_[at_];
            Hold(out[n]);
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const std::size_t left = items_.size() - at_;
        at_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        at_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Enum** copy) override { return Create(items_, at_, copy); }

private:
    ULONG references_ = 1;
    std::vector<Item> items_;
    std::size_t at_;
};

}  // namespace

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
    std::vector<CONNECTDATA> items;
    HRESULT hr = Guarded([&] {
        for (auto& [cookie, sink] : sinks_) items.push_back({sink, cookie});
        return S_OK;
    });
    return SUCCEEDED(hr) ? Enumerator<IEnumConnections, CONNECTDATA>::Create(items, 0, connections) : hr;
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
    return Guarded([&] {
        const std::vector<IConnectionPoint*> items = {&events_, &changes_};
        return Enumerator<IEnumConnectionPoints, IConnectionPoint*>::Create(items, 0, points);
    });
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
