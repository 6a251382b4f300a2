// The registered control in a container: the host piece the main window uses, the container's
// window going first, the ambients, and the about box; and as its late-bound clients use it
// (script hosts, form designers): called by dispatch id, its connection points enumerated,
// unloaded and loaded again. Events through the real tray are the program's tests.
#include "tests/windows/message_loop.h"
#include "app/windows/ControlHost.h"
#include "Perchicon.h"

#include <windows.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>

namespace {

class Hosted : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        window = CreateWindowExA(0, "static", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        const RECT asked = {20, 30, 120, 130};
        ASSERT_EQ(zarvik::ControlHost::Create(
                      L"PerchiconControl.Perchicon", window, asked,
                      [this](DISPID id, DISPPARAMS*) { events.push_back(id); }, &host),
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
    template <typename T>
    T* Query(IUnknown* object, REFIID iid) {
        T* result = nullptr;
        EXPECT_EQ(object->QueryInterface(iid, reinterpret_cast<void**>(&result)), S_OK);
        return result;
    }

    HWND window = nullptr;
    zarvik::ControlHost* host = nullptr;
    std::vector<DISPID> events;
};

TEST_F(Hosted, AContainerWindowDestroyedBeforeCloseTakesTheIconWithIt) {
    VARIANT icon;
    icon.vt = VT_I4;
    icon.lVal = static_cast<LONG>(reinterpret_cast<LONG_PTR>(LoadIcon(nullptr, IDI_APPLICATION)));
    ASSERT_EQ(host->Put(0x68030000, icon), S_OK);
    ASSERT_EQ(host->Call(0x60030002), S_OK);
    RunMessagesFor(200);
    EXPECT_NE(TrayIcon(), nullptr) << "shown";
    DestroyWindow(window);
    EXPECT_TRUE(TrayIconGone(500)) << "no ghost icon";
    // Explorer restarting brings back no icon with a dead owner.
    SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    EXPECT_TRUE(TrayIconGone(500));
}

TEST_F(Hosted, TheControlReadsAmbientsFromItsSiteAndEventsGoToTheirOwnSink) {
    IOleObject* object = Query<IOleObject>(host->Control(), IID_IOleObject);
    IOleClientSite* site = nullptr;
    ASSERT_EQ(object->GetClientSite(&site), S_OK);
    IDispatch* ambients = Query<IDispatch>(site, IID_IDispatch);
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
    auto* container = Query<IConnectionPointContainer>(host->Control(), IID_IConnectionPointContainer);
    IConnectionPoint* point = nullptr;
    IEnumConnections* connections = nullptr;
    ASSERT_EQ(container->FindConnectionPoint(DIID___Perchicon, &point), S_OK);
    ASSERT_EQ(point->EnumConnections(&connections), S_OK);
    CONNECTDATA connection = {};
    ASSERT_EQ(connections->Next(1, &connection, nullptr), S_OK);
    IUnknown* typed = Query<IUnknown>(connection.pUnk, DIID___Perchicon);
    if (typed) typed->Release();
    connection.pUnk->Release();
    connections->Release();
    point->Release();
    container->Release();
}

bool g_destroyed = false, g_ownerEnabledAtDestroy = false;

LRESULT CALLBACK NoteOwnerAtDestroy(int code, WPARAM wParam, LPARAM lParam) {
    char title[16] = {};
    if (code == HCBT_DESTROYWND) GetWindowTextA(reinterpret_cast<HWND>(wParam), title, sizeof title);
    if (std::string(title) == "About") {
        g_destroyed = true;
        g_ownerEnabledAtDestroy = IsWindowEnabled(GetWindow(reinterpret_cast<HWND>(wParam), GW_OWNER));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Closes the about box once it shows.
void CALLBACK CloseWhenShown(HWND, UINT, UINT_PTR id, DWORD) {
    HWND shown = FindWindowA(nullptr, "About");
    if (!shown || !IsWindowVisible(shown)) return;
    KillTimer(nullptr, id);
    PostMessageA(shown, WM_CLOSE, 0, 0);
}

TEST_F(Hosted, ShowAboutOpensTheAboutBoxModallyAndGivesTheOwnerBackFirst) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, CloseWhenShown);
    HHOOK hook = SetWindowsHookExA(WH_CBT, NoteOwnerAtDestroy, nullptr, GetCurrentThreadId());
    EXPECT_EQ(host->Call(0x6003000C), S_OK);
    EXPECT_TRUE(g_destroyed) << "returns once the box is closed";
    UnhookWindowsHookEx(hook);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_ownerEnabledAtDestroy) << "else Windows activates another program's window";
}

LRESULT CALLBACK RefuseAboutBox(int code, WPARAM wParam, LPARAM lParam) {
    const char* title = code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszName : nullptr;
    if (title && std::string(title) == "About") return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(Hosted, EveryMemberAnswersByNameAndDispatchId) {
    IDispatch* control = host->Control();
    const wchar_t* names[] = {L"Tip", L"Icon", L"Add", L"Remove", L"ShowAbout", L"About"};
    const DISPID ids[] = {0x68030001, 0x68030000, 0x60030002, 0x60030003, 0x6003000C, 0x40030000};
    for (int i = 0; i < 6; ++i) {
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(names[i]);
        EXPECT_EQ(control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, ids[i]);
        EXPECT_EQ(control->GetIDsOfNames(IID_IDispatch, &name, 1, LOCALE_USER_DEFAULT, &id),
                  DISP_E_UNKNOWNINTERFACE);
    }

    // A box that cannot be made fails the call, with a message a script host can show.
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseAboutBox, nullptr, GetCurrentThreadId());
    EXCEPINFO error = {};
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(control->Invoke(0x6003000C, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, &error, nullptr),
              DISP_E_EXCEPTION);
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(FAILED(error.scode));
    EXPECT_NE(std::wstring(error.bstrDescription ? error.bstrDescription : L"").find(L"ShowAbout"),
              std::wstring::npos);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrHelpFile);
}

