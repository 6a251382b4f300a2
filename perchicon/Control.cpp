#include "Control.h"

#include "AboutBox.h"
#include "TrayRecord.h"

#include <olectl.h>
#include <windowsx.h>

#include <cwchar>
#include <new>

namespace perchicon {
namespace {

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// A failed call with a message for the script host or form that made it: the member, and
// what the system says of the failure. Without memory for the message, none at all, rather
// than an older failure's.
HRESULT Failed(HRESULT hr, const wchar_t* member) noexcept {
    if (SUCCEEDED(hr)) return hr;
    try {
        std::wstring text = std::wstring(L"Perchicon ") + member + L": ";
        wchar_t* system = nullptr;
        if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&system), 0, nullptr)) {
            text += system;
            LocalFree(system);
        } else {
            wchar_t code[24];
            swprintf(code, 24, L"error 0x%08lX", static_cast<unsigned long>(hr));
            text += code;
        }
        while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
        SetErrorText(text.c_str());
    } catch (const std::bad_alloc&) {
        SetErrorInfo(0, nullptr);
    }
    return hr;
}

void SetEmpty(VARIANT* result) {
    if (result) VariantInit(result);
}

}  // namespace

using winbase::Row;
const winbase::Interface Control::kInterfaces[] = {
    Row<Control, _Perchicon>(IID_IUnknown),
    Row<Control, _Perchicon>(IID_IDispatch),
    Row<Control, _Perchicon>(IID__Perchicon),
    Row<Control, IConnectionPointContainer>(IID_IConnectionPointContainer),
    Row<Control, IProvideClassInfo2>(IID_IProvideClassInfo),
    Row<Control, IProvideClassInfo2>(IID_IProvideClassInfo2),
    Row<Control, IOleObject>(IID_IOleObject),
    Row<Control, IOleInPlaceObject>(IID_IOleWindow),
    Row<Control, IOleInPlaceObject>(IID_IOleInPlaceObject),
    Row<Control, IOleControl>(IID_IOleControl),
    Row<Control, IViewObject2>(IID_IViewObject),
    Row<Control, IViewObject2>(IID_IViewObject2),
    Row<Control, IPersistStreamInit>(IID_IPersist),
    Row<Control, IPersistStreamInit>(IID_IPersistStreamInit),
    Row<Control, IPersistPropertyBag>(IID_IPersistPropertyBag),
    Row<Control, ISpecifyPropertyPages>(IID_ISpecifyPropertyPages),
    Row<Control, ISupportErrorInfo>(IID_ISupportErrorInfo),
    {}};

Picture::Picture(Control& control, const char* name) : control_(control) {
    // Top-level and hidden until a host places it; 33 x 33 pixels is 495 twips at 96 dpi.
    Create(WS_EX_TOOLWINDOW, name, WS_POPUP, 0, 0, 33, 33, nullptr);
}

LRESULT Picture::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return control_.OnMessage(*this, msg, wParam, lParam) ? 0 : Default(msg, wParam, lParam);
}

Control::Control(NotifyCall notify) : notify_(std::move(notify)) {
    ObjectCreated();
    picture_ = face_.hwnd();
    // An elevated container still hears that Explorer restarted.
    if (HWND watcher = watcher_.hwnd())
        ChangeWindowMessageFilterEx(watcher, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
}

void Control::Closing() {
    Remove(nullptr);
    InPlaceDeactivate();
}

Control::~Control() { ObjectDestroyed(); }

HRESULT Control::Create(REFIID riid, void** ppv) {
    return Guarded([&] {
        const auto control = winbase::Make<Control>();
        if (!control) return E_OUTOFMEMORY;
        if (!control->Picture1()) return HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
        return control->QueryInterface(riid, ppv);
    });
}

STDMETHODIMP Control::GetTypeInfoCount(UINT* count) {
    if (!count) return Failed(E_POINTER, L"GetTypeInfoCount");
    *count = 1;
    return S_OK;
}

STDMETHODIMP Control::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return Failed(E_POINTER, L"GetTypeInfo");
    *info = nullptr;
    if (index != 0) return Failed(DISP_E_BADINDEX, L"GetTypeInfo");
    return Failed(GetTypeInfoOf(IID__Perchicon, false, info), L"GetTypeInfo");
}

