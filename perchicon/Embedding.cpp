#include "Embedding.h"

#include "Twips.h"
#include "winbase/Window.h"

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

}  // namespace

void PaintFace(HDC dc, const RECT& area) {
    FillRect(dc, &area, winbase::Brush(CreateSolidBrush(RGB(192, 192, 192))).get());
    const winbase::Bitmap picture(
        static_cast<HBITMAP>(LoadImageA(winbase::ThisModule(), MAKEINTRESOURCEA(2), IMAGE_BITMAP, 0, 0, 0)));
    if (!picture) return;
    const winbase::MemoryDc source(CreateCompatibleDC(dc));
    const winbase::Selected selected(source.get(), picture.get());
    BitBlt(dc, area.left, area.top, std::min<LONG>(47, area.right - area.left),
           std::min<LONG>(34, area.bottom - area.top), source.get(), 0, 0, SRCCOPY);
}

void Embedding::PlaceFace(int left, int top) {
    const int size = TwipsToPixelsX(kFaceTwips);
    SetWindowPos(picture_, nullptr, left, top, size, size, SWP_NOZORDER | SWP_NOACTIVATE);
}

STDMETHODIMP Embedding::SetClientSite(IOleClientSite* site) {
    site_ = site;
    return S_OK;
}

STDMETHODIMP Embedding::GetClientSite(IOleClientSite** site) { return site_.CopyTo(site); }

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
        case OLEIVERB_HIDE: ShowWindow(picture_, SW_HIDE); return S_OK;
        default: return OLEOBJ_S_INVALIDVERB;
    }
    if (inPlaceSite_) return S_OK;
    IOleClientSite* useSite = site ? site : site_.get();
    if (!useSite) return E_UNEXPECTED;
    winbase::ComPtr<IOleInPlaceSite> inPlace;
    if (FAILED(useSite->QueryInterface(IID_IOleInPlaceSite, inPlace.put_void()))) return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) return E_FAIL;
    inPlace->OnInPlaceActivate();
    HWND parent = nullptr;
    winbase::ComPtr<IOleInPlaceFrame> frame;
    winbase::ComPtr<IOleInPlaceUIWindow> document;
    RECT position = {}, clip = {};
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    HRESULT hr = inPlace->GetWindow(&parent);
    if (SUCCEEDED(hr)) hr = inPlace->GetWindowContext(frame.put(), document.put(), &position, &clip, &info);
    if (FAILED(hr) || !parent) {
        inPlace->OnInPlaceDeactivate();
        return FAILED(hr) ? hr : E_FAIL;
    }
    inPlaceSite_ = inPlace;
    SetWindowLongPtrA(picture_, GWL_EXSTYLE, 0);
    SetWindowLongPtrA(picture_, GWL_STYLE, WS_CHILD | WS_CLIPSIBLINGS);
    SetParent(picture_, parent);
    PlaceFace(position.left, position.top);
    ShowWindow(picture_, SW_SHOWNA);
    const int size = TwipsToPixelsX(kFaceTwips);
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

STDMETHODIMP Embedding::GetUserType(DWORD form, LPOLESTR* name) {
    return OleRegGetUserType(CLSID_Perchicon, form, name);
}

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
    const winbase::ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_);
    site->OnInPlaceDeactivate();
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
    viewSink_ = sink;
    return S_OK;
}

STDMETHODIMP Embedding::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects) *aspects = DVASPECT_CONTENT;
    if (flags) *flags = 0;
    if (sink) viewSink_.CopyTo(sink);
    return S_OK;
}

STDMETHODIMP Embedding::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) { return GetExtent(aspect, size); }

}  // namespace perchicon
