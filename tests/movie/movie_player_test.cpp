// The movie player window under Wine: playing, stopping, going to a frame, the events, empty on
// any bad movie, the title kept in the program, and what it draws.
#include "app/windows/movie/MoviePlayer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>

namespace zarvik {
namespace {

const std::string kDir = ZARVIK_MOVIE_DIR;
constexpr COLORREF kHostBackground = RGB(10, 20, 30), kHostMark = RGB(150, 0, 0);
constexpr int kHostMarkRow = 31;

// Painted with its class brush by DefWindowProc; it also draws a mark on one row, as the main
// window draws its border, which a transparent player must show.
LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PRINTCLIENT) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetDCBrushColor(dc, kHostMark);
        const RECT row = {0, kHostMarkRow, 1000, kHostMarkRow + 1};
        FillRect(dc, &row, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Lets the message loop run until `done` or `ms` have passed; true when done. Counts the
// frame timer's messages to `player` in `timers`.
bool RunUntil(const std::function<bool()>& done, DWORD ms, HWND player = nullptr, int* timers = nullptr) {
    const DWORD start = GetTickCount();
    while (true) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (timers && msg.hwnd == player && msg.message == WM_TIMER) ++*timers;
            DispatchMessageA(&msg);
        }
        if (done()) return true;
        const DWORD passed = GetTickCount() - start;
        if (passed >= ms) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed, QS_ALLINPUT);
    }
}

int TimerMessagesIn(DWORD ms, HWND player) {
    int timers = 0;
    RunUntil([] { return false; }, ms, player, &timers);
    return timers;
}

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}
const Rgb kBlue{0, 0, 255}, kMagenta{255, 0, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlack{0, 0, 0},
    kWhite{255, 255, 255}, kHost{10, 20, 30}, kMark{150, 0, 0};

// What the player paints, as WM_PRINTCLIENT gives it.
struct Picture {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    Rgb At(int x, int y) const { return pixels[size_t(y * width + x)]; }
    // How many pixels lie within `tolerance` of `colour`, and the box around them.
    std::pair<int, RECT> Find(Rgb c, int tolerance) const {
        int count = 0;
        RECT box = {INT_MAX, INT_MAX, INT_MIN, INT_MIN};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Rgb p = At(x, y);
                if (std::max({abs(p.r - c.r), abs(p.g - c.g), abs(p.b - c.b)}) > tolerance) continue;
                ++count;
                box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                       std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
            }
        return {count, box};
    }
    int Outside(std::vector<Rgb> colours) const {
        return int(std::count_if(pixels.begin(), pixels.end(), [&](Rgb p) {
            return std::find(colours.begin(), colours.end(), p) == colours.end();
        }));
    }
};

Picture Capture(HWND window) {
    RECT client = {};
    GetClientRect(window, &client);
    Picture picture{client.right, client.bottom, {}};
    movie::Surface surface;
    if (!surface.Ensure(picture.width, picture.height)) return picture;
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(surface.dc()), PRF_CLIENT);
    GdiFlush();
    for (int i = 0; i < picture.width * picture.height; ++i) {
        const std::uint32_t p = surface.bits()[i];
        picture.pixels.push_back({int(p >> 16 & 0xff), int(p >> 8 & 0xff), int(p & 0xff)});
    }
    return picture;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Movie(const std::string& head, const std::string& items) {
    return "zarvik-movie 1\n" + head + "\n" + items + "end\n";
}

class PlayerTest : public ::testing::Test {
  protected:
    PlayerTest() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "MovieTestHost";
        RegisterClassA(&wc);
        host = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_CLIPCHILDREN, 0, 0, 600, 400, nullptr,
                               nullptr, wc.hInstance, nullptr);
        SetClassLongPtrA(host, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(background.get()));
        ShowWindow(host, SW_SHOWNOACTIVATE);
        Place({0, 0, 305, 65});
    }
    ~PlayerTest() override {
        player.reset();
        DestroyWindow(host);
        for (const std::string& file : files) DeleteFileA(file.c_str());
    }
    void Place(RECT pixels) {
        player = std::make_unique<MoviePlayer>(host, pixels);
        player->OnReadyStateChange([this](int state) { states.push_back(state); });
        player->OnProgress([this](int percent) { progress.push_back(percent); });
    }
    std::string TempFile(const std::string& bytes) {
        char folder[MAX_PATH], name[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        GetTempFileNameA(folder, "mov", 0, name);
        std::ofstream(name, std::ios::binary | std::ios::trunc) << bytes;
        files.push_back(name);
        return name;
    }
    // Lets pending events arrive, then empties the record.
    void Settle() {
        RunUntil([] { return false; }, 30);
    }
    void Forget() {
        Settle();
        states.clear();
        progress.clear();
    }

    movie::GdiPtr<HBRUSH> background{CreateSolidBrush(kHostBackground)};
    HWND host = nullptr;
    std::unique_ptr<MoviePlayer> player;
    std::vector<int> states, progress;
    std::vector<std::string> files;
};

