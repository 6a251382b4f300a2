#include "app/windows/movie/MoviePlayer.h"

#include "app/windows/movie/MovieParser.h"
#include "app/windows/movie/Supersample.h"

#include <algorithm>

namespace zarvik {
namespace {

constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kUnseenCheckMs = 500;
constexpr UINT kDeliverEvents = WM_USER + 1;
constexpr DWORD kReadChunk = 16 * 1024;
// Larger players draw at 1:1: the enlarged copy would take too much memory and time.
constexpr int kMostSmoothedPixels = 1024 * 1024;

// The whole file, or nothing when it cannot be read or is larger than any movie may be.
// `progress` hears the percentage read after each piece.
std::optional<std::string> ReadMovieFile(const std::string& path, const std::function<void(int)>& progress) {
    const winbase::FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                               nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > LONGLONG(movie::kMaxMovieBytes)) return std::nullopt;
    std::string bytes(size_t(size.QuadPart), '\0');
    size_t done = 0;
    do {
        DWORD got = 0;
        const DWORD want = DWORD(std::min<size_t>(kReadChunk, bytes.size() - done));
        if (want && (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr) || got == 0))
            return std::nullopt;  // shorter than its size said: changing under us
        done += got;
        progress(bytes.empty() ? 100 : int(done * 100 / bytes.size()));
    } while (done < bytes.size());
    return bytes;
}

}  // namespace

