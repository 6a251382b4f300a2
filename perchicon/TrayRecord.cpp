#include "TrayRecord.h"

#include <cstring>

namespace perchicon {

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the control sends the first, 88-byte record");
#endif

void FillTip(char* field, const std::wstring& tip, UINT codePage) {
    CPINFO info = {};
    if (GetCPInfo(codePage, &info) && info.MaxCharSize > 1) {
        // Whole characters while they leave room for the NUL; then blanks.
        std::memset(field, ' ', 64);
        int used = 0;
        for (std::size_t i = 0; i < tip.size() && i < 64; ++i) {
            // A surrogate pair is one character.
            const int units = IS_HIGH_SURROGATE(tip[i]) && i + 1 < tip.size() ? 2 : 1;
            char bytes[8];
            const int n = WideCharToMultiByte(codePage, 0, &tip[i], units, bytes, sizeof bytes, nullptr, nullptr);
            if (n <= 0 || used + n > 63) break;
            std::memcpy(field + used, bytes, static_cast<size_t>(n));
            used += n;
            i += static_cast<std::size_t>(units - 1);
        }
        field[used] = '\0';
        return;
    }
    std::wstring padded = tip;
    padded += L'\0';
    padded.resize(64, L' ');
    char bytes[64] = {};
    WideCharToMultiByte(codePage, 0, padded.data(), 64, bytes, sizeof bytes, nullptr, nullptr);
    std::memcpy(field, bytes, 64);
}

NOTIFYICONDATAA FullRecord(HWND owner, HICON icon, const std::wstring& tip) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = owner;
    record.uID = kIconId;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kCallbackMessage;
    record.hIcon = icon;
    FillTip(record.szTip, tip);
    return record;
}

NOTIFYICONDATAA DeleteRecord(HWND owner) {
    NOTIFYICONDATAA record = {};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = owner;
    record.uID = kIconId;
    return record;
}

short ShiftState(WPARAM mouseKeys) {
    short shift = 0;
    if (mouseKeys & MK_SHIFT) shift |= 1;
    if (mouseKeys & MK_CONTROL) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

}  // namespace perchicon
