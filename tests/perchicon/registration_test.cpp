// regsvr32 for the machine, and what it leaves in the registry (the setup program's tests
// register for the user alone). Runs in a 64-bit prefix of its own, which has the other registry
// view: it unregisters what others rely on.
#include "tests/windows/win_test.h"
#include "winbase/Own.h"

#include <aclapi.h>
#include <sddl.h>

namespace {

const char* const kControl = "{18DD9360-43E7-4CEB-B41C-8FE24C73E29B}";
const char* const kPage = "{86A8A6A6-6FAE-4098-B593-78E60873ECF3}";
const char* const kLibrary = "{0F4DC8B0-FA3D-4341-A3A3-5B8402FCD2DA}";
const char* const kInterface = "{C8FB4154-330A-4B0B-BCF4-1037C3473E9E}";

fs::path LibraryPath() { return Tree() / "perchicon" / "Perchicon.ocx"; }

DWORD Regsvr32(const std::wstring& options, const std::filesystem::path& library = LibraryPath()) {
    std::wstring command = L"regsvr32.exe /s " + options + L" \"" + library.wstring() + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 998;
    winbase::Handle process(pi.hProcess), thread(pi.hThread);
    return ExitCode(process.get(), 30000);
}

// What COM and a form designer look up below a classes key, or nothing of it.
void ExpectRegistered(HKEY classes, bool registered) {
    const std::string clsid = std::string("CLSID\\") + kControl;
    auto want = [&](const std::string& value) { return registered ? std::optional(value) : std::nullopt; };
    EXPECT_EQ(RegValue(classes, "PerchiconControl.Perchicon\\CLSID"), want(kControl));
    EXPECT_EQ(RegValue(classes, clsid + "\\InprocServer32"), want(LibraryPath().string()));
    EXPECT_EQ(RegValue(classes, clsid + "\\InprocServer32", "ThreadingModel"), want("Apartment"));
    for (const std::string& key : {clsid + "\\Control", "CLSID\\" + std::string(kPage),
                                   "TypeLib\\" + std::string(kLibrary), "Interface\\" + std::string(kInterface)})
        EXPECT_EQ(KeyExists(classes, key), registered) << key;
}

TEST(Registration, ForTheMachineAndBackLeavesOnlyWhatWasThere) {
    // A copy elsewhere, in a folder the ANSI code page cannot spell and deeper than MAX_PATH.
    const auto top = fs::path(L"C:\\") / L"\u041f\u0435\u0440\u0447\u0438\u043a\u043e\u043d \u7248";
    auto folder = top;
    while (folder.wstring().size() < 300) folder /= L"\u03ba\u03b1\u03c4\u03ac\u03bb\u03bf\u03b3\u03bf\u03c2";
    std::filesystem::create_directories(folder);
    const auto copy = folder / L"Perchicon.ocx";
    std::filesystem::copy_file(LibraryPath(), copy);
    ASSERT_EQ(Regsvr32(L"", copy), 0u);
    wchar_t named[1024] = {};
    DWORD size = sizeof named;
    RegGetValueW(HKEY_LOCAL_MACHINE,
                 L"Software\\Classes\\CLSID\\{18DD9360-43E7-4CEB-B41C-8FE24C73E29B}\\InprocServer32", nullptr,
                 RRF_RT_REG_SZ, nullptr, named, &size);
    EXPECT_EQ(named, copy.wstring()) << "whole";

    ASSERT_EQ(Regsvr32(L""), 0u);
    ExpectRegistered(HKEY_CLASSES_ROOT, true);
    EXPECT_EQ(RegValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\PerchiconControl.Perchicon\\CLSID"), kControl);
    ASSERT_EQ(Regsvr32(L"/u", copy), 0u);
    EXPECT_EQ(RegValue(HKEY_CLASSES_ROOT, std::string("CLSID\\") + kControl + "\\InprocServer32"),
              LibraryPath().string())
        << "the original's keys are not the copy's to remove";

    ASSERT_EQ(Regsvr32(L"/u"), 0u);
    ExpectRegistered(HKEY_CLASSES_ROOT, false);
    // The shared keys and their other entries stay: the system's own classes.
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\{00000303-0000-0000-C000-000000000046}"));
    DeleteFileW(copy.c_str());  // the runtime's remove_all stops short of the deep folders
    for (auto at = folder; at != top.parent_path(); at = at.parent_path()) RemoveDirectoryW(at.c_str());
}

// Sets a folder's own list of who may do what, as an administrator would in its properties.
void SetFolderAccess(const fs::path& folder, const wchar_t* sddl) {
    winbase::Owner<PSECURITY_DESCRIPTOR, &LocalFree> descriptor;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, descriptor.put(), nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor.get(), &present, &dacl, &defaulted);
    EXPECT_EQ(SetNamedSecurityInfoW(const_cast<wchar_t*>(folder.c_str()), SE_FILE_OBJECT,
                                    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                    dacl, nullptr),
              0u);
}

// Wine keeps only what the file system's modes can hold: a grant to everyone. Windows also
// keeps Users and Authenticated Users, which the same check reads.
TEST(Registration, ForTheMachineOnlyFromAFolderOrdinaryUsersCannotChange) {
    const fs::path folder = L"C:\\Games\\Zarvik";
    fs::create_directories(folder);
    const fs::path copy = folder / "Perchicon.ocx";
    fs::copy_file(LibraryPath(), copy, fs::copy_options::overwrite_existing);
    const std::string server = std::string("Software\\Classes\\CLSID\\") + kControl + "\\InprocServer32";

    SetFolderAccess(folder, L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1301bf;;;WD)");
    EXPECT_NE(Regsvr32(L"", copy), 0u) << "anyone may put another library in its place";
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, server));
    // The reason, for a caller that asks.
    const winbase::Owner<HMODULE, &FreeLibrary> library(LoadLibraryW(copy.c_str()));
    ASSERT_TRUE(library);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(static_cast<HRESULT>(GetProcAddress(library.get(), "DllRegisterServer")()), E_ACCESSDENIED);
    winbase::ComPtr<IErrorInfo> info;
    winbase::Owner<BSTR, &SysFreeString> text;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    info->GetDescription(text.put());
    const std::wstring said = text.get();
    EXPECT_NE(said.find(L"C:\\Games\\Zarvik)"), std::wstring::npos) << said;
    EXPECT_NE(said.find(L"/n /i:user"), std::wstring::npos) << said;

    EXPECT_EQ(Regsvr32(L"/n /i:user", copy), 0u) << "for oneself, it is one's own risk";
    EXPECT_EQ(Regsvr32(L"/u /n /i:user", copy), 0u);

    SetFolderAccess(folder, L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;WD)");
    ASSERT_EQ(Regsvr32(L"", copy), 0u) << "only administrators may change it";
    EXPECT_EQ(Regsvr32(L"/u", copy), 0u);

    // In a user's profile: that user may change it without being asked for elevation.
    const fs::path profile = TempFolder("perchicon") / "Perchicon.ocx";
    fs::copy_file(LibraryPath(), profile);
    EXPECT_NE(Regsvr32(L"", profile), 0u);
}

