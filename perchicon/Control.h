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

class Control : public _Perchicon,
                public IConnectionPointContainer,
                public IProvideClassInfo2,
                public IOleObject,
                public IOleInPlaceObject,
                public IOleControl,
                public IViewObject2,
                public IPersistStreamInit,
                public IPersistPropertyBag,
                public ISpecifyPropertyPages {
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

    // IOleObject: what a container needs to site the control and activate it in place.
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT position) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* name) override;
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink*, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD) override { return OLE_E_NOCONNECTION; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
    STDMETHODIMP ReactivateAndUndo() override { return INPLACE_E_NOTUNDOABLE; }

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO*) override { return E_NOTIMPL; }
    STDMETHODIMP OnMnemonic(MSG*) override { return E_NOTIMPL; }
    STDMETHODIMP OnAmbientPropertyChange(DISPID) override { return S_OK; }
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject2
    STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDevice, HDC dc,
                      LPCRECTL bounds, LPCRECTL, BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return S_FALSE; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

    // IPersistStreamInit and IPersistPropertyBag: the "Tip" and "Icon" properties.
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    STDMETHODIMP Load(LPSTREAM stream) override;
    STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

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

    void PlaceFace(int left, int top);

    ULONG references_ = 1;
    IOleClientSite* site_ = nullptr;
    IOleInPlaceSite* inPlaceSite_ = nullptr;  // while active in place
    IAdviseSink* viewSink_ = nullptr;
    int frozen_ = 0;  // the host's FreezeEvents: events are not raised meanwhile
    bool dirty_ = false;
    HWND watcher_ = nullptr;  // top-level, so that it hears "TaskbarCreated" while Picture1 is a child
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
