#include "SimWindow.h"

#include "WorldFiles.h"

#include <utility>

namespace zarvik::sim {
namespace {

constexpr char kClass[] = "JK2MP WinConsole";
constexpr char kTitle[] = "Jedi Knight 2: Jedi Outcast MP Console";
constexpr int kInputId = 101, kBufferId = 100, kCopyId = 1, kClearId = 2, kQuitId = 3;
constexpr UINT_PTR kFrameTimer = 1;
constexpr int kInputBytes = 1024;  // what the game reads of its input line

std::string TextOf(HWND hwnd, int limit) {
    std::string text(static_cast<size_t>(limit), '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), limit)));
    return text;
}

}  // namespace

SimWindow::SimWindow(Options options, Transcript& transcript)
    : options_(options),
      transcript_(transcript),
      conbuf_(options.version),
      game_([this](const std::string& text) { Print(text); }) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);  // already there when a second console is made in one process

    RECT rect = {0, 0, 540, 450};
    const DWORD style = WS_POPUPWINDOW | WS_CAPTION | WS_MINIMIZEBOX;
    AdjustWindowRect(&rect, style, FALSE);
    window_ = CreateWindowExA(0, kClass, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
                              rect.bottom - rect.top, nullptr, nullptr, instance, this);

    font_ = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New");
    auto child = [&](const char* cls, const char* text, DWORD extra, int x, int y, int w, int h, int id) {
        HWND hwnd = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | extra, x, y, w, h, window_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        return hwnd;
    };
    // Creation order matters: whoever looks for the "edit" children finds them in this order.
    input_ = child("edit", "", WS_BORDER | ES_LEFT | ES_AUTOHSCROLL, 6, 392, 528, 20, kInputId);
    child("button", "Copy", BS_PUSHBUTTON, 5, 420, 72, 24, kCopyId);
    child("button", "Clear", BS_PUSHBUTTON, 82, 420, 72, 24, kClearId);
    child("button", "Quit", BS_PUSHBUTTON, 462, 420, 72, 24, kQuitId);
    buffer_ = child("edit", "", WS_VSCROLL | WS_BORDER | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 6,
                    6, 526, 380, kBufferId);
    SendMessageA(buffer_, EM_LIMITTEXT, 0x7fff, 0);

    SetWindowLongPtrA(input_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    editProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(input_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(InputProc)));

    SetTimer(window_, kFrameTimer, static_cast<UINT>(options_.frameMs), nullptr);
    if (options_.visible) {
        ShowWindow(window_, SW_SHOWNORMAL);
        SetFocus(input_);
    }
}

SimWindow::~SimWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
    DeleteObject(font_);
}

void SimWindow::Print(const std::string& text) {
    const ConsoleBuffer::Append append = conbuf_.Add(text);
    if (append.replaceAll)
        SendMessageA(buffer_, EM_SETSEL, 0, -1);
    else
        SendMessageA(buffer_, EM_SETSEL, 0xFFFF, 0xFFFF);
    SendMessageA(buffer_, EM_LINESCROLL, 0, 0xffff);
    SendMessageA(buffer_, EM_SCROLLCARET, 0, 0);
    SendMessageA(buffer_, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(append.text.c_str()));
    transcript_.Shown(append.text, append.replaceAll);
}

void SimWindow::Enter(const std::string& line) {
    Print("]" + line + "\n");
    queue_.push_back({line, GetTickCount() + static_cast<DWORD>(options_.frameMs)});
}

void SimWindow::TypeAsPlayer(const std::string& line) {
    transcript_.Note("player", line);
    Enter(line);
}

void SimWindow::RunFrame() {
    const DWORD now = GetTickCount();
    while (!queue_.empty() && static_cast<LONG>(now - queue_.front().due) >= 0) {
        const std::string line = queue_.front().line;
        queue_.pop_front();
        game_.Run(line);
    }
    if (frame_) frame_();
}

void SimWindow::CopyToClipboard() {
    const std::string text = TextOf(buffer_, GetWindowTextLengthA(buffer_) + 1);
    if (!OpenClipboard(window_)) return;
    EmptyClipboard();
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        memcpy(GlobalLock(memory), text.c_str(), text.size() + 1);
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

void SimWindow::StopReading(long ms, bool onceInputTaken) {
    if (onceInputTaken)
        stallMs_ = ms;
    else
        sim::StopReading(transcript_, ms);
}

std::optional<std::vector<std::string>> SimWindow::ReadLines(const std::string& path) {
    return ReadFileLines(path);
}

std::string SimWindow::IniValue(const std::string& file, const std::string& key) {
    return ReadIniValue(file, key);
}

LRESULT CALLBACK SimWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<SimWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SimWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return self ? self->HandleMessage(msg, wParam, lParam) : DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT SimWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kFrameTimer) RunFrame();
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kCopyId: CopyToClipboard(); return 0;
                case kClearId: SetWindowTextA(buffer_, ""); return 0;
                case kQuitId: PostMessageA(window_, WM_CLOSE, 0, 0); return 0;
            }
            break;
        case WM_CTLCOLORSTATIC:  // the read-only buffer: keep it white like the game's
            if (reinterpret_cast<HWND>(lParam) == buffer_) {
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) SetFocus(input_);
            break;
        case WM_DESTROY:
            KillTimer(window_, kFrameTimer);
            SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            if (closed_) closed_();
            return 0;
    }
    return DefWindowProcA(window_, msg, wParam, lParam);
}

LRESULT CALLBACK SimWindow::InputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<SimWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    LRESULT result = 0;
    if (msg == WM_CHAR && wParam == 13) {
        const std::string line = TextOf(hwnd, kInputBytes);
        SetWindowTextA(hwnd, "");
        self->transcript_.Note("typed", line);
        self->Enter(line);
        if (self->received_) self->received_(line);
    } else {
        result = CallWindowProcA(self->editProc_, hwnd, msg, wParam, lParam);
    }
    if ((msg == WM_SETTEXT || msg == WM_CHAR) && self->stallMs_ > 0) {
        // The sender has its answer; then the game loads, and its window answers nothing more.
        ReplyMessage(result);
        sim::StopReading(self->transcript_, std::exchange(self->stallMs_, 0));
    }
    return result;
}

}  // namespace zarvik::sim
