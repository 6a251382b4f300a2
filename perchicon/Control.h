#pragma once

// The Perchicon control: one icon in the notification area, the mouse on it reported as
// events. Apartment-threaded; everything runs on the thread that created it. This part holds
// the control's identity, its automation members and the icon's record; the container's
// interfaces are in Embedding, the saved state in Persistence, the events in ConnectionPoints.

#include "ConnectionPoints.h"
#include "Embedding.h"
#include "Module.h"
#include "Perchicon.h"
#include "Persistence.h"
#include "winbase/Com.h"
#include "winbase/Window.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace perchicon {

// The shell's notification call; tests put a recorder in its place.
using NotifyCall = std::function<BOOL(DWORD message, NOTIFYICONDATAA* record)>;

class Control;

// Picture1 and the watcher, windows of one class whose messages the control handles.
class Picture : public winbase::Window<Picture> {
  public:
    static constexpr const char* kClassName = kPictureClass;
    static void Describe(WNDCLASSEXA& wc) { wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)); }
    Picture(Control& control, const char* name);
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    Control& control_;
};

class Control : public _Perchicon, public ISupportErrorInfo, public Connections, public Embedding, public Persistence {
  public:
    static const winbase::Interface kInterfaces[];
    static HRESULT Create(REFIID riid, void** ppv);

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

    // ISupportErrorInfo: a failed member leaves a message for the caller.
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    HWND Picture1() const { return picture_; }

    // The messages of Picture1 and of the watcher; true when handled.
    bool OnMessage(const Picture& window, UINT msg, WPARAM wParam, LPARAM lParam);

  protected:
    explicit Control(NotifyCall notify = Shell_NotifyIconA);
    virtual ~Control();
    // The icon never outlives its control; told of the deactivation, a site may AddRef and
    // Release it.
    void Closing();

  private:
    // A notification as Picture1 receives it: the shell's mouse message stands where the
    // pointer's horizontal position would.
    void OnPictureMouseMove(int x, WPARAM mouseKeys);

    void RemoveIcon() override { Remove(nullptr); }
    void Send(DWORD message, NOTIFYICONDATAA record) const;
    void PropertyChanged(DISPID id);
    void Raise(DISPID event);
    void RaiseWithButton(DISPID event, LONG button, short shift);

    NotifyCall notify_;
    std::wstring about_;
    bool busy_ = false;   // raising the events of one notification
    bool shown_ = false;  // added and not removed: to add again when Explorer restarts
    Picture face_{*this, "Picture1"};
    // Top-level, so that it hears "TaskbarCreated" while Picture1 is a child.
    Picture watcher_{*this, "Perchicon watcher"};
};

}  // namespace perchicon
