// The control object itself, in this process, with the shell's notification call recorded.
#include "AboutWindows.h"
#include "Control.h"
#include "TrayRecord.h"
#include "event_sink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <new>

// Allocation that fails on demand, for the library's code as much as the test's.
static bool g_failAllocations = false;
void* operator new(std::size_t size) {
    void* memory = g_failAllocations ? nullptr : std::malloc(size ? size : 1);
    if (!memory) throw std::bad_alloc();
    return memory;
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace perchicon {
namespace {

using namespace perchicon_events;

struct Call {
    DWORD message;
    NOTIFYICONDATAA record;
};

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        control = new Control([this](DWORD message, NOTIFYICONDATAA* record) {
            calls.push_back({message, *record});
            return TRUE;
        });
        IConnectionPoint* point = nullptr;
        ASSERT_EQ(control->FindConnectionPoint(DIID___Perchicon, &point), S_OK);
        ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
        point->Release();
    }
    void TearDown() override {
        if (control) control->Release();
    }

    void Notify(UINT mouseMessage) { SendMessageA(control->Picture1(), WM_MOUSEMOVE, 1, mouseMessage); }
    std::string Tip(const NOTIFYICONDATAA& record) { return std::string(record.szTip, 64); }

    std::vector<Call> calls;
    EventSink sink;
    DWORD cookie = 0;
    Control* control = nullptr;
};

TEST_F(ControlTest, SendsTheFirstRecordLayoutBuiltForEachCall) {
    EXPECT_EQ(control->put_Icon(0x1234), S_OK);
    BSTR tip = SysAllocString(L"Zarvik");
    EXPECT_EQ(control->put_Tip(tip), S_OK);
    SysFreeString(tip);
    control->Add(nullptr);
    control->Remove(nullptr);

    ASSERT_EQ(calls.size(), 4u);
    EXPECT_EQ(calls[0].message, static_cast<DWORD>(NIM_MODIFY)) << "set before Add: refused by the shell, ignored";
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[2].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(calls[3].message, static_cast<DWORD>(NIM_DELETE));
    for (const Call& call : calls) {
        EXPECT_EQ(call.record.cbSize, static_cast<DWORD>(NOTIFYICONDATAA_V1_SIZE));
#ifndef _WIN64
        EXPECT_EQ(call.record.cbSize, 88u);
#endif
        EXPECT_EQ(call.record.hWnd, control->Picture1());
        EXPECT_EQ(call.record.uID, 1u);
    }
    const NOTIFYICONDATAA& add = calls[2].record;
    EXPECT_EQ(add.uFlags, 7u);
    EXPECT_EQ(add.uCallbackMessage, 0x200u);
    EXPECT_EQ(add.hIcon, reinterpret_cast<HICON>(0x1234));
    EXPECT_EQ(Tip(add), std::string("Zarvik") + '\0' + std::string(57, ' '));
    EXPECT_EQ(Tip(calls[0].record), std::string("0") + '\0' + std::string(62, ' ')) << "a new control's tip is \"0\"";

    const NOTIFYICONDATAA& remove = calls[3].record;
    EXPECT_EQ(remove.uFlags, 0u);
    EXPECT_EQ(remove.uCallbackMessage, 0u);
    EXPECT_EQ(remove.hIcon, nullptr);
    EXPECT_EQ(Tip(remove), std::string(64, '\0'));
}

TEST_F(ControlTest, TipsAreCutToSixtyFourCharacters) {
    for (int length : {63, 64, 70}) {
        calls.clear();
        std::wstring text;
        for (int i = 0; i < length; ++i) text += static_cast<wchar_t>(L'a' + i % 26);
        BSTR tip = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        control->put_Tip(tip);
        SysFreeString(tip);
        ASSERT_EQ(calls.size(), 1u);
        const std::string sent = Tip(calls[0].record);
        const std::string expected(text.begin(), text.end());
        if (length == 63)
            EXPECT_EQ(sent, expected + '\0') << "whole, with its terminator";
        else
            EXPECT_EQ(sent, expected.substr(0, 64)) << length << ": its first 64 characters, no terminator";
    }
}

TEST_F(ControlTest, NonAsciiTipsReachTheShellInTheSystemCodePage) {
    BSTR tip = SysAllocString(L"Zarvik \u00e9t\u00e9");
    control->put_Tip(tip);
    SysFreeString(tip);
    char expected[64];
    FillTip(expected, L"Zarvik \u00e9t\u00e9");
    EXPECT_EQ(std::memcmp(calls.back().record.szTip, expected, 64), 0);
    EXPECT_EQ(calls.back().record.szTip[7], static_cast<char>(0xE9)) << "code page 1252 here";

    // Where characters take two bytes: whole characters only, and the NUL always.
    const std::string a = "\x82\xa0";  // U+3042 in code page 932
    std::string whole;
    for (int i = 0; i < 31; ++i) whole += a;
    FillTip(expected, std::wstring(63, L'\u3042'), 932);
    EXPECT_EQ(std::string(expected, 64), whole + '\0' + ' ');
    FillTip(expected, L"x" + std::wstring(63, L'\u3042'), 932);
    EXPECT_EQ(std::string(expected, 64), "x" + whole + '\0');
}

TEST_F(ControlTest, ReleasesAreReportedOnButtonUpAndEverythingElseIsMouseMove) {
    struct Case {
        UINT message;
        std::vector<ReceivedEvent> expected;
    };
    const Case cases[] = {
        {WM_LBUTTONUP, {{LeftClick}, {MouseClick, 1, 0}}},
        {WM_LBUTTONDBLCLK, {{LeftDblClick}, {MouseDblClick, 1, 0}}},
        {WM_RBUTTONUP, {{RightClick}, {MouseClick, 2, 0}}},
        {WM_RBUTTONDBLCLK, {{RightDblClick}, {MouseDblClick, 2, 0}}},
        {WM_MBUTTONUP, {{MiddleClick}, {MouseClick, 4, 0}}},
        {WM_MBUTTONDBLCLK, {{MiddleDblClick}, {MouseDblClick, 4, 0}}},
        {WM_MOUSEMOVE, {{MouseMove}}},
        {WM_LBUTTONDOWN, {{MouseMove}}},
        {WM_RBUTTONDOWN, {{MouseMove}}},
        {WM_MBUTTONDOWN, {{MouseMove}}},
        {0x201 - 1, {{MouseMove}}},
        {0x20A, {{MouseMove}}},
        {12, {{MouseMove}}},  // the pointer over the face itself
    };
    for (const auto& c : cases) {
        sink.events.clear();
        Notify(c.message);
        EXPECT_EQ(sink.events, c.expected) << std::hex << c.message;
    }
    // The handler's change to Button did not stick: the next click reports 1 again.
    sink.events.clear();
    Notify(WM_LBUTTONUP);
    EXPECT_EQ(sink.events.back().button, 1);
}

TEST_F(ControlTest, ShiftAndCtrlComeFromThePicturesMouseState) {
    SendMessageA(control->Picture1(), WM_MOUSEMOVE, MK_SHIFT | MK_CONTROL, WM_RBUTTONUP);
    ASSERT_EQ(sink.events.size(), 2u);
    EXPECT_EQ(sink.events[1], (ReceivedEvent{MouseClick, 2, 3}));
}

TEST_F(ControlTest, ANotificationDuringAHandlerIsDropped) {
    sink.during = [this](DISPID id) {
        if (id == RightClick) Notify(WM_LBUTTONDBLCLK);  // e.g. while the host's menu is open
    };
    Notify(WM_RBUTTONUP);
    EXPECT_EQ(sink.events, (std::vector<ReceivedEvent>{{RightClick}, {MouseClick, 2, 0}}));
    sink.during = nullptr;
    Notify(WM_LBUTTONDBLCLK);
    EXPECT_EQ(sink.events.size(), 4u) << "nothing was queued, and the guard is down again";
}

TEST_F(ControlTest, ANotificationWithoutMemoryIsDroppedInsideTheWindowProcedure) {
    bool escaped = false;
    g_failAllocations = true;
    try {
        Notify(WM_RBUTTONUP);
    } catch (...) {
        escaped = true;
    }
    g_failAllocations = false;
    EXPECT_FALSE(escaped) << "unwound through user32";
    Notify(WM_RBUTTONUP);
    EXPECT_EQ(sink.events, (std::vector<ReceivedEvent>{{RightClick}, {MouseClick, 2, 0}})) << "the guard is down";
}

TEST_F(ControlTest, OtherIsNeverRaised) {
    for (UINT message = 0; message < 0x400; ++message) Notify(message);
    for (const auto& event : sink.events) EXPECT_NE(event.id, Other);
}

TEST_F(ControlTest, PropertyChangesAreReportedToTheHost) {
    struct Changes : IPropertyNotifySink {
        std::vector<DISPID> ids;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
            if (riid == IID_IUnknown || riid == IID_IPropertyNotifySink) {
                *ppv = this;
                return S_OK;
            }
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return 2; }
        STDMETHODIMP_(ULONG) Release() override { return 1; }
        STDMETHODIMP OnChanged(DISPID id) override {
            ids.push_back(id);
            return S_OK;
        }
        STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
    } changes;
    IConnectionPoint* point = nullptr;
    ASSERT_EQ(control->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
    DWORD changesCookie;
    ASSERT_EQ(point->Advise(&changes, &changesCookie), S_OK);
    control->put_Icon(5);
    BSTR tip = SysAllocString(L"x");
    control->put_Tip(tip);
    SysFreeString(tip);
    EXPECT_EQ(changes.ids, (std::vector<DISPID>{0x68030000, 0x68030001}));
    point->Unadvise(changesCookie);
    point->Release();
}

TEST_F(ControlTest, ReleasingTheControlTakesItsIconAway) {
    control->Add(nullptr);
    HWND picture = control->Picture1();
    control->Release();
    control = nullptr;
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls.back().record.hWnd, picture);
    EXPECT_FALSE(IsWindow(picture));
    EXPECT_EQ(sink.references, 1u) << "the control let go of the sink";
}

