// The editing suite's real window, driven by messages to its controls as the user's clicks
// send them, on real files in a folder with a blank in its name; the boxes answered by a script.
#include "app/platform/IniSettingsStore.h"
#include "app/windows/InputBox.h"
#include "app/windows/OptionsWindow.h"
#include "tests/win/message_loop.h"
#include "tests/windows/scripted_dialogs.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zarvik {
namespace {

std::string ListEntry(HWND list, int index) {
    char text[256] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> Entries(HWND list) {
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) entries.push_back(ListEntry(list, i));
    return entries;
}

std::string Text(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

class SuiteWindow : public ::testing::Test {
  protected:
    SuiteWindow() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::filesystem::path(temp) / ("zarvik suite " + std::to_string(GetCurrentProcessId()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        settings = std::make_unique<IniSettingsStore>(folder.string());
        options = std::make_unique<OptionModel>(*settings);
        OptionsWindow::Actions actions;
        actions.loadSettings = [this] { ++loads; };
        window = std::make_unique<OptionsWindow>(folder.string(), *options, actions, &dialogs);
        options->OnChanged([this] { window->Refresh(); });
    }
    ~SuiteWindow() override {
        window.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    HWND operator[](const char* name) const { return (*window)[name]; }
    // A click as the control reports it to the window.
    void Click(const char* name) { SendMessageA((*this)[name], BM_CLICK, 0, 0); }
    void Select(const char* list, int index) {
        SendMessageA((*this)[list], LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(window->window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID((*this)[list]), LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>((*this)[list]));
    }
    std::string Read(const std::string& relative) const {
        std::ifstream in(folder / relative, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return in ? text.str() : "<missing>";
    }
    std::string Ini(const char* key) const {
        char value[256] = {};
        GetPrivateProfileStringA("%General%", key, "<absent>", value, sizeof value,
                                 (folder / "info.ini").string().c_str());
        return value;
    }

    std::filesystem::path folder;
    std::unique_ptr<IniSettingsStore> settings;
    std::unique_ptr<OptionModel> options;
    ScriptedDialogs dialogs;
    int loads = 0;
    std::unique_ptr<OptionsWindow> window;
};

using Entries_ = std::vector<std::string>;

TEST_F(SuiteWindow, OptionsLandInTheSettingsFileAtOnce) {
    EXPECT_EQ(loads, 1) << "made, and loaded with the settings";
    Click("chkTime");
    EXPECT_EQ(Ini("Time"), "0");
    Click("chkTurnOff");
    EXPECT_EQ(Ini("TurnOff"), "1");
    EXPECT_FALSE(options->IsOn(Option::Time));

    HWND editor = (*this)["txtEdit"];
    SendMessageA(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\Tools\\ed.exe"));
    EXPECT_EQ(Ini("Editor"), "C:\\Tools\\ed.exe");
    SendMessageA(editor, EM_SETSEL, 3, 3);
    SendMessageA(editor, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("x"));
    EXPECT_EQ(Ini("Editor"), "C:\\xTools\\ed.exe") << "a change in the middle";
    DWORD start = 0, end = 0;
    SendMessageA(editor, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 16u) << "the cursor goes to the end";
    EXPECT_EQ(end, 16u);

    dialogs.chosenEditor = "C:\\Windows\\notepad.exe";
    Click("Command6");
    EXPECT_EQ(Text(editor), "C:\\Windows\\notepad.exe");
    EXPECT_EQ(Ini("Editor"), "C:\\Windows\\notepad.exe");
    dialogs.chosenEditor = "";
    Click("Command6");
    EXPECT_EQ(Ini("Editor"), "C:\\Windows\\notepad.exe") << "Cancel changes nothing";

    Click("Command1");
    EXPECT_EQ(dialogs.shown.back(), CommandListText());
}

TEST_F(SuiteWindow, AddsChangesAndDeletesThroughItsControls) {
    EXPECT_EQ(Entries((*this)["List1"]), Entries_{"(no data)"}) << "a fresh Data folder";
    EXPECT_EQ(Read("Data/data.txt"), "");

    dialogs.answers = {"ffa_bespin", "F5", "force_push"};
    Click("Command4");
    dialogs.answers = {"ffa_bespin", "X", "say hello there"};
    Click("Command4");
    EXPECT_EQ(dialogs.shown.back(), "Bind Added!");
    EXPECT_EQ(Read("Data/data.txt"), "ffa_bespin\r\n");
    EXPECT_EQ(Read("Data/ffa_bespin.txt"), "Bind F5 force_push\r\nBind X say hello there\r\n");
    EXPECT_EQ(Entries((*this)["List1"]), Entries_{"ffa_bespin"});
    EXPECT_EQ(SendMessageA((*this)["List1"], LB_GETCURSEL, 0, 0), LB_ERR) << "no map selected after an add";

    Select("List1", 0);
    EXPECT_EQ(Entries((*this)["List2"]), (Entries_{"F5", "X"}));
    EXPECT_FALSE(IsWindowEnabled((*this)["cmdEdit"]));
    Select("List2", 0);
    EXPECT_EQ(Text((*this)["Text1"]), "force_push");
    EXPECT_TRUE(IsWindowEnabled((*this)["cmdEdit"]));
    SendMessageA((*this)["Text1"], WM_SETTEXT, 0, reinterpret_cast<LPARAM>("force_pull"));
    Click("cmdEdit");
    EXPECT_EQ(Read("Data/ffa_bespin.txt"), "Bind F5 force_pull\r\nBind X say hello there\r\n");
    EXPECT_EQ(SendMessageA((*this)["List1"], LB_GETCURSEL, 0, 0), 0) << "the map stays selected";
    SendMessageA((*this)["Text1"], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    EXPECT_FALSE(IsWindowEnabled((*this)["cmdEdit"]));

    // The Delete key in the key list, as the list box reports it.
    Select("List2", 1);
    dialogs.yes = {true};
    SetFocus((*this)["List2"]);
    SendMessageA((*this)["List2"], WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(
        dialogs.shown.back(),
        "Delete Bind??Are you sure you want to delete this bind for map ffa_bespin?\nX: say hello there");
    EXPECT_EQ(Read("Data/ffa_bespin.txt"), "Bind F5 force_pull\r\n");
    Select("List2", 0);
    dialogs.yes = {true};
    Click("Command5");
    EXPECT_EQ(Read("Data/ffa_bespin.txt"), "");
    EXPECT_EQ(Entries((*this)["List2"]), Entries_{"(no data)"});

    options->SetEditor("Notepad.exe");
    Click("Command2");
    const std::string file = (folder / "Data").string() + "\\ffa_bespin.txt";
    EXPECT_EQ(dialogs.started.back(), "Notepad.exe \"" + file + "\"") << "the path with a blank is quoted";
    Click("Command7");
    EXPECT_EQ(dialogs.started.back(), "explorer \"" + folder.string() + "\\Readme.txt\" [max]");
}

TEST_F(SuiteWindow, ClosedItLoadsAnewWhenShownAgain) {
    window->Show();
    EXPECT_TRUE(IsWindowVisible(window->window()));
    SendMessageA(window->window(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(window->window()));
    std::filesystem::create_directories(folder / "Data");
    std::ofstream(folder / "Data" / "data.txt", std::ios::binary) << "ctf_yavin\r\n";
    window->Show();
    EXPECT_EQ(loads, 2) << "the settings load again";
    EXPECT_EQ(Entries((*this)["List1"]), Entries_{"ctf_yavin"});
    window->Show();
    EXPECT_EQ(loads, 2) << "shown while open: not loaded again";
}

// The input box, answered from a timer inside its own modal loop.
struct Answer {
    std::string typed;  // put in the field first, unless empty
    WPARAM key;         // then pressed in the field
    std::string selected;
};
Answer* gAnswer = nullptr;

void CALLBACK AnswerTheBox(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = FindWindowA("ZarvikInputBox", nullptr);
    if (!box) return;
    KillTimer(nullptr, timer);
    HWND field = FindWindowExA(box, nullptr, "Edit", nullptr);
    DWORD start = 0, end = 0;
    SendMessageA(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    gAnswer->selected = Text(field).substr(start, end - start);
    if (!gAnswer->typed.empty())
        SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(gAnswer->typed.c_str()));
    PostMessageA(field, WM_KEYDOWN, gAnswer->key, 0);
}

TEST(InputBox, EnterIsOkEscapeIsCancelAndTheDefaultComesSelected) {
    const struct {
        std::string typed;
        WPARAM key;
        std::string expected;
    } cases[] = {
        {"", VK_RETURN, "New Map Name"}, {"ffa_bespin", VK_RETURN, "ffa_bespin"}, {"typed", VK_ESCAPE, ""}};
    for (const auto& c : cases) {
        Answer answer = {c.typed, c.key, ""};
        gAnswer = &answer;
        SetTimer(nullptr, 0, 50, AnswerTheBox);
        EXPECT_EQ(InputBox(nullptr, "Enter the map:", "Add Bind", "New Map Name"), c.expected);
        EXPECT_EQ(answer.selected, "New Map Name");
        EXPECT_EQ(FindWindowA("ZarvikInputBox", nullptr), nullptr) << "gone after the answer";
    }
    gAnswer = nullptr;
}

}  // namespace
}  // namespace zarvik
