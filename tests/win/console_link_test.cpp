#include "tests/win/message_loop.h"
#include "app/console/ConsoleLink.h"

#include "fake_console.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace zarvik {
namespace {

// Runs window messages for `ms` milliseconds, so that deferred console work happens.
// A plain window whose procedure counts what reaches it while a pause runs.
struct Witness {
    static constexpr UINT kPing = WM_APP + 7;
    int pings = 0;
    int timerTicks = 0;
    HWND hwnd = nullptr;

    Witness() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZarvikTestWitness";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
    }
    ~Witness() { DestroyWindow(hwnd); }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<Witness*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (msg == kPing) ++self->pings;
        if (msg == WM_TIMER) ++self->timerTicks;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
};

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto toSeconds = [](FILETIME t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return toSeconds(kernel) + toSeconds(user);
}

TEST(GetConsoleEdit, FindsInputLineThenOutputBuffer) {
    EXPECT_EQ(GetConsoleEdit(true), nullptr) << "no console window yet";
    EXPECT_EQ(GetConsoleEdit(false), nullptr);

    FakeConsole console;
    EXPECT_EQ(GetConsoleEdit(true), console.input());
    EXPECT_EQ(GetConsoleEdit(false), console.output());
    EXPECT_NE(console.input(), console.output());
}

TEST(GetConsoleEdit, WithOnlyTheBufferLeftThereIsNoOutputField) {
    // After a fatal error the game destroys its input line: the first edit is then the buffer.
    FakeConsole console(FakeConsole::Fields::OutputOnly);
    EXPECT_EQ(GetConsoleEdit(true), console.output());
    EXPECT_EQ(GetConsoleEdit(false), nullptr);
}

TEST(SendToConsole, EchoIsTypedWithPrefixThenEverythingIsCleared) {
    FakeConsole console;
    console.Print("Padawan: !on");
    std::string currentLine = "Padawan: !on";

    const DWORD start = GetTickCount();
    SendToConsole("^7Zarvik is now ^2on", false, [&] { currentLine.clear(); });
    const DWORD took = GetTickCount() - start;

    EXPECT_GE(took, 1000u) << "a whole second passes before anything is typed";
    ASSERT_EQ(console.received().size(), 1u);
    EXPECT_EQ(console.received()[0], "echo ^7Zarvik is now ^2on");
    EXPECT_EQ(console.OutputText(), "") << "the answered line and the typed one are gone";
    EXPECT_EQ(currentLine, "");

    // The game runs the line on a later frame: its output lands in the emptied buffer.
    RunMessagesFor(100);
    EXPECT_EQ(console.OutputText(), "^7Zarvik is now ^2on\r\n");
}

TEST(SendToConsole, CommandIsTypedUnchanged) {
    FakeConsole console;
    bool cleared = false;
    SendToConsole("mapname", true, [&] { cleared = true; });
    ASSERT_EQ(console.received().size(), 1u);
    EXPECT_EQ(console.received()[0], "mapname");
    EXPECT_TRUE(cleared);
    EXPECT_EQ(console.OutputText(), "");
}

TEST(SendToConsole, AnAnswerPrintedBeforeTheClearArrivesStays) {
    // The game's frame may run between Enter and the clear: its answer must not be wiped, or
    // a capture or a load waiting for it would never finish.
    FakeConsole console;
    console.RunTypedLinesAtOnce();
    console.Print("Padawan: !load");
    SendToConsole("mapname is here", false, {});
    EXPECT_EQ(console.OutputText(), "mapname is here\r\n") << "the request and the echo are gone, the answer stays";
    console.Print("Kyle: hi");
    EXPECT_EQ(console.OutputText(), "mapname is here\r\nKyle: hi\r\n") << "later prints still append";
}