TEST_F(ControlTest, AShownIconIsAddedOnceWhenTheTaskbarComesBack) {
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    auto broadcast = [&] {
        SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
    };
    broadcast();
    EXPECT_TRUE(calls.empty()) << "not shown: nothing to add";
    control->Add(nullptr);
    broadcast();
    ASSERT_EQ(calls.size(), 2u) << "once, though Picture1 is a top-level window too while not in place";
    EXPECT_EQ(calls[1].message, static_cast<DWORD>(NIM_ADD));
    control->Remove(nullptr);
    broadcast();
    EXPECT_EQ(calls.size(), 3u);
}

// A site that, like many, holds the control for a moment while it is told of deactivation.
struct HoldingSite : IOleInPlaceSite {
    IUnknown* control = nullptr;
    HWND window = nullptr;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        *ppv = riid == IID_IUnknown || riid == IID_IOleInPlaceSite ? this : nullptr;
        return *ppv ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetWindow(HWND* out) override { return *out = window, S_OK; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO) override {
        *frame = nullptr;
        *document = nullptr;
        *position = *clip = {0, 0, 33, 33};
        return S_OK;
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override {
        control->AddRef();
        control->Release();
        return S_OK;
    }
    STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }
};

TEST_F(ControlTest, ASiteHoldingTheControlDuringItsLastReleaseDoesNotDeleteItTwice) {
    HoldingSite site;
    site.control = static_cast<IOleObject*>(control);
    site.window = CreateWindowExA(0, "static", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    // DoVerb asks the site it is given for IOleInPlaceSite alone.
    ASSERT_EQ(control->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, reinterpret_cast<IOleClientSite*>(&site), 0,
                              site.window, nullptr),
              S_OK);
    control->Release();
    control = nullptr;
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const Call& c) { return c.message == NIM_DELETE; }), 1);
    DestroyWindow(site.window);
}

