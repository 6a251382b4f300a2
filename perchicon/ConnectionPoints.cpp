#include "ConnectionPoints.h"

#include "Module.h"

#include <olectl.h>

#include <algorithm>
#include <vector>

namespace perchicon {
namespace {

IUnknown* Unknown(IConnectionPoint* point) { return point; }
IUnknown* Unknown(const CONNECTDATA& connection) { return connection.pUnk; }

// A snapshot of connection points or connections, each held until the enumerator goes.
template <typename Enum, typename Item>
class Enumerator : public Enum {
  public:
    static inline const winbase::Interface kInterfaces[] = {
        winbase::Row<Enumerator, Enum>(IID_IUnknown), winbase::Row<Enumerator, Enum>(__uuidof(Enum)), {}};

    static HRESULT Create(const std::vector<Item>& items, std::size_t at, Enum** result) {
        if (!result) return E_POINTER;
        *result = nullptr;
        return Guarded([&] {
            *result = winbase::Make<Enumerator>(items, at).Detach();
            return *result ? S_OK : E_OUTOFMEMORY;
        });
    }
    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && at_ < items_.size(); ++n, ++at_) {
            out[n] = items_[at_];
            Unknown(out[n])->AddRef();
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

  protected:
    Enumerator(const std::vector<Item>& items, std::size_t at) : items_(items), at_(at) {
        for (const Item& item : items_) held_.emplace_back(Unknown(item));
    }
    virtual ~Enumerator() = default;

  private:
    std::vector<Item> items_;
    std::vector<winbase::ComPtr<IUnknown>> held_;  // every item, until the enumerator goes
    std::size_t at_;
};

}  // namespace

const winbase::Interface EventPoint::kInterfaces[] = {winbase::Row<EventPoint, IConnectionPoint>(IID_IUnknown),
                                                      winbase::Row<EventPoint, IConnectionPoint>(IID_IConnectionPoint),
                                                      {}};

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
    winbase::ComPtr<IUnknown> typed;
    HRESULT hr = sink->QueryInterface(iid_, typed.put_void());
    if (FAILED(hr) && iid_ == DIID___Perchicon) hr = sink->QueryInterface(IID_IDispatch, typed.put_void());
    if (FAILED(hr)) return CONNECT_E_CANNOTCONNECT;
    return Guarded([&] {
        sinks_[nextCookie_] = std::move(typed);
        *cookie = nextCookie_++;
        return S_OK;
    });
}

STDMETHODIMP EventPoint::Unadvise(DWORD cookie) {
    auto it = sinks_.find(cookie);
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    const winbase::ComPtr<IUnknown> sink = std::move(it->second);  // let go once it is out of the list
    sinks_.erase(it);
    return S_OK;
}

STDMETHODIMP EventPoint::EnumConnections(IEnumConnections** connections) {
    std::vector<CONNECTDATA> items;
    HRESULT hr = Guarded([&] {
        for (auto& [cookie, sink] : sinks_) items.push_back({sink.get(), cookie});
        return S_OK;
    });
    return SUCCEEDED(hr) ? Enumerator<IEnumConnections, CONNECTDATA>::Create(items, 0, connections) : hr;
}

std::vector<winbase::ComPtr<IUnknown>> EventPoint::Sinks() const {
    std::vector<winbase::ComPtr<IUnknown>> sinks;
    for (const auto& [cookie, sink] : sinks_) sinks.push_back(sink);
    return sinks;
}

void EventPoint::Fire(DISPID dispid, DISPPARAMS& params) {
    for (const auto& sink : Sinks())
        static_cast<IDispatch*>(sink.get())
            ->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
}

void EventPoint::Changed(DISPID dispid) {
    for (const auto& sink : Sinks()) static_cast<IPropertyNotifySink*>(sink.get())->OnChanged(dispid);
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
