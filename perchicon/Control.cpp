#include "Control.h"

#include "Module.h"
#include "TrayRecord.h"
#include "AboutWindows.h"

#include <olectl.h>
#include <windowsx.h>

#include <cwchar>
#include <new>

namespace perchicon {
namespace {

constexpr char kPictureClass[] = "PerchiconPicture1";

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

LRESULT CALLBACK PictureProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* control = reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (control && GuardedMessage([&] { return control->OnMessage(hwnd, msg, wParam, lParam); })) return 0;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND CreatePictureWindow(Control* control, const char* name) {
    RegisterWindowClass(kPictureClass, PictureProc, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
    // Top-level and hidden until a host places it; 33 x 33 pixels is 495 twips at 96 dpi.
    return CreateWindowExA(WS_EX_TOOLWINDOW, kPictureClass, name, WS_POPUP, 0, 0, 33, 33, nullptr, nullptr,
                           ModuleInstance(), control);
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

Control::Control(NotifyCall notify) : notify_(std::move(notify)) {
    ObjectCreated();
    picture_ = CreatePictureWindow(this, "Picture1");
    watcher_ = CreatePictureWindow(this, "Perchicon watcher");
    // An elevated container still hears that Explorer restarted.
    if (watcher_) ChangeWindowMessageFilterEx(watcher_, TaskbarCreatedMessage(), MSGFLT_ALLOW, nullptr);
}

Control::~Control() {
    // The icon never outlives its control.
    Remove(nullptr);
    InPlaceDeactivate();
    for (HWND window : {picture_, watcher_}) {
        if (!window) continue;
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    }
    ObjectDestroyed();
}

HRESULT Control::Create(REFIID riid, void** ppv) {
    return Guarded([&] {
        auto* control = new Control();
        if (!control->picture_) {
            control->Release();
            return HRESULT_FROM_WIN32(ERROR_INVALID_WINDOW_HANDLE);
        }
        const HRESULT hr = control->QueryInterface(riid, ppv);
        control->Release();
        return hr;
    });
}

STDMETHODIMP Control::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Perchicon)
        *ppv = static_cast<_Perchicon*>(this);
    else if (riid == IID_IConnectionPointContainer)
        *ppv = static_cast<IConnectionPointContainer*>(this);
    else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
        *ppv = static_cast<IProvideClassInfo2*>(this);
    else if (riid == IID_IOleObject)
        *ppv = static_cast<IOleObject*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
        *ppv = static_cast<IOleInPlaceObject*>(this);
    else if (riid == IID_IOleControl)
        *ppv = static_cast<IOleControl*>(this);
    else if (riid == IID_IViewObject || riid == IID_IViewObject2)
        *ppv = static_cast<IViewObject2*>(this);
    else if (riid == IID_IPersist || riid == IID_IPersistStreamInit)
        *ppv = static_cast<IPersistStreamInit*>(this);
    else if (riid == IID_IPersistPropertyBag)
        *ppv = static_cast<IPersistPropertyBag*>(this);
    else if (riid == IID_ISpecifyPropertyPages)
        *ppv = static_cast<ISpecifyPropertyPages*>(this);
    else if (riid == IID_ISupportErrorInfo)
        *ppv = static_cast<ISupportErrorInfo*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) Control::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) Control::Release() {
    const ULONG left = --references_;
    if (left == 0) {
        // Held while it goes: the destructor calls out, and a site may AddRef and Release.
        references_ = 1;
        delete this;
    }
    return left;
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
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTypeInfoOf(IID__Perchicon, true, &info);
    if (FAILED(hr)) return Failed(hr, L"GetIDsOfNames");
    hr = DispGetIDsOfNames(info, names, count, ids);
    info->Release();
    return Failed(hr, L"GetIDsOfNames");
}

STDMETHODIMP Control::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argError) {
    if (riid != IID_NULL) return Failed(DISP_E_UNKNOWNINTERFACE, L"Invoke");
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTypeInfoOf(IID__Perchicon, true, &info);
    if (FAILED(hr)) return Failed(hr, L"Invoke");
    hr = DispInvoke(static_cast<_Perchicon*>(this), info, id, flags, params, result, exception, argError);
    info->Release();
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
    if (busy_) return;  // a notification during a handler is dropped, not queued
    struct Busy {
        Control& control;
        explicit Busy(Control& c) : control(c) {
            control.busy_ = true;
            control.AddRef();  // a handler may release the control
        }
        ~Busy() {
            control.busy_ = false;
            control.Release();
        }
    } busy(*this);
    const short shift = ShiftState(mouseKeys);
    struct Click {
        int message;
        DISPID event, paired;
        LONG button;
    };
    static const Click kClicks[] = {
        {WM_LBUTTONUP, 1, 9, 1},   {WM_LBUTTONDBLCLK, 4, 10, 1}, {WM_RBUTTONUP, 2, 9, 2},
        {WM_RBUTTONDBLCLK, 5, 10, 2}, {WM_MBUTTONUP, 3, 9, 4},    {WM_MBUTTONDBLCLK, 6, 10, 4},
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

bool Control::OnMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd == watcher_) {
        // Explorer restarted and forgot every icon: show ours again. The watcher alone
        // answers, or Picture1, top-level while not active in place, would add it twice.
        if (msg != TaskbarCreatedMessage()) return false;
        if (shown_) Add(nullptr);
        return true;
    }
    if (hwnd != picture_) return false;
    switch (msg) {
        case WM_MOUSEMOVE: OnPictureMouseMove(GET_X_LPARAM(lParam), wParam); return true;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client;
            GetClientRect(hwnd, &client);
            PaintFace(dc, client);
            EndPaint(hwnd, &ps);
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
