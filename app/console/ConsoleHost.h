#pragma once

// The hidden text console the game runs in. It is made by a second Zarvik.exe, the host,
// which starts the game in it and lives as long as the game does, apart from Zarvik: the
// game outlives Zarvik, and a Zarvik started later finds the game again through the record
// the host keeps while it runs. Zarvik itself attaches to that console to read and type.

#include <windows.h>

#include <string>

namespace zarvik {

constexpr char kConsoleHostFlag[] = "--console-host";
// The host's record, there while a game we started runs; setup looks for it too.
constexpr char kGameRecordName[] = "Local\\Zarvik.GameConsole";

// Starts the host for `program` and `arguments`, in the program's own folder, and waits until
// the game runs in its console. 0 and the host's process id when it does, else the system's
// error code.
DWORD StartConsoleHost(const std::string& program, const std::string& arguments, DWORD& hostId);

// The process id of the host of the game running now, from its record; 0 when none runs.
DWORD RunningConsoleHost();

// The host's whole life; `commandLine` is what follows the flag. Its exit code is the error
// that kept the game from starting, else 0.
int RunConsoleHost(const char* commandLine);

}  // namespace zarvik
