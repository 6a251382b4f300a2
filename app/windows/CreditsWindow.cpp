#include "app/windows/CreditsWindow.h"

#include "app/windows/ControlTable.h"
#include "app/window-rules/MainWindowRules.h"
#include "zarvik/Version.h"

namespace zarvik {
namespace {

constexpr char kClass[] = "ZarvikCredits";

}  // namespace

CreditsWindow::CreditsWindow(HWND owner, const std::string& programFolder) : owner_(owner) {
    RegisterWindowClass(kClass, WindowProc, true);
    const int dpi = ScreenDpi();
    const int width = TwipsToPixels(4335, dpi), height = TwipsToPixels(3735, dpi);
    // The window's outer size is the player's: its right and bottom edges lie under the border.
    window_ =
        CreateWindowExA(0, kClass, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, CW_USEDEFAULT,
                        CW_USEDEFAULT, width, height, owner, nullptr, GetModuleHandleA(nullptr), nullptr);
    player_ = std::make_unique<MoviePlayer>(window_, RECT{0, 0, width, height});
    image1_ = CreateWindowExA(WS_EX_TRANSPARENT, "static", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0,
                              TwipsToPixels(5175, dpi), TwipsToPixels(4455, dpi), window_, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    player_->SetWindowMode("Transparent");
    player_->SetQuality("AutoHigh");
    player_->SetScaleMode("ShowAll");
    HWND window = window_;
    player_->OnProgress([window](int percent) {
        SetWindowTextA(window, ("Loading... " + std::to_string(percent) + "%").c_str());
    });
    player_->OnReadyStateChange([window](int) { SetWindowTextA(window, "Credits"); });
    player_->LoadMovie(0, MovieFolder(programFolder) + "credits.swf");
    SetWindowTextA(window_, "About Zarvik v" ZARVIK_VERSION_TEXT);
    SetWindowPos(image1_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    player_->Play();
}

CreditsWindow::~CreditsWindow() {
    if (!IsWindow(window_)) return;
    SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    DestroyWindow(window_);
}

void CreditsWindow::RunModal() {
    const bool disable = owner_ && IsWindowEnabled(owner_);
    if (disable) EnableWindow(owner_, FALSE);
    ShowWindow(window_, SW_SHOW);
    RunModalLoop(window_, [this] { return IsWindow(window_) != FALSE; });
    if (disable) EnableWindow(owner_, TRUE);
}

LRESULT CALLBACK CreditsWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CreditsWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && msg == WM_COMMAND && reinterpret_cast<HWND>(lParam) == self->image1_ &&
        HIWORD(wParam) == STN_CLICKED) {
        if (self->player_->IsPlaying())
            self->player_->Stop();
        else
            self->player_->Play();
        return 0;
    }
    if (self && msg == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == self->image1_) {
        // Image1 shows nothing of its own: the credits beneath show through.
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
    }
    if (self && msg == WM_CLOSE && self->owner_) {
        // The owner comes back before the window goes, so that the focus returns to it.
        EnableWindow(self->owner_, TRUE);
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

void ShowCredits(HWND owner, const std::string& programFolder) {
    CreditsWindow credits(owner, programFolder);
    credits.RunModal();
}

}  // namespace zarvik
