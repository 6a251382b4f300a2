#include "Persistence.h"

#include "Module.h"

namespace perchicon {
namespace {

constexpr DWORD kStreamMagic = 0x31484350;  // "PCH1"

// One value from the bag as `type`, or VT_EMPTY when the bag does not hold it. The bag may
// free what it is handed and may answer in another type: the value starts empty, and is
// cleared again when it cannot be turned into `type`.
HRESULT ReadValue(IPropertyBag* bag, const wchar_t* name, VARTYPE type, IErrorLog* log, VARIANT* value) {
    VariantInit(value);
    value->vt = type;
    value->llVal = 0;
    HRESULT hr = bag->Read(name, value, log);
    if (hr == E_INVALIDARG) {
        VariantClear(value);
        return S_OK;
    }
    if (SUCCEEDED(hr)) hr = VariantChangeType(value, value, 0, type);
    if (FAILED(hr)) VariantClear(value);
    return hr;
}

}  // namespace

STDMETHODIMP Persistence::GetClassID(CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID_Perchicon;
    return S_OK;
}

STDMETHODIMP Persistence::InitNew() {
    tip_ = L"0";
    icon_ = 0;
    dirty_ = false;
    return S_OK;
}

STDMETHODIMP Persistence::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag) return E_POINTER;
    return Guarded([&] {
        VARIANT tip, icon;
        HRESULT hr = ReadValue(bag, L"Tip", VT_BSTR, log, &tip);
        if (FAILED(hr)) return hr;
        hr = ReadValue(bag, L"Icon", VT_I4, log, &icon);
        if (FAILED(hr)) {
            VariantClear(&tip);
            return hr;
        }
        if (tip.vt == VT_BSTR)
            tip_.assign(tip.bstrVal ? tip.bstrVal : L"", tip.bstrVal ? SysStringLen(tip.bstrVal) : 0);
        else
            tip_ = L"0";  // not saved: the default
        icon_ = icon.vt == VT_I4 ? icon.lVal : 0;
        VariantClear(&tip);
        dirty_ = false;
        return S_OK;
    });
}

// A value equal to its default is left out of the bag.
STDMETHODIMP Persistence::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag) return E_POINTER;
    return Guarded([&] {
        if (tip_ != L"0") {
            VARIANT value;
            value.vt = VT_BSTR;
            value.bstrVal = SysAllocStringLen(tip_.data(), static_cast<UINT>(tip_.size()));
            if (!value.bstrVal) return E_OUTOFMEMORY;
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

STDMETHODIMP Persistence::Load(LPSTREAM stream) {
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

STDMETHODIMP Persistence::Save(LPSTREAM stream, BOOL clearDirty) {
    if (!stream) return E_POINTER;
    const DWORD header[2] = {kStreamMagic, static_cast<DWORD>(tip_.size())};
    HRESULT hr = stream->Write(header, sizeof header, nullptr);
    if (SUCCEEDED(hr) && !tip_.empty())
        hr = stream->Write(tip_.data(), static_cast<ULONG>(tip_.size() * sizeof(wchar_t)), nullptr);
    if (SUCCEEDED(hr)) hr = stream->Write(&icon_, sizeof icon_, nullptr);
    if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
    return hr;
}

STDMETHODIMP Persistence::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size) return E_POINTER;
    size->QuadPart = 2 * sizeof(DWORD) + tip_.size() * sizeof(wchar_t) + sizeof(LONG);
    return S_OK;
}

STDMETHODIMP Persistence::GetPages(CAUUID* pages) {
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
