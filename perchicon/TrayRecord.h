#pragma once

// The notification-area record as the control sends it: the first, single-byte layout
// (88 bytes on 32-bit Windows), built afresh for every call.

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace perchicon {

constexpr UINT kIconId = 1;
constexpr UINT kCallbackMessage = WM_MOUSEMOVE;  // notifications arrive as Picture1's own mouse moves

// For NIM_ADD and NIM_MODIFY: owner, id 1, message + icon + tip.
NOTIFYICONDATAA FullRecord(HWND owner, HICON icon, const std::wstring& tip);
// For NIM_DELETE: all zero but size, owner and id.
NOTIFYICONDATAA DeleteRecord(HWND owner);

// The tip as the shell gets it: the text and one NUL, padded with blanks or cut to exactly
// 64 characters, then turned into single-byte text of the system code page. Where a
// character may take two bytes, the text is cut at a character boundary so that it and its
// NUL fit.
void FillTip(char* field, const std::wstring& tip, UINT codePage = CP_ACP);  // writes exactly 64 bytes

// Button/Shift of Picture1's mouse move: 1 Shift, 2 Ctrl, 4 Alt.
short ShiftState(WPARAM mouseKeys);

}  // namespace perchicon
