#include "AboutBox.h"

#include "AboutContent.h"
#include "Module.h"
#include "Twips.h"
#include "winbase/Window.h"

#include <memory>

namespace perchicon {
namespace {

class AboutBox : public winbase::Window<AboutBox> {
  public:
    static constexpr const char* kClassName = kAboutClass;

    HRESULT Show(HWND owner);

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_CLOSE) {
            Close();
            return 0;
        }
        if (msg == WM_CTLCOLORSTATIC && content_)
            if (HBRUSH brush = content_->ColourFor(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        return Default(msg, wParam, lParam);
    }

  private:
    // The owner first: destroyed while its owner is still disabled, the box would hand the
    // activation to some other program's window.
    void Close() {
        if (owner_) EnableWindow(owner_, TRUE);
        owner_ = nullptr;
        Destroy();
    }

    std::unique_ptr<AboutContent> content_;
    HWND owner_ = nullptr;  // disabled while the box shows
};

HRESULT AboutBox::Show(HWND owner) {
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_POPUP;
    RECT rect = {0, 0, TwipsToPixelsX(4590), TwipsToPixelsY(2430)};
    AdjustWindowRectEx(&rect, style, FALSE, WS_EX_DLGMODALFRAME);
    if (!Create(WS_EX_DLGMODALFRAME, "About", style, CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
                rect.bottom - rect.top, owner)) {
        const DWORD error = GetLastError();
        return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
    }
    content_ = std::make_unique<AboutContent>(hwnd(), 0, 0);
    content_->ShowVersion();

    // Modal: the owner takes no input until the box is closed with its close box.
    if (owner && IsWindowEnabled(owner)) {
        owner_ = owner;
        EnableWindow(owner, FALSE);
    }
    ShowWindow(hwnd(), SW_SHOW);
    MSG msg;
    while (hwnd()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // keep the quit for the outer loop
            Close();
            break;
        }
        if (IsDialogMessageA(hwnd(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (owner && IsWindowEnabled(owner)) SetActiveWindow(owner);
    return S_OK;
}

}  // namespace

HRESULT ShowAboutBox(HWND owner) {
    AboutBox box;
    return box.Show(owner);
}

}  // namespace perchicon
