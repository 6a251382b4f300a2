// regsvr32 for the machine, and what it leaves in the registry (the setup program's tests
// register for the user alone). Runs in a prefix of its own: it unregisters what others rely on.
#include "tests/win/win_test.h"

namespace {

const char* const kControl = "{18DD9360-43E7-4CEB-B41C-8FE24C73E29B}";
const char* const kPage = "{86A8A6A6-6FAE-4098-B593-78E60873ECF3}";
const char* const kLibrary = "{0F4DC8B0-FA3D-4341-A3A3-5B8402FCD2DA}";
const char* const kInterface = "{C8FB4154-330A-4B0B-BCF4-1037C3473E9E}";

fs::path LibraryPath() {
    return Tree() / "perchicon" / "Perchicon.ocx";
}
std::string Library() { return LibraryPath().string(); }

DWORD Regsvr32(const std::wstring& options, const std::filesystem::path& library = LibraryPath()) {
    std::wstring command = L"regsvr32.exe /s " + options + L" \"" + library.wstring() + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
    WaitForSingleObject(pi.hProcess, 30000);
    DWORD code = 998;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

// What COM and a form designer look up below a classes key, or nothing of it.
void ExpectRegistered(HKEY classes, bool registered) {
    const std::string clsid = std::string("CLSID\\") + kControl;
    auto want = [&](const std::string& value) { return registered ? std::optional(value) : std::nullopt; };
    EXPECT_EQ(RegValue(classes, "PerchiconControl.Perchicon\\CLSID"), want(kControl));
    EXPECT_EQ(RegValue(classes, clsid + "\\InprocServer32"), want(Library()));
    EXPECT_EQ(RegValue(classes, clsid + "\\InprocServer32", "ThreadingModel"), want("Apartment"));
    EXPECT_EQ(KeyExists(classes, clsid + "\\Control"), registered);
    EXPECT_EQ(KeyExists(classes, std::string("CLSID\\") + kPage), registered);
    EXPECT_EQ(KeyExists(classes, std::string("TypeLib\\") + kLibrary), registered);
    EXPECT_EQ(KeyExists(classes, std::string("Interface\\") + kInterface), registered);
}

TEST(Registration, ForTheMachineAndBackLeavesOnlyWhatWasThere) {
    // A copy elsewhere, in a folder the ANSI code page cannot spell and deeper than MAX_PATH.
    const auto top = std::filesystem::temp_directory_path() / L"\u041f\u0435\u0440\u0447\u0438\u043a\u043e\u043d \u7248";
    auto folder = top;
    while (folder.wstring().size() < 300) folder /= L"\u03ba\u03b1\u03c4\u03ac\u03bb\u03bf\u03b3\u03bf\u03c2";
    std::filesystem::create_directories(folder);
    const auto copy = folder / L"Perchicon.ocx";
    std::filesystem::copy_file(LibraryPath(), copy);
    ASSERT_EQ(Regsvr32(L"", copy), 0u);
    wchar_t named[1024] = {};
    DWORD size = sizeof named;
    RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\CLSID\\{18DD9360-43E7-4CEB-B41C-8FE24C73E29B}\\InprocServer32",
                 nullptr, RRF_RT_REG_SZ, nullptr, named, &size);
    EXPECT_EQ(named, copy.wstring()) << "whole";

    ASSERT_EQ(Regsvr32(L""), 0u);
    ExpectRegistered(HKEY_CLASSES_ROOT, true);
    EXPECT_EQ(RegValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\PerchiconControl.Perchicon\\CLSID"), kControl);
    ASSERT_EQ(Regsvr32(L"/u", copy), 0u);
    EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kControl + "\\InprocServer32"), Library())
        << "the original's keys are not the copy's to remove";

    ASSERT_EQ(Regsvr32(L"/u"), 0u);
    ExpectRegistered(HKEY_CLASSES_ROOT, false);
    // The shared keys and their other entries stay: the system's own classes.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{00000303-0000-0000-C000-000000000046}"));
    DeleteFileW(copy.c_str());  // the runtime's remove_all stops short of the deep folders
    for (auto at = folder; at != top.parent_path(); at = at.parent_path()) RemoveDirectoryW(at.c_str());
}

}  // namespace