TEST(PropertyPage, ActivatedAgainItKeepsOneWindow) {
    IPropertyPage* page = nullptr;
    ASSERT_EQ(PropertyPage::Create(IID_IPropertyPage, reinterpret_cast<void**>(&page)), S_OK);
    HWND parent = CreateWindowExA(0, "static", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    const RECT rect = {0, 0, 320, 180};
    page->Activate(parent, &rect, TRUE);
    page->Activate(parent, &rect, TRUE);
    int windows = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++windows;
    EXPECT_EQ(windows, 1);
    page->Release();
    DestroyWindow(parent);
}

// A property bag as a form designer keeps one.
class Bag : public IPropertyBag {
public:
    std::map<std::wstring, std::wstring> values;  // as text, with the variant type
    std::map<std::wstring, VARTYPE> types;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
        auto it = values.find(name);
        if (it == values.end()) return E_INVALIDARG;
        VARIANT text;
        text.vt = VT_BSTR;
        text.bstrVal = SysAllocString(it->second.c_str());
        const HRESULT hr = VariantChangeType(value, &text, 0, value->vt == VT_EMPTY ? static_cast<VARTYPE>(VT_BSTR) : value->vt);
        VariantClear(&text);
        return hr;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override {
        VARIANT text;
        VariantInit(&text);
        if (FAILED(VariantChangeType(&text, value, 0, VT_BSTR))) return E_FAIL;
        values[name] = text.bstrVal;
        types[name] = value->vt;
        VariantClear(&text);
        return S_OK;
    }
};

TEST_F(ControlTest, PropertyBagsKeepOnlyWhatDiffersFromTheDefaults) {
    Bag bag;
    ASSERT_EQ(control->Save(&bag, TRUE, TRUE), S_OK);
    EXPECT_TRUE(bag.values.empty()) << "a new control's values are the defaults";

    control->put_Icon(77);
    BSTR tip = SysAllocString(L"Zarvik");
    control->put_Tip(tip);
    SysFreeString(tip);
    EXPECT_EQ(control->IsDirty(), S_OK);
    ASSERT_EQ(control->Save(&bag, TRUE, FALSE), S_OK);
    EXPECT_EQ(control->IsDirty(), S_FALSE);
    EXPECT_EQ(bag.values[L"Tip"], L"Zarvik");
    EXPECT_EQ(bag.types[L"Tip"], VT_BSTR);
    EXPECT_EQ(bag.values[L"Icon"], L"77");
    EXPECT_EQ(bag.types[L"Icon"], VT_I4);

    Control* loaded = new Control([this](DWORD message, NOTIFYICONDATAA* record) {
        calls.push_back({message, *record});
        return TRUE;
    });
    calls.clear();
    ASSERT_EQ(loaded->Load(&bag, nullptr), S_OK);
    EXPECT_TRUE(calls.empty()) << "loading sends nothing to the shell";
    BSTR read = nullptr;
    loaded->get_Tip(&read);
    EXPECT_STREQ(read, L"Zarvik");
    SysFreeString(read);
    LONG icon = 0;
    loaded->get_Icon(&icon);
    EXPECT_EQ(icon, 77);

    Bag empty;
    loaded->Load(&empty, nullptr);
    loaded->get_Tip(&read);
    EXPECT_STREQ(read, L"0") << "values left out read as their defaults";
    SysFreeString(read);
    loaded->Release();
}

TEST_F(ControlTest, ABagValueOfAnotherTypeThatWillNotConvertIsLetGo) {
    struct Object : IUnknown {
        ULONG references = 1;
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
            *ppv = riid == IID_IUnknown ? this : nullptr;
            return *ppv ? (AddRef(), S_OK) : E_NOINTERFACE;
        }
        STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
        STDMETHODIMP_(ULONG) Release() override { return --references; }
    } object;
    // Frees what it is handed, as real bags do, and answers with what it holds.
    struct ObjectBag : Bag {
        IUnknown* object;
        STDMETHODIMP Read(LPCOLESTR, VARIANT* value, IErrorLog*) override {
            VariantClear(value);
            value->vt = VT_UNKNOWN;
            value->punkVal = object;
            object->AddRef();
            return S_OK;
        }
    } bag;
    bag.object = &object;
    EXPECT_TRUE(FAILED(control->Load(&bag, nullptr)));
    EXPECT_EQ(object.references, 1u);
}

