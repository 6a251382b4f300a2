#pragma once

// A modal input box that looks and behaves like the standard Windows one: the prompt, OK and
// Cancel, and a field holding the default answer, selected. Enter is OK, Escape is Cancel.

#include <windows.h>

#include <string>

namespace zarvik {

// The answer; "" when the user cancels. A box given no title is titled "Zarvik".
std::string InputBox(HWND owner, const std::string& prompt, const std::string& title, const std::string& answer);

}  // namespace zarvik