TEST_F(PlayerTest, PlaysStopsAndGoesOnFromTheFrameGoneTo) {
    EXPECT_EQ(player->PercentLoaded(), 0) << "nothing stored in a new player";
    ASSERT_TRUE(player->LoadMovie(0, kDir + "title.swf"));
    EXPECT_EQ(player->PercentLoaded(), 100);
    EXPECT_FALSE(player->IsPlaying()) << "loading alone does not start it";
    player->Play();
    std::vector<int> seen = {0};
    ASSERT_TRUE(RunUntil(
        [&] {
            if (player->CurrentFrame() != seen.back()) seen.push_back(player->CurrentFrame());
            return seen.back() >= 4;
        },
        5000));
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    // The main window's click: remember the frame in the tag, show frame 64, stop.
    player->SetTag(std::to_string(player->CurrentFrame()));
    player->GotoFrame(64);
    player->Stop();
    EXPECT_FALSE(player->IsPlaying());
    TimerMessagesIn(50, player->window());
    EXPECT_EQ(TimerMessagesIn(400, player->window()), 0) << "a stopped player has no timer";
    EXPECT_EQ(player->CurrentFrame(), 64);

    // And the click after: back to the remembered frame, playing on from there.
    const int remembered = std::stoi(player->Tag());
    player->GotoFrame(remembered);
    EXPECT_EQ(player->CurrentFrame(), remembered);
    player->Play();
    ASSERT_TRUE(RunUntil([&] { return player->CurrentFrame() > remembered; }, 5000));
    EXPECT_LT(player->CurrentFrame(), remembered + 20);
    player->GotoFrame(500);
    EXPECT_EQ(player->CurrentFrame(), 119) << "past the end: the last frame";
}

TEST_F(PlayerTest, RestsWhileNobodyCanSeeItAndGoesOnOnceShown) {
    ASSERT_TRUE(player->LoadMovie(0, kDir + "title.swf"));
    player->Play();
    ASSERT_TRUE(RunUntil([&] { return player->CurrentFrame() >= 2; }, 5000));
    for (const int hide : {SW_HIDE, SW_MINIMIZE}) {
        ShowWindow(host, hide);
        TimerMessagesIn(600, player->window());
        const int frame = player->CurrentFrame();
        EXPECT_LE(TimerMessagesIn(1000, player->window()), 3) << hide;
        EXPECT_EQ(player->CurrentFrame(), frame) << hide;
        EXPECT_TRUE(player->IsPlaying()) << "resting is not stopping";
        ShowWindow(host, SW_SHOWNOACTIVATE);
        EXPECT_TRUE(RunUntil([&] { return player->CurrentFrame() != frame; }, 2000)) << hide;
    }
}

TEST_F(PlayerTest, LoopsUnlessToldNotToAndThenEndsOnTheLastFrame) {
    ASSERT_TRUE(
        player->LoadMovieFromMemory(Movie("stage 10 10\nrate 60\nframes 4", "rect\nat 0 w 10 h 10\n")));
    EXPECT_TRUE(player->Loop());
    player->SetLoop(false);
    player->Play();
    ASSERT_TRUE(RunUntil([&] { return !player->IsPlaying(); }, 3000));
    EXPECT_EQ(player->CurrentFrame(), 3);
    EXPECT_EQ(TimerMessagesIn(200, player->window()), 0) << "ended: no timer";

    player->SetLoop(true);
    player->Play();
    int last = player->CurrentFrame(), wraps = 0;
    EXPECT_TRUE(RunUntil(
        [&] {
            wraps += player->CurrentFrame() < std::exchange(last, player->CurrentFrame());
            return wraps >= 2;
        },
        3000));
}