TEST_F(ControlTest, AStreamKeepsTheTipAndIcon) {
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    control->put_Icon(-5);
    BSTR tip = SysAllocString(L"tép");
    control->put_Tip(tip);
    SysFreeString(tip);
    ASSERT_EQ(control->Save(stream, TRUE), S_OK);

    Control* loaded = new Control([](DWORD, NOTIFYICONDATAA*) { return TRUE; });
    const LARGE_INTEGER start = {};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(loaded->Load(stream), S_OK);
    BSTR read = nullptr;
    loaded->get_Tip(&read);
    EXPECT_STREQ(read, L"tép");
    SysFreeString(read);
    LONG icon = 0;
    loaded->get_Icon(&icon);
    EXPECT_EQ(icon, -5);

    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    const char garbage[] = "not a saved control";
    stream->Write(garbage, sizeof garbage, nullptr);
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    EXPECT_EQ(loaded->Load(stream), E_FAIL);
    loaded->Release();
    stream->Release();
}

TEST_F(ControlTest, StaysOneTwipLargerThanItsFaceAndNamesItsOnlyPage) {
    SIZEL asked = {5000, 300};
    EXPECT_EQ(control->SetExtent(DVASPECT_CONTENT, &asked), S_OK);
    SIZEL size = {};
    ASSERT_EQ(control->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, MulDiv(496, 2540, 1440));
    EXPECT_EQ(size.cy, MulDiv(496, 2540, 1440));

    CAUUID pages = {};
    ASSERT_EQ(control->GetPages(&pages), S_OK);
    ASSERT_EQ(pages.cElems, 1u);
    EXPECT_EQ(pages.pElems[0], CLSID_propMain);
    CoTaskMemFree(pages.pElems);
}

TEST_F(ControlTest, FrozenEventsAreNotRaised) {
    control->FreezeEvents(TRUE);
    Notify(WM_RBUTTONUP);
    EXPECT_TRUE(sink.events.empty());
    control->FreezeEvents(FALSE);
    Notify(WM_RBUTTONUP);
    EXPECT_EQ(sink.events.size(), 2u);
}

}  // namespace
}  // namespace perchicon
