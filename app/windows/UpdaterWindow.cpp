#include "app/windows/UpdaterWindow.h"

#include "app/windows/ScreenDpi.h"
#include "zarvik/Version.h"

#include <cstring>

namespace zarvik {
namespace {

constexpr int kClientWidth = 4680, kSmallHeight = 1140, kTallHeight = 1740;

std::vector<ControlRow> Rows() {
    return {
        {"lblStatus", ControlKind::Label, "Welcome to the Zarvik Updater!", 120, 120, 4335, 375, SS_NOPREFIX},
        {"Command1", ControlKind::Button, "&Update", 3720, 720, 855, 375},
        {"Command2", ControlKind::Button, "&Copy URL", 120, 840, 1095, 375},
    };
}

}  // namespace

UpdaterWindow::UpdaterWindow(std::string site, Fetcher& fetcher, SuiteDialogs* dialogs)
    : site_(std::move(site)), fetcher_(fetcher), dialogs_(dialogs ? *dialogs : ownDialogs_) {}

void UpdaterWindow::Open() {
    if (hwnd()) {
        ShowWindow(hwnd(), SW_SHOW);
        SetForegroundWindow(hwnd());
        return;
    }
    dpi_ = ScreenDpi();
    const DWORD style = WS_CAPTION | WS_SYSMENU;
    RECT outer = {0, 0, TwipsToPixels(kClientWidth, dpi_), 100};
    AdjustWindowRect(&outer, style, FALSE);
    ownDialogs_.owner = Create(WS_EX_CONTROLPARENT, "Update Zarvik", style, CW_USEDEFAULT, CW_USEDEFAULT,
                               outer.right - outer.left, TwipsToPixels(kSmallHeight, dpi_), nullptr);
    if (!hwnd()) return;
    controls_ = std::make_unique<ControlTable>(hwnd(), Rows(), dpi_);
    ++openings_;
    Check();
}

void UpdaterWindow::SetStatus(const std::string& text) {
    SetWindowTextA((*controls_)["lblStatus"], text.c_str());
    ::UpdateWindow(hwnd());
}

void UpdaterWindow::SetOuterHeight(int twips) {
    RECT r;
    GetWindowRect(hwnd(), &r);
    SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, TwipsToPixels(twips, dpi_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void UpdaterWindow::Check() {
    address_ = site_ + "files/zarvik.zip";
    SetOuterHeight(kSmallHeight);
    ShowWindow(hwnd(), SW_SHOW);
    SetStatus("Checking for update...");
    // The fetches let this thread's windows work: this one may be closed meanwhile, and opened
    // anew with a check of its own.
    const int opening = openings_;
    const UpdateOutcome outcome =
        CheckForUpdate(fetcher_, site_, ZARVIK_VERSION_MAJOR, ZARVIK_VERSION_MINOR, ZARVIK_VERSION_PATCH);
    if (!hwnd() || openings_ != opening) return;
    address_ = outcome.downloadAddress;
    SetStatus(outcome.status);
    if (outcome.updateFound) SetOuterHeight(kTallHeight);
}

void UpdaterWindow::OpenDownload() {
    SetStatus("Opening URL");
    dialogs_.Tell(
        "When the download dialog appears, click Save, not run.\r\n"
        "Once the download has completed, select uninstall, then re-run the setup. \r\n"
        "   Note: This will not affect any saved binds.");
    dialogs_.Start("explorer " + address_, false);
    SetStatus("URL Opened.       Note:  Windows Installer may be required to install");
}

void UpdaterWindow::CopyAddress() {
    if (!dialogs_.Ask("Copy Update URL to Clipboard?", "Copy URL")) return;
    if (!OpenClipboard(hwnd())) return;
    EmptyClipboard();
    if (HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, address_.size() + 1)) {
        std::memcpy(GlobalLock(text), address_.c_str(), address_.size() + 1);
        GlobalUnlock(text);
        if (!SetClipboardData(CF_TEXT, text)) GlobalFree(text);
    }
    CloseClipboard();
}

LRESULT UpdaterWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (controls_ && msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        const std::string* name = controls_->NameOf(LOWORD(wParam));
        if (name && *name == "Command1") OpenDownload();
        if (name && *name == "Command2") CopyAddress();
        return 0;
    }
    if (msg == WM_NCDESTROY) controls_.reset();  // closed: nothing is kept, the next opening checks again
    return Default(msg, wParam, lParam);
}

}  // namespace zarvik
