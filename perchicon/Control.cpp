#include "Control.h"

#include "Module.h"
#include "PerchiconVersion.h"
#include "TrayRecord.h"
#include "AboutWindows.h"

#include <olectl.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

namespace perchicon {
namespace {

constexpr char kPictureClass[] = "PerchiconPicture1";

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

// The face: light grey with the small built-in picture at its top left.
void PaintFace(HDC dc, const RECT& area) {
    HBRUSH grey = CreateSolidBrush(RGB(192, 192, 192));
    FillRect(dc, &area, grey);
    DeleteObject(grey);
    HBITMAP picture = static_cast<HBITMAP>(LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(2), IMAGE_BITMAP, 0, 0, 0));
    if (!picture) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture);
    BitBlt(dc, area.left, area.top, std::min<LONG>(47, area.right - area.left),
           std::min<LONG>(34, area.bottom - area.top), source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(picture);
}

LRESULT CALLBACK PictureProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* control = reinterpret_cast<Control*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (control) {
        if (msg == WM_MOUSEMOVE) {
            control->OnPictureMouseMove(GET_X_LPARAM(lParam), wParam);
            return 0;
        }
        if (msg == TaskbarCreatedMessage()) {
            control->OnTaskbarCreated();
            return 0;
        }
        if (msg == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT client;
            GetClientRect(hwnd, &client);
            PaintFace(dc, client);
            EndPaint(hwnd, &ps);
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void RegisterPictureClass() {
    static const bool registered = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PictureProc;
        wc.hInstance = ModuleInstance();
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = CreateSolidBrush(RGB(192, 192, 192));
        wc.lpszClassName = kPictureClass;
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
}

HWND CreatePictureWindow(Control* control) {
    RegisterPictureClass();
    // Top-level and hidden until a host places it; 33 x 33 pixels is 495 twips at 96 dpi.
    return CreateWindowExA(WS_EX_TOOLWINDOW, kPictureClass, "Picture1", WS_POPUP, 0, 0, 33, 33, nullptr, nullptr,
                           ModuleInstance(), control);
}

void SetEmpty(VARIANT* result) {
    if (result) VariantInit(result);
}

}  // namespace

// --- EventPoint ---

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

// --- Control ---

Control::Control(NotifyCall notify) : notify_(std::move(notify)) {
    ObjectCreated();
    picture_ = CreatePictureWindow(this);
    watcher_ = CreatePictureWindow(this);
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
    if (site_) site_->Release();
    if (viewSink_) viewSink_->Release();
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
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP Control::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP Control::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return GetTypeInfoOf(IID__Perchicon, false, info);
}

STDMETHODIMP Control::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTypeInfoOf(IID__Perchicon, true, &info);
    if (FAILED(hr)) return hr;
    hr = DispGetIDsOfNames(info, names, count, ids);
    info->Release();
    return hr;
}

STDMETHODIMP Control::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO* exception, UINT* argError) {
    ITypeInfo* info = nullptr;
    HRESULT hr = GetTypeInfoOf(IID__Perchicon, true, &info);
    if (FAILED(hr)) return hr;
    hr = DispInvoke(static_cast<_Perchicon*>(this), info, id, flags, params, result, exception, argError);
    info->Release();
    return hr;
}

