// The control object itself, in this process, with the shell's notification call recorded.
#include "Control.h"
#include "Module.h"
#include "PropertyPage.h"
#include "TrayRecord.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>

namespace perchicon {
namespace {

// A COM object of one interface kept on the test's stack, where counting references would only
// hide what the test is about.
template <typename Interface>
struct StackObject : Interface {
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = riid == IID_IUnknown || riid == __uuidof(Interface) || Answers(riid) ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    virtual bool Answers(REFIID) { return false; }  // another interface it stands for
};

struct ReceivedEvent {
    DISPID id;
    long button = 0;
    short shift = 0;
    bool operator==(const ReceivedEvent&) const = default;
};

// A client's event sink for __Perchicon: records every event with its Button and Shift.
struct EventSink : StackObject<IDispatch> {
    std::vector<ReceivedEvent> events;
    std::function<void(DISPID)> during;  // runs inside the handler, as a host's code would

    bool Answers(REFIID riid) override { return riid == DIID___Perchicon; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
        ReceivedEvent event{id};
        if (params->cArgs == 2) {
            event.button = *params->rgvarg[1].plVal;
            event.shift = *params->rgvarg[0].piVal;
            *params->rgvarg[1].plVal = 99;  // a handler's change must not reach the control
        }
        events.push_back(event);
        if (during) during(id);
        return S_OK;
    }
};

// __Perchicon's dispatch ids.
constexpr DISPID LeftClick = 1, RightClick = 2, MiddleDblClick = 6, MouseMove = 7, MouseClick = 9, MouseDblClick = 10;

using Bstr = winbase::Owner<BSTR, &SysFreeString>;

class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        control = Recorded();
        ASSERT_EQ(control->FindConnectionPoint(DIID___Perchicon, point.put()), S_OK);
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
    }

    // A control whose calls to the shell are recorded in `calls`.
    winbase::ComPtr<winbase::Com<Control>> Recorded() {
        return winbase::Make<Control>([this](DWORD message, NOTIFYICONDATAA* record) {
            return calls.push_back({message, *record}), TRUE;
        });
    }

    void Notify(UINT message, WPARAM keys = 1) { SendMessageA(control->Picture1(), WM_MOUSEMOVE, keys, message); }
    void PutTip(const std::wstring& text) { control->put_Tip(Bstr(SysAllocString(text.c_str())).get()); }
    std::string Tip() { return std::string(calls.back().second.szTip, 64); }

    std::vector<std::pair<DWORD, NOTIFYICONDATAA>> calls;
    EventSink sink;
    DWORD cookie = 0;  // of the latest Advise
    winbase::ComPtr<winbase::Com<Control>> control;
    winbase::ComPtr<IConnectionPoint> point;
};

TEST_F(ControlTest, TipsAreCutToSixtyFourBytesOnACharacter) {
    const std::string letters = "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefghijklmnopqr";
    PutTip(std::wstring(letters.begin(), letters.begin() + 63));
    EXPECT_EQ(Tip(), letters.substr(0, 63) + '\0') << "whole, with its terminator";
    PutTip(std::wstring(letters.begin(), letters.end()));
    EXPECT_EQ(Tip(), letters.substr(0, 64)) << "its first 64 characters, no terminator";

    // Where characters take two bytes: whole characters only, and the NUL always.
    std::string whole;
    for (int i = 0; i < 31; ++i) whole += "\x82\xa0";  // U+3042 in code page 932
    char field[64];
    FillTip(field, std::wstring(63, L'\u3042'), 932);
    EXPECT_EQ(std::string(field, 64), whole + '\0' + ' ');
    FillTip(field, L"x" + std::wstring(63, L'\u3042'), 932);
    EXPECT_EQ(std::string(field, 64), "x" + whole + '\0');
}

// The one check of how notifications become events: a click of each button, a double click,
// anything else.
TEST_F(ControlTest, ReleasesAreReportedOnButtonUpAndEverythingElseIsMouseMove) {
    const std::pair<UINT, std::vector<ReceivedEvent>> cases[] = {
        {WM_LBUTTONUP, {{LeftClick}, {MouseClick, 1, 0}}},
        {WM_RBUTTONUP, {{RightClick}, {MouseClick, 2, 0}}},
        {WM_MBUTTONDBLCLK, {{MiddleDblClick}, {MouseDblClick, 4, 0}}},
        {WM_MOUSEMOVE, {{MouseMove}}},
    };
    for (const auto& [message, expected] : cases) {
        sink.events.clear();
        Notify(message);
        EXPECT_EQ(sink.events, expected) << std::hex << message;
    }
    // Shift and Ctrl come from Picture1's mouse state; the handler's change to Button did
    // not stick, so the click reports 1 again.
    Notify(WM_LBUTTONUP, MK_SHIFT | MK_CONTROL);
    EXPECT_EQ(sink.events.back(), (ReceivedEvent{MouseClick, 1, 3}));
    control->FreezeEvents(TRUE);
    Notify(WM_RBUTTONUP);
    EXPECT_EQ(sink.events.size(), 3u) << "frozen: no events";
}

