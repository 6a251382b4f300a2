#pragma once

// The updater (frmUpdate): as it opens it asks the update site for the latest version, says
// what it found in one status line, and when there is a newer one grows to show two buttons:
// open the download, or copy its address.

#include "app/windows/ControlTable.h"
#include "app/window-rules/EditingSuite.h"
#include "app/window-rules/UpdateCheck.h"
#include "app/windows/Win32Dialogs.h"
#include "winbase/Window.h"

#include <memory>
#include <string>

namespace zarvik {

class UpdaterWindow : public winbase::Window<UpdaterWindow> {
  public:
    static constexpr const char* kClassName = "ZarvikUpdate";
    static void Describe(WNDCLASSEXA& wc) { wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(1)); }

    // `site` is the update site's base address; `dialogs` shows the boxes and starts the
    // browser (the system's own when null).
    UpdaterWindow(std::string site, Fetcher& fetcher, SuiteDialogs* dialogs = nullptr);

    // Shows the window without modality. A closed window opens anew and checks again; an
    // open one only comes to the front.
    void Open();
    HWND window() const { return hwnd(); }
    HWND operator[](const std::string& name) const { return controls_ ? (*controls_)[name] : nullptr; }
    const std::string& DownloadAddress() const { return address_; }

    LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);

  private:
    void SetStatus(const std::string& text);
    void SetOuterHeight(int twips);
    void Check();
    void OpenDownload();
    void CopyAddress();

    std::string site_;
    Fetcher& fetcher_;
    Win32SuiteDialogs ownDialogs_;
    SuiteDialogs& dialogs_;
    int dpi_ = 96;
    std::unique_ptr<ControlTable> controls_;
    std::string address_;
    int openings_ = 0;
};

}  // namespace zarvik