TEST_F(PlayerTest, EventsArriveFromTheMessageLoopWithTheirValues) {
    const std::string title = ReadFile(kDir + "title.swf");
    const size_t firstLine = title.find('\n') + 1;
    std::string padding;  // a 40000-byte title comes in three pieces
    while (padding.size() < 40000 - title.size()) padding += "# " + std::string(97, '-') + "\n";
    padding.resize(40000 - title.size() - 1);
    const std::string large = title.substr(0, firstLine) + padding + "\n" + title.substr(firstLine);

    const int loading = MoviePlayer::kLoading, complete = MoviePlayer::kComplete,
              none = MoviePlayer::kUninitialized;
    const struct {
        const char* what;
        std::function<bool()> load;
        std::vector<int> states, progress;
    } cases[] = {
        {"credits", [&] { return player->LoadMovie(0, kDir + "credits.swf"); }, {loading, complete}, {100}},
        {"large", [&] { return player->LoadMovie(0, TempFile(large)); }, {loading, complete}, {40, 81, 100}},
        {"missing", [&] { return player->LoadMovie(0, kDir + "no-such.swf"); }, {loading, none}, {}},
        {"cut",
         [&] { return player->LoadMovie(0, TempFile(large.substr(0, 20000))); },
         {loading, none},
         {81, 100}},
        {"memory", [&] { return player->LoadMovieFromMemory(title); }, {loading, complete}, {100}},
    };
    for (const auto& c : cases) {
        Forget();
        EXPECT_EQ(c.load(), c.states.back() == complete) << c.what;
        EXPECT_TRUE(states.empty() && progress.empty()) << c.what << ": not inside the call";
        Settle();
        EXPECT_EQ(states, c.states) << c.what;
        EXPECT_EQ(progress, c.progress) << c.what;
    }
}

TEST_F(PlayerTest, AHandlerMayReloadThrowOrDeleteThePlayer) {
    bool reloaded = false;
    player->OnReadyStateChange([&](int state) {
        states.push_back(state);
        if (state == MoviePlayer::kComplete && !std::exchange(reloaded, true))
            player->LoadMovie(0, kDir + "no-such.swf");
    });
    player->LoadMovie(0, kDir + "title.swf");
    Settle();
    EXPECT_EQ(states, (std::vector<int>{0, 4, 0, 1})) << "its own events come after the ones there";

    // A handler that throws loses its own event, not the ones after it.
    Forget();
    bool thrown = false;
    player->OnReadyStateChange([this](int state) { states.push_back(state); });
    player->OnProgress([&](int) {
        if (!std::exchange(thrown, true)) throw std::runtime_error("a handler's fault");
    });
    player->LoadMovie(0, kDir + "title.swf");
    Settle();
    player->LoadMovie(0, kDir + "credits.swf");
    Settle();
    EXPECT_EQ(states, (std::vector<int>{0, 4, 0, 4}));

    // The credits window closing on the first event: the rest are dropped, nothing breaks.
    int heard = 0;
    player->OnReadyStateChange([&](int) {
        ++heard;
        player.reset();
    });
    player->LoadMovie(0, kDir + "title.swf");
    Settle();
    EXPECT_EQ(heard, 1);
}