TEST(SendToConsole, WithoutTheGameOnlyTheCurrentLineIsCleared) {
    // An ordinary window with an edit field must not be mistaken for the console.
    HWND other = CreateWindowExA(0, "static", "Not the game", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    HWND edit = CreateWindowExA(0, "edit", "keep me", WS_CHILD, 0, 0, 100, 20, other, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    std::string currentLine = "Padawan: !time";

    const DWORD start = GetTickCount();
    SendToConsole("say hello", true, [&] { currentLine.clear(); });
    EXPECT_GE(GetTickCount() - start, 1000u);

    EXPECT_EQ(currentLine, "");
    char text[32] = {};
    GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "keep me");
    DestroyWindow(other);
}

TEST(Pause, LastsItsLengthWhileMessagesAndTimersRun) {
    Witness witness;
    PostMessageA(witness.hwnd, Witness::kPing, 0, 0);
    SetTimer(witness.hwnd, 1, 50, nullptr);

    const double cpuBefore = CpuSeconds();
    const DWORD start = GetTickCount();
    Pause(1);
    const DWORD took = GetTickCount() - start;
    const double cpu = CpuSeconds() - cpuBefore;
    KillTimer(witness.hwnd, 1);

    EXPECT_GT(took, 1000u);
    EXPECT_LT(took, 3000u);
    EXPECT_EQ(witness.pings, 1) << "a message posted before the pause runs during it";
    EXPECT_GE(witness.timerTicks, 5) << "other timers keep firing during the pause";
    EXPECT_LT(cpu, 0.5) << "the pause must wait for messages, not spin";
}

TEST(Pause, ZeroWaitsForTheCounterToMoveAndRunsMessages) {
    Witness witness;
    PostMessageA(witness.hwnd, Witness::kPing, 0, 0);
    const DWORD start = GetTickCount();
    Pause(0);
    EXPECT_NE(GetTickCount(), start);
    EXPECT_EQ(witness.pings, 1);
}

TEST(Pause, EndsEarlyAndKeepsTheQuitMessageWhenTheProgramQuits) {
    PostQuitMessage(7);
    const DWORD start = GetTickCount();
    Pause(2);
    EXPECT_LT(GetTickCount() - start, 1000u);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

class IniFile : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::filesystem::path(temp) / ("zarvik-ini-" + std::to_string(GetCurrentProcessId()));
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        file_ = (folder_ / "info.ini").string();
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path folder_;
    std::string file_;
};

TEST_F(IniFile, AbsentFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(ReadIni("%General%", "Power", file_), "");
    std::ofstream(file_) << "[%General%]\r\nPower=1\r\n";
    EXPECT_EQ(ReadIni("%General%", "Power", file_), "1");
    EXPECT_EQ(ReadIni("%General%", "AutoLoad", file_), "");
    EXPECT_EQ(ReadIni("Other", "Power", file_), "");
}

TEST_F(IniFile, LongValuesAreCutTo254Characters) {
    std::string value;
    for (int i = 0; i < 300; ++i) value += static_cast<char>('a' + i % 26);
    std::ofstream(file_) << "[%General%]\r\nEditor=" << value << "\r\n";
    EXPECT_EQ(ReadIni("%General%", "Editor", file_), value.substr(0, 254));
}

TEST_F(IniFile, WriteCreatesFileAndSectionAndReadsBack) {
    EXPECT_NE(WriteIni("%General%", "Name", "Padawan", file_), 0);
    EXPECT_TRUE(std::filesystem::exists(file_));
    EXPECT_NE(WriteIni("%General%", "Power", "1", file_), 0);
    EXPECT_NE(WriteIni("%General%", "Name", "Kyle", file_), 0);
    EXPECT_EQ(ReadIni("%General%", "Name", file_), "Kyle");
    EXPECT_EQ(ReadIni("%General%", "Power", file_), "1");

    std::ifstream in(file_);
    std::string first;
    std::getline(in, first);
    EXPECT_EQ(first.substr(0, 11), "[%General%]");
}

TEST_F(IniFile, WriteIntoAMissingFolderFailsQuietly) {
    const std::string nowhere = (folder_ / "missing" / "info.ini").string();
    EXPECT_EQ(WriteIni("%General%", "Power", "1", nowhere), 0);
    EXPECT_EQ(ReadIni("%General%", "Power", nowhere), "");
}

}  // namespace
}  // namespace zarvik