TEST_F(Hosted, AContainerThatEnumeratesTheConnectionPointsFindsBoth) {
    auto* container = Query<IConnectionPointContainer>(host->Control(), IID_IConnectionPointContainer);
    IEnumConnectionPoints* points = nullptr;
    ASSERT_EQ(container->EnumConnectionPoints(&points), S_OK);
    IConnectionPoint* found[3] = {};
    ULONG count = 0;
    EXPECT_EQ(points->Next(3, found, &count), S_FALSE);
    ASSERT_EQ(count, 2u);
    IID iids[2];
    for (ULONG i = 0; i < count; ++i) {
        found[i]->GetConnectionInterface(&iids[i]);
        found[i]->Release();
    }
    EXPECT_EQ(iids[0], DIID___Perchicon);
    EXPECT_EQ(iids[1], IID_IPropertyNotifySink);
    points->Release();
    container->Release();
}

TEST_F(Hosted, UnloadedTheLibraryLeavesNoWindowClassAndLoadsAgain) {
    const HMODULE library = GetModuleHandleA("Perchicon.ocx");
    ASSERT_NE(library, nullptr);
    host->Destroy();
    host->Release();
    host = nullptr;
    CoFreeUnusedLibraries();
    ASSERT_EQ(GetModuleHandleA("Perchicon.ocx"), nullptr) << "nothing held it";
    WNDCLASSA unused;
    EXPECT_FALSE(GetClassInfoA(library, "PerchiconPicture1", &unused)) << "its procedure is gone";

    // Created again as a script host creates it.
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(L"PerchiconControl.Perchicon", &clsid), S_OK);
    IDispatch* control = nullptr;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&control)),
              S_OK);
    EXPECT_NE(FindWindowA("PerchiconPicture1", "Picture1"), nullptr) << "its class registered again";
    control->Release();
}

}  // namespace
