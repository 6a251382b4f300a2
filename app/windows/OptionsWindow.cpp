#include "app/windows/OptionsWindow.h"

namespace zarvik {
namespace {

constexpr char kClass[] = "ZarvikOptions";
enum MenuId : UINT { kShow = 1, kOptions, kCommands, kReadme, kCredits, kExit };

struct Box {
    const char* name;
    Option option;
};
const Box kBoxes[] = {{"chkAutoLoad", Option::AutoLoad}, {"chkGetName", Option::GetName}, {"chkTime", Option::Time},
                      {"chkDate", Option::Date},         {"chkPower", Option::Power},     {"chkTurnOff", Option::TurnOff}};

// Frame1 ("&Options") stands at 4320, 2160; its controls are placed relative to it.
constexpr int kFrameLeft = 4320, kFrameTop = 2160;

std::vector<ControlRow> Rows() {
    auto in = [](ControlRow row) {
        row.left += kFrameLeft;
        row.top += kFrameTop;
        return row;
    };
    return {
        {"Frame1", ControlKind::Frame, "&Options", kFrameLeft, kFrameTop, 2535, 2775},
        in({"chkAutoLoad", ControlKind::CheckBox, "Auto-Load on Map Change", 120, 240, 2295, 255}),
        in({"chkGetName", ControlKind::CheckBox, "Get Name on Game Start", 120, 600, 2295, 255}),
        in({"chkTime", ControlKind::CheckBox, "Respond to !time", 120, 960, 2295, 255}),
        in({"chkDate", ControlKind::CheckBox, "Respond to !date", 120, 1320, 2295, 255}),
        in({"chkPower", ControlKind::CheckBox, "Turned On", 120, 1680, 2295, 255}),
        in({"chkTurnOff", ControlKind::CheckBox, "Turn Off After Load", 120, 2040, 2295, 255}),
        in({"txtEdit", ControlKind::TextBox, "", 120, 2400, 1455, 285}),
        in({"Command6", ControlKind::Button, "&Browse", 1680, 2400, 735, 255, WS_DISABLED}),
    };
}

}  // namespace

OptionsWindow::OptionsWindow(OptionModel& options, MenuActions actions)
    : options_(options), actions_(std::move(actions)) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    if (!GetClassInfoA(instance, kClass, &wc)) {
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);
    }
    const int dpi = ScreenDpi();
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT rect = {0, 0, TwipsToPixels(6915, dpi), TwipsToPixels(5385, dpi)};
    AdjustWindowRect(&rect, style, FALSE);
    window_ = CreateWindowExA(WS_EX_CONTROLPARENT, kClass, "Editing Suite", style, CW_USEDEFAULT, CW_USEDEFAULT,
                              rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr, instance, this);
    controls_ = std::make_unique<ControlTable>(window_, Rows(), dpi);
    Refresh();
}

OptionsWindow::~OptionsWindow() {
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void OptionsWindow::Refresh() {
    refreshing_ = true;
    for (const Box& box : kBoxes) SendMessageA((*controls_)[box.name], BM_SETCHECK, options_.Check(box.option), 0);
    char text[1024] = {};
    GetWindowTextA((*controls_)["txtEdit"], text, sizeof text);
    if (options_.Editor() != text) SetWindowTextA((*controls_)["txtEdit"], options_.Editor().c_str());
    refreshing_ = false;
}

void OptionsWindow::PopUpTrayMenu(HWND owner) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kShow, "&Show");
    AppendMenuA(menu, MF_STRING, kOptions, "&Options");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, kCommands, "&Commands");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING | MF_GRAYED, kReadme, "&Readme");
    AppendMenuA(menu, MF_STRING | MF_GRAYED, kCredits, "&Credits");
    AppendMenuA(menu, MF_STRING, kExit, "&Exit");
    SetMenuDefaultItem(menu, kShow, FALSE);
    POINT at;
    GetCursorPos(&at);
    // Foreground first, and a message after: otherwise the menu stays open when the user
    // clicks elsewhere.
    SetForegroundWindow(owner);
    const UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    PostMessageA(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
    switch (chosen) {
        case kShow:
            if (actions_.show) actions_.show();
            break;
        case kOptions: ShowWindow(window_, SW_SHOW); break;
        case kExit:
            if (actions_.exit) actions_.exit();
            break;
        default: break;
    }
}

LRESULT CALLBACK OptionsWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<OptionsWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && self->controls_) return self->HandleMessage(msg, wParam, lParam);
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT OptionsWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CLOSE) {  // the window stays loaded: closing hides it
        ShowWindow(window_, SW_HIDE);
        return 0;
    }
    if (msg == WM_COMMAND && !refreshing_) {
        const std::string* name = controls_->NameOf(LOWORD(wParam));
        if (name) {
            for (const Box& box : kBoxes)
                if (*name == box.name && HIWORD(wParam) == BN_CLICKED)
                    options_.SetCheck(box.option,
                                      static_cast<int>(SendMessageA(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0)));
            if (*name == "txtEdit" && HIWORD(wParam) == EN_CHANGE) {
                char text[1024] = {};
                GetWindowTextA(reinterpret_cast<HWND>(lParam), text, sizeof text);
                options_.SetEditor(text);
            }
        }
    }
    return DefWindowProcA(window_, msg, wParam, lParam);
}

}  // namespace zarvik
