#pragma once

// The Perchicon control: one icon in the notification area, the mouse on it reported as
// events. Apartment-threaded; everything runs on the thread that created it.

#include "Perchicon.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <map>
#include <string>

namespace perchicon {

// The shell's notification call; tests put a recorder in its place.
using NotifyCall = std::function<BOOL(DWORD message, NOTIFYICONDATAA* record)>;

class Control;

// A connection point of the control: its events (__Perchicon, sinks are IDispatch) or its
// property change reports (IPropertyNotifySink).
class EventPoint : public IConnectionPoint {
public:
    EventPoint(Control& owner, const IID& iid) : owner_(owner), iid_(iid) {}
    ~EventPoint();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    // Calls every sink; sinks' failures are theirs. A sink may unadvise while it runs.
    void Fire(DISPID dispid, DISPPARAMS& params);
    void Changed(DISPID dispid);

private:
    Control& owner_;
    IID iid_;
    std::map<DWORD, IUnknown*> sinks_;
    DWORD nextCookie_ = 1;
};

class Control : public _Perchicon, public IConnectionPointContainer, public IProvideClassInfo2 {
public:
    explicit Control(NotifyCall notify = Shell_NotifyIconA);
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    static HRESULT Create(REFIID riid, void** ppv);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, from the type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

    // _Perchicon
    STDMETHODIMP get_About(BSTR* about) override;
    STDMETHODIMP put_About(BSTR about) override;
    STDMETHODIMP Add(VARIANT* result) override;
    STDMETHODIMP Remove(VARIANT* result) override;
    STDMETHODIMP get_Tip(BSTR* tip) override;
    STDMETHODIMP put_Tip(BSTR newTip) override;
    STDMETHODIMP get_Icon(LONG* icon) override;
    STDMETHODIMP put_Icon(LONG newIcon) override;
    STDMETHODIMP ShowAbout(VARIANT* result) override;

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    HWND Picture1() const { return picture_; }

    // A notification as Picture1 receives it: the shell's mouse message stands where the
    // pointer's horizontal position would. Public for the window procedure.
    void OnPictureMouseMove(int x, WPARAM mouseKeys);
    void OnTaskbarCreated();

private:
    virtual ~Control();

    void Send(DWORD message, NOTIFYICONDATAA record) const;
    void PropertyChanged(DISPID id);
    void Raise(DISPID event);
    void RaiseWithButton(DISPID event, LONG button, short shift);

    ULONG references_ = 1;
    NotifyCall notify_;
    std::wstring tip_ = L"0";
    LONG icon_ = 0;
    std::wstring about_;
    bool busy_ = false;   // raising the events of one notification
    bool shown_ = false;  // added and not removed: to add again when Explorer restarts
    HWND picture_ = nullptr;
    EventPoint events_{*this, DIID___Perchicon};
    EventPoint changes_{*this, IID_IPropertyNotifySink};
};

}  // namespace perchicon