TEST_F(ControlTest, ANotificationDuringAHandlerIsDroppedAndWhatAHandlerThrowsStaysInside) {
    sink.during = [this](DISPID id) {
        if (id == RightClick) Notify(WM_LBUTTONDBLCLK);  // e.g. while the host's menu is open
    };
    Notify(WM_RBUTTONUP);
    EXPECT_EQ(sink.events, (std::vector<ReceivedEvent>{{RightClick}, {MouseClick, 2, 0}}));

    sink.during = [](DISPID) { throw std::runtime_error("a handler, or memory for the sinks, failed"); };
    EXPECT_NO_THROW(Notify(WM_RBUTTONUP)) << "unwound through user32";
    sink.during = nullptr;
    sink.events.clear();
    Notify(WM_LBUTTONDBLCLK);
    EXPECT_EQ(sink.events.size(), 2u) << "the guard is down again";
}

TEST_F(ControlTest, PropertyChangesAreReportedToTheHost) {
    struct Changes : StackObject<IPropertyNotifySink> {
        std::vector<DISPID> ids;
        STDMETHODIMP OnChanged(DISPID id) override { return ids.push_back(id), S_OK; }
        STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
    } changes;
    ASSERT_EQ(control->FindConnectionPoint(IID_IPropertyNotifySink, point.put()), S_OK);
    ASSERT_EQ(point->Advise(&changes, &cookie), S_OK);
    control->put_Icon(5);
    PutTip(L"x");
    EXPECT_EQ(changes.ids, (std::vector<DISPID>{0x68030000, 0x68030001}));
    point->Unadvise(cookie);
    control->put_Icon(6);
    EXPECT_EQ(changes.ids.size(), 2u) << "not after Unadvise";
}

// Every call with the first record layout; the icon added again whole.
TEST_F(ControlTest, AShownIconIsAddedOnceWhenTheTaskbarComesBack) {
    const UINT created = RegisterWindowMessageA("TaskbarCreated");
    auto broadcast = [=] { SendMessageTimeoutA(HWND_BROADCAST, created, 0, 0, SMTO_NORMAL, 5000, nullptr); };
    broadcast();
    EXPECT_TRUE(calls.empty()) << "not shown: nothing to add";
    control->put_Icon(0x1234);
    control->Add(nullptr);
    broadcast();
    ASSERT_EQ(calls.size(), 3u) << "once, though Picture1 is a top-level window too while not in place";
    control->Remove(nullptr);
    broadcast();
    ASSERT_EQ(calls.size(), 4u);
    for (const auto& [message, record] : calls) {
        EXPECT_EQ(record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
        EXPECT_EQ(record.hWnd, control->Picture1());
        EXPECT_EQ(record.uID, 1u);
    }
    EXPECT_EQ(calls[2].first, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[2].second.hIcon, reinterpret_cast<HICON>(0x1234));
    EXPECT_EQ(calls[3].first, static_cast<DWORD>(NIM_DELETE));
}

// A host shows the error info of a failed call: it must be that call's own, never an older one.
TEST_F(ControlTest, EveryFailingMemberLeavesItsOwnErrorInfo) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ITypeInfo* info = nullptr;
    DISPID id = 0;
    LPOLESTR name = const_cast<LPOLESTR>(L"Tip");
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    const std::pair<const wchar_t*, std::function<HRESULT()>> calls[] = {
        {L"About", [&] { return control->get_About(nullptr); }},
        {L"Tip", [&] { return control->get_Tip(nullptr); }},
        {L"Icon", [&] { return control->get_Icon(nullptr); }},
        {L"GetTypeInfoCount", [&] { return control->GetTypeInfoCount(nullptr); }},
        {L"GetTypeInfo", [&] { return control->GetTypeInfo(1, 0, &info); }},
        {L"GetIDsOfNames", [&] { return control->GetIDsOfNames(IID_IDispatch, &name, 1, 0, &id); }},
        {L"Invoke",
         [&] { return control->Invoke(1, IID_IDispatch, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr); }},
    };
    for (const auto& [member, call] : calls) {
        SetErrorText(L"an older failure");
        EXPECT_TRUE(FAILED(call())) << member;
        winbase::ComPtr<IErrorInfo> error;
        Bstr text;
        if (GetErrorInfo(0, error.put()) == S_OK) error->GetDescription(text.put());
        const std::wstring said = text ? text.get() : L"no error info";
        EXPECT_EQ(said.rfind(std::wstring(L"Perchicon ") + member + L": ", 0), 0u) << member << ": " << said;
    }
    CoUninitialize();
}

