#pragma once

// frmMain: the borderless main window. It owns the program's life: the engine ticking on its
// timer, the tray icon, the name box, the title; every way out runs one exit path, which ends
// the message loop.

#include "app/engine/Engine.h"
#include "app/engine/FileErrorReport.h"
#include "app/console/GameConsoles.h"
#include "app/console/Win32GamePort.h"
#include "app/platform/IniSettingsStore.h"
#include "app/settings/LoadSettings.h"
#include "app/store/BindStore.h"
#include "app/windows/ControlHost.h"
#include "app/windows/ControlTable.h"
#include "app/window-rules/MainWindowRules.h"
#include "app/windows/CreditsWindow.h"
#include "app/windows/GameStarter.h"
#include "app/windows/OptionsWindow.h"
#include "app/windows/UpdaterWindow.h"
#include "app/windows/WinInetFetcher.h"
#include "app/windows/SystemClock.h"
#include "app/windows/movie/MoviePlayer.h"
#include "winbase/Window.h"

#include <memory>
#include <string>

namespace zarvik {

class MainWindow : public MainWindowPlacement, public winbase::Window<MainWindow> {
  public:
    static constexpr const char* kClassName = "ZarvikMain";
    static void Describe(WNDCLASSEXA& wc) { wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1)); }

    explicit MainWindow(std::string programFolder);
    ~MainWindow() { Destroy(); }

    // The start-up steps, then the window shows and the engine's timer starts.
    void Start();

    // clickcommand: the close button's question, and the exit path on Yes.
    void ClickCommand();

    // "Start &Game": the game in a text console of ours (nothing when it runs already).
    void StartGame();

    // MainWindowPlacement, in twips.
    void OuterSize(std::int32_t& width, std::int32_t& height) override;
    void ScreenSize(std::int32_t& width, std::int32_t& height) override;
    void MoveTo(std::int32_t left, std::int32_t top) override;

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    // The title strip and the drag handle beside the buttons.
    LRESULT OnControlMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    void OnCommand(const std::string& name, int code);
    void OnTrayEvent(DISPID event);
    void Paint(HDC dc);
    // The control closed, the place saved, the window destroyed (the icon with it): the loop ends.
    void Exit();
    int Twips(int pixels) const;

    std::string folder_;
    int dpi_;
    std::unique_ptr<ControlTable> controls_;
    std::unique_ptr<MoviePlayer> title_;
    HWND image1_ = nullptr;
    winbase::Font titleFont_;

    IniSettingsStore settings_;
    OptionModel options_;
    NameModel name_;
    Win32GameConsole console_;
    TextConsoleLink game_;
    GameConsoles consoles_{console_, game_};
    GameStarter gameStarter_{settings_, game_};
    Win32EventPump pump_;
    SystemClock clock_;
    FileErrorReport errors_;
    BindStore binds_;
    Engine engine_;
    std::unique_ptr<OptionsWindow> optionsWindow_;
    WinInetFetcher fetcher_;
    std::unique_ptr<UpdaterWindow> updater_;
    winbase::ComPtr<ControlHost> tray_;
    bool updatingName_ = false;
};

}  // namespace zarvik
