#pragma once

// The movie player: our stand-in for the Flash player control of the title and the credits.
// A child window that plays a movie of our own format (FORMAT.md) with the calls and events
// of that control. A movie that is missing or damaged leaves the player empty, painted with
// the parent's background; every call stays harmless.
//
// Events arrive posted, from the message loop, never inside the call that caused them, as a
// control's events do. In transparent window mode the parent's background shows through: the
// player asks the parent to paint into its buffer with WM_ERASEBKGND and WM_PRINTCLIENT, so a
// parent that draws more than its class brush should answer WM_PRINTCLIENT. The player does not
// clip its siblings, so a transparent window laid over it still shows the movie.

#include "app/windows/movie/FrameCache.h"
#include "app/windows/movie/Movie.h"
#include "app/windows/movie/MovieCanvas.h"
#include "app/windows/movie/Playhead.h"
#include "app/windows/movie/Stage.h"
#include "winbase/Window.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zarvik {

class MoviePlayer : public winbase::Window<MoviePlayer> {
  public:
    // The Flash control's ready states.
    enum ReadyState { kLoading = 0, kUninitialized = 1, kLoaded = 2, kInteractive = 3, kComplete = 4 };

    // A visible child of `parent` at `pixels` (client coordinates: the window converts its twips
    // with the screen's DPI), empty until a movie is loaded. The movie is drawn to fit at any size.
    MoviePlayer(HWND parent, const RECT& pixels, int id = 0);

    HWND window() const { return hwnd(); }

    // 100 once a movie is in; 0 when there is none (never loaded, or the last load failed).
    int PercentLoaded() const { return percent_; }

    // Replaces the movie. Only layer 0 exists: other layers are left alone and give false.
    // A load that fails empties the player. False when no movie came of it.
    bool LoadMovie(int layer, const std::string& path);
    bool LoadMovieFromMemory(std::string_view bytes);
    // A movie kept in the program as an RCDATA resource (zarvik_embed_movie in CMake).
    bool LoadMovieFromResource(HMODULE module, const char* name);

    void Play();
    void Stop();
    // Frames count from 0; a frame past either end goes to that end. Playing goes on from there.
    void GotoFrame(int frame);
    int CurrentFrame() const { return playhead_.frame(); }
    bool IsPlaying() const { return playhead_.playing(); }

    const std::string& Tag() const { return tag_; }
    void SetTag(std::string tag) { tag_ = std::move(tag); }

    // On by default.
    void SetLoop(bool loop) { playhead_.SetLoop(loop); }
    bool Loop() const { return playhead_.loop(); }

    // A load fires kLoading, then OnProgress with the percentage read as the file comes in,
    // then kComplete, or kUninitialized when it failed.
    void OnReadyStateChange(std::function<void(int state)> handler) { onReadyState_ = std::move(handler); }
    void OnProgress(std::function<void(int percent)> handler) { onProgress_ = std::move(handler); }

    // "Window", "Opaque" or "Transparent" (the default is "Window").
    bool SetWindowMode(std::string_view mode);
    // "Low" (hard edges), "Medium" (smooth text), "High" or "Best" (smooth shapes too), "AutoLow"
    // or "AutoHigh" (low or high until a frame has been timed, then high while drawing keeps up
    // with the frame rate and low from the first frame that does not). The default is "High".
    bool SetQuality(std::string_view quality);
    // "ShowAll", "NoBorder", "ExactFit" or "NoScale" (the default is "ShowAll").
    // Each setter gives false for a name it does not know and keeps the setting it had.
    bool SetScaleMode(std::string_view mode);

  private:
    friend Window;
    struct Event {
        bool progress;
        int value;
    };

    static constexpr const char* kClassName = "ZarvikMoviePlayer";
    // No background brush: every pixel is painted from the buffer.
    static void Describe(WNDCLASSEXA& wc) { wc.hbrBackground = nullptr; }
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool Accept(std::optional<movie::Movie> movie);
    void Raise(bool progress, int value);
    void Deliver();
    void Changed();
    void ScheduleFrame();
    void Render(HDC target);
    void PaintParentBackground(HDC dc, int width, int height);

    std::optional<movie::Movie> movie_;
    movie::Playhead playhead_;
    int percent_ = 0;
    std::string tag_;
    movie::WindowMode windowMode_ = movie::WindowMode::Window;
    movie::Quality quality_ = movie::Quality::High;
    movie::ScaleMode scaleMode_ = movie::ScaleMode::ShowAll;
    movie::PaintSpeed speed_ = movie::PaintSpeed::Unknown;
    std::function<void(int)> onReadyState_;
    std::function<void(int)> onProgress_;
    std::deque<Event> events_;
    bool deliveryPosted_ = false;
    std::shared_ptr<int> life_ = std::make_shared<int>();  // lets Deliver notice a handler deleting us
    movie::Surface back_;
    movie::Surface large_;
    movie::FontCache fonts_;
    movie::FrameCache frames_;
    int frameLook_ = -1;
};

}  // namespace zarvik
