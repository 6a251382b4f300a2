// The movie player window under Wine, set up as the main window sets up the title: what it
// shows, playing by the clock and resting unseen, and its look by quality.
#include "app/windows/movie/MoviePlayer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>

namespace zarvik {
namespace {

constexpr std::uint32_t kHost = 0x0a141e, kMark = 0x960000;  // as 0xRRGGBB
constexpr int kMarkRow = 31, kWidth = 305, kHeight = 65;     // the player's place in the window

// Painted with its class brush; asked to print, it draws a mark on one row, as the main window
// draws its border, which a transparent player must show.
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_PRINTCLIENT) return DefWindowProcA(hwnd, msg, wParam, lParam);
    SetDCBrushColor(reinterpret_cast<HDC>(wParam), RGB(150, 0, 0));
    const RECT row = {0, kMarkRow, 1000, kMarkRow + 1};
    FillRect(reinterpret_cast<HDC>(wParam), &row, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    return 0;
}

// Runs the message loop until `done` or `ms` have passed; true when done. Counts the timer
// messages (the player's: nothing else here sets one).
bool RunUntil(const std::function<bool()>& done, DWORD ms, int* timers = nullptr) {
    for (const DWORD start = GetTickCount();;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (timers && msg.message == WM_TIMER) ++*timers;
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

int TimersIn(DWORD ms) {
    int timers = 0;
    RunUntil([] { return false; }, ms, &timers);
    return timers;
}

// The pixels near `colour` in what the player paints: how many, their first and last column,
// and whether the mark's row shows at the left edge.
struct Found {
    int count = 0, left = INT_MAX, right = -1;
    bool mark = false;
};
Found Find(HWND player, std::uint32_t colour, int tolerance = 8) {
    movie::Surface surface;
    Found found;
    if (!surface.Ensure(kWidth, kHeight)) return found;
    SendMessageA(player, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT);
    GdiFlush();
    found.mark = (surface.bits()[kMarkRow * kWidth] & 0xffffff) == kMark;
    for (int i = 0; i < kWidth * kHeight; ++i) {
        int distance = 0;
        for (int shift : {0, 8, 16})
            distance = std::max(distance, abs(int(surface.bits()[i] >> shift & 0xff) - int(colour >> shift & 0xff)));
        if (distance > tolerance) continue;
        ++found.count;
        found.left = std::min(found.left, i % kWidth);
        found.right = std::max(found.right, i % kWidth);
    }
    return found;
}

struct PlayerTest : ::testing::Test {
    PlayerTest() {
        static const HBRUSH background = CreateSolidBrush(RGB(10, 20, 30));  // the class's, for the process
        const WNDCLASSA wc = {0,       HostProc, 0,          0,       GetModuleHandleA(nullptr),
                              nullptr, nullptr,  background, nullptr, "MovieTestHost"};
        RegisterClassA(&wc);
        host = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_CLIPCHILDREN | WS_VISIBLE, 0, 0, 600, 400,
                               nullptr, nullptr, wc.hInstance, nullptr);
        player = std::make_unique<MoviePlayer>(host, RECT{0, 0, kWidth, kHeight});
        player->SetWindowMode("Transparent");
        player->SetScaleMode("NoBorder");
        player->SetQuality("AutoHigh");
    }
    ~PlayerTest() override {
        player.reset();
        DestroyWindow(host);
    }

    HWND host = nullptr;
    std::unique_ptr<MoviePlayer> player;
};

TEST_F(PlayerTest, TheTitleReadsZarvikInTheAboutColoursOverTheWindow) {
    ASSERT_TRUE(player->LoadMovie(0, ZARVIK_MOVIE_DIR "title.swf"));
    EXPECT_EQ(Find(player->window(), 0x0000ff, 60).count, 0) << "frame 0: before the letters drop in";
    player->GotoFrame(64);
    const Found blue = Find(player->window(), 0x0000ff), magenta = Find(player->window(), 0xff00ff),
                red = Find(player->window(), 0xff0000), host = Find(player->window(), kHost, 0);
    EXPECT_GT(blue.count, 150) << "Z-a-r";
    EXPECT_GT(red.count, 20) << "i";
    EXPECT_GT(magenta.count, 150) << "v and k";
    EXPECT_LT(blue.right, red.left);
    EXPECT_LT(magenta.left, red.left) << "v before the i";
    EXPECT_GT(magenta.right, red.right) << "k after the i";
    EXPECT_GT(host.count, kWidth * kHeight / 2) << "the window shows through";
    EXPECT_TRUE(host.mark) << "and what the window draws itself";
}

TEST_F(PlayerTest, PlaysByTheClockRestsUnseenAndNeedsNoTimerStopped) {
    ASSERT_TRUE(player->LoadMovie(0, ZARVIK_MOVIE_DIR "title.swf"));
    player->Play();
    ASSERT_TRUE(RunUntil([&] { return player->CurrentFrame() >= 2; }, 5000));
    for (const int hide : {SW_HIDE, SW_MINIMIZE}) {  // in the tray, or minimized
        ShowWindow(host, hide);
        TimersIn(600);
        const int frame = player->CurrentFrame();
        EXPECT_LE(TimersIn(1000), 3) << hide;
        EXPECT_EQ(player->CurrentFrame(), frame) << hide;
        ShowWindow(host, SW_SHOWNOACTIVATE);
        EXPECT_TRUE(RunUntil([&] { return player->CurrentFrame() != frame; }, 2000)) << hide;
    }
    player->Stop();
    TimersIn(50);
    EXPECT_EQ(TimersIn(400), 0) << "a stopped player has no timer";
}

TEST_F(PlayerTest, QualityDecidesWhetherEdgesAreSmoothed) {
    ASSERT_TRUE(
        player->LoadMovieFromMemory("zarvik-movie 1\nstage 305 65\nrate 10\nframes 1\n"
                                    "ellipse\nat 0 x 100 y 5 w 100 h 55 colour 2\nend\n"));
    for (const std::string quality : {"Low", "High", "Ultra"}) {
        EXPECT_EQ(player->SetQuality(quality), quality != "Ultra");
        int hard = 0;
        for (std::uint32_t colour : {kHost, kMark, 0x00ff00u}) hard += Find(player->window(), colour, 0).count;
        if (quality == "Low")
            EXPECT_EQ(hard, kWidth * kHeight) << "Low: hard edges only";
        else
            EXPECT_LT(hard, kWidth * kHeight - 40) << quality << ": edges blend (Ultra keeps High)";
    }
}

}  // namespace
}  // namespace zarvik
