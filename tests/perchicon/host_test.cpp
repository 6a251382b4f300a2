// The registered control in a container: the host piece the main window uses, the container's
// window going first, the ambients, and the about box; and as its late-bound clients use it
// (script hosts, form designers): called by dispatch id, its connection points enumerated,
// unloaded and loaded again. Events through the real tray are the program's tests.
#include "tests/windows/message_loop.h"
#include "app/windows/ControlHost.h"
#include "winbase/Own.h"
#include "Perchicon.h"

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
        const auto onEvent = [this](DISPID id, DISPPARAMS*) { events.push_back(id); };
        ASSERT_EQ(
            zarvik::ControlHost::Create(L"PerchiconControl.Perchicon", window, {20, 30, 120, 130}, onEvent, host.put()),
            S_OK);
    }
    void TearDown() override {
        if (host) host->Destroy();
        host.reset();
        DestroyWindow(window);
        OleUninitialize();
    }
    template <typename T>
    winbase::ComPtr<T> Query(IUnknown* object, REFIID iid = __uuidof(T)) {
        winbase::ComPtr<T> result;
        EXPECT_EQ(object->QueryInterface(iid, result.put_void()), S_OK);
        return result;
    }

    HWND window = nullptr;
    winbase::ComPtr<zarvik::ControlHost> host;
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
    winbase::ComPtr<IOleClientSite> site;
    ASSERT_EQ(Query<IOleObject>(host->Control())->GetClientSite(site.put()), S_OK);
    auto ambients = Query<IDispatch>(site.get());
    DISPPARAMS none = {};
    VARIANT value = {};
    auto ambient = [&](DISPID id) {
        return ambients->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    };
    EXPECT_EQ(ambient(DISPID_AMBIENT_USERMODE), S_OK);
    EXPECT_EQ(value.vt, VT_BOOL);
    EXPECT_EQ(value.boolVal, VARIANT_TRUE);
    EXPECT_EQ(ambient(DISPID_AMBIENT_BACKCOLOR), DISP_E_MEMBERNOTFOUND);
    EXPECT_TRUE(events.empty()) << "reading an ambient is no event";

    // The sink answers for the event interface's own id, as strict controls ask.
    winbase::ComPtr<IConnectionPoint> point;
    winbase::ComPtr<IEnumConnections> connections;
    ASSERT_EQ(Query<IConnectionPointContainer>(host->Control())->FindConnectionPoint(DIID___Perchicon, point.put()),
              S_OK);
    ASSERT_EQ(point->EnumConnections(connections.put()), S_OK);
    CONNECTDATA connection = {};
    ASSERT_EQ(connections->Next(1, &connection, nullptr), S_OK);
    Query<IUnknown>(winbase::ComPtr<IUnknown>::Attach(connection.pUnk).get(), DIID___Perchicon);
}

using Hook = winbase::Owner<HHOOK, &UnhookWindowsHookEx>;

bool g_destroyed = false, g_ownerEnabledAtDestroy = false;

LRESULT CALLBACK NoteOwnerAtDestroy(int code, WPARAM wParam, LPARAM lParam) {
    const HWND box = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_DESTROYWND && box == FindWindowA(nullptr, "About")) {
        g_destroyed = true;
        g_ownerEnabledAtDestroy = IsWindowEnabled(GetWindow(box, GW_OWNER));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Closes the about box once it shows.
void CALLBACK CloseWhenShown(HWND, UINT, UINT_PTR id, DWORD) {
    HWND shown = FindWindowA(nullptr, "About");
    if (!IsWindowVisible(shown)) return;
    KillTimer(nullptr, id);
    PostMessageA(shown, WM_CLOSE, 0, 0);
}

TEST_F(Hosted, ShowAboutOpensTheAboutBoxModallyAndGivesTheOwnerBackFirst) {
    SetTimer(nullptr, 0, 200, CloseWhenShown);
    Hook hook(SetWindowsHookExA(WH_CBT, NoteOwnerAtDestroy, nullptr, GetCurrentThreadId()));
    EXPECT_EQ(host->Call(0x6003000C), S_OK);
    EXPECT_TRUE(g_destroyed) << "returns once the box is closed";
    EXPECT_TRUE(g_ownerEnabledAtDestroy) << "else Windows activates another program's window";
}

LRESULT CALLBACK RefuseAboutBox(int code, WPARAM wParam, LPARAM lParam) {
    const char* title = code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszName : nullptr;
    if (title && std::string(title) == "About") return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(Hosted, EveryMemberAnswersByNameAndDispatchId) {
    IDispatch* control = host->Control();
    const std::pair<const wchar_t*, DISPID> members[] = {{L"Tip", 0x68030001},       {L"Icon", 0x68030000},
                                                         {L"Add", 0x60030002},       {L"Remove", 0x60030003},
                                                         {L"ShowAbout", 0x6003000C}, {L"About", 0x40030000}};
    for (auto [member, expected] : members) {
        DISPID id = 0;
        LPOLESTR name = const_cast<LPOLESTR>(member);
        EXPECT_EQ(control->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(id, expected);
        EXPECT_EQ(control->GetIDsOfNames(IID_IDispatch, &name, 1, 0, &id), DISP_E_UNKNOWNINTERFACE);
    }

    // A box that cannot be made fails the call, with a message a script host can show.
    Hook hook(SetWindowsHookExA(WH_CBT, RefuseAboutBox, nullptr, GetCurrentThreadId()));
    EXCEPINFO error = {};
    DISPPARAMS none = {};
    EXPECT_EQ(control->Invoke(0x6003000C, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, &error, nullptr),
              DISP_E_EXCEPTION);
    EXPECT_TRUE(FAILED(error.scode));
    EXPECT_NE(std::wstring(error.bstrDescription ? error.bstrDescription : L"").find(L"ShowAbout"), std::wstring::npos);
    for (BSTR text : {error.bstrDescription, error.bstrSource, error.bstrHelpFile}) SysFreeString(text);
}

TEST_F(Hosted, AContainerThatEnumeratesTheConnectionPointsFindsBoth) {
    winbase::ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(Query<IConnectionPointContainer>(host->Control())->EnumConnectionPoints(points.put()), S_OK);
    IConnectionPoint* found[3] = {};
    ULONG count = 0;
    EXPECT_EQ(points->Next(3, found, &count), S_FALSE);
    ASSERT_EQ(count, 2u);
    IID iids[2];
    for (ULONG i = 0; i < count; ++i)
        winbase::ComPtr<IConnectionPoint>::Attach(found[i])->GetConnectionInterface(&iids[i]);
    EXPECT_EQ(iids[0], DIID___Perchicon);
    EXPECT_EQ(iids[1], IID_IPropertyNotifySink);
}

TEST_F(Hosted, UnloadedTheLibraryLeavesNoWindowClassAndLoadsAgain) {
    const HMODULE library = GetModuleHandleA("Perchicon.ocx");
    ASSERT_NE(library, nullptr);
    host->Destroy();
    host.reset();
    CoFreeUnusedLibraries();
    ASSERT_EQ(GetModuleHandleA("Perchicon.ocx"), nullptr) << "nothing held it";
    WNDCLASSA unused;
    EXPECT_FALSE(GetClassInfoA(library, "PerchiconPicture1", &unused)) << "its procedure is gone";

    // Created again as a script host creates it.
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID(L"PerchiconControl.Perchicon", &clsid), S_OK);
    winbase::ComPtr<IDispatch> control;
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control.put_void()), S_OK);
    EXPECT_NE(FindWindowA("PerchiconPicture1", "Picture1"), nullptr) << "its class registered again";
}

}  // namespace
