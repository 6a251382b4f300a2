// The registered control as its late-bound clients use it (script hosts, form designers):
// created by ProgID, called by dispatch id, its connection points enumerated, unloaded and
// loaded again. Events through the real tray are the program's tests.
#include "Perchicon.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

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

    IDispatch* control = nullptr;
};

LRESULT CALLBACK RefuseAboutBox(int code, WPARAM wParam, LPARAM lParam) {
    const char* title = code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs->lpszName : nullptr;
    if (title && std::string(title) == "About") return 1;
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(ByProgId, EveryMemberAnswersByNameAndDispatchId) {
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
    for (DISPID method : {0x60030002, 0x60030003}) {
        VARIANT result;
        result.vt = VT_I4;
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        EXPECT_EQ(control->Invoke(method, IID_NULL, 0, DISPATCH_METHOD, &none, &result, nullptr, nullptr), S_OK);
        EXPECT_EQ(result.vt, VT_EMPTY) << "Add and Remove answer Empty";
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

TEST_F(ByProgId, AContainerThatEnumeratesTheConnectionPointsFindsBoth) {
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
    EXPECT_NE(FindWindowA("PerchiconPicture1", "Picture1"), nullptr) << "its class registered again";
}

}  // namespace