// A 32-bit and a 64-bit copy each register their class in their own view, and share the ProgID
// and the type library's key. Unregistering one keeps what the other still names.
TEST(Registration, UnregisteringKeepsWhatTheOtherViewsCopyStillNames) {
    const bool wide = sizeof(void*) == 8;
    const REGSAM otherView = wide ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    const std::string library = std::string("Software\\Classes\\TypeLib\\") + kLibrary + "\\1.0\\0\\";
    const std::string mine = library + (wide ? "win64" : "win32"), theirs = library + (wide ? "win32" : "win64");
    ASSERT_EQ(Regsvr32(L""), 0u);
    // The other copy's registration, as its regsvr32 leaves it.
    const std::string other = "C:\\Program Files\\Zarvik\\Perchicon.ocx";
    for (const std::string& key : {std::string("Software\\Classes\\CLSID\\") + kControl + "\\InprocServer32", theirs}) {
        winbase::RegKey opened;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | otherView, nullptr,
                                  opened.put(), nullptr),
                  0);
        RegSetValueExA(opened.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                       static_cast<DWORD>(other.size() + 1));
    }
    ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, theirs)) << "the type library's key is one for both views";

    ASSERT_EQ(Regsvr32(L"/u"), 0u);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string("Software\\Classes\\CLSID\\") + kControl));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, mine));
    EXPECT_EQ(RegValue(HKEY_LOCAL_MACHINE, theirs), other);
    EXPECT_EQ(RegValue(HKEY_LOCAL_MACHINE, "Software\\Classes\\PerchiconControl.Perchicon\\CLSID"), kControl);

    // The other copy goes: nothing is left of either.
    const std::string otherClass = std::string("Software\\Classes\\CLSID\\") + kControl;
    for (const std::string& key : {otherClass + "\\InprocServer32", otherClass})
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), otherView, 0);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, theirs.c_str());
    ASSERT_EQ(Regsvr32(L""), 0u);
    ASSERT_EQ(Regsvr32(L"/u"), 0u);
    ExpectRegistered(HKEY_CLASSES_ROOT, false);
}

}  // namespace