STDMETHODIMP Control::get_About(BSTR* about) {
    if (!about) return E_POINTER;
    *about = SysAllocStringLen(about_.data(), static_cast<UINT>(about_.size()));
    return *about ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP Control::put_About(BSTR about) {
    return Guarded([&] {
        about_.assign(about ? about : L"", about ? SysStringLen(about) : 0);
        return S_OK;
    });
}

STDMETHODIMP Control::Add(VARIANT* result) {
    SetEmpty(result);
    return Guarded([&] {
        Send(NIM_ADD, FullRecord(picture_, reinterpret_cast<HICON>(static_cast<LONG_PTR>(icon_)), tip_));
        shown_ = true;
        return S_OK;
    });
}

STDMETHODIMP Control::Remove(VARIANT* result) {
    SetEmpty(result);
    Send(NIM_DELETE, DeleteRecord(picture_));
    shown_ = false;
    return S_OK;
}

STDMETHODIMP Control::get_Tip(BSTR* tip) {
    if (!tip) return E_POINTER;
    *tip = SysAllocStringLen(tip_.data(), static_cast<UINT>(tip_.size()));
    return *tip ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP Control::put_Tip(BSTR newTip) {
    return Guarded([&] {
        tip_.assign(newTip ? newTip : L"", newTip ? SysStringLen(newTip) : 0);
        dirty_ = true;
        PropertyChanged(0x68030001);
        Send(NIM_MODIFY, FullRecord(picture_, reinterpret_cast<HICON>(static_cast<LONG_PTR>(icon_)), tip_));
        return S_OK;
    });
}

STDMETHODIMP Control::get_Icon(LONG* icon) {
    if (!icon) return E_POINTER;
    *icon = icon_;
    return S_OK;
}

STDMETHODIMP Control::put_Icon(LONG newIcon) {
    return Guarded([&] {
        icon_ = newIcon;
        dirty_ = true;
        PropertyChanged(0x68030000);
        Send(NIM_MODIFY, FullRecord(picture_, reinterpret_cast<HICON>(static_cast<LONG_PTR>(icon_)), tip_));
        return S_OK;
    });
}

STDMETHODIMP Control::ShowAbout(VARIANT* result) {
    SetEmpty(result);
    return Guarded([&] {
        HWND host = GetAncestor(picture_, GA_ROOT);
        ShowAboutBox(host && host != picture_ ? host : nullptr);
        return S_OK;
    });
}

STDMETHODIMP Control::EnumConnectionPoints(IEnumConnectionPoints** points) {
    if (points) *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Control::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
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

STDMETHODIMP Control::GetClassInfo(ITypeInfo** info) {
    if (!info) return E_POINTER;
    return GetTypeInfoOf(CLSID_Perchicon, false, info);
}

STDMETHODIMP Control::GetGUID(DWORD kind, GUID* guid) {
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID___Perchicon;
    return S_OK;
}

void Control::Send(DWORD message, NOTIFYICONDATAA record) const {
    // The shell's answer is not looked at: a refused request leaves no trace.
    if (notify_) notify_(message, &record);
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
    busy_ = true;
    AddRef();  // a handler may release the control
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
    busy_ = false;
    Release();
}

void Control::OnTaskbarCreated() {
    // Explorer restarted and forgot every icon: show ours again.
    if (shown_) Add(nullptr);
}

// --- Hosting: siting, in-place activation, drawing, persistence ---

namespace {

// The face is 495 twips square; the control is one twip larger each way, whatever it is asked.
constexpr int kFaceTwips = 495;
constexpr int kControlTwips = kFaceTwips + 1;
constexpr DWORD kMiscStatus = 132497;
constexpr DWORD kStreamMagic = 0x31484350;  // "PCH1"

SIZEL ControlExtent() {
    const LONG himetric = MulDiv(kControlTwips, 2540, 1440);
    return {himetric, himetric};
}

int FacePixels() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(kFaceTwips, dpi > 0 ? dpi : 96, 1440);
}

}  // namespace

void Control::PlaceFace(int left, int top) {
    const int size = FacePixels();
    SetWindowPos(picture_, nullptr, left, top, size, size, SWP_NOZORDER | SWP_NOACTIVATE);
}

STDMETHODIMP Control::SetClientSite(IOleClientSite* site) {
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
}

STDMETHODIMP Control::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
}

STDMETHODIMP Control::Close(DWORD) {
    // The container is done with the control: its icon goes with it.
    InPlaceDeactivate();
    Remove(nullptr);
    return S_OK;
}

STDMETHODIMP Control::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Control::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Control::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE: break;
        case OLEIVERB_HIDE:
            ShowWindow(picture_, SW_HIDE);
            return S_OK;
        default: return OLEOBJ_S_INVALIDVERB;
    }
    if (inPlaceSite_) return S_OK;
    IOleClientSite* useSite = site ? site : site_;
    if (!useSite) return E_UNEXPECTED;
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(useSite->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace)))) return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) {
        inPlace->Release();
        return E_FAIL;
    }
    inPlace->OnInPlaceActivate();
    HWND parent = nullptr;
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* document = nullptr;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    HRESULT hr = inPlace->GetWindow(&parent);
    if (SUCCEEDED(hr)) hr = inPlace->GetWindowContext(&frame, &document, &position, &clip, &info);
    if (frame) frame->Release();
    if (document) document->Release();
    if (FAILED(hr) || !parent) {
        inPlace->OnInPlaceDeactivate();
        inPlace->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }
    inPlaceSite_ = inPlace;
    SetWindowLongPtrA(picture_, GWL_EXSTYLE, 0);
    SetWindowLongPtrA(picture_, GWL_STYLE, WS_CHILD | WS_CLIPSIBLINGS);
    SetParent(picture_, parent);
    PlaceFace(position.left, position.top);
    ShowWindow(picture_, SW_SHOWNA);
    const int size = FacePixels();
    if (position.right - position.left != size || position.bottom - position.top != size) {
        RECT actual = {position.left, position.top, position.left + size, position.top + size};
        inPlace->OnPosRectChange(&actual);
    }
    return S_OK;
}

