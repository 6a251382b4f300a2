#pragma once

// The program's only channel to the game: its console window, found anew on every call.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace zarvik {

// The original game's console window; nullptr when it is not running.
HWND FindGameConsoleWindow();

// The game console's input line (true) or output buffer (false); nullptr when absent.
HWND GetConsoleEdit(bool inputLine);

// Waits `seconds` whole seconds while this thread's windows keep working. It sleeps until
// a message arrives or the time is up, so it costs no processor time. Returns early only
// when the program is quitting (WM_QUIT stays queued for the outer loop).
void Pause(std::int32_t seconds);

// The text of an edit field, by message (it belongs to another process); false when the
// window does not answer (gone, or hung for five seconds).
bool ReadEditText(HWND edit, std::string& text);

// Pauses one second, types `text` (or "echo " + text) into the console's input line,
// presses Enter, empties the console's output buffer through the echo of the typed line
// (an answer printed already stays), then calls `clearCurrentLine`. A game that answers
// nothing for a while (a map loading) is waited for until it takes the line and the Enter,
// or has ended, this thread's windows working meanwhile.
// Without a console the pause is still spent and only `clearCurrentLine` runs.
void SendToConsole(const std::string& text, bool asCommand, const std::function<void()>& clearCurrentLine);

// One key of a profile file; "" when the file, section or key is absent. Values longer
// than 254 characters come back cut to 254.
std::string ReadIni(const std::string& section, const std::string& key, const std::string& file);

// Writes one key, creating file and section when needed; the platform call's result.
std::int32_t WriteIni(const std::string& section, const std::string& key, const std::string& value,
                      const std::string& file);

}  // namespace zarvik
