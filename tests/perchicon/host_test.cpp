// The registered control in a container: the host piece the main window uses, the control's
// property page in a property frame, and its about box.
#include "tests/win/message_loop.h"
#include "app/windows/ControlHost.h"
#include "event_sink.h"

#include <windows.h>
#include <shellapi.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>

namespace {

int FacePixels() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return MulDiv(495, dpi, 1440);
}

BOOL CALLBACK FindText(HWND hwnd, LPARAM wanted) {
    char text[64] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    auto* search = reinterpret_cast<std::pair<const char*, bool>*>(wanted);
    if (std::string(text) == search->first) search->second = true;
    return TRUE;
}

bool HasChildWithText(HWND window, const char* text) {
    std::pair<const char*, bool> search{text, false};
    EnumChildWindows(window, FindText, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

class Hosted : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        window = CreateWindowExA(0, "static", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        const RECT asked = {20, 30, 120, 130};
        ASSERT_EQ(zarvik::ControlHost::Create(
                      L"PerchiconControl.Perchicon", window, asked,
                      [this](DISPID id, DISPPARAMS*) { events.push_back(id); },
                      &host),
                  S_OK);
    }
    void TearDown() override {
        if (host) {
            host->Destroy();
            host->Release();
        }
        DestroyWindow(window);
        OleUninitialize();
    }
    HWND Face() {
        IOleWindow* ole = nullptr;
        HWND face = nullptr;
        if (SUCCEEDED(host->Control()->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&ole)))) {
            ole->GetWindow(&face);
            ole->Release();
        }
        return face;
    }

    HWND window = nullptr;
    zarvik::ControlHost* host = nullptr;
    std::vector<DISPID> events;
};

TEST_F(Hosted, TheFaceStandsWhereTheSiteSaysAtItsOwnSize) {
    HWND face = Face();
    ASSERT_NE(face, nullptr);
    EXPECT_TRUE(IsChild(window, face));
    EXPECT_TRUE(IsWindowVisible(face));
    RECT r;
    GetWindowRect(face, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, FacePixels()) << "asked for 100 pixels, it keeps its own size";
    EXPECT_EQ(r.bottom - r.top, FacePixels());
    EXPECT_EQ(host->Rect().right - host->Rect().left, FacePixels()) << "and told the site so";
}

TEST_F(Hosted, AContainerWindowDestroyedBeforeCloseTakesTheIconWithIt) {
    VARIANT icon;
    icon.vt = VT_I4;
    icon.lVal = static_cast<LONG>(reinterpret_cast<LONG_PTR>(LoadIcon(nullptr, IDI_APPLICATION)));
    ASSERT_EQ(host->Put(0x68030000, icon), S_OK);
    ASSERT_EQ(host->Call(0x60030002), S_OK);
    RunMessagesFor(200);
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = Face();
    probe.uID = 1;
    EXPECT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "shown";
    DestroyWindow(window);
    EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &probe)) << "no ghost icon";
    // Explorer restarting brings back no icon with a dead owner.
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    EXPECT_TRUE(TrayIconGone(500));
}

TEST_F(Hosted, TheControlReadsAmbientsFromItsSiteAndEventsGoToTheirOwnSink) {
    IOleObject* object = nullptr;
    IOleClientSite* site = nullptr;
    IDispatch* ambients = nullptr;
    ASSERT_EQ(host->Control()->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object)), S_OK);
    ASSERT_EQ(object->GetClientSite(&site), S_OK);
    ASSERT_EQ(site->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&ambients)), S_OK);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    EXPECT_EQ(ambients->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                               nullptr),
              S_OK);
    EXPECT_EQ(value.vt, VT_BOOL);
    EXPECT_EQ(value.boolVal, VARIANT_TRUE);
    EXPECT_EQ(ambients->Invoke(DISPID_AMBIENT_BACKCOLOR, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                               nullptr),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_TRUE(events.empty()) << "reading an ambient is no event";
    ambients->Release();
    site->Release();
    object->Release();

    // The sink answers for the event interface's own id, as strict controls ask.
    IConnectionPointContainer* container = nullptr;
    IConnectionPoint* point = nullptr;
    IEnumConnections* connections = nullptr;
    ASSERT_EQ(host->Control()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)),
              S_OK);
    ASSERT_EQ(container->FindConnectionPoint(DIID___Perchicon, &point), S_OK);
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    CONNECTDATA connection = {};
    ASSERT_EQ(connections->Next(1, &connection, nullptr), S_OK);
    IUnknown* typed = nullptr;
    EXPECT_EQ(connection.pUnk->QueryInterface(DIID___Perchicon, reinterpret_cast<void**>(&typed)), S_OK);
    if (typed) typed->Release();
    connection.pUnk->Release();
    connections->Release();
    point->Release();
    container->Release();
}

struct Seen {
    bool version = false, ownerEnabledAtDestroy = false;
};
Seen g_seen;

BOOL CALLBACK FindShown(HWND hwnd, LPARAM out) {
    char name[64] = {}, title[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    GetWindowTextA(hwnd, title, sizeof title);
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (std::string(name) == "#32770" || std::string(title) == "About") {
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
    }
    return TRUE;
}

LRESULT CALLBACK NoteOwnerAtDestroy(int code, WPARAM wParam, LPARAM lParam) {
    char title[16] = {};
    if (code == HCBT_DESTROYWND) GetWindowTextA(reinterpret_cast<HWND>(wParam), title, sizeof title);
    if (std::string(title) == "About")
        g_seen.ownerEnabledAtDestroy = IsWindowEnabled(GetWindow(reinterpret_cast<HWND>(wParam), GW_OWNER));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Closes the about box or the property frame once it shows, noting what it showed.
void CALLBACK CloseWhenShown(HWND, UINT, UINT_PTR id, DWORD) {
    HWND shown = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindShown, reinterpret_cast<LPARAM>(&shown));
    if (!shown) return;
    KillTimer(nullptr, id);
    g_seen.version = HasChildWithText(shown, "1.0.12");
    PostMessageA(shown, WM_COMMAND, IDCANCEL, 0);
    PostMessageA(shown, WM_CLOSE, 0, 0);
}

TEST_F(Hosted, ShowAboutOpensTheAboutBoxModallyWithTheVersion) {
    g_seen = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, CloseWhenShown);
    HHOOK hook = SetWindowsHookExA(WH_CBT, NoteOwnerAtDestroy, nullptr, GetCurrentThreadId());
    const DWORD start = GetTickCount();
    EXPECT_EQ(host->Call(0x6003000C), S_OK);
    EXPECT_GE(GetTickCount() - start, 150u) << "returns once the box is closed";
    UnhookWindowsHookEx(hook);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_seen.version);
    EXPECT_TRUE(g_seen.ownerEnabledAtDestroy) << "else Windows activates another program's window";
}

TEST_F(Hosted, ThePropertyPageShowsInAPropertyFrame) {
    g_seen = {};
    CLSID page;
    ASSERT_EQ(CLSIDFromString(L"{86A8A6A6-6FAE-4098-B593-78E60873ECF3}", &page), S_OK);
    IUnknown* object = host->Control();
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, CloseWhenShown);
    const HRESULT hr =
        OleCreatePropertyFrame(window, 10, 10, L"Perchicon", 1, &object, 1, &page, LOCALE_USER_DEFAULT, 0, nullptr);
    KillTimer(nullptr, timer);
    EXPECT_EQ(hr, S_OK);
    EXPECT_TRUE(g_seen.version) << "the page shows the version";
}

}  // namespace
