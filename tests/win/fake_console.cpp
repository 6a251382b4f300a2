#include "fake_console.h"

namespace {

constexpr char kClass[] = "JK2MP WinConsole";
constexpr UINT kRunQueued = WM_APP + 1;

std::string TextOf(HWND hwnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

FakeConsole::FakeConsole(Fields fields) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);  // fails harmlessly when an earlier console registered it

    window_ = CreateWindowExA(0, kClass, "Jedi Knight 2: Jedi Outcast MP Console", WS_OVERLAPPEDWINDOW, 0, 0,
                              600, 400, nullptr, nullptr, wc.hInstance, this);
    HINSTANCE inst = wc.hInstance;
    if (fields == Fields::Both) {
        input_ = CreateWindowExA(0, "edit", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 6, 340, 580, 20, window_,
                                 reinterpret_cast<HMENU>(101), inst, nullptr);
        SetWindowLongPtrA(input_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        editProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(input_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(InputProc)));
    }
    for (const char* caption : {"Copy", "Clear", "Quit"})
        CreateWindowExA(0, "button", caption, WS_CHILD | WS_VISIBLE, 0, 0, 60, 20, window_, nullptr, inst, nullptr);
    output_ = CreateWindowExA(0, "edit", "", WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 6, 6,
                              580, 320, window_, reinterpret_cast<HMENU>(100), inst, nullptr);
    SendMessageA(output_, EM_LIMITTEXT, 0x7fff, 0);
}

FakeConsole::~FakeConsole() {
    DestroyWindow(window_);
    // Drop any run still queued for the destroyed window.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, kRunQueued, kRunQueued, PM_REMOVE)) {
    }
}

std::string FakeConsole::OutputText() const { return TextOf(output_); }

void FakeConsole::Print(const std::string& line) {
    const int end = GetWindowTextLengthA(output_);
    SendMessageA(output_, EM_SETSEL, end, end);
    SendMessageA(output_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>((line + "\r\n").c_str()));
}

void FakeConsole::Execute() {
    std::vector<std::string> lines;
    lines.swap(queued_);
    for (const auto& line : lines) {
        if (line.rfind("echo ", 0) == 0)
            Print(line.substr(5));
        else
            Print("Unknown command \"" + line + "\"");
    }
}

LRESULT CALLBACK FakeConsole::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    } else if (msg == kRunQueued) {
        reinterpret_cast<FakeConsole*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA))->Execute();
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK FakeConsole::InputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<FakeConsole*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (msg == WM_CHAR && wParam == 13) {
        const std::string line = TextOf(hwnd);
        SetWindowTextA(hwnd, "");
        self->received_.push_back(line);
        self->Print("]" + line);
        self->queued_.push_back(line);
        if (self->atOnce_)
            self->Execute();
        else
            PostMessageA(self->window_, kRunQueued, 0, 0);
        return 0;
    }
    return CallWindowProcA(self->editProc_, hwnd, msg, wParam, lParam);
}
