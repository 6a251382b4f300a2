// press TITLE BUTTON: clicks the button captioned BUTTON in the top-level window TITLE, as a
// player would. The measuring script uses it to send Zarvik to the tray.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

struct Search {
    const char* caption;
    HWND found;
};

BOOL CALLBACK Visit(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    char text[64] = "";
    GetWindowTextA(child, text, sizeof text);
    if (std::strcmp(text, search->caption) != 0) return TRUE;
    search->found = child;
    return FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: press TITLE BUTTON\n");
        return 2;
    }
    HWND window = FindWindowA(nullptr, argv[1]);
    Search search = {argv[2], nullptr};
    if (window) EnumChildWindows(window, Visit, reinterpret_cast<LPARAM>(&search));
    if (!search.found) {
        std::fprintf(stderr, "press: no button \"%s\" in a window \"%s\"\n", argv[2], argv[1]);
        return 1;
    }
    PostMessageA(search.found, BM_CLICK, 0, 0);  // a button that opens a modal box would hold us
    return 0;
}