STDMETHODIMP Control::EnumVerbs(IEnumOLEVERB** verbs) { return OleRegEnumVerbs(CLSID_Perchicon, verbs); }

STDMETHODIMP Control::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Perchicon;
    return S_OK;
}

STDMETHODIMP Control::GetUserType(DWORD form, LPOLESTR* name) { return OleRegGetUserType(CLSID_Perchicon, form, name); }

STDMETHODIMP Control::SetExtent(DWORD aspect, SIZEL*) {
    // Any size asked for becomes the face's size plus one twip again.
    return aspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
}

STDMETHODIMP Control::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = ControlExtent();
    return S_OK;
}

STDMETHODIMP Control::Advise(IAdviseSink*, DWORD* connection) {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP Control::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise) *advise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP Control::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

STDMETHODIMP Control::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = picture_;
    return inPlaceSite_ ? S_OK : E_FAIL;
}

STDMETHODIMP Control::InPlaceDeactivate() {
    if (!inPlaceSite_) return S_OK;
    ShowWindow(picture_, SW_HIDE);
    SetParent(picture_, nullptr);
    SetWindowLongPtrA(picture_, GWL_STYLE, WS_POPUP);
    SetWindowLongPtrA(picture_, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    IOleInPlaceSite* site = inPlaceSite_;
    inPlaceSite_ = nullptr;
    site->OnInPlaceDeactivate();
    site->Release();
    return S_OK;
}

STDMETHODIMP Control::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    PlaceFace(position->left, position->top);
    return S_OK;
}

STDMETHODIMP Control::FreezeEvents(BOOL freeze) {
    frozen_ += freeze ? 1 : (frozen_ > 0 ? -1 : 0);
    return S_OK;
}

STDMETHODIMP Control::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                           BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    RECT area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    PaintFace(dc, area);
    return S_OK;
}

STDMETHODIMP Control::SetAdvise(DWORD, DWORD, IAdviseSink* sink) {
    if (sink) sink->AddRef();
    if (viewSink_) viewSink_->Release();
    viewSink_ = sink;
    return S_OK;
}

STDMETHODIMP Control::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = DVASPECT_CONTENT;
    if (flags) *flags = 0;
    if (sink) {
        *sink = viewSink_;
        if (viewSink_) viewSink_->AddRef();
    }
    return S_OK;
}

STDMETHODIMP Control::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) { return GetExtent(aspect, size); }

STDMETHODIMP Control::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Perchicon;
    return S_OK;
}

