#pragma once

// frmMain: the borderless main window. It owns the program's life: the engine ticking on its
// timer, the tray icon, the name box, the title; every way out runs one exit path.

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

#include <windows.h>

#include <memory>
#include <string>

namespace zarvik {

class MainWindow : public MainWindowPlacement {
  public:
    explicit MainWindow(std::string programFolder);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The start-up steps, then the window shows and the engine's timer starts.
    void Start();
    HWND window() const { return window_; }

    // clickcommand: the close button's question, and the exit path on Yes.
    void ClickCommand();

    // "Start &Game": the game in a text console of ours (nothing when it runs already).
    void StartGame();

    // MainWindowPlacement, in twips.
    void OuterSize(std::int32_t& width, std::int32_t& height) override;
    void ScreenSize(std::int32_t& width, std::int32_t& height) override;
    void MoveTo(std::int32_t left, std::int32_t top) override;

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK DragHandleProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void OnCommand(const std::string& name, int code);
    void OnTrayEvent(DISPID event);
    void Paint(HDC dc);
    [[noreturn]] void Exit();
    int Twips(int pixels) const;

    std::string folder_;
    int dpi_;
    HWND window_ = nullptr;
    std::unique_ptr<ControlTable> controls_;
    std::unique_ptr<MoviePlayer> title_;
    HWND image1_ = nullptr;
    HFONT titleFont_ = nullptr;

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
    ControlHost* tray_ = nullptr;
    bool updatingName_ = false;
};

}  // namespace zarvik
