#pragma once

// A small container for one ActiveX control: creates it by ProgID, sites it and activates it
// in place inside a window, routes its events to a callback, and calls it late-bound by
// dispatch id. The main window holds the tray icon control through it.

#include "winbase/Com.h"

#include <windows.h>
#include <ole2.h>
#include <ocidl.h>

#include <functional>

namespace zarvik {

class ControlHost : public IOleClientSite, public IOleInPlaceSite, public IDispatch {
  public:
    // Called with each event the control raises: its dispatch id and arguments.
    using EventHandler = std::function<void(DISPID event, DISPPARAMS* args)>;

    // Creates the control and activates it in place in `parent` at `rect` (pixels; it may lie
    // where it is not seen). The host is returned with one reference; Destroy, then Release.
    static HRESULT Create(const wchar_t* progId, HWND parent, const RECT& rect, EventHandler onEvent,
                          ControlHost** host);

    // Disconnects the events, closes the control (a shown icon goes with it) and lets it go.
    void Destroy();

    IDispatch* Control() const { return control_.get(); }
    const RECT& Rect() const { return rect_; }

    HRESULT Put(DISPID id, const VARIANT& value);
    HRESULT Get(DISPID id, VARIANT* value);
    HRESULT Call(DISPID id);

    // IUnknown: winbase::Com answers it from kInterfaces. Named here (pure) only so that a
    // ControlHost* (or a ComPtr<ControlHost>) has one IUnknown, not one per interface.
    static const winbase::Interface kInterfaces[];
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override = 0;
    STDMETHODIMP_(ULONG) AddRef() override = 0;
    STDMETHODIMP_(ULONG) Release() override = 0;

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO info) override;
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

    // IDispatch: the container's ambient properties, which a control reads through its site.
    // Only UserMode (true: the program runs) is supplied; the control uses its defaults for the rest.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override;

  protected:
    ControlHost(HWND parent, const RECT& rect, EventHandler onEvent);
    virtual ~ControlHost();

  private:
    // The control's events arrive here: an object of its own, answering for the event
    // interface's id as well as IDispatch, and sharing the host's count.
    class EventSink : public IDispatch {
      public:
        explicit EventSink(ControlHost& host) : host_(host) {}
        static const winbase::Interface kInterfaces[];
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override { return host_.AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return host_.Release(); }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override { return host_.GetTypeInfoCount(count); }
        STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
        STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
        STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                            UINT*) override;

      private:
        ControlHost& host_;
    };

    HWND parent_;
    RECT rect_;
    EventHandler onEvent_;
    winbase::ComPtr<IDispatch> control_;
    winbase::ComPtr<IConnectionPoint> events_;
    DWORD cookie_ = 0;
    IID eventsIid_ = GUID_NULL;
    EventSink sink_{*this};
};

}  // namespace zarvik
