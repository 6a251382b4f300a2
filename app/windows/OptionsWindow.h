#pragma once

// The editing suite window (frmOptions): the map and key lists with their buttons, the option
// boxes and the editor field, the help buttons, and the hidden tray menu. It is made hidden at
// start-up; what it does lives in EditingSuite and OptionModel, which it shows and feeds.

#include "app/settings/Options.h"
#include "app/windows/ControlTable.h"
#include "app/window-rules/EditingSuite.h"
#include "app/windows/Win32Dialogs.h"
#include "winbase/Window.h"

#include <functional>
#include <memory>

namespace zarvik {

class OptionsWindow : public winbase::Window<OptionsWindow> {
  public:
    static constexpr const char* kClassName = "ZarvikOptions";
    static void Describe(WNDCLASSEXA& wc) { wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1)); }

    struct Actions {
        std::function<void()> show;               // mnuShow: the main window
        std::function<void()> exit;               // mnuExit: the main window's close with its question
        std::function<void()> loadSettings;       // the settings load that every load of the window runs
        std::function<void()> update;             // the updater, without modality
        std::function<void(HWND owner)> credits;  // the credits, modal over `owner`
        std::function<void()> startGame;          // the game in a text console of ours
        HWND owner = nullptr;                     // the main window, disabled while this one is modal
    };

    // `dialogs` answers the boxes; the system's own when null.
    OptionsWindow(std::string programFolder, OptionModel& options, Actions actions, SuiteDialogs* dialogs = nullptr);

    HWND window() const { return hwnd(); }
    HWND operator[](const std::string& name) const { return (*controls_)[name]; }
    const EditingSuite& suite() const { return suite_; }

    void Show();       // without modality ("&Edit Binds")
    void ShowModal();  // the tray's "&Options": returns once the window is closed
    void ShowCommand();
    // Pops the tray menu up at the pointer, "&Show" as its default entry, and runs the choice.
    void PopUpTrayMenu(HWND owner);
    // Shows the option model's state in the boxes.
    void Refresh();
    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    void OnCommand(const std::string& name, int code, HWND control);
    void ShowView();
    void ReloadIfClosed();

    OptionModel& options_;
    Actions actions_;
    Win32SuiteDialogs ownDialogs_;
    EditingSuite suite_;
    std::unique_ptr<ControlTable> controls_;
    winbase::Font boldFont_, infoFont_;
    std::vector<std::string> shownMaps_, shownKeys_;
    bool refreshing_ = false;
    bool closed_ = false;  // closed by the user: the next use loads it anew
};

}  // namespace zarvik
