#pragma once

#include "app/window-rules/EditingSuite.h"

#include <windows.h>

#include <string>

namespace zarvik {

// The boxes as a player sees them: input box, message boxes, the file-open box, the shell.
class Win32SuiteDialogs : public SuiteDialogs {
  public:
    explicit Win32SuiteDialogs(HWND window = nullptr) : owner(window) {}
    std::string Input(const std::string& prompt, const std::string& title, const std::string& answer) override;
    void Tell(const std::string& text) override;
    bool Ask(const std::string& text, const std::string& title) override;
    std::string ChooseEditor(const std::string& current) override;
    StartResult Start(const std::string& commandLine, bool maximized) override;

    HWND owner;  // the boxes' owner
};

}  // namespace zarvik
