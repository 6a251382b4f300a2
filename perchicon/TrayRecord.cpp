#include "TrayRecord.h"

#include <algorithm>
#include <cstring>

namespace perchicon {

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the control sends the first, 88-byte record");
#endif

void FillTip(char* field, const std::wstring& tip) {
    std::wstring padded = tip;
    padded += L'\0';
    padded.resize(64, L' ');
    char bytes[64 * 2] = {};  // double-byte code pages may take two bytes a character
    const int n = WideCharToMultiByte(CP_ACP, 0, padded.data(), 64, bytes, sizeof bytes, nullptr, nullptr);
    std::memset(field, 0, 64);
    std::memcpy(field, bytes, static_cast<size_t>(std::clamp(n, 0, 64)));
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
