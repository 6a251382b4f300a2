// The test prefix itself: a test run that hangs on a crash dialog, or whose edit fields
// silently ignore text for want of a display, would make every other Windows test lie.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

TEST(TestPrefix, CrashesDoNotOpenADialog) {
    DWORD value = 1, size = sizeof value;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, "Software\\Wine\\WineDbg", "ShowCrashDialog", RRF_RT_REG_DWORD,
                           nullptr, &value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(value, 0u);
}

TEST(TestPrefix, EditFieldsHoldText) {
    HWND edit = CreateWindowExA(0, "edit", "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 30, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("there is a display"));
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "there is a display");
    DestroyWindow(edit);
}

TEST(TestPrefix, FixtureRegisteredTheProbeServer) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\ZarvikTests\\ProbeServer", 0, KEY_READ, &key),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

}  // namespace