STDMETHODIMP Control::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return Failed(DISP_E_UNKNOWNINTERFACE, L"GetIDsOfNames");
    winbase::ComPtr<ITypeInfo> info;
    const HRESULT hr = GetTypeInfoOf(IID__Perchicon, true, info.put());
    if (FAILED(hr)) return Failed(hr, L"GetIDsOfNames");
    return Failed(DispGetIDsOfNames(info.get(), names, count, ids), L"GetIDsOfNames");
}

STDMETHODIMP Control::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argError) {
    if (riid != IID_NULL) return Failed(DISP_E_UNKNOWNINTERFACE, L"Invoke");
    winbase::ComPtr<ITypeInfo> info;
    HRESULT hr = GetTypeInfoOf(IID__Perchicon, true, info.put());
    if (FAILED(hr)) return Failed(hr, L"Invoke");
    hr = DispInvoke(static_cast<_Perchicon*>(this), info.get(), id, flags, params, result, exception, argError);
    // A member that failed has told its own failure, which the exception carries.
    return hr == DISP_E_EXCEPTION ? hr : Failed(hr, L"Invoke");
}

STDMETHODIMP Control::get_About(BSTR* about) {
    if (!about) return Failed(E_POINTER, L"About");
    *about = SysAllocStringLen(about_.data(), static_cast<UINT>(about_.size()));
    return Failed(*about ? S_OK : E_OUTOFMEMORY, L"About");
}

STDMETHODIMP Control::put_About(BSTR about) {
    return Failed(Guarded([&] {
                      about_.assign(about ? about : L"", about ? SysStringLen(about) : 0);
                      return S_OK;
                  }),
                  L"About");
}

STDMETHODIMP Control::Add(VARIANT* result) {
    SetEmpty(result);
    return Failed(Guarded([&] {
                      Send(NIM_ADD, FullRecord(picture_, reinterpret_cast<HICON>(static_cast<LONG_PTR>(icon_)), tip_));
                      shown_ = picture_ != nullptr;
                      return S_OK;
                  }),
                  L"Add");
}

STDMETHODIMP Control::Remove(VARIANT* result) {
    SetEmpty(result);
    Send(NIM_DELETE, DeleteRecord(picture_));
    shown_ = false;
    return S_OK;
}

STDMETHODIMP Control::get_Tip(BSTR* tip) {
    if (!tip) return Failed(E_POINTER, L"Tip");
    *tip = SysAllocStringLen(tip_.data(), static_cast<UINT>(tip_.size()));
    return Failed(*tip ? S_OK : E_OUTOFMEMORY, L"Tip");
}

STDMETHODIMP Control::put_Tip(BSTR newTip) {
    return Failed(Guarded([&] {
                      tip_.assign(newTip ? newTip : L"", newTip ? SysStringLen(newTip) : 0);
                      dirty_ = true;
                      PropertyChanged(0x68030001);
                      Send(NIM_MODIFY,
                           FullRecord(picture_, reinterpret_cast<HICON>(static_cast<LONG_PTR>(icon_)), tip_));
                      return S_OK;
                  }),
                  L"Tip");
}

STDMETHODIMP Control::get_Icon(LONG* icon) {
    if (!icon) return Failed(E_POINTER, L"Icon");
    *icon = icon_;
    return S_OK;
}

