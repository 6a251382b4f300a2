#include "app/windows/CreditsWindow.h"

#include "app/windows/ControlTable.h"
#include "app/window-rules/MainWindowRules.h"
#include "app/windows/ModalLoop.h"
#include "app/windows/ScreenDpi.h"
#include "app/windows/movie/MoviePlayer.h"
#include "winbase/Window.h"
#include "zarvik/Version.h"

#include <memory>

namespace zarvik {
namespace {

class CreditsWindow : public winbase::Window<CreditsWindow> {
  public:
    static constexpr const char* kClassName = "ZarvikCredits";
    static void Describe(WNDCLASSEXA& wc) { wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1)); }

    // Made hidden, the movie loading and playing.
    CreditsWindow(HWND owner, const std::string& programFolder) : owner_(owner) {
        const int dpi = ScreenDpi();
        const int width = TwipsToPixels(4335, dpi), height = TwipsToPixels(3735, dpi);
        // The window's outer size is the player's: its right and bottom edges lie under the border.
        HWND window = Create(0, "", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                             width, height, owner);
        player_ = std::make_unique<MoviePlayer>(window, RECT{0, 0, width, height});
        image1_ = CreateWindowExA(WS_EX_TRANSPARENT, "static", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0, 0,
                                  TwipsToPixels(5175, dpi), TwipsToPixels(4455, dpi), window, nullptr,
                                  winbase::ThisModule(), nullptr);
        player_->SetWindowMode("Transparent");
        player_->SetQuality("AutoHigh");
        player_->SetScaleMode("ShowAll");
        player_->OnProgress(
            [window](int percent) { SetWindowTextA(window, ("Loading... " + std::to_string(percent) + "%").c_str()); });
        player_->OnReadyStateChange([window](int) { SetWindowTextA(window, "Credits"); });
        player_->LoadMovie(0, MovieFolder(programFolder) + "credits.swf");
        SetWindowTextA(window, "About Zarvik v" ZARVIK_VERSION_TEXT);
        SetWindowPos(image1_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        player_->Play();
    }

    ~CreditsWindow() { Destroy(); }

    void RunModal() {
        const bool disable = owner_ && IsWindowEnabled(owner_);
        if (disable) EnableWindow(owner_, FALSE);
        ShowWindow(hwnd(), SW_SHOW);
        RunModalLoop(hwnd(), [this] { return hwnd() != nullptr; });
        if (disable) EnableWindow(owner_, TRUE);
    }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        const bool image1 = image1_ && reinterpret_cast<HWND>(lParam) == image1_;
        if (image1 && msg == WM_COMMAND && HIWORD(wParam) == STN_CLICKED) {
            if (player_->IsPlaying())
                player_->Stop();
            else
                player_->Play();
            return 0;
        }
        if (image1 && msg == WM_CTLCOLORSTATIC) {
            // Image1 shows nothing of its own: the credits beneath show through.
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        // The owner comes back before the window goes, so that the focus returns to it.
        if (msg == WM_CLOSE && owner_) EnableWindow(owner_, TRUE);
        return Default(msg, wParam, lParam);
    }

  private:
    HWND owner_;
    HWND image1_ = nullptr;
    std::unique_ptr<MoviePlayer> player_;
};

}  // namespace

void ShowCredits(HWND owner, const std::string& programFolder) { CreditsWindow(owner, programFolder).RunModal(); }

}  // namespace zarvik
