// Shows the title as the main window will (borderless, dark red border, the title kept in the
// program, transparent, NoBorder) and the credits as the credits window will (from the file,
// ShowAll, caption from the events), sized from twips at the screen's real DPI.
//
//   movie_showcase [--title-frame N] [--credits-frame N] [--seconds S]
//   movie_showcase --measure
//
// A frame given is shown stopped; otherwise the movie plays. Ends after S seconds (default 10).
// --measure draws every frame of both movies off screen at each quality and prints the time a
// frame takes, then ends.
#include "app/windows/movie/MoviePlayer.h"
#include "winbase/Window.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr UINT_PTR kQuitTimer = 1;

int Pixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

class DemoWindow : public winbase::Window<DemoWindow> {
  public:
    static constexpr const char* kClassName = "MovieShowcase";
    static void Describe(WNDCLASSEXA& wc) { wc.hbrBackground = nullptr; }

    DemoWindow(const char* caption, DWORD style, int x, int y, int clientWidth, int clientHeight, COLORREF background,
               bool border)
        : background_(CreateSolidBrush(background)), border_(border) {
        RECT outer = {0, 0, clientWidth, clientHeight};
        AdjustWindowRect(&outer, style, FALSE);
        Create(0, caption, style, x, y, outer.right - outer.left, outer.bottom - outer.top, nullptr);
    }
    ~DemoWindow() { Destroy(); }

    HWND window() const { return hwnd(); }
    std::unique_ptr<zarvik::MoviePlayer> player;

  private:
    friend Window;

    // The main window's look: its background and, 15 twips inside every edge, a dark red frame.
    void Paint(HDC dc) {
        RECT client;
        GetClientRect(hwnd(), &client);
        FillRect(dc, &client, background_.get());
        if (!border_) return;
        HDC screen = GetDC(nullptr);
        const int inset = Pixels(15, GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);
        const winbase::Brush red(CreateSolidBrush(RGB(150, 0, 0)));
        RECT frame = {inset, inset, client.right - inset, client.bottom - inset};
        FrameRect(dc, &frame, red.get());
    }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
            case WM_ERASEBKGND: return 1;
            case WM_PAINT: {
                PAINTSTRUCT ps;
                Paint(BeginPaint(hwnd(), &ps));
                EndPaint(hwnd(), &ps);
                return 0;
            }
            case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
            case WM_TIMER:
                if (wParam == kQuitTimer) PostQuitMessage(0);
                return 0;
            case WM_CLOSE: PostQuitMessage(0); return 0;
        }
        return Default(msg, wParam, lParam);
    }

    winbase::Brush background_;
    bool border_;
};

// Milliseconds a frame takes to draw, over every frame of the movie in `player`.
double MillisecondsPerFrame(zarvik::MoviePlayer& player, int frames) {
    RECT client;
    GetClientRect(player.window(), &client);
    zarvik::movie::Surface target;
    target.Ensure(client.right, client.bottom);
    LARGE_INTEGER start, stop, perSecond;
    QueryPerformanceFrequency(&perSecond);
    QueryPerformanceCounter(&start);
    for (int frame = 0; frame < frames; ++frame) {
        player.GotoFrame(frame);
        SendMessageA(player.window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target.dc()), PRF_CLIENT);
    }
    GdiFlush();
    QueryPerformanceCounter(&stop);
    return double(stop.QuadPart - start.QuadPart) * 1000 / double(perSecond.QuadPart) / frames;
}

void Measure(HWND host, int dpi) {
    struct Movie {
        const char* file;
        int width, height, frames;
        const char* scale;
    };
    const Movie movies[] = {{"title.swf", 4575, 975, 120, "NoBorder"}, {"credits.swf", 4335, 3735, 731, "ShowAll"}};
    for (const Movie& movie : movies) {
        zarvik::MoviePlayer player(host, {0, 0, Pixels(movie.width, dpi), Pixels(movie.height, dpi)});
        player.LoadMovie(0, std::string(ZARVIK_MOVIE_DIR) + movie.file);
        player.SetWindowMode("Transparent");
        player.SetScaleMode(movie.scale);
        for (const char* quality : {"Low", "Medium", "High"}) {
            player.SetQuality(quality);
            const double ms = MillisecondsPerFrame(player, movie.frames);
            std::printf("%-12s %4d x %-4d %-7s %6.2f ms a frame\n", movie.file, Pixels(movie.width, dpi),
                        Pixels(movie.height, dpi), quality, ms);
        }
    }
}

int Argument(int argc, char** argv, const char* name, int otherwise) {
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], name)) return std::atoi(argv[i + 1]);
    return otherwise;
}

}  // namespace

int main(int argc, char** argv) {
    SetProcessDPIAware();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const int titleFrame = Argument(argc, argv, "--title-frame", -1);
    const int creditsFrame = Argument(argc, argv, "--credits-frame", -1);
    const int seconds = Argument(argc, argv, "--seconds", 10);
    const bool measure = argc > 1 && !std::strcmp(argv[1], "--measure");

    DemoWindow main("Zarvik", WS_POPUP, Pixels(300, dpi), Pixels(300, dpi), Pixels(4575, dpi), Pixels(1905, dpi),
                    RGB(28, 28, 36), true);
    if (measure) {
        Measure(main.window(), dpi);
        return 0;
    }
    const RECT titleArea = {0, Pixels(240, dpi), Pixels(4575, dpi), Pixels(240 + 975, dpi)};
    main.player = std::make_unique<zarvik::MoviePlayer>(main.window(), titleArea);
    zarvik::MoviePlayer& title = *main.player;
    title.LoadMovieFromResource(GetModuleHandleA(nullptr), "TITLE_MOVIE");
    if (title.PercentLoaded() != 100) title.LoadMovie(0, std::string(ZARVIK_MOVIE_DIR) + "title.swf");
    title.SetWindowMode("Transparent");
    title.SetLoop(true);
    title.SetQuality("AutoHigh");
    title.SetScaleMode("NoBorder");
    title.Play();
    if (titleFrame >= 0) {
        title.GotoFrame(titleFrame);
        title.Stop();
    }

    const int creditsWidth = Pixels(4335, dpi), creditsHeight = Pixels(3735, dpi);
    DemoWindow credits("About Zarvik v1.0.0", WS_CAPTION | WS_SYSMENU, Pixels(300, dpi) + Pixels(4575, dpi) + 40,
                       Pixels(300, dpi), creditsWidth, creditsHeight, GetSysColor(COLOR_3DFACE), false);
    credits.player = std::make_unique<zarvik::MoviePlayer>(credits.window(), RECT{0, 0, creditsWidth, creditsHeight});
    zarvik::MoviePlayer& roll = *credits.player;
    HWND creditsWindow = credits.window();
    roll.OnProgress([creditsWindow](int percent) {
        SetWindowTextA(creditsWindow, ("Loading... " + std::to_string(percent) + "%").c_str());
    });
    roll.OnReadyStateChange([creditsWindow](int) { SetWindowTextA(creditsWindow, "Credits"); });
    roll.LoadMovie(0, std::string(ZARVIK_MOVIE_DIR) + "credits.swf");
    roll.SetWindowMode("Transparent");
    roll.SetQuality("AutoHigh");
    roll.SetScaleMode("ShowAll");
    roll.Play();
    if (creditsFrame >= 0) {
        roll.GotoFrame(creditsFrame);
        roll.Stop();
    }

    ShowWindowAsync(main.window(), SW_SHOWNOACTIVATE);
    ShowWindowAsync(credits.window(), SW_SHOWNOACTIVATE);
    SetTimer(main.window(), kQuitTimer, UINT(seconds) * 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
