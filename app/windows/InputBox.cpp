#include "app/windows/InputBox.h"

#include "app/windows/ControlTable.h"
#include "app/windows/ModalLoop.h"
#include "app/windows/ScreenDpi.h"
#include "winbase/Window.h"

namespace zarvik {
namespace {

class Box : public winbase::Window<Box> {
  public:
    static constexpr const char* kClassName = "ZarvikInputBox";

    std::string Ask(HWND owner, const std::string& prompt, const std::string& title, const std::string& answer) {
        const int dpi = ScreenDpi();
        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        RECT rect = {0, 0, TwipsToPixels(5400, dpi), TwipsToPixels(1860, dpi)};
        AdjustWindowRectEx(&rect, style, FALSE, WS_EX_DLGMODALFRAME);
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        // Centred on the owner's screen, as the system's box is.
        if (!Create(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, title.empty() ? "Zarvik" : title.c_str(), style,
                    (GetSystemMetrics(SM_CXSCREEN) - width) / 2, (GetSystemMetrics(SM_CYSCREEN) - height) / 3, width,
                    height, owner))
            return "";
        const std::vector<ControlRow> rows = {
            {"prompt", ControlKind::Label, prompt.c_str(), 120, 120, 3960, 1080, SS_NOPREFIX},
            {"ok", ControlKind::Button, "OK", 4200, 120, 1080, 345, BS_DEFPUSHBUTTON},
            {"cancel", ControlKind::Button, "Cancel", 4200, 540, 1080, 345},
            {"answer", ControlKind::TextBox, answer.c_str(), 120, 1380, 5160, 300},
        };
        ControlTable controls(hwnd(), rows, dpi);
        SetWindowLongPtrA(controls["ok"], GWLP_ID, IDOK);
        SetWindowLongPtrA(controls["cancel"], GWLP_ID, IDCANCEL);
        edit_ = controls["answer"];

        const bool ownerEnabled = owner && IsWindowEnabled(owner);
        if (ownerEnabled) EnableWindow(owner, FALSE);
        ShowWindow(hwnd(), SW_SHOW);
        SetForegroundWindow(hwnd());
        SetFocus(edit_);
        SendMessageA(edit_, EM_SETSEL, 0, -1);
        RunModalLoop(hwnd(), [this] { return !done_; });
        // The owner comes back before the box goes, so that the focus returns to it.
        if (ownerEnabled) EnableWindow(owner, TRUE);
        Destroy();
        return ok_ ? answer_ : "";
    }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
            ok_ = LOWORD(wParam) == IDOK;
            if (ok_) {
                answer_.assign(static_cast<size_t>(GetWindowTextLengthA(edit_)) + 1, '\0');
                answer_.resize(
                    static_cast<size_t>(GetWindowTextA(edit_, answer_.data(), static_cast<int>(answer_.size()))));
            }
            done_ = true;
            return 0;
        }
        if (msg == WM_CLOSE) {  // the title bar's close button is Cancel
            done_ = true;
            return 0;
        }
        return Default(msg, wParam, lParam);
    }

  private:
    HWND edit_ = nullptr;
    bool done_ = false;
    bool ok_ = false;
    std::string answer_;
};

}  // namespace

std::string InputBox(HWND owner, const std::string& prompt, const std::string& title, const std::string& answer) {
    return Box().Ask(owner, prompt, title, answer);
}

}  // namespace zarvik