TEST_F(PlayerTest, AnyBadMovieLeavesTheAreaEmptyAndEveryCallHarmless) {
    const std::string title = ReadFile(kDir + "title.swf");
    std::string garbage(3000, '\0');
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = char(i * 131 + 7);
    const std::pair<const char*, std::function<bool()>> cases[] = {
        {"missing", [&] { return player->LoadMovie(0, kDir + "no-such.swf"); }},
        {"a folder", [&] { return player->LoadMovie(0, kDir); }},
        {"no name", [&] { return player->LoadMovie(0, ""); }},
        {"empty", [&] { return player->LoadMovie(0, TempFile("")); }},
        {"cut", [&] { return player->LoadMovie(0, TempFile(title.substr(0, title.size() / 2))); }},
        {"garbage", [&] { return player->LoadMovie(0, TempFile(garbage)); }},
        {"a real Flash file", [&] { return player->LoadMovie(0, TempFile("FWS\x06\x20\x00\x00\x00")); }},
        {"too large", [&] { return player->LoadMovie(0, TempFile(title + std::string(1 << 20, '#'))); }},
        {"damaged bytes", [&] { return player->LoadMovieFromMemory(title.substr(0, 700)); }},
        {"no such resource", [&] { return player->LoadMovieFromResource(nullptr, "NO_SUCH_MOVIE"); }},
    };
    for (const auto& [what, load] : cases) {
        SCOPED_TRACE(what);
        ASSERT_TRUE(player->LoadMovie(0, kDir + "title.swf"));
        player->GotoFrame(64);
        ASSERT_GT(Capture(player->window()).Find(kBlue, 0).first, 0) << "the title shows first";
        EXPECT_FALSE(load());
        EXPECT_EQ(player->PercentLoaded(), 0);
        for (const char* mode : {"Window", "Transparent"}) {
            player->SetWindowMode(mode);
            EXPECT_EQ(Capture(player->window()).Outside({kHost, kMark}), 0)
                << mode << ": only the window's own";
        }
        player->Play();
        player->GotoFrame(10);
        EXPECT_EQ(player->CurrentFrame(), 0);
        EXPECT_EQ(TimerMessagesIn(100, player->window()), 0) << "nothing to play, nothing ticking";
        player->Stop();
    }

    // Layers other than 0 do not exist: the movie in layer 0 stays.
    ASSERT_TRUE(player->LoadMovie(0, kDir + "title.swf"));
    EXPECT_FALSE(player->LoadMovie(1, kDir + "credits.swf"));
    EXPECT_EQ(player->PercentLoaded(), 100);
    player->GotoFrame(200);
    EXPECT_EQ(player->CurrentFrame(), 119) << "still the title";

    // The parent destroyed first: the player has no window left, and calls stay harmless.
    Forget();
    DestroyWindow(host);
    EXPECT_EQ(player->window(), nullptr);
    player->Play();
    player->GotoFrame(64);
    player->LoadMovie(0, kDir + "credits.swf");
    player->SetWindowMode("Opaque");
    Settle();
    EXPECT_TRUE(states.empty()) << "no window, no events";
}

TEST_F(PlayerTest, TheTitleKeptInTheProgramIsThereAtOnce) {
    ASSERT_TRUE(player->LoadMovieFromResource(GetModuleHandleA(nullptr), "TITLE_MOVIE"));
    EXPECT_EQ(player->PercentLoaded(), 100) << "so the main window shows no LOADING box";
    MoviePlayer fromFile(host, {0, 100, 305, 165});
    ASSERT_TRUE(fromFile.LoadMovie(0, kDir + "title.swf"));
    for (int frame : {12, 64, 110}) {
        player->GotoFrame(frame);
        fromFile.GotoFrame(frame);
        EXPECT_EQ(Capture(player->window()).pixels, Capture(fromFile.window()).pixels)
            << "the file's, frame " << frame;
    }
}

TEST_F(PlayerTest, TheTitleReadsZarvikInTheAboutColoursAndGrowsWithItsArea) {
    RECT boxes[2];
    for (int size = 0; size < 2; ++size) {
        if (size == 1) Place({0, 0, 458, 98});  // the same twips at 144 dpi
        ASSERT_TRUE(player->LoadMovie(0, kDir + "title.swf"));
        player->SetWindowMode("Transparent");
        player->SetScaleMode("NoBorder");
        player->SetQuality("AutoHigh");
        player->GotoFrame(64);
        const Picture shot = Capture(player->window());
        const auto [blue, blueBox] = shot.Find(kBlue, 8);
        const auto [magenta, magentaBox] = shot.Find(kMagenta, 8);
        const auto [red, redBox] = shot.Find(kRed, 8);
        EXPECT_GT(blue, 150) << "Z-a-r";
        EXPECT_GT(red, 20) << "i";
        EXPECT_GT(magenta, 150) << "v and k";
        EXPECT_LT(blueBox.right, redBox.left);
        EXPECT_LT(magentaBox.left, redBox.left) << "v before the i";
        EXPECT_GT(magentaBox.right, redBox.right) << "k after the i";
        EXPECT_GT(shot.Find(kHost, 0).first, shot.width * shot.height / 2) << "the window shows through";
        boxes[size] = blueBox;
    }
    EXPECT_NEAR(boxes[1].left, boxes[0].left * 1.5, 3);
    EXPECT_NEAR(boxes[1].top, boxes[0].top * 1.5, 3);
    EXPECT_NEAR(boxes[1].right - boxes[1].left, (boxes[0].right - boxes[0].left) * 1.5, 4);
    EXPECT_NEAR(boxes[1].bottom - boxes[1].top, (boxes[0].bottom - boxes[0].top) * 1.5, 4);

    player->GotoFrame(0);
    EXPECT_EQ(Capture(player->window()).Find(kBlue, 60).first, 0) << "before the letters drop in";
}

