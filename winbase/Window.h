#pragma once

// One way to be a window. A class derives from Window<Self>, names its class (kClassName, and
// optionally a static Describe(WNDCLASSEXA&) for what differs from a plain window) and answers
// LRESULT OnMessage(UINT, WPARAM, LPARAM). The class is registered once per module, the object
// is bound at WM_NCCREATE and forgotten at WM_NCDESTROY, and no exception leaves the window
// procedure: the system's frames between it and the message loop cannot unwind.

#include <windows.h>
#include <commctrl.h>

#include <utility>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace winbase {

// The program or library this code is linked into: a library's classes are its own.
inline HINSTANCE ThisModule() { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

template <typename Self>
class Window {
  public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    HWND hwnd() const { return hwnd_; }

    static void Register() {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        if (GetClassInfoExA(ThisModule(), Self::kClassName, &wc)) return;
        wc.lpfnWndProc = &Proc;
        wc.hInstance = ThisModule();
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = Self::kClassName;
        if constexpr (requires { Self::Describe(wc); }) Self::Describe(wc);
        RegisterClassExA(&wc);
    }

  protected:
    Window() = default;
    // A window still open when its object goes is detached first: it must not call into a
    // half-destroyed object. A Self whose members own windows of their own (a player) calls
    // Destroy() in its destructor, as they go before this base does.
    ~Window() { Destroy(); }

    HWND Create(DWORD exStyle, const char* title, DWORD style, int x, int y, int width, int height, HWND parent,
                HMENU menu = nullptr) {
        Register();
        return CreateWindowExA(exStyle, Self::kClassName, title, style, x, y, width, height, parent, menu, ThisModule(),
                               this);
    }
    void Destroy() {
        if (!hwnd_) return;
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(std::exchange(hwnd_, nullptr));
    }
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcA(hwnd_, msg, wParam, lParam); }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE) {
            auto* bound = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
            bound->hwnd_ = hwnd;
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(bound));
        }
        auto* self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
        LRESULT result;
        try {
            result = static_cast<Self*>(self)->OnMessage(msg, wParam, lParam);
        } catch (...) {
            result = DefWindowProcA(hwnd, msg, wParam, lParam);
        }
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
        }
        return result;
    }

    HWND hwnd_ = nullptr;
};

namespace detail {
template <typename Handler>
LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &SubclassProc<Handler>, id);
    try {
        return reinterpret_cast<Handler*>(data)->OnControlMessage(hwnd, msg, wParam, lParam);
    } catch (...) {
        return DefSubclassProc(hwnd, msg, wParam, lParam);
    }
}
}  // namespace detail

// Hands a control's messages to handler->OnControlMessage(hwnd, msg, wParam, lParam) first; it
// returns DefSubclassProc(...) for what it leaves to the control.
template <typename Handler>
bool Subclass(HWND control, Handler* handler) {
    return SetWindowSubclass(control, &detail::SubclassProc<Handler>, 0, reinterpret_cast<DWORD_PTR>(handler));
}

}  // namespace winbase
