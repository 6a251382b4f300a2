#include "Embedding.h"

#include "Module.h"

#include <olectl.h>

#include <algorithm>

namespace perchicon {
namespace {

// The face is 495 twips square; the control is one twip larger each way, whatever it is asked.
constexpr int kFaceTwips = 495;
constexpr int kControlTwips = kFaceTwips + 1;
constexpr DWORD kMiscStatus = 132497;

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

Embedding::~Embedding() {
    if (site_) site_->Release();
    if (viewSink_) viewSink_->Release();
}

void Embedding::PlaceFace(int left, int top) {
    const int size = FacePixels();
    SetWindowPos(picture_, nullptr, left, top, size, size, SWP_NOZORDER | SWP_NOACTIVATE);
}

STDMETHODIMP Embedding::SetClientSite(IOleClientSite* site) {
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
}

STDMETHODIMP Embedding::GetClientSite(IOleClientSite** site) {
    if (!site) return E_POINTER;
    *site = site_;
    if (site_) site_->AddRef();
    return S_OK;
}

STDMETHODIMP Embedding::Close(DWORD) {
    InPlaceDeactivate();
    RemoveIcon();
    return S_OK;
}

STDMETHODIMP Embedding::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Embedding::GetClipboardData(DWORD, IDataObject** data) {
    if (data) *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP Embedding::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT) {
    if (!picture_) return E_UNEXPECTED;  // gone with an earlier container's window
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

STDMETHODIMP Embedding::EnumVerbs(IEnumOLEVERB** verbs) { return OleRegEnumVerbs(CLSID_Perchicon, verbs); }

STDMETHODIMP Embedding::GetUserClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Perchicon;
    return S_OK;
}

STDMETHODIMP Embedding::GetUserType(DWORD form, LPOLESTR* name) { return OleRegGetUserType(CLSID_Perchicon, form, name); }

STDMETHODIMP Embedding::SetExtent(DWORD aspect, SIZEL*) {
    // Any size asked for becomes the face's size plus one twip again.
    return aspect == DVASPECT_CONTENT ? S_OK : DV_E_DVASPECT;
}

STDMETHODIMP Embedding::GetExtent(DWORD aspect, SIZEL* size) {
    if (!size) return E_POINTER;
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    *size = ControlExtent();
    return S_OK;
}

STDMETHODIMP Embedding::Advise(IAdviseSink*, DWORD* connection) {
    if (connection) *connection = 0;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP Embedding::EnumAdvise(IEnumSTATDATA** advise) {
    if (advise) *advise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP Embedding::GetMiscStatus(DWORD, DWORD* status) {
    if (!status) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

STDMETHODIMP Embedding::GetWindow(HWND* window) {
    if (!window) return E_POINTER;
    *window = picture_;
    return inPlaceSite_ ? S_OK : E_FAIL;
}

STDMETHODIMP Embedding::InPlaceDeactivate() {
    if (!inPlaceSite_) return S_OK;
    if (picture_) {  // else it went with the container's window
        ShowWindow(picture_, SW_HIDE);
        SetParent(picture_, nullptr);
        SetWindowLongPtrA(picture_, GWL_STYLE, WS_POPUP);
        SetWindowLongPtrA(picture_, GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    }
    IOleInPlaceSite* site = inPlaceSite_;
    inPlaceSite_ = nullptr;
    site->OnInPlaceDeactivate();
    site->Release();
    return S_OK;
}

STDMETHODIMP Embedding::SetObjectRects(LPCRECT position, LPCRECT) {
    if (!position) return E_POINTER;
    PlaceFace(position->left, position->top);
    return S_OK;
}

STDMETHODIMP Embedding::FreezeEvents(BOOL freeze) {
    frozen_ += freeze ? 1 : (frozen_ > 0 ? -1 : 0);
    return S_OK;
}

STDMETHODIMP Embedding::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                             BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (!dc || !bounds) return E_INVALIDARG;
    RECT area = {bounds->left, bounds->top, bounds->right, bounds->bottom};
    PaintFace(dc, area);
    return S_OK;
}

STDMETHODIMP Embedding::SetAdvise(DWORD, DWORD, IAdviseSink* sink) {
    if (sink) sink->AddRef();
    if (viewSink_) viewSink_->Release();
    viewSink_ = sink;
    return S_OK;
}

STDMETHODIMP Embedding::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = DVASPECT_CONTENT;
    if (flags) *flags = 0;
    if (sink) {
        *sink = viewSink_;
        if (viewSink_) viewSink_->AddRef();
    }
    return S_OK;
}

STDMETHODIMP Embedding::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) { return GetExtent(aspect, size); }

}  // namespace perchicon
