#pragma once

// The editing suite window (frmOptions), for now its option boxes, the editor field and the
// hidden tray menu; the lists and their buttons come with the editing suite itself. It is made
// hidden at start-up and shows the option model, forwarding the user's clicks to it.

#include "app/settings/Options.h"
#include "app/windows/ControlTable.h"

#include <windows.h>

#include <functional>
#include <memory>

namespace zarvik {

class OptionsWindow {
public:
    struct MenuActions {
        std::function<void()> show;  // mnuShow: the main window
        std::function<void()> exit;  // mnuExit: the main window's close with its question
    };

    OptionsWindow(OptionModel& options, MenuActions actions);
    ~OptionsWindow();
    OptionsWindow(const OptionsWindow&) = delete;
    OptionsWindow& operator=(const OptionsWindow&) = delete;

    HWND window() const { return window_; }
    // Pops the tray menu up at the pointer, "&Show" as its default entry, and runs the choice.
    void PopUpTrayMenu(HWND owner);
    void Refresh();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    OptionModel& options_;
    MenuActions actions_;
    HWND window_ = nullptr;
    std::unique_ptr<ControlTable> controls_;
    bool refreshing_ = false;
};

}  // namespace zarvik