TEST_F(PlayerTest, ScaleModesPlaceTheStage) {
    Place({0, 0, 200, 200});
    ASSERT_TRUE(player->LoadMovieFromMemory(
        Movie("stage 100 50\nrate 10\nframes 1\nbackground 0", "rect\nat 0 w 100 h 50 colour 2\n")));
    const std::pair<const char*, std::vector<std::pair<POINT, Rgb>>> cases[] = {
        {"ShowAll", {{{100, 49}, kBlack}, {{100, 50}, kGreen}, {{0, 149}, kGreen}, {{199, 150}, kBlack}}},
        {"NoBorder", {{{0, 0}, kGreen}, {{199, 199}, kGreen}}},
        {"ExactFit", {{{0, 0}, kGreen}, {{199, 199}, kGreen}}},
        {"NoScale", {{{49, 100}, kBlack}, {{50, 75}, kGreen}, {{149, 124}, kGreen}, {{150, 100}, kBlack}}},
    };
    for (const auto& [mode, expected] : cases) {
        EXPECT_TRUE(player->SetScaleMode(mode));
        const Picture shot = Capture(player->window());
        for (const auto& [at, colour] : expected)
            EXPECT_EQ(shot.At(at.x, at.y), colour) << mode << " " << at.x << "," << at.y;
    }
    EXPECT_FALSE(player->SetScaleMode("Stretch"));
    EXPECT_EQ(Capture(player->window()).At(0, 0), kBlack) << "an unknown name keeps NoScale";
}

TEST_F(PlayerTest, TransparentShowsTheParentAndOtherModesTheMoviesBackground) {
    Place({20, 30, 120, 130});
    ASSERT_TRUE(player->LoadMovieFromMemory(Movie("stage 100 100\nrate 10\nframes 1\nbackground 1",
                                                  "rect\nat 0 x 40 y 40 w 20 h 20 colour 2\n")));
    for (const std::string mode : {"Window", "Opaque", "Transparent", "Glass"}) {
        const bool known = player->SetWindowMode(mode),
                   transparent = mode == "Transparent" || mode == "Glass";
        EXPECT_EQ(known, mode != "Glass");
        const Picture shot = Capture(player->window());
        EXPECT_EQ(shot.At(5, 5), transparent ? kHost : kRed) << mode;
        EXPECT_EQ(shot.At(5, kHostMarkRow - 30), transparent ? kMark : kRed)
            << mode << ": the parent's own drawing";
        EXPECT_EQ(shot.At(50, 50), kGreen) << mode;
    }
}

TEST_F(PlayerTest, QualityDecidesWhetherEdgesAreSmoothed) {
    Place({0, 0, 100, 100});
    ASSERT_TRUE(player->LoadMovieFromMemory(
        Movie("stage 100 100\nrate 10\nframes 1",
              "ellipse\nat 0 x 10 y 10 w 80 h 80 colour 7\n"
              "text \"Zarvik\" align centre\nat 0 x 50 y 55 size 20 colour 7\n")));
    for (const std::string quality : {"Low", "High", "Best", "AutoHigh", "Ultra"}) {
        EXPECT_EQ(player->SetQuality(quality), quality != "Ultra");
        const Picture shot = Capture(player->window());
        EXPECT_GT(shot.Find(kWhite, 0).first, 3000) << quality;
        if (quality == "Low")
            EXPECT_EQ(shot.Outside({kBlack, kWhite}), 0) << "Low: hard edges only";
        else
            EXPECT_GT(shot.Outside({kBlack, kWhite}), 40)
                << quality << ": edges blend (Ultra keeps AutoHigh)";
    }
}

}  // namespace
}  // namespace zarvik