MoviePlayer::MoviePlayer(HWND parent, const RECT& pixels, int id) {
    Create(0, "", WS_CHILD | WS_VISIBLE, pixels.left, pixels.top, pixels.right - pixels.left,
           pixels.bottom - pixels.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

bool MoviePlayer::LoadMovie(int layer, const std::string& path) {
    if (layer != 0) return false;
    Raise(false, kLoading);
    std::optional<std::string> bytes = ReadMovieFile(path, [this](int percent) { Raise(true, percent); });
    return Accept(bytes ? movie::ParseMovie(*bytes) : std::nullopt);
}

bool MoviePlayer::LoadMovieFromMemory(std::string_view bytes) {
    Raise(false, kLoading);
    Raise(true, 100);
    return Accept(movie::ParseMovie(bytes));
}

bool MoviePlayer::LoadMovieFromResource(HMODULE module, const char* name) {
    HRSRC found = FindResourceA(module, name, RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes) {
        Raise(false, kLoading);
        return Accept(std::nullopt);
    }
    return LoadMovieFromMemory({static_cast<const char*>(bytes), SizeofResource(module, found)});
}

bool MoviePlayer::Accept(std::optional<movie::Movie> movie) {
    movie_ = std::move(movie);
    percent_ = movie_ ? 100 : 0;
    playhead_.Reset(movie_ ? movie_->frames : 0, movie_ ? movie_->rate : 1, GetTickCount());
    speed_ = movie::PaintSpeed::Unknown;
    frames_.Clear();
    Raise(false, movie_ ? kComplete : kUninitialized);
    Changed();
    return movie_.has_value();
}

void MoviePlayer::Play() {
    playhead_.Play(GetTickCount());
    Changed();
}

void MoviePlayer::Stop() {
    playhead_.Stop();
    Changed();
}

void MoviePlayer::GotoFrame(int frame) {
    playhead_.GotoFrame(frame, GetTickCount());
    Changed();
}

bool MoviePlayer::SetWindowMode(std::string_view mode) {
    const auto named = movie::WindowModeNamed(mode);
    if (named) windowMode_ = *named;
    Changed();
    return named.has_value();
}

bool MoviePlayer::SetQuality(std::string_view quality) {
    const auto named = movie::QualityNamed(quality);
    if (named) quality_ = *named;
    Changed();
    return named.has_value();
}

bool MoviePlayer::SetScaleMode(std::string_view mode) {
    const auto named = movie::ScaleModeNamed(mode);
    if (named) scaleMode_ = *named;
    Changed();
    return named.has_value();
}

// The picture may differ and the timer may be due or not needed any more.
void MoviePlayer::Changed() {
    if (!hwnd()) return;
    InvalidateRect(hwnd(), nullptr, FALSE);
    ScheduleFrame();
}

// The timer runs only while a movie plays, and wakes once per frame.
void MoviePlayer::ScheduleFrame() {
    if (!hwnd()) return;
    if (playhead_.Running())
        SetTimer(hwnd(), kFrameTimer, playhead_.MsToNextFrame(GetTickCount()), nullptr);
    else
        KillTimer(hwnd(), kFrameTimer);
}

void MoviePlayer::Raise(bool progress, int value) {
    if (!hwnd()) return;
    events_.push_back({progress, value});
    if (!deliveryPosted_) deliveryPosted_ = PostMessageA(hwnd(), kDeliverEvents, 0, 0) != FALSE;
}

void MoviePlayer::Deliver() {
    // Cleared first: should a handler throw, the next event posts delivery again.
    deliveryPosted_ = false;
    const std::weak_ptr<int> alive = life_;
    while (!events_.empty()) {
        const Event event = events_.front();
        events_.pop_front();
        // A copy: the handler may replace itself.
        const std::function<void(int)> handler = event.progress ? onProgress_ : onReadyState_;
        if (handler) handler(event.value);
        if (alive.expired()) return;
    }
}

void MoviePlayer::PaintParentBackground(HDC dc, int width, int height) {
    const RECT all = {0, 0, width, height};
    FillRect(dc, &all, GetSysColorBrush(COLOR_3DFACE));  // for a parent that paints nothing
    HWND parent = GetParent(hwnd());
    if (!parent) return;
    POINT origin = {0, 0};
    MapWindowPoints(hwnd(), parent, &origin, 1);
    const int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, nullptr);
    SendMessageA(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    RestoreDC(dc, saved);
}

void MoviePlayer::Render(HDC target) {
    RECT client = {};
    GetClientRect(hwnd(), &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0 || !back_.Ensure(width, height)) return;
    HDC back = back_.dc();
    if (!movie_ || windowMode_ == movie::WindowMode::Transparent) {
        PaintParentBackground(back, width, height);
    } else {
        SetDCBrushColor(back, movie::ToColorRef(movie_->background));
        FillRect(back, &client, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    if (movie_) {
        // A picture already drawn over this background in this look is unpacked, not drawn.
        const movie::Rendering look = movie::ChooseRendering(quality_, speed_);
        const int lookKey = (look.supersample * 2 + look.smoothText) * 16 + static_cast<int>(scaleMode_);
        if (lookKey != frameLook_) frames_.Clear();
        frameLook_ = lookKey;
        GdiFlush();
        frames_.UseBackground(back_.bits(), width, height);
        const int frame = playhead_.frame();
        if (!frames_.Restore(frame, back_.bits())) {
            LARGE_INTEGER start = {}, stop = {}, ticksPerSecond = {};
            QueryPerformanceCounter(&start);
            const std::vector<movie::Drawn> shown = movie::FrameContents(*movie_, frame);
            movie::Placement place = movie::PlaceStage(movie_->width, movie_->height, width, height, scaleMode_,
                                                       GetDeviceCaps(target, LOGPIXELSX));
            // Only ellipses and lines come out jagged at 1:1: GDI smooths text itself, and
            // rectangles are square. Frames without them skip the larger drawing (three times dearer).
            const bool jagged = std::any_of(shown.begin(), shown.end(), [](const movie::Drawn& d) {
                return d.item->shape == movie::Shape::Ellipse || d.item->shape == movie::Shape::Line;
            });
            const int n = jagged && width * height <= kMostSmoothedPixels ? look.supersample : 1;
            if (n > 1 && large_.Ensure(width * n, height * n)) {
                // Drawn n times larger over the background, then each n x n block averaged.
                SetStretchBltMode(large_.dc(), COLORONCOLOR);
                StretchBlt(large_.dc(), 0, 0, width * n, height * n, back, 0, 0, width, height, SRCCOPY);
                place = {place.scaleX * n, place.scaleY * n, place.offsetX * n, place.offsetY * n};
                movie::DrawFrame(large_.dc(), shown, place, movie_->width, movie_->height, look.smoothText, fonts_);
                GdiFlush();
                movie::AverageBlocks(large_.bits(), width, height, n, back_.bits());
            } else {
                movie::DrawFrame(back, shown, place, movie_->width, movie_->height, look.smoothText, fonts_);
            }
            QueryPerformanceCounter(&stop);
            QueryPerformanceFrequency(&ticksPerSecond);
            // Slow: drawing took more than half of a frame's time. That sticks until the next
            // movie, so an Auto quality does not flip between two looks from frame to frame.
            const bool slow = (stop.QuadPart - start.QuadPart) * 2 * movie_->rate > ticksPerSecond.QuadPart;
            if (speed_ != movie::PaintSpeed::Slow) speed_ = slow ? movie::PaintSpeed::Slow : movie::PaintSpeed::Fast;
            GdiFlush();
            frames_.Store(frame, back_.bits());
        }
    }
    BitBlt(target, 0, 0, width, height, back, 0, 0, SRCCOPY);
}

LRESULT MoviePlayer::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND: return 1;  // painted with the frame, from the buffer
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd(), &ps);
            Render(dc);
            EndPaint(hwnd(), &ps);
            return 0;
        }
        case WM_PRINTCLIENT: Render(reinterpret_cast<HDC>(wParam)); return 0;
        case WM_SIZE: InvalidateRect(hwnd(), nullptr, FALSE); return 0;
        case WM_TIMER:
            if (wParam != kFrameTimer) break;
            if (!IsWindowVisible(hwnd()) || IsIconic(GetAncestor(hwnd(), GA_ROOT))) {
                // Nobody can see it (sent to the tray, minimized): look in now and then instead
                // of twenty times a second, and go on from here once it shows again.
                SetTimer(hwnd(), kFrameTimer, kUnseenCheckMs, nullptr);
                return 0;
            }
            if (playhead_.Tick(GetTickCount())) InvalidateRect(hwnd(), nullptr, FALSE);
            ScheduleFrame();
            return 0;
        case kDeliverEvents: Deliver(); return 0;
        case WM_NCDESTROY:
            // Destroyed with its parent, or by us: from here on every call is harmless.
            events_.clear();
            deliveryPosted_ = false;
            break;
    }
    return Default(msg, wParam, lParam);
}

}  // namespace zarvik
