// The registered control as its clients use it: created by ProgID, called late-bound by
// dispatch id, events through a connection point, clicks through the real tray, and VBScript.
#include "tests/win/message_loop.h"
#include "event_sink.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <cstdio>
#include <fstream>

namespace {

using namespace perchicon_events;

class ByProgId : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        CLSID clsid;
        ASSERT_EQ(CLSIDFromProgID(L"PerchiconControl.Perchicon", &clsid), S_OK) << "registered by the fixture";
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                   reinterpret_cast<void**>(&control)),
                  S_OK);
    }
    void TearDown() override {
        if (control) control->Release();
        CoUninitialize();
    }

    HRESULT Call(DISPID id, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
        DISPPARAMS params = {args, nullptr, count, 0};
        DISPID put = DISPID_PROPERTYPUT;
        if (flags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &put;
            params.cNamedArgs = 1;
        }
        return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, nullptr, nullptr);
    }
    DWORD Connect() {
        IConnectionPointContainer* container = nullptr;
        IConnectionPoint* point = nullptr;
        DWORD cookie = 0;
        EXPECT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
        EXPECT_EQ(container->FindConnectionPoint(DIID___Perchicon, &point), S_OK);
        EXPECT_EQ(point->Advise(&sink, &cookie), S_OK);
        point->Release();
        container->Release();
        return cookie;
    }
    static BOOL CALLBACK FindPicture(HWND hwnd, LPARAM out) {
        char name[64] = {}, title[64] = {};
        GetClassNameA(hwnd, name, sizeof name);
        GetWindowTextA(hwnd, title, sizeof title);
        if (std::string(name) != "PerchiconPicture1" || std::string(title) != "Picture1") return TRUE;
        *reinterpret_cast<HWND*>(out) = hwnd;
        return FALSE;
    }
    static HWND Picture1() {
        HWND found = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindPicture, reinterpret_cast<LPARAM>(&found));
        return found;
    }

    EventSink sink;  // outlives the control, which holds it until released
    IDispatch* control = nullptr;
};

static LRESULT CALLBACK RefuseAboutBox(int code, WPARAM wParam, LPARAM lParam) {
    const char* title = code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszName : nullptr;
    if (title && std::string(title) == "About") return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The properties by name, through a script host: VBScript below.
TEST_F(ByProgId, EveryMemberAnswersByItsDispatchId) {
    for (DISPID method : {0x60030002, 0x60030003}) {
        VARIANT result;
        result.vt = VT_I4;
        EXPECT_EQ(Call(method, DISPATCH_METHOD, nullptr, 0, &result), S_OK);
        EXPECT_EQ(result.vt, VT_EMPTY);
    }

    // A box that cannot be made fails the call, with a message a script host can show.
    HHOOK hook = SetWindowsHookExA(WH_CBT, RefuseAboutBox, nullptr, GetCurrentThreadId());
    EXCEPINFO error = {};
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXPECT_EQ(control->Invoke(0x6003000C, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr, &error,
                              nullptr),
              DISP_E_EXCEPTION);
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(FAILED(error.scode));
    EXPECT_NE(std::wstring(error.bstrDescription ? error.bstrDescription : L"").find(L"ShowAbout"),
              std::wstring::npos);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrHelpFile);

    // Names resolve through the embedded type library.
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
    // A container that enumerates the connection points finds both.
    IConnectionPointContainer* container = nullptr;
    ASSERT_EQ(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
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

TEST_F(ByProgId, UnloadedTheLibraryLeavesNoWindowClassAndLoadsAgain) {
    const HMODULE library = GetModuleHandleA("Perchicon.ocx");
    ASSERT_NE(library, nullptr);
    control->Release();
    control = nullptr;
    CoFreeUnusedLibraries();
    ASSERT_EQ(GetModuleHandleA("Perchicon.ocx"), nullptr) << "nothing held it";
    WNDCLASSA unused;
    EXPECT_FALSE(GetClassInfoA(library, "PerchiconPicture1", &unused)) << "its procedure is gone";

    ASSERT_EQ(CoCreateInstance(CLSID_Perchicon, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                               reinterpret_cast<void**>(&control)),
              S_OK);
    Connect();
    SendMessageA(Picture1(), WM_MOUSEMOVE, 1, WM_RBUTTONUP);
    EXPECT_EQ(sink.events, (std::vector<ReceivedEvent>{{RightClick}, {MouseClick, 2, 0}}));
}

TEST_F(ByProgId, ARightClickOnTheTrayIconReachesTheHost) {
    Connect();
    VARIANT handle;
    handle.vt = VT_I4;
    handle.lVal = static_cast<LONG>(reinterpret_cast<LONG_PTR>(LoadIcon(nullptr, IDI_APPLICATION)));
    Call(0x68030000, DISPATCH_PROPERTYPUT, &handle, 1, nullptr);
    Call(0x60030002, DISPATCH_METHOD, nullptr, 0, nullptr);
    RunMessagesFor(300);

    ASSERT_TRUE(RightClickTrayIcon()) << "Wine's stand-alone tray window and the icon in it";
    RunMessagesFor(800);

    std::vector<ReceivedEvent> clicksOnly;
    for (const auto& e : sink.events)
        if (e.id != MouseMove) clicksOnly.push_back(e);
    EXPECT_EQ(clicksOnly, (std::vector<ReceivedEvent>{{RightClick}, {MouseClick, 2, 0}}));
    EXPECT_FALSE(sink.events.empty());
    EXPECT_EQ(sink.events.front().id, MouseMove) << "the press before the release is a MouseMove";

    // Released while shown: the icon goes with it.
    NOTIFYICONDATAA probe = {};
    probe.cbSize = NOTIFYICONDATAA_V1_SIZE;
    probe.hWnd = Picture1();
    probe.uID = 1;
    control->Release();
    control = nullptr;
    EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &probe)) << "nothing left to delete";
}

TEST(VBScript, DrivesTheControlLateBound) {
    const auto folder = std::filesystem::temp_directory_path() / "zarvik-vbs";
    std::filesystem::create_directories(folder);
    const auto script = folder / "perchicon.vbs";
    std::ofstream(script) << "Set c = CreateObject(\"PerchiconControl.Perchicon\")\r\n"
                             "WScript.Echo \"tip=\" & c.Tip\r\n"
                             "c.Tip = \"Zarvik\"\r\n"
                             "WScript.Echo \"tip=\" & c.Tip\r\n"
                             "c.Icon = 65539\r\n"
                             "WScript.Echo \"icon=\" & c.Icon\r\n"
                             "c.Add\r\n"
                             "c.Remove\r\n"
                             "Set c = Nothing\r\n"
                             "WScript.Echo \"DONE\"\r\n";

    std::string output;
    FILE* script_host = _popen(("cscript.exe //nologo \"" + script.string() + "\"").c_str(), "r");
    ASSERT_NE(script_host, nullptr);
    char buffer[512];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, script_host)) > 0;) output.append(buffer, n);
    _pclose(script_host);
    std::filesystem::remove_all(folder);

    EXPECT_NE(output.find("tip=0"), std::string::npos) << output;
    EXPECT_NE(output.find("tip=Zarvik"), std::string::npos) << output;
    EXPECT_NE(output.find("icon=65539"), std::string::npos) << output;
    EXPECT_NE(output.find("DONE"), std::string::npos) << output;
}

}  // namespace
