#include "app/windows/MainWindow.h"

#include "app/windows/DragWindow.h"
#include "app/windows/ScreenDpi.h"

namespace zarvik {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr DISPID kIcon = 0x68030000, kTip = 0x68030001, kAdd = 0x60030002;
constexpr DISPID kRightClick = 2, kLeftDblClick = 4;

std::vector<ControlRow> Rows() {
    return {
        // The buttons come before the title strip they sit on, so that they lie above it.
        {"Command6", ControlKind::Button, "", 3840, 0, 255, 255},
        {"Command5", ControlKind::Button, "-", 4080, 0, 255, 255},
        {"Command1", ControlKind::Button, "X", 4320, 0, 255, 255},
        {"Label1", ControlKind::Label, "Zarvik", 0, 0, 4575, 255},
        // 585 wide, not 465: with the fonts that stand in for MS Sans Serif the colon was cut off.
        {"Label2", ControlKind::Label, "Name:", 120, 1365, 585, 195},
        {"txtName", ControlKind::TextBox, "", 720, 1320, 2655, 285},
        {"cmdOptions", ControlKind::Button, "&Edit Binds", 3480, 1335, 855, 255},
        {"cmd", ControlKind::Button, "Command2", 2280, 1920, 135, 195},
    };
}

std::string TextOf(HWND hwnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

MainWindow::MainWindow(std::string programFolder)
    : folder_(std::move(programFolder)),
      dpi_(ScreenDpi()),
      settings_(folder_),
      options_(settings_),
      name_(settings_),
      errors_({"C:\\Debug.txt", folder_ + "\\Debug.txt"}),
      binds_(folder_),
      engine_({consoles_, pump_, options_, name_, settings_, clock_, errors_, binds_}) {
    HWND window = Create(WS_EX_APPWINDOW, "Zarvik", WS_POPUP | WS_CLIPCHILDREN, 0, 0, TwipsToPixels(4575, dpi_),
                         TwipsToPixels(1905, dpi_), nullptr);
    controls_ = std::make_unique<ControlTable>(window, Rows(), dpi_);
    titleFont_ = SansFont("MS Sans Serif", 120, FW_NORMAL, dpi_);
    SendMessageA((*controls_)["Label1"], WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()), FALSE);
    const RECT titleArea = {0, TwipsToPixels(240, dpi_), TwipsToPixels(4575, dpi_), TwipsToPixels(240 + 975, dpi_)};
    title_ = std::make_unique<MoviePlayer>(window, titleArea);
    // Image1: transparent, above the title, taking its clicks.
    image1_ = CreateWindowExA(WS_EX_TRANSPARENT, "static", "", WS_CHILD | WS_VISIBLE | SS_NOTIFY, 0,
                              TwipsToPixels(240, dpi_), TwipsToPixels(4575, dpi_), TwipsToPixels(1095, dpi_), window,
                              nullptr, winbase::ThisModule(), nullptr);
    // Above the player, or the player would take the clicks meant for it; beneath the
    // controls, whose edges it overlaps.
    SetWindowPos(image1_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(title_->window(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    for (const char* name : {"Label1", "Command6"}) winbase::Subclass((*controls_)[name], this);
    name_.OnChanged([this] {
        HWND box = (*controls_)["txtName"];
        if (TextOf(box) == name_.Text()) return;
        updatingName_ = true;
        SetWindowTextA(box, name_.Text().c_str());
        updatingName_ = false;
    });
}

void MainWindow::Start() {
    // The title movie kept with the window; from title.swf only when that one is incomplete.
    title_->LoadMovieFromResource(GetModuleHandleA(nullptr), "TITLE_MOVIE");
    if (title_->PercentLoaded() != 100) {
        MessageBoxA(hwnd(), "LOADING", "Zarvik", MB_OK);
        title_->LoadMovie(0, MovieFolder(folder_) + "title.swf");
    }
    title_->SetWindowMode("Transparent");
    title_->SetLoop(true);
    title_->SetQuality("AutoHigh");
    title_->SetScaleMode("NoBorder");
    title_->Play();

    // Making the editing suite runs its load step, and with it the settings load.
    options_.OnChanged([this] {
        if (optionsWindow_) optionsWindow_->Refresh();
    });
    optionsWindow_ = std::make_unique<OptionsWindow>(
        folder_, options_,
        OptionsWindow::Actions{
            .show = [this] { ShowWindow(hwnd(), SW_SHOW); },
            .exit = [this] { ClickCommand(); },
            .loadSettings =
                [this] { LoadSettings(settings_, options_, engine_.State().TurnedOn, *this, SystemNumberFormat()); },
            .update =
                [this] {
                    // "UpdateSite" in info.ini points the check elsewhere (a mirror, a
                    // test server).
                    if (!updater_)
                        updater_ = std::make_unique<UpdaterWindow>(UpdateSite(settings_.Read("UpdateSite")), fetcher_);
                    updater_->Open();
                },
            .credits = [this](HWND owner) { ShowCredits(owner, folder_); },
            .startGame = [this] { StartGame(); },
            .owner = hwnd()});

    // The tray icon: the window's own icon, the tip "Zarvik".
    const RECT unseen = {0, TwipsToPixels(2000, dpi_), 33, TwipsToPixels(2000, dpi_) + 33};
    if (SUCCEEDED(ControlHost::Create(
            L"PerchiconControl.Perchicon", hwnd(), unseen, [this](DISPID id, DISPPARAMS*) { OnTrayEvent(id); },
            tray_.put()))) {
        VARIANT icon;
        icon.vt = VT_I4;
        icon.lVal = static_cast<LONG>(
            reinterpret_cast<LONG_PTR>(reinterpret_cast<HICON>(GetClassLongPtrA(hwnd(), GCLP_HICON))));
        tray_->Put(kIcon, icon);
        VARIANT tip;
        tip.vt = VT_BSTR;
        tip.bstrVal = SysAllocString(L"Zarvik");
        tray_->Put(kTip, tip);
        VariantClear(&tip);
        tray_->Call(kAdd);
    } else {
        MessageBoxA(hwnd(),
                    "The tray icon control (Perchicon) is not registered, so Zarvik runs without a tray icon.\r\n"
                    "The \"-\" button minimizes Zarvik to the taskbar instead.",
                    "Zarvik", MB_OK | MB_ICONINFORMATION);
    }

    name_.Fill(settings_.Read("Name"));
    ShowWindow(hwnd(), SW_SHOW);
    SetTimer(hwnd(), kTimer1, 10, nullptr);
    gameStarter_.FindRunningGame(hwnd());
}

void MainWindow::ClickCommand() {
    if (MessageBoxA(hwnd(), kCloseQuestion, kCloseCaption, MB_YESNO) == IDYES) Exit();
}

void MainWindow::StartGame() { gameStarter_.Start(hwnd()); }

void MainWindow::Exit() {
    // Closed while its window stands, the control lets go of its site before OLE goes. Its icon
    // would go with the window anyway: the control removes it when Picture1 is destroyed.
    if (tray_) tray_->Destroy();
    RECT r;
    GetWindowRect(hwnd(), &r);
    settings_.Write("LeftPos", std::to_string(Twips(r.left)));
    settings_.Write("TopPos", std::to_string(Twips(r.top)));
    DestroyWindow(hwnd());
}

int MainWindow::Twips(int pixels) const { return MulDiv(pixels, 1440, dpi_); }

void MainWindow::OuterSize(std::int32_t& width, std::int32_t& height) {
    RECT r;
    GetWindowRect(hwnd(), &r);
    width = Twips(r.right - r.left);
    height = Twips(r.bottom - r.top);
}

void MainWindow::ScreenSize(std::int32_t& width, std::int32_t& height) {
    width = Twips(GetSystemMetrics(SM_CXSCREEN));
    height = Twips(GetSystemMetrics(SM_CYSCREEN));
}

void MainWindow::MoveTo(std::int32_t left, std::int32_t top) {
    SetWindowPos(hwnd(), nullptr, MulDiv(left, dpi_, 1440), MulDiv(top, dpi_, 1440), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::OnTrayEvent(DISPID event) {
    if (event == kLeftDblClick) ShowWindow(hwnd(), SW_SHOW);
    if (event == kRightClick && optionsWindow_) optionsWindow_->PopUpTrayMenu(hwnd());
}

void MainWindow::OnCommand(const std::string& name, int code) {
    if (name == "Command1" && code == BN_CLICKED) ClickCommand();
    if (name == "Command5" && code == BN_CLICKED) ShowWindow(hwnd(), tray_ ? SW_HIDE : SW_MINIMIZE);
    if (name == "cmdOptions" && code == BN_CLICKED && optionsWindow_) optionsWindow_->Show();
    if (name == "txtName" && code == EN_CHANGE && !updatingName_) name_.SetText(TextOf((*controls_)["txtName"]));
}

void MainWindow::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    // The dark red border stands in for the missing window frame, 15 twips inside every edge.
    const int inset = TwipsToPixels(15, dpi_);
    const winbase::Pen pen(CreatePen(PS_SOLID, 1, RGB(150, 0, 0)));
    const winbase::Selected drawing(dc, pen.get()), hollow(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, inset, inset, client.right - inset, client.bottom - inset);
}

// A press of any mouse button on the title strip or the drag handle drags the window. The
// press stops here: the button would take the focus and capture the mouse for a release that
// the move loop has already taken.
LRESULT MainWindow::OnControlMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
            DragWindow(hwnd());
            InvalidateRect(hwnd(), nullptr, TRUE);
            if (control == (*controls_)["Command6"]) SetFocus((*controls_)["cmd"]);
            return 0;
    }
    return DefSubclassProc(control, msg, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_TIMER:
            if (wParam == kTimer1) engine_.Tick();
            return 0;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lParam) == image1_ && HIWORD(wParam) == STN_CLICKED) {
                struct Adapter : TitlePlayer {
                    MoviePlayer& p;
                    explicit Adapter(MoviePlayer& player) : p(player) {}
                    bool IsPlaying() override { return p.IsPlaying(); }
                    int CurrentFrame() override { return p.CurrentFrame(); }
                    void GotoFrame(int frame) override { p.GotoFrame(frame); }
                    void Play() override { p.Play(); }
                    void Stop() override { p.Stop(); }
                    std::string Tag() override { return p.Tag(); }
                    void SetTag(const std::string& tag) override { p.SetTag(tag); }
                } adapter(*title_);
                TitleClick(adapter);
                return 0;
            }
            if (controls_)
                if (const std::string* name = controls_->NameOf(LOWORD(wParam))) OnCommand(*name, HIWORD(wParam));
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            Paint(BeginPaint(hwnd(), &ps));
            EndPaint(hwnd(), &ps);
            return 0;
        }
        case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == image1_) {
                // Image1 shows nothing of its own: the title beneath it shows through.
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            }
            break;
        case kStartGameMessage: StartGame(); return 0;
        case WM_QUERYENDSESSION: return TRUE;
        case WM_ENDSESSION:
            if (wParam) Exit();
            return 0;
        case WM_CLOSE:  // closed from outside: the unload path, without asking
            Exit();
            return 0;
        case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return Default(msg, wParam, lParam);
}

}  // namespace zarvik
