#include "app/windows/OptionsWindow.h"

#include "app/windows/ModalLoop.h"
#include "app/windows/ScreenDpi.h"

namespace zarvik {
namespace {

enum MenuId : UINT { kShow = 1, kOptions, kCommands, kReadme, kCredits, kExit, kStartGame };

struct Box {
    const char* name;
    Option option;
};
const Box kBoxes[] = {{"chkAutoLoad", Option::AutoLoad}, {"chkGetName", Option::GetName},
                      {"chkTime", Option::Time},         {"chkDate", Option::Date},
                      {"chkPower", Option::Power},       {"chkTurnOff", Option::TurnOff}};

ControlRow In(int frameLeft, int frameTop, ControlRow row) {
    row.left += frameLeft;
    row.top += frameTop;
    return row;
}

std::vector<ControlRow> Rows() {
    // Frame2 ("Help") stands at 4320, 0 and Frame1 ("&Options") at 4320, 2160; their controls
    // are placed relative to them. A control comes before any it overlaps, so that it lies above:
    // the frames after their controls, lblInfo after the buttons.
    const auto help = [](ControlRow row) { return In(4320, 0, row); };
    const auto options = [](ControlRow row) { return In(4320, 2160, row); };
    return {
        {"Label4", ControlKind::Label, "To make changes, click Edit File.", 0, 120, 4335, 255},
        {"List1", ControlKind::ListBox, "", 120, 480, 1935, 4350, LBS_NOINTEGRALHEIGHT},
        {"List2", ControlKind::ListBox, "", 2160, 480, 2055, 3960, LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT},
        {"Text1", ControlKind::TextBox, "", 2160, 4560, 1575, 285},
        {"cmdEdit", ControlKind::Button, "+", 3840, 4560, 375, 255, WS_DISABLED},
        {"Command3", ControlKind::Button, "&Reload", 120, 5040, 1335, 315},
        {"Command2", ControlKind::Button, "&Edit File", 1560, 5040, 975, 315},
        {"Command5", ControlKind::Button, "&Delete", 2640, 5040, 735, 315},
        {"Command4", ControlKind::Button, "&Add", 3480, 5040, 735, 315},
        {"cmdAbout", ControlKind::Button, "&Credits", 4800, 5040, 1575, 315},
        // 525 wide, not 405: with the fonts that stand in for Arial the colon was cut off.
        help({"Label1", ControlKind::Label, "Info:", 120, 240, 525, 255}),
        help({"Label2", ControlKind::Label, "Pleae select a choic:", 240, 600, 2055, 255}),
        help({"Command7", ControlKind::Button, "Read&me", 480, 1080, 1695, 255}),
        help({"Command8", ControlKind::Button, "&Update", 480, 1320, 1695, 255}),
        help({"Command1", ControlKind::Button, "Command &List", 480, 1560, 1695, 255}),
        help({"lblInfo", ControlKind::Label, "", 240, 600, 2175, 855}),
        help({"Frame2", ControlKind::Frame, "Help", 0, 0, 2535, 2055}),
        options({"chkAutoLoad", ControlKind::CheckBox, "Auto-Load on Map Change", 120, 240, 2295, 255}),
        options({"chkGetName", ControlKind::CheckBox, "Get Name on Game Start", 120, 600, 2295, 255}),
        options({"chkTime", ControlKind::CheckBox, "Respond to !time", 120, 960, 2295, 255}),
        options({"chkDate", ControlKind::CheckBox, "Respond to !date", 120, 1320, 2295, 255}),
        options({"chkPower", ControlKind::CheckBox, "Turned On", 120, 1680, 2295, 255}),
        options({"chkTurnOff", ControlKind::CheckBox, "Turn Off After Load", 120, 2040, 2295, 255}),
        options({"txtEdit", ControlKind::TextBox, "", 120, 2400, 1455, 285}),
        options({"Command6", ControlKind::Button, "&Browse", 1680, 2400, 735, 255}),
        options({"Frame1", ControlKind::Frame, "&Options", 0, 0, 2535, 2775}),
    };
}

std::string TextOf(HWND hwnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Fill(HWND list, const std::vector<std::string>& entries, std::vector<std::string>& shown) {
    if (entries == shown) return;
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    shown = entries;
}

}  // namespace

OptionsWindow::OptionsWindow(std::string programFolder, OptionModel& options, Actions actions, SuiteDialogs* dialogs)
    : options_(options),
      actions_(std::move(actions)),
      suite_(std::move(programFolder), options, dialogs ? *dialogs : ownDialogs_, actions_.loadSettings) {
    const int dpi = ScreenDpi();
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT rect = {0, 0, TwipsToPixels(6915, dpi), TwipsToPixels(5385, dpi)};
    AdjustWindowRect(&rect, style, FALSE);
    ownDialogs_.owner = Create(WS_EX_CONTROLPARENT, "Editing Suite", style, CW_USEDEFAULT, CW_USEDEFAULT,
                               rect.right - rect.left, rect.bottom - rect.top, nullptr);
    controls_ = std::make_unique<ControlTable>(hwnd(), Rows(), dpi);
    // The two labels with fonts of their own; the rest have the table's.
    boldFont_ = SansFont("MS Sans Serif", 83, FW_BOLD, dpi);
    infoFont_ = SansFont("Arial", 113, FW_NORMAL, dpi);
    // lblInfo never has a text: there is nothing to show.
    ShowWindow((*controls_)["lblInfo"], SW_HIDE);
    SendMessageA((*controls_)["Label4"], WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
    SendMessageA((*controls_)["Label1"], WM_SETFONT, reinterpret_cast<WPARAM>(infoFont_.get()), FALSE);
    SendMessageA((*controls_)["Text1"], EM_SETREADONLY, FALSE, 0);
    suite_.Load();
    Refresh();
    ShowView();
}

void OptionsWindow::Refresh() {
    refreshing_ = true;
    for (const Box& box : kBoxes) SendMessageA((*controls_)[box.name], BM_SETCHECK, options_.Check(box.option), 0);
    HWND editor = (*controls_)["txtEdit"];
    if (options_.Editor() != TextOf(editor)) {
        SetWindowTextA(editor, options_.Editor().c_str());
        SendMessageA(editor, EM_SETSEL, static_cast<WPARAM>(-1), -1);  // the cursor after the last character
    }
    refreshing_ = false;
}

void OptionsWindow::ShowView() {
    const SuiteView& view = suite_.View();
    refreshing_ = true;
    Fill((*controls_)["List1"], view.maps, shownMaps_);
    Fill((*controls_)["List2"], view.keys, shownKeys_);
    SendMessageA((*controls_)["List1"], LB_SETCURSEL, static_cast<WPARAM>(view.map), 0);
    SendMessageA((*controls_)["List2"], LB_SETCURSEL, static_cast<WPARAM>(view.key), 0);
    HWND value = (*controls_)["Text1"];
    if (TextOf(value) != view.value) SetWindowTextA(value, view.value.c_str());
    EnableWindow(value, view.valueEnabled);
    EnableWindow((*controls_)["cmdEdit"], view.changeEnabled);
    refreshing_ = false;
}

void OptionsWindow::ReloadIfClosed() {
    if (!closed_) return;
    closed_ = false;
    suite_.Reload();
    Refresh();
    ShowView();
}

void OptionsWindow::Show() {
    ReloadIfClosed();
    ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd());
}

void OptionsWindow::ShowModal() {
    if (IsWindowVisible(hwnd())) {  // already open: to the front is all a modal show could add
        Show();
        return;
    }
    const bool disable = actions_.owner && IsWindowEnabled(actions_.owner);
    if (disable) EnableWindow(actions_.owner, FALSE);
    Show();
    RunModalLoop(hwnd(), [this] { return IsWindowVisible(hwnd()) && !IsIconic(hwnd()); });
    if (disable) EnableWindow(actions_.owner, TRUE);
}

void OptionsWindow::ShowCommand() { suite_.ShowCommandList(); }

void OptionsWindow::PopUpTrayMenu(HWND owner) {
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, kShow, "&Show");
    AppendMenuA(menu, MF_STRING, kOptions, "&Options");
    AppendMenuA(menu, MF_STRING, kCommands, "&Commands");
    AppendMenuA(menu, MF_STRING, kStartGame, "Start &Game");
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kReadme, "&Readme");
    AppendMenuA(menu, MF_STRING, kCredits, "&Credits");
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
        case kOptions: ShowModal(); break;
        case kCommands: ShowCommand(); break;
        case kReadme: suite_.ShowReadme(); break;
        case kCredits:
            if (actions_.credits) actions_.credits(owner);
            break;
        case kStartGame:
            if (actions_.startGame) actions_.startGame();
            break;
        case kExit:
            if (actions_.exit) actions_.exit();
            break;
        default: break;
    }
}

