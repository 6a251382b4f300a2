#pragma once

// The hidden text console the game runs in. A console made by AllocConsole takes its window's
// first state from how its process was started, so the console is made by a second Zarvik.exe
// started hidden, which starts the game in it and lives as long as the game does; Zarvik
// itself attaches to that console to read and type.

#include <windows.h>

#include <string>

namespace zarvik {

constexpr char kConsoleHostFlag[] = "--console-host";

// Starts `Zarvik.exe --console-host` for `program` and `arguments` and waits until the game
// runs in its console. 0 and `host` filled when it does, else the system's error code.
DWORD StartConsoleHost(const std::string& program, const std::string& arguments, PROCESS_INFORMATION& host);

// The second Zarvik.exe's whole life; `commandLine` is what follows the flag. Its exit code is
// the error that kept the game from starting, else 0.
int RunConsoleHost(const char* commandLine);

}  // namespace zarvik