STDMETHODIMP Control::InitNew() {
    tip_ = L"0";
    icon_ = 0;
    dirty_ = false;
    return S_OK;
}

// Loading assigns the fields directly and sends nothing to the shell.
STDMETHODIMP Control::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    return Guarded([&] {
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        HRESULT hr = bag->Read(L"Tip", &value, log);
        if (SUCCEEDED(hr)) {
            hr = VariantChangeType(&value, &value, 0, VT_BSTR);
            if (FAILED(hr)) return hr;
            tip_.assign(value.bstrVal ? value.bstrVal : L"", value.bstrVal ? SysStringLen(value.bstrVal) : 0);
        } else if (hr == E_INVALIDARG) {
            tip_ = L"0";  // not saved: the default
        } else {
            return hr;
        }
        VariantClear(&value);
        value.vt = VT_I4;
        hr = bag->Read(L"Icon", &value, log);
        if (SUCCEEDED(hr)) {
            hr = VariantChangeType(&value, &value, 0, VT_I4);
            if (FAILED(hr)) return hr;
            icon_ = value.lVal;
        } else if (hr == E_INVALIDARG) {
            icon_ = 0;
        } else {
            return hr;
        }
        dirty_ = false;
        return S_OK;
    });
}

// A value equal to its default is left out of the bag.
STDMETHODIMP Control::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    return Guarded([&] {
        if (tip_ != L"0") {
            VARIANT value;
            value.vt = VT_BSTR;
            value.bstrVal = SysAllocStringLen(tip_.data(), static_cast<UINT>(tip_.size()));
            const HRESULT hr = bag->Write(L"Tip", &value);
            VariantClear(&value);
            if (FAILED(hr)) return hr;
        }
        if (icon_ != 0) {
            VARIANT value;
            value.vt = VT_I4;
            value.lVal = icon_;
            const HRESULT hr = bag->Write(L"Icon", &value);
            if (FAILED(hr)) return hr;
        }
        if (clearDirty) dirty_ = false;
        return S_OK;
    });
}

STDMETHODIMP Control::Load(LPSTREAM stream) {
    if (!stream) return E_POINTER;
    return Guarded([&] {
        DWORD header[2] = {};
        ULONG read = 0;
        if (FAILED(stream->Read(header, sizeof header, &read)) || read != sizeof header || header[0] != kStreamMagic ||
            header[1] > 0x10000)
            return E_FAIL;
        std::wstring tip(header[1], L'\0');
        const ULONG bytes = header[1] * sizeof(wchar_t);
        if (bytes && (FAILED(stream->Read(tip.data(), bytes, &read)) || read != bytes)) return E_FAIL;
        LONG icon = 0;
        if (FAILED(stream->Read(&icon, sizeof icon, &read)) || read != sizeof icon) return E_FAIL;
        tip_ = tip;
        icon_ = icon;
        dirty_ = false;
        return S_OK;
    });
}

STDMETHODIMP Control::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    const DWORD header[2] = {kStreamMagic, static_cast<DWORD>(tip_.size())};
    HRESULT hr = stream->Write(header, sizeof header, nullptr);
    if (SUCCEEDED(hr) && !tip_.empty())
        hr = stream->Write(tip_.data(), static_cast<ULONG>(tip_.size() * sizeof(wchar_t)), nullptr);
    if (SUCCEEDED(hr)) hr = stream->Write(&icon_, sizeof icon_, nullptr);
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

STDMETHODIMP Control::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 2 * sizeof(DWORD) + tip_.size() * sizeof(wchar_t) + sizeof(LONG);
    return S_OK;
}

STDMETHODIMP Control::GetPages(CAUUID* pages) {
    if (!pages) return E_POINTER;
    pages->pElems = static_cast<GUID*>(CoTaskMemAlloc(sizeof(GUID)));
    if (!pages->pElems) {
        pages->cElems = 0;
        return E_OUTOFMEMORY;
    }
    pages->cElems = 1;
    pages->pElems[0] = CLSID_propMain;
    return S_OK;
}

}  // namespace perchicon