STDMETHODIMP Control::put_Icon(LONG newIcon) {
    return Failed(Guarded([&] {
                      icon_ = newIcon;
                      dirty_ = true;
                      PropertyChanged(0x68030000);
                      Send(NIM_MODIFY,
                           FullRecord(picture_, reinterpret_cast<HICON>(static_cast<LONG_PTR>(icon_)), tip_));
                      return S_OK;
                  }),
                  L"Icon");
}

STDMETHODIMP Control::ShowAbout(VARIANT* result) {
    SetEmpty(result);
    return Failed(Guarded([&] {
                      HWND host = picture_ ? GetAncestor(picture_, GA_ROOT) : nullptr;
                      return ShowAboutBox(host && host != picture_ ? host : nullptr);
                  }),
                  L"ShowAbout");
}

void Control::Send(DWORD message, NOTIFYICONDATAA record) const {
    // The shell's answer is not looked at: a refused request leaves no trace. Without
    // Picture1 (gone with its container's window) there is no icon to ask about.
    if (notify_ && record.hWnd) notify_(message, &record);
}

void Control::PropertyChanged(DISPID id) { changes_.Changed(id); }

void Control::Raise(DISPID event) {
    if (frozen_ > 0) return;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    events_.Fire(event, none);
}

void Control::RaiseWithButton(DISPID event, LONG button, short shift) {
    if (frozen_ > 0) return;
    // By reference to copies: what a handler does to them has no effect here.
    VARIANT args[2];
    args[1].vt = VT_I4 | VT_BYREF;
    args[1].plVal = &button;
    args[0].vt = VT_I2 | VT_BYREF;
    args[0].piVal = &shift;
    DISPPARAMS params = {args, nullptr, 2, 0};
    events_.Fire(event, params);
}

void Control::OnPictureMouseMove(int x, WPARAM mouseKeys) {
    if (busy_) return;                             // a notification during a handler is dropped, not queued
    const winbase::ComPtr<_Perchicon> held(this);  // a handler may release the control
    busy_ = true;
    struct Busy {
        bool& busy;
        ~Busy() { busy = false; }
    } busy{busy_};
    const short shift = ShiftState(mouseKeys);
    struct Click {
        int message;
        DISPID event, paired;
        LONG button;
    };
    static const Click kClicks[] = {
        {WM_LBUTTONUP, 1, 9, 1},      {WM_LBUTTONDBLCLK, 4, 10, 1}, {WM_RBUTTONUP, 2, 9, 2},
        {WM_RBUTTONDBLCLK, 5, 10, 2}, {WM_MBUTTONUP, 3, 9, 4},      {WM_MBUTTONDBLCLK, 6, 10, 4},
    };
    const Click* click = nullptr;
    for (const Click& c : kClicks)
        if (c.message == x) click = &c;
    if (click) {
        Raise(click->event);
        RaiseWithButton(click->paired, click->button, shift);
    } else {
        Raise(7);  // MouseMove: plain movement, button presses, anything else
    }
}

bool Control::OnMessage(const Picture& window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (&window == &watcher_) {
        // Explorer restarted and forgot every icon: show ours again. The watcher alone
        // answers, or Picture1, top-level while not active in place, would add it twice.
        if (msg != TaskbarCreatedMessage()) return false;
        if (shown_) Add(nullptr);
        return true;
    }
    if (window.hwnd() != picture_) return false;
    switch (msg) {
        case WM_MOUSEMOVE: OnPictureMouseMove(GET_X_LPARAM(lParam), wParam); return true;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(picture_, &ps);
            RECT client;
            GetClientRect(picture_, &client);
            PaintFace(dc, client);
            EndPaint(picture_, &ps);
            return true;
        }
        case WM_DESTROY:
            // The container's window went before Close and took Picture1 with it: no ghost
            // icon, and no later call on a handle that may be someone else's by then.
            Remove(nullptr);
            picture_ = nullptr;
            return false;
        default: return false;
    }
}

STDMETHODIMP Control::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID__Perchicon || riid == IID_IDispatch ? S_OK : S_FALSE;
}

}  // namespace perchicon
