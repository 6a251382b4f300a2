#include "SimWindow.h"

#include "WorldFiles.h"

#include <utility>

namespace zarvik::sim {
namespace {

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
    RECT rect = {0, 0, 540, 450};
    const DWORD style = WS_POPUPWINDOW | WS_CAPTION | WS_MINIMIZEBOX;
    AdjustWindowRect(&rect, style, FALSE);
    Create(0, kTitle, style, CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left, rect.bottom - rect.top, nullptr);

    font_.reset(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "Courier New"));
    auto child = [&](const char* cls, const char* text, DWORD extra, int x, int y, int w, int h, int id) {
        HWND made = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | extra, x, y, w, h, hwnd(),
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), winbase::ThisModule(), nullptr);
        SendMessageA(made, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
        return made;
    };
    // Creation order matters: whoever looks for the "edit" children finds them in this order.
    input_ = child("edit", "", WS_BORDER | ES_LEFT | ES_AUTOHSCROLL, 6, 392, 528, 20, kInputId);
    child("button", "Copy", BS_PUSHBUTTON, 5, 420, 72, 24, kCopyId);
    child("button", "Clear", BS_PUSHBUTTON, 82, 420, 72, 24, kClearId);
    child("button", "Quit", BS_PUSHBUTTON, 462, 420, 72, 24, kQuitId);
    buffer_ = child("edit", "", WS_VSCROLL | WS_BORDER | ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 6, 6,
                    526, 380, kBufferId);
    SendMessageA(buffer_, EM_LIMITTEXT, 0x7fff, 0);

    winbase::Subclass(input_, this);

    SetTimer(hwnd(), kFrameTimer, static_cast<UINT>(options_.frameMs), nullptr);
    if (options_.visible) {
        ShowWindow(hwnd(), SW_SHOWNORMAL);
        SetFocus(input_);
    }
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
    if (!OpenClipboard(hwnd())) return;
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

std::optional<std::vector<std::string>> SimWindow::ReadLines(const std::string& path) { return ReadFileLines(path); }

std::string SimWindow::IniValue(const std::string& file, const std::string& key) { return ReadIniValue(file, key); }

LRESULT SimWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kFrameTimer) RunFrame();
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case kCopyId: CopyToClipboard(); return 0;
                case kClearId: SetWindowTextA(buffer_, ""); return 0;
                case kQuitId: PostMessageA(hwnd(), WM_CLOSE, 0, 0); return 0;
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
            KillTimer(hwnd(), kFrameTimer);
            if (closed_) closed_();
            return 0;
    }
    return Default(msg, wParam, lParam);
}

LRESULT SimWindow::OnControlMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (msg == WM_CHAR && wParam == 13) {
        const std::string line = TextOf(hwnd, kInputBytes);
        SetWindowTextA(hwnd, "");
        transcript_.Note("typed", line);
        Enter(line);
        if (received_) received_(line);
    } else {
        result = DefSubclassProc(hwnd, msg, wParam, lParam);
    }
    if ((msg == WM_SETTEXT || msg == WM_CHAR) && stallMs_ > 0) {
        // The sender has its answer; then the game loads, and its window answers nothing more.
        ReplyMessage(result);
        sim::StopReading(transcript_, std::exchange(stallMs_, 0));
    }
    return result;
}

}  // namespace zarvik::sim
