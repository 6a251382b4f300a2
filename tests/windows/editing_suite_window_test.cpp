// The editing suite's real window, driven by messages to its controls as the user's clicks
// send them, on real files in a folder with a blank in its name; the boxes answered by a script.
// The suite's own rules are tested natively: here, that each control reaches them.
#include "app/platform/IniSettingsStore.h"
#include "app/windows/InputBox.h"
#include "app/windows/OptionsWindow.h"
#include "tests/windows/win_test.h"
#include "tests/window-rules/scripted_dialogs.h"

namespace zarvik {
namespace {

class SuiteWindow : public ::testing::Test {
  protected:
    SuiteWindow() : folder(TempFolder("zarvik suite")), settings(folder.string()), options(settings) {
        OptionsWindow::Actions actions;
        actions.loadSettings = [this] { ++loads; };
        window = std::make_unique<OptionsWindow>(folder.string(), options, actions, &dialogs);
        options.OnChanged([this] { window->Refresh(); });
    }
    ~SuiteWindow() override {
        window.reset();
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    HWND operator[](const char* name) const { return (*window)[name]; }
    void Click(const char* name) { SendMessageA((*this)[name], BM_CLICK, 0, 0); }
    // A selection as the list box reports it to the window.
    void Select(const char* list, int index) {
        SendMessageA((*this)[list], LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(window->window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID((*this)[list]), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>((*this)[list]));
    }
    std::string Binds() const { return ReadFile(folder / "Data" / "ffa_bespin.txt"); }

    fs::path folder;
    IniSettingsStore settings;
    OptionModel options;
    ScriptedDialogs dialogs;
    int loads = 0;
    std::unique_ptr<OptionsWindow> window;
};

TEST_F(SuiteWindow, OptionsLandInTheSettingsFileAtOnce) {
    EXPECT_EQ(loads, 1) << "made, and loaded with the settings";
    Click("chkTime");
    EXPECT_EQ(Ini(folder, "Time"), "0");
    EXPECT_FALSE(options.IsOn(Option::Time));

    HWND editor = (*this)["txtEdit"];
    SendMessageA(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\Tools\\ed.exe"));
    SendMessageA(editor, EM_SETSEL, 3, 3);
    SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x"));
    EXPECT_EQ(Ini(folder, "Editor"), "C:\\xTools\\ed.exe") << "a change in the middle";
    DWORD start = 0, end = 0;
    SendMessageA(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 16u) << "the cursor goes to the end";

    dialogs.chosenEditor = "C:\\Windows\\notepad.exe";
    Click("Command6");
    EXPECT_EQ(WindowText(editor), "C:\\Windows\\notepad.exe");
    Click("Command1");
    EXPECT_EQ(dialogs.shown.back(), CommandListText());
}

TEST_F(SuiteWindow, AddsChangesAndDeletesThroughItsControls) {
    EXPECT_EQ(ListEntries((*this)["List1"]), std::vector<std::string>{"(no data)"}) << "a fresh Data folder";
    dialogs.answers = {"ffa_bespin", "F5", "force_push", "ffa_bespin", "X", "say hello there"};
    Click("Command4");
    Click("Command4");
    EXPECT_EQ(dialogs.shown.back(), "Bind Added!");
    EXPECT_EQ(Binds(), "Bind F5 force_push\r\nBind X say hello there\r\n");
    EXPECT_EQ(ListEntries((*this)["List1"]), std::vector<std::string>{"ffa_bespin"});

    Select("List1", 0);
    EXPECT_EQ(ListEntries((*this)["List2"]), (std::vector<std::string>{"F5", "X"}));
    EXPECT_FALSE(IsWindowEnabled((*this)["cmdEdit"]));
    Select("List2", 0);
    EXPECT_EQ(WindowText((*this)["Text1"]), "force_push");
    SendMessageA((*this)["Text1"], WM_SETTEXT, 0, reinterpret_cast<LPARAM>("force_pull"));
    Click("cmdEdit");
    EXPECT_EQ(Binds(), "Bind F5 force_pull\r\nBind X say hello there\r\n");
    EXPECT_EQ(SendMessageA((*this)["List1"], LB_GETCURSEL, 0, 0), 0) << "the map stays selected";
    SendMessageA((*this)["Text1"], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    EXPECT_FALSE(IsWindowEnabled((*this)["cmdEdit"])) << "no blank value";

    // The Delete key in the key list, as the list box reports it.
    Select("List2", 1);
    dialogs.yes = {true, true};
    SetFocus((*this)["List2"]);
    SendMessageA((*this)["List2"], WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(dialogs.shown.back(),
              "Delete Bind??Are you sure you want to delete this bind for map ffa_bespin?\nX: say hello there");
    EXPECT_EQ(Binds(), "Bind F5 force_pull\r\n");
    Select("List2", 0);
    Click("Command5");
    EXPECT_EQ(Binds(), "");
    EXPECT_EQ(ListEntries((*this)["List2"]), std::vector<std::string>{"(no data)"});

    options.SetEditor("Notepad.exe");
    Click("Command2");
    ASSERT_FALSE(dialogs.started.empty());
    EXPECT_EQ(dialogs.started.back(), "Notepad.exe \"" + (folder / "Data").string() + "\\ffa_bespin.txt\"");
    Click("Command7");
    EXPECT_EQ(dialogs.started.back(), "explorer \"" + folder.string() + "\\Readme.txt\" [max]");
}

// The input box, answered from a timer inside its own modal loop.
struct Answer {
    std::string typed;  // put in the field first, unless empty
    WPARAM key;         // then pressed in the field
    std::string selected;
} gAnswer;

void CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowA("ZarvikInputBox", nullptr);
    if (!box) return;
    KillTimer(nullptr, timer);
    HWND field = FindWindowExA(box, nullptr, "Edit", nullptr);
    DWORD start = 0, end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    gAnswer.selected = WindowText(field).substr(start, end - start);
    if (!gAnswer.typed.empty()) SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(gAnswer.typed.c_str()));
    PostMessageA(field, WM_KEYDOWN, gAnswer.key, 0);
}

TEST(InputBox, EnterIsOkEscapeIsCancelAndTheDefaultComesSelected) {
    const struct {
        std::string typed;
        WPARAM key;
        std::string expected;
    } cases[] = {{"", VK_RETURN, "New Map Name"}, {"ffa_bespin", VK_RETURN, "ffa_bespin"}, {"typed", VK_ESCAPE, ""}};
    for (const auto& c : cases) {
        gAnswer = {c.typed, c.key, ""};
        SetTimer(nullptr, 0, 50, AnswerTheBox);
        EXPECT_EQ(InputBox(nullptr, "Enter the map:", "Add Bind", "New Map Name"), c.expected);
        EXPECT_EQ(gAnswer.selected, "New Map Name");
        EXPECT_EQ(FindWindowA("ZarvikInputBox", nullptr), nullptr) << "gone after the answer";
    }
}

// Every one-line caption whole, in the face the window draws it with (a check box's beside its
// box): the face and Wine's own fonts in the prefix decide it.
TEST_F(SuiteWindow, EveryCaptionFitsItsControl) {
    for (HWND c = GetWindow(window->window(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::string caption = WindowText(c);
        RECT r;
        GetClientRect(c, &r);
        HDC dc = GetDC(c);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(c, WM_GETFONT, 0, 0)));
        SIZE text = {};
        GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
        ReleaseDC(c, dc);
        const bool box = (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
        if (r.bottom < 2 * text.cy) {
            EXPECT_LE(text.cx + (box ? 20 : 0), r.right) << caption;
        }
    }
}

}  // namespace
}  // namespace zarvik