TEST(Control, HeldAndLetGoDuringItsDestructionItIsDeletedOnce) {
    winbase::Com<Control>* control = nullptr;
    int deletes = 0;
    auto notify = [&](DWORD message, NOTIFYICONDATAA*) {
        // As a site may when told of its deactivation.
        if (message == NIM_DELETE && ++deletes == 1) winbase::ComPtr<winbase::Com<Control>>{control};
        return TRUE;
    };
    control = winbase::Make<Control>(notify).Detach();
    control->Release();
    EXPECT_EQ(deletes, 1);
}

TEST(PropertyPage, ActivatedAgainItKeepsOneWindow) {
    winbase::Owner<HWND, &DestroyWindow> parent(
        CreateWindowExA(0, "static", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr));
    winbase::ComPtr<IPropertyPage> page;
    ASSERT_EQ(PropertyPage::Create(IID_IPropertyPage, page.put_void()), S_OK);
    const RECT rect = {0, 0, 320, 180};
    page->Activate(parent.get(), &rect, TRUE);
    page->Activate(parent.get(), &rect, TRUE);
    int windows = 0;
    for (HWND child = GetWindow(parent.get(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++windows;
    EXPECT_EQ(windows, 1);
}

// A property bag as a form designer keeps one. It frees what it is handed, as real bags do,
// and answers in the type it holds.
struct Bag : StackObject<IPropertyBag> {
    std::map<std::wstring, VARIANT> values;
    ~Bag() {
        for (auto& [name, value] : values) VariantClear(&value);
    }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        auto it = values.find(name);
        return it == values.end() ? E_INVALIDARG : VariantCopy(value, &it->second);  // which clears `value` first
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override { return VariantCopy(&values[name], value); }
};

void ExpectTipAndIcon(Control* control, const wchar_t* tip, LONG icon) {
    Bstr read;
    LONG got = 0;
    control->get_Tip(read.put());
    control->get_Icon(&got);
    EXPECT_STREQ(read.get(), tip);
    EXPECT_EQ(got, icon);
}

TEST_F(ControlTest, BagsAndStreamsKeepTheTipAndIcon) {
    Bag bag;
    ASSERT_EQ(control->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_TRUE(bag.values.empty()) << "a new control's values are the defaults, left out";
    control->put_Icon(77);
    PutTip(L"Zarvik");
    ASSERT_EQ(control->Save(&bag, TRUE, FALSE), S_OK);

    auto loaded = Recorded();
    calls.clear();
    ASSERT_EQ(loaded->Load(&bag, nullptr), S_OK);
    EXPECT_TRUE(calls.empty()) << "loading sends nothing to the shell";
    ExpectTipAndIcon(loaded.get(), L"Zarvik", 77);
    Bag empty;
    loaded->Load(&empty, nullptr);
    ExpectTipAndIcon(loaded.get(), L"0", 0);  // left out: the defaults

    // A value the bag holds in a type that will not convert fails the load and is let go.
    winbase::ComPtr<IStream> stream;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
    Bag odd;
    odd.values[L"Tip"].vt = VT_UNKNOWN;
    odd.values[L"Tip"].punkVal = stream.get();
    stream->AddRef();
    EXPECT_TRUE(FAILED(loaded->Load(&odd, nullptr)));
    stream->AddRef();
    EXPECT_EQ(stream->Release(), 2u) << "the bag's and ours, no other";

    ASSERT_EQ(control->Save(stream.get(), TRUE), S_OK);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(loaded->Load(stream.get()), S_OK);
    ExpectTipAndIcon(loaded.get(), L"Zarvik", 77);
}

}  // namespace
}  // namespace perchicon
