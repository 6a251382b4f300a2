#pragma once

// The credits window (frmCredits): plays credits.swf from the program's folder; a click anywhere
// stops or resumes it. Made anew for each showing, modal over its owner, gone when closed.

#include <windows.h>

#include <string>

namespace zarvik {

// Shows it; returns once the user has closed it. The owner is disabled meanwhile.
void ShowCredits(HWND owner, const std::string& programFolder);

}  // namespace zarvik
