#include "PropertyPage.h"

#include "Twips.h"

#include <cstring>
#include <string>

namespace perchicon {

const winbase::Interface PropertyPage::kInterfaces[] = {winbase::Row<PropertyPage, IPropertyPage>(IID_IUnknown),
                                                        winbase::Row<PropertyPage, IPropertyPage>(IID_IPropertyPage),
                                                        {}};

PropertyPage::~PropertyPage() {
    Deactivate();
    ObjectDestroyed();
}

HRESULT PropertyPage::Create(REFIID riid, void** ppv) {
    const auto page = winbase::Make<PropertyPage>();
    return page ? page->QueryInterface(riid, ppv) : E_OUTOFMEMORY;
}

STDMETHODIMP PropertyPage::SetPageSite(IPropertyPageSite* site) {
    site_ = site;
    return S_OK;
}

STDMETHODIMP PropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (!rect) return E_POINTER;
    Deactivate();  // activated again: the earlier page window goes
    return Guarded([&] {
        if (!Window::Create(WS_EX_CONTROLPARENT, "", WS_CHILD, rect->left, rect->top, rect->right - rect->left,
                            rect->bottom - rect->top, parent))
            return E_FAIL;
        content_ = std::make_unique<AboutContent>(hwnd(), 105, 105);
        content_->ShowVersion();
        return S_OK;
    });
}

STDMETHODIMP PropertyPage::Deactivate() {
    Destroy();
    content_.reset();
    return S_OK;
}

STDMETHODIMP PropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    static const wchar_t kTitle[] = L"&About";
    info->cb = sizeof *info;
    info->pszTitle = static_cast<LPOLESTR>(CoTaskMemAlloc(sizeof kTitle));
    if (!info->pszTitle) return E_OUTOFMEMORY;
    memcpy(info->pszTitle, kTitle, sizeof kTitle);
    info->size.cx = TwipsToPixelsX(4785);
    info->size.cy = TwipsToPixelsY(2640);
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

// The page edits nothing: the objects it is shown for are not kept.
STDMETHODIMP PropertyPage::SetObjects(ULONG, IUnknown**) { return S_OK; }

STDMETHODIMP PropertyPage::Show(UINT command) {
    if (hwnd()) ShowWindow(hwnd(), command);
    return S_OK;
}

STDMETHODIMP PropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (hwnd()) MoveWindow(hwnd(), rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

LRESULT PropertyPage::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CTLCOLORSTATIC && content_)
        if (HBRUSH brush = content_->ColourFor(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
    if (msg == WM_COMMAND && HIWORD(wParam) == STN_CLICKED && content_ &&
        reinterpret_cast<HWND>(lParam) == content_->Control("Label5")) {
        // The maker's page, in the user's browser; minimised and not waited for. The shell by
        // its full path: by its bare name, an explorer.exe in the host program's folder or the
        // current one would run instead.
        char windows[MAX_PATH];
        const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return 0;
        const std::string explorer = std::string(windows, length) + "\\explorer.exe";
        std::string command = "\"" + explorer + "\" " + kWebsite;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWMINIMIZED;
        PROCESS_INFORMATION pi = {};
        CreateProcessA(explorer.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        const winbase::Handle thread(pi.hThread), process(pi.hProcess);
        return 0;
    }
    return Default(msg, wParam, lParam);
}

}  // namespace perchicon
