#include "app/console/ConsoleLink.h"

#include "app/console/MessagePump.h"
#include "app/console-rules/PauseClock.h"
#include "app/console-rules/TypedEcho.h"

#include <algorithm>
#include <memory>

namespace zarvik {
namespace {

constexpr char kConsoleClass[] = "jk2mp winconsole";  // class names match without regard to case
constexpr char kEditClass[] = "edit";

// A game that has stopped answering must not freeze us: give up on a message after this.
constexpr UINT kSendTimeoutMs = 5000;

// A game loading a map answers nothing for seconds, and a typed line must still reach it whole:
// it is tried for this long at a time, our windows working in between.
constexpr UINT kBusyTryMs = 100;
constexpr DWORD kBusyLookMs = 50;

void Send(HWND target, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!target) return;
    DWORD_PTR result = 0;
    SendMessageTimeoutA(target, message, wParam, lParam, SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
}

// Lets this thread's windows work for up to `ms`; false when the program is quitting.
bool WaitAMoment(DWORD ms) {
    if (!PumpPendingMessages()) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    return true;
}

// Sets the input line's text once the game takes it, however long it is busy, or until it has
// ended. A sending that timed out is dropped (Wine) or taken later (Windows): either way the
// next one sets the same text.
void SetInputLine(const std::string& line) {
    for (;;) {
        HWND input = GetConsoleEdit(true);
        DWORD_PTR result = 0;
        if (!input || SendMessageTimeoutA(input, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(line.c_str()),
                                          SMTO_NORMAL | SMTO_ABORTIFHUNG, kBusyTryMs, &result))
            return;
        // A game that refuses our messages (one run as administrator) is not waited for.
        if (GetLastError() != ERROR_TIMEOUT || !WaitAMoment(kBusyLookMs)) return;
    }
}

// The callback owns a share of the flag: it may come after we stopped waiting.
void CALLBACK EnterTaken(HWND, UINT, ULONG_PTR data, LRESULT) {
    auto* taken = reinterpret_cast<std::shared_ptr<bool>*>(data);
    **taken = true;
    delete taken;
}

// Presses Enter once (a second Enter would be a second line) and waits until the game has
// taken it, however long it is busy, or until it has ended.
void PressEnter() {
    HWND input = GetConsoleEdit(true);
    if (!input) return;
    const auto taken = std::make_shared<bool>(false);
    auto* share = new std::shared_ptr<bool>(taken);
    if (!SendMessageCallbackA(input, WM_CHAR, 13, 0, EnterTaken, reinterpret_cast<ULONG_PTR>(share))) {
        delete share;
        return;
    }
    while (!*taken && IsWindow(input) && WaitAMoment(kBusyLookMs)) {
    }
}

// Empties the buffer of what stood in it before Enter and of the echo of the line typed. The
// game answers the line on a later frame, and that frame may run before this reaches it (the
// game is another process): an answer printed already stays, or it would be lost for good.
void ClearThroughEcho(HWND output) {
    std::string text;
    ReadEditText(output, text);
    const std::size_t end = EndOfTypedEcho(text);
    if (end == std::string::npos) {
        Send(output, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
        return;
    }
    Send(output, EM_SETSEL, 0, static_cast<LPARAM>(end));
    Send(output, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

}  // namespace

bool ReadEditText(HWND edit, std::string& text) {
    text.clear();
    DWORD_PTR length = 0;
    if (!edit || !SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeoutMs, &length))
        return false;
    if (length == 0) return true;                        // the usual idle case: one cross-process call less
    text.assign(static_cast<size_t>(length) + 1, '\0');  // one more for the terminating NUL
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(edit, WM_GETTEXT, static_cast<WPARAM>(text.size()), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &copied)) {
        text.clear();
        return false;
    }
    text.resize(std::min<size_t>(static_cast<size_t>(copied), static_cast<size_t>(length)));
    return true;
}

HWND FindGameConsoleWindow() { return FindWindowA(kConsoleClass, nullptr); }

HWND GetConsoleEdit(bool inputLine) {
    HWND console = FindGameConsoleWindow();
    if (!console) return nullptr;
    HWND first = FindWindowExA(console, nullptr, kEditClass, nullptr);
    if (inputLine || !first) return first;
    return FindWindowExA(console, first, kEditClass, nullptr);
}

void Pause(std::int32_t seconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (!PumpPendingMessages()) return;
        const DWORD wait = PauseRemaining(start, GetTickCount(), seconds);
        if (wait == 0) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void SendToConsole(const std::string& text, bool asCommand, const std::function<void()>& clearCurrentLine) {
    Pause(1);
    SetInputLine(asCommand ? text : "echo " + text);
    PressEnter();
    ClearThroughEcho(GetConsoleEdit(false));
    if (clearCurrentLine) clearCurrentLine();
}

std::string ReadIni(const std::string& section, const std::string& key, const std::string& file) {
    char buffer[255] = {};
    const DWORD copied =
        GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buffer, sizeof buffer, file.c_str());
    return std::string(buffer, copied);
}

std::int32_t WriteIni(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str());
}

}  // namespace zarvik