void OptionsWindow::OnCommand(const std::string& name, int code, HWND control) {
    // Only what the suite acts on is shown again: redrawing on every notification would put
    // back the value box's old text while the user types.
    const auto selection = [control] { return static_cast<int>(SendMessageA(control, LB_GETCURSEL, 0, 0)); };
    if (code == EN_CHANGE) {
        if (name == "txtEdit") {
            options_.SetEditor(TextOf(control));
            const LPARAM end = GetWindowTextLengthA(control);
            SendMessageA(control, EM_SETSEL, static_cast<WPARAM>(end), end);
        }
        if (name == "Text1") suite_.ValueChanged(TextOf(control));
    } else if (code == LBN_SELCHANGE && name == "List1") {
        suite_.SelectMap(selection());
    } else if (code == LBN_SELCHANGE && name == "List2") {
        suite_.SelectKey(selection());
    } else if (code == BN_CLICKED) {
        for (const Box& box : kBoxes)
            if (name == box.name)
                options_.SetCheck(box.option, static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0)));
        if (name == "cmdEdit") suite_.ChangeValue();
        if (name == "Command3") suite_.Reload();
        if (name == "Command2") suite_.EditFile();
        if (name == "Command5") suite_.Delete(VK_DELETE);
        if (name == "Command4") suite_.Add();
        if (name == "Command6") suite_.Browse();
        if (name == "Command7") suite_.ShowReadme();
        if (name == "Command1") ShowCommand();
        if (name == "Command8" && actions_.update) actions_.update();
        if (name == "cmdAbout" && actions_.credits) actions_.credits(hwnd());
    } else {
        return;
    }
    ShowView();
}

LRESULT OptionsWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!controls_) return Default(msg, wParam, lParam);
    switch (msg) {
        case WM_CLOSE:
            // Closed: hidden, and loaded anew (settings, lists) the next time it is used.
            ShowWindow(hwnd(), SW_HIDE);
            closed_ = true;
            return 0;
        case WM_VKEYTOITEM:
            if (reinterpret_cast<HWND>(lParam) == (*controls_)["List2"] && LOWORD(wParam) == VK_DELETE) {
                suite_.Delete(VK_DELETE);
                ShowView();
                return -2;  // handled
            }
            return -1;
        case WM_COMMAND:
            if (!refreshing_)
                if (const std::string* name = controls_->NameOf(LOWORD(wParam)))
                    OnCommand(*name, HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
    }
    return Default(msg, wParam, lParam);
}

}  // namespace zarvik
