#pragma once

// The credits window (frmCredits): plays credits.swf from the program's folder; a click anywhere
// stops or resumes it. Made anew for each showing, modal over its owner, gone when closed.

#include "app/windows/movie/MoviePlayer.h"

#include <windows.h>

#include <memory>
#include <string>

namespace zarvik {

class CreditsWindow {
  public:
    // Made hidden, the movie loading and playing.
    CreditsWindow(HWND owner, const std::string& programFolder);
    ~CreditsWindow();
    CreditsWindow(const CreditsWindow&) = delete;
    CreditsWindow& operator=(const CreditsWindow&) = delete;

    HWND window() const { return window_; }
    HWND image1() const { return image1_; }
    const MoviePlayer& player() const { return *player_; }
    // Shows it; returns once the user has closed it. The owner is disabled meanwhile.
    void RunModal();

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND owner_;
    HWND window_ = nullptr;
    HWND image1_ = nullptr;
    std::unique_ptr<MoviePlayer> player_;
};

void ShowCredits(HWND owner, const std::string& programFolder);

}  // namespace zarvik
