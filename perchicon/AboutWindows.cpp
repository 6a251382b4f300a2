#include "AboutWindows.h"

#include "AboutContent.h"
#include "Module.h"

#include <string>

namespace perchicon {
namespace {

constexpr char kAboutClass[] = "PerchiconAbout";
constexpr char kPageClass[] = "PerchiconPropMain";

struct AboutBox {
    std::unique_ptr<AboutContent> content;
    HWND owner = nullptr;  // disabled while the box shows
};

// The owner first: destroyed while its owner is still disabled, the box would hand the
// activation to some other program's window.
void CloseAboutBox(HWND hwnd, AboutBox& box) {
    if (box.owner) EnableWindow(box.owner, TRUE);
    box.owner = nullptr;
    DestroyWindow(hwnd);
}

LRESULT CALLBACK AboutProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* box = reinterpret_cast<AboutBox*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (box && msg == WM_CLOSE) {
        CloseAboutBox(hwnd, *box);
        return 0;
    }
    if (box && msg == WM_CTLCOLORSTATIC && box->content)
        if (HBRUSH brush = box->content->ColourFor(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)))
            return reinterpret_cast<LRESULT>(brush);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* page = reinterpret_cast<PropertyPage*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (page && GuardedMessage([&] { return page->HandleMessage(hwnd, msg, wParam, lParam, &result); })) return result;
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

HRESULT ShowAboutBox(HWND owner) {
    RegisterWindowClass(kAboutClass, AboutProc, GetSysColorBrush(COLOR_BTNFACE));
    AboutBox box;
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_POPUP;
    RECT rect = {0, 0, TwipsToPixelsX(4590), TwipsToPixelsY(2430)};
    AdjustWindowRectEx(&rect, style, FALSE, WS_EX_DLGMODALFRAME);
    HWND window = CreateWindowExA(WS_EX_DLGMODALFRAME, kAboutClass, "About", style, CW_USEDEFAULT, CW_USEDEFAULT,
                                  rect.right - rect.left, rect.bottom - rect.top, owner, nullptr, ModuleInstance(), &box);
    if (!window) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    try {
        box.content = std::make_unique<AboutContent>(window, 0, 0);
    } catch (...) {
        DestroyWindow(window);
        throw;
    }
    box.content->ShowVersion();

    // Modal: the owner takes no input until the box is closed with its close box.
    if (owner && IsWindowEnabled(owner)) {
        box.owner = owner;
        EnableWindow(owner, FALSE);
    }
    ShowWindow(window, SW_SHOW);
    MSG msg;
    while (IsWindow(window)) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // keep the quit for the outer loop
            CloseAboutBox(window, box);
            break;
        }
        if (IsDialogMessageA(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (owner && IsWindowEnabled(owner)) SetActiveWindow(owner);
    return S_OK;
}

// --- PropertyPage ---

PropertyPage::PropertyPage() { ObjectCreated(); }

PropertyPage::~PropertyPage() {
    Deactivate();
    if (site_) site_->Release();
    ObjectDestroyed();
}

HRESULT PropertyPage::Create(REFIID riid, void** ppv) {
    return Guarded([&] {
        auto* page = new PropertyPage();
        const HRESULT hr = page->QueryInterface(riid, ppv);
        page->Release();
        return hr;
    });
}

STDMETHODIMP PropertyPage::QueryInterface(REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPropertyPage) {
        *ppv = static_cast<IPropertyPage*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) PropertyPage::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) PropertyPage::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP PropertyPage::SetPageSite(IPropertyPageSite* site) {
    if (site) site->AddRef();
    if (site_) site_->Release();
    site_ = site;
    return S_OK;
}

STDMETHODIMP PropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (!rect) return E_POINTER;
    Deactivate();  // activated again: the earlier page window goes
    return Guarded([&] {
        RegisterWindowClass(kPageClass, PageProc, GetSysColorBrush(COLOR_BTNFACE));
        window_ = CreateWindowExA(WS_EX_CONTROLPARENT, kPageClass, "", WS_CHILD, rect->left, rect->top,
                                  rect->right - rect->left, rect->bottom - rect->top, parent, nullptr,
                                  ModuleInstance(), this);
        if (!window_) return E_FAIL;
        content_ = std::make_unique<AboutContent>(window_, 105, 105);
        content_->ShowVersion();
        return S_OK;
    });
}

STDMETHODIMP PropertyPage::Deactivate() {
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
    window_ = nullptr;
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
    if (window_) ShowWindow(window_, command);
    return S_OK;
}

STDMETHODIMP PropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (window_) MoveWindow(window_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP PropertyPage::IsPageDirty() { return S_FALSE; }
STDMETHODIMP PropertyPage::Apply() { return S_OK; }
STDMETHODIMP PropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP PropertyPage::TranslateAccelerator(MSG*) { return S_FALSE; }

bool PropertyPage::HandleMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (msg == WM_CTLCOLORSTATIC && content_)
        if (HBRUSH brush = content_->ColourFor(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
            *result = reinterpret_cast<LRESULT>(brush);
            return true;
        }
    if (msg == WM_COMMAND && HIWORD(wParam) == STN_CLICKED && content_ &&
        reinterpret_cast<HWND>(lParam) == content_->Control("Label5")) {
        // The maker's page, in the user's browser; minimised and not waited for. The shell by
        // its full path: by its bare name, an explorer.exe in the host program's folder or the
        // current one would run instead.
        char windows[MAX_PATH];
        const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return true;
        const std::string explorer = std::string(windows, length) + "\\explorer.exe";
        std::string command = "\"" + explorer + "\" " + kWebsite;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWMINIMIZED;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(explorer.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                           &pi)) {
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        return true;
    }
    return false;
}

}  // namespace perchicon
