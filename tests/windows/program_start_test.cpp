// The programs the suite and the updater start by a bare name ("explorer", the default editor
// "Notepad.exe") come from the system's folders: the same names planted in the program's own
// folder and in the current folder, where any download may lie, never run.
#include "app/windows/Win32Dialogs.h"
#include "tests/windows/win_test.h"

#include <tlhelp32.h>

namespace zarvik {
namespace {

// Ends what this process started and left running (the real editor and shell).
void EndChildren() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == GetCurrentProcessId())
            EndProcess(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID));
    CloseHandle(snapshot);
}

TEST(ProgramStart, BareNamesComeFromTheSystemFoldersAndAPathRunsAsChosen) {
    const fs::path own = Tree() / "tests" / "windows", current = TempFolder("zarvik-current"),
                   before = fs::current_path();
    std::vector<fs::path> planted;
    for (const fs::path& folder : {own, current})
        for (const char* name : {"explorer.exe", "Notepad.exe"}) {
            fs::copy_file(own / "stand_in.exe", planted.emplace_back(folder / name),
                          fs::copy_options::overwrite_existing);
            fs::remove(folder / (std::string(name) + ".ran"));
        }
    fs::current_path(current);
    std::ofstream(current / "ffa_bespin.txt") << "Bind F5 force_push\r\n";
    HWND owner = nullptr;
    Win32SuiteDialogs dialogs(owner);
    EXPECT_EQ(dialogs.Start("Notepad.exe " + (current / "ffa_bespin.txt").string(), false), StartResult::Started);
    EXPECT_EQ(dialogs.Start("explorer " + current.string(), false), StartResult::Started);
    EXPECT_EQ(dialogs.Start("NoSuchEditor.exe x", false), StartResult::NotFound) << "only the system's folders";
    // Started last: once it has run, so would have any planted program started before it.
    const fs::path chosen = current / "Editor Of Mine.exe";
    fs::copy_file(own / "stand_in.exe", chosen);
    EXPECT_EQ(dialogs.Start("\"" + chosen.string() + "\" x", false), StartResult::Started);
    EXPECT_TRUE(WaitUntil([&] { return fs::exists(chosen.string() + ".ran"); }, 10000)) << "a path runs as chosen";
    Sleep(1000);
    for (const fs::path& path : planted) EXPECT_FALSE(fs::exists(path.string() + ".ran")) << path << " ran";
    EndChildren();
    fs::current_path(before);
    std::error_code ignored;
    for (const fs::path& path : planted) fs::remove(path, ignored);
    fs::remove_all(current, ignored);
}

}  // namespace
}  // namespace zarvik
