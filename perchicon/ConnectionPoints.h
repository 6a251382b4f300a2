#pragma once

// The control's connection points: its events (__Perchicon, sinks are IDispatch) and its
// property change reports (IPropertyNotifySink), with the container that hands them out.

#include "Perchicon.h"
#include "winbase/Com.h"

#include <windows.h>
#include <ocidl.h>

#include <map>
#include <vector>

namespace perchicon {

class EventPoint : public IConnectionPoint {
  public:
    // `owner` is the control: the point lives and dies with it and shares its count.
    EventPoint(IUnknown& owner, const IID& iid) : owner_(owner), iid_(iid) {}
    EventPoint(const EventPoint&) = delete;
    EventPoint& operator=(const EventPoint&) = delete;

    static const winbase::Interface kInterfaces[];
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        return winbase::Query(this, kInterfaces, riid, ppv);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    // Calls every sink; sinks' failures are theirs. A sink may unadvise while it runs.
    void Fire(DISPID dispid, DISPPARAMS& params);
    void Changed(DISPID dispid);

  private:
    // Each sink, held: a handler may unadvise, or release the control, while it runs.
    std::vector<winbase::ComPtr<IUnknown>> Sinks() const;

    IUnknown& owner_;
    IID iid_;
    std::map<DWORD, winbase::ComPtr<IUnknown>> sinks_;
    DWORD nextCookie_ = 1;
};

// IUnknown is the control's; this part answers which connection points it has.
class Connections : public IConnectionPointContainer, public IProvideClassInfo2 {
  public:
    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  protected:
    Connections() = default;
    virtual ~Connections() = default;

    EventPoint events_{*static_cast<IConnectionPointContainer*>(this), DIID___Perchicon};
    EventPoint changes_{*static_cast<IConnectionPointContainer*>(this), IID_IPropertyNotifySink};
};

}  // namespace perchicon
