#pragma once

// The game console simulator started as its own process with a scenario, as the end-to-end
// tests use it: the scenario plays the game, the test plays Zarvik.

#include <windows.h>

#include <filesystem>
#include <string>

class SimProcess {
public:
    // Writes the scenario into a fresh folder of its own, with every "$FOLDER" standing for
    // that folder, and starts the simulator on it.
    explicit SimProcess(const std::string& scenario);
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    HANDLE handle() const { return process_.hProcess; }
    // Waits for the simulator to end; its exit code, or 999 when it did not end in time.
    DWORD Finish(DWORD timeoutMs = 20000);
    std::string Log() const;
    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    PROCESS_INFORMATION process_ = {};
};

// The text of a window, by message, as it may belong to another process.
std::string WindowText(HWND hwnd);
