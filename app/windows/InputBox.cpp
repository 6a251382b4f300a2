#include "app/windows/InputBox.h"

#include "app/windows/ControlTable.h"

namespace zarvik {
namespace {

constexpr char kClass[] = "ZarvikInputBox";

struct Box {
    HWND edit = nullptr;
    bool done = false;
    bool ok = false;
    std::string answer;
};

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* box = reinterpret_cast<Box*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (box && msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        box->ok = LOWORD(wParam) == IDOK;
        if (box->ok) {
            std::string text(static_cast<size_t>(GetWindowTextLengthA(box->edit)) + 1, '\0');
            text.resize(
                static_cast<size_t>(GetWindowTextA(box->edit, text.data(), static_cast<int>(text.size()))));
            box->answer = text;
        }
        box->done = true;
        return 0;
    }
    if (box && msg == WM_CLOSE) {  // the title bar's close button is Cancel
        box->done = true;
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

std::string InputBox(HWND owner, const std::string& prompt, const std::string& title,
                     const std::string& answer) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWindowClass(kClass, BoxProc, false);
    const int dpi = ScreenDpi();
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT rect = {0, 0, TwipsToPixels(5400, dpi), TwipsToPixels(1860, dpi)};
    AdjustWindowRectEx(&rect, style, FALSE, WS_EX_DLGMODALFRAME);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    // Centred on the owner's screen, as the system's box is.
    RECT work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HWND window =
        CreateWindowExA(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kClass,
                        title.empty() ? "Zarvik" : title.c_str(), style, (work.right - width) / 2,
                        (work.bottom - height) / 3, width, height, owner, nullptr, instance, nullptr);
    if (!window) return "";
    Box box;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&box));
    const std::vector<ControlRow> rows = {
        {"prompt", ControlKind::Label, prompt.c_str(), 120, 120, 3960, 1080, SS_NOPREFIX},
        {"ok", ControlKind::Button, "OK", 4200, 120, 1080, 345, BS_DEFPUSHBUTTON},
        {"cancel", ControlKind::Button, "Cancel", 4200, 540, 1080, 345},
        {"answer", ControlKind::TextBox, answer.c_str(), 120, 1380, 5160, 300},
    };
    ControlTable controls(window, rows, dpi);
    SetWindowLongPtrA(controls["ok"], GWLP_ID, IDOK);
    SetWindowLongPtrA(controls["cancel"], GWLP_ID, IDCANCEL);
    box.edit = controls["answer"];

    const bool ownerEnabled = owner && IsWindowEnabled(owner);
    if (ownerEnabled) EnableWindow(owner, FALSE);
    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(box.edit);
    SendMessageA(box.edit, EM_SETSEL, 0, -1);
    RunModalLoop(window, [&box] { return !box.done; });
    // The owner comes back before the box goes, so that the focus returns to it.
    if (ownerEnabled) EnableWindow(owner, TRUE);
    SetWindowLongPtrA(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    return box.ok ? box.answer : "";
}

}  // namespace zarvik
