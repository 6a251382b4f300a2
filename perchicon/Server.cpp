// The library's entry points: class objects, unloading, and registration for the machine
// (DllRegisterServer) or for the current user only (DllInstall with "user").

#include "Control.h"
#include "Module.h"
#include "PropertyPage.h"

#include <aclapi.h>
#include <olectl.h>
#include <userenv.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace perchicon {
namespace {

class ClassFactory : public IClassFactory {
  public:
    using Creator = HRESULT (*)(REFIID, void**);
    static const winbase::Interface kInterfaces[];

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return create_(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        perchicon::LockServer(lock != FALSE);
        return S_OK;
    }

  protected:
    // A factory held keeps the library loaded, as a server lock does.
    explicit ClassFactory(Creator create) : create_(create) { ObjectCreated(); }
    virtual ~ClassFactory() { ObjectDestroyed(); }

  private:
    Creator create_;
};

const winbase::Interface ClassFactory::kInterfaces[] = {winbase::Row<ClassFactory, IClassFactory>(IID_IUnknown),
                                                        winbase::Row<ClassFactory, IClassFactory>(IID_IClassFactory),
                                                        {}};

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40];
    StringFromGUID2(guid, text, 40);
    return text;
}

// What registration writes below the classes key of the chosen scope: HKLM\Software\Classes
// for the machine, HKCU\Software\Classes for the user; never HKEY_CLASSES_ROOT, which would
// write into the user's keys wherever they exist. Unregistering removes each row's top key
// (CLSID\{...}, TypeLib\{...}, Interface\{...} or the ProgID) whole.
struct Entry {
    const wchar_t* key;    // %CONTROL%, %PAGE%, %LIBID%, %IID%, %EVENTS%, %PAGEIID% stand for the GUIDs
    const wchar_t* name;   // nullptr: the key's default value
    const wchar_t* value;  // %MODULE%, %FOLDER%, %PLATFORM% are filled in too; nullptr: the key only
};

const Entry kEntries[] = {
    {L"CLSID\\%CONTROL%", nullptr, L"Perchicon"},
    {L"CLSID\\%CONTROL%\\InprocServer32", nullptr, L"%MODULE%"},
    {L"CLSID\\%CONTROL%\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {L"CLSID\\%CONTROL%\\ProgID", nullptr, L"PerchiconControl.Perchicon"},
    {L"CLSID\\%CONTROL%\\Control", nullptr, nullptr},
    {L"CLSID\\%CONTROL%\\MiscStatus", nullptr, L"0"},
    {L"CLSID\\%CONTROL%\\MiscStatus\\1", nullptr, L"132497"},
    {L"CLSID\\%CONTROL%\\ToolboxBitmap32", nullptr, L"%MODULE%, 1"},
    {L"CLSID\\%CONTROL%\\TypeLib", nullptr, L"%LIBID%"},
    {L"CLSID\\%CONTROL%\\Version", nullptr, L"1.0"},
    {L"PerchiconControl.Perchicon", nullptr, L"Perchicon"},
    {L"PerchiconControl.Perchicon\\CLSID", nullptr, L"%CONTROL%"},
    {L"CLSID\\%PAGE%", nullptr, L"propMain"},
    {L"CLSID\\%PAGE%\\InprocServer32", nullptr, L"%MODULE%"},
    {L"CLSID\\%PAGE%\\InprocServer32", L"ThreadingModel", L"Apartment"},
    // The type library's keys, as RegisterTypeLib writes them (it writes through
    // HKEY_CLASSES_ROOT, so they are written from here).
    {L"TypeLib\\%LIBID%\\1.0", nullptr, L"Perchicon Control by Holvane"},
    {L"TypeLib\\%LIBID%\\1.0\\0\\%PLATFORM%", nullptr, L"%MODULE%"},
    {L"TypeLib\\%LIBID%\\1.0\\FLAGS", nullptr, L"0"},
    {L"TypeLib\\%LIBID%\\1.0\\HELPDIR", nullptr, L"%FOLDER%"},
    {L"Interface\\%IID%", nullptr, L"_Perchicon"},
    {L"Interface\\%IID%\\ProxyStubClsid32", nullptr, L"{00020424-0000-0000-C000-000000000046}"},
    {L"Interface\\%IID%\\TypeLib", nullptr, L"%LIBID%"},
    {L"Interface\\%IID%\\TypeLib", L"Version", L"1.0"},
    {L"Interface\\%EVENTS%", nullptr, L"__Perchicon"},
    {L"Interface\\%EVENTS%\\ProxyStubClsid32", nullptr, L"{00020420-0000-0000-C000-000000000046}"},
    {L"Interface\\%EVENTS%\\TypeLib", nullptr, L"%LIBID%"},
    {L"Interface\\%EVENTS%\\TypeLib", L"Version", L"1.0"},
    {L"Interface\\%PAGEIID%", nullptr, L"_propMain"},
    {L"Interface\\%PAGEIID%\\ProxyStubClsid32", nullptr, L"{00020424-0000-0000-C000-000000000046}"},
    {L"Interface\\%PAGEIID%\\TypeLib", nullptr, L"%LIBID%"},
    {L"Interface\\%PAGEIID%\\TypeLib", L"Version", L"1.0"},
};

std::wstring Fill(std::wstring text) {
    const std::wstring module = ModulePath();
#ifdef _WIN64
    const wchar_t* platform = L"win64";
#else
    const wchar_t* platform = L"win32";
#endif
    const std::pair<const wchar_t*, std::wstring> fields[] = {
        {L"%CONTROL%", GuidText(CLSID_Perchicon)},
        {L"%PAGE%", GuidText(CLSID_propMain)},
        {L"%LIBID%", GuidText(LIBID_PerchiconControl)},
        {L"%IID%", GuidText(IID__Perchicon)},
        {L"%EVENTS%", GuidText(DIID___Perchicon)},
        {L"%PAGEIID%", GuidText(IID__propMain)},
        {L"%MODULE%", module},
        {L"%FOLDER%", module.substr(0, module.find_last_of(L'\\'))},
        {L"%PLATFORM%", platform}};
    for (const auto& [field, value] : fields)
        for (std::size_t at; (at = text.find(field)) != std::wstring::npos;) text.replace(at, wcslen(field), value);
    return text;
}

#ifdef _WIN64
const wchar_t* const kOtherPlatform = L"win32";
const REGSAM kOtherView = KEY_WOW64_32KEY;
#else
const wchar_t* const kOtherPlatform = L"win64";
const REGSAM kOtherView = KEY_WOW64_64KEY;
#endif

winbase::RegKey ClassesKey(bool user) {
    winbase::RegKey key;
    RegCreateKeyExW(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, key.put(), nullptr);
    return key;
}

// The key that unregistering removes whole: CLSID\{...}, TypeLib\{...} or Interface\{...}
// for rows under those shared keys, else the ProgID. Never a shared key itself.
std::wstring TopKey(const std::wstring& key) {
    for (const wchar_t* shared : {L"CLSID\\", L"TypeLib\\", L"Interface\\"})
        if (key.rfind(shared, 0) == 0) return key.substr(0, key.find(L'\\', wcslen(shared)));
    return key.substr(0, key.find(L'\\'));
}

// The value that says which file a top key belongs to: a class's InprocServer32; for the
// type library and its interfaces the library's file; for the ProgID its class's.
std::wstring OwnerKey(const std::wstring& top) {
    if (top.rfind(L"CLSID\\", 0) == 0) return top + L"\\InprocServer32";
    if (top.rfind(L"TypeLib\\", 0) == 0 || top.rfind(L"Interface\\", 0) == 0)
        return Fill(L"TypeLib\\%LIBID%\\1.0\\0\\%PLATFORM%");
    return Fill(L"CLSID\\%CONTROL%\\InprocServer32");
}

std::wstring ValueOf(HKEY root, const std::wstring& key) {
    DWORD bytes = 0;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS) return {};
    std::wstring path(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path.data(), &bytes) != ERROR_SUCCESS)
        return {};
    path.resize(wcslen(path.c_str()));
    return path;
}

bool IsThisFile(const std::wstring& path) {
    const std::wstring module = ModulePath();
    return CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()), module.c_str(),
                                static_cast<int>(module.size()), TRUE) == CSTR_EQUAL;
}

// True when the key names this file: another copy's registration is not ours to remove.
bool NamesThisFile(HKEY root, const std::wstring& key) {
    const std::wstring path = ValueOf(root, key);
    return !path.empty() && IsThisFile(path);
}

// A copy of the other bitness registered in the other registry view. The ProgID and the type
// library's key are one key for both views (Windows 7 and later; Wine alike), so they stay
// while that copy's class names them. Where there is no other view the flag is ignored and
// this view's class, naming this file, is found.
bool OtherViewRegistered(bool user) {
    // The view is asked for at every opening: a key opened below another does not inherit it.
    winbase::RegKey server;
    if (RegOpenKeyExW(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE,
                      Fill(L"Software\\Classes\\CLSID\\%CONTROL%\\InprocServer32").c_str(), 0,
                      KEY_QUERY_VALUE | kOtherView, server.put()) != ERROR_SUCCESS)
        return false;
    const std::wstring path = ValueOf(server.get(), L"");
    return !path.empty() && !IsThisFile(path);
}

// The type library's key holds one entry per platform: this one's goes, the key with it only
// when no other platform's entry is left in it.
LONG RemoveTypeLibrary(HKEY root, const std::wstring& top) {
    LONG status = RegDeleteTreeW(root, Fill(L"TypeLib\\%LIBID%\\1.0\\0\\%PLATFORM%").c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return status;
    winbase::RegKey other;
    if (RegOpenKeyExW(root, (top + L"\\1.0\\0\\" + kOtherPlatform).c_str(), 0, KEY_READ, other.put()) == ERROR_SUCCESS)
        return ERROR_SUCCESS;
    return RegDeleteTreeW(root, top.c_str());
}

// Rights by which someone could put another library in this one's place or beside it.
constexpr DWORD kReplaceRights = DELETE | WRITE_DAC | WRITE_OWNER;
constexpr DWORD kFileRights = kReplaceRights | FILE_WRITE_DATA | FILE_APPEND_DATA;
constexpr DWORD kFolderRights = kReplaceRights | FILE_ADD_FILE | FILE_DELETE_CHILD;

// What a user who is not an administrator is given on this file or folder: by the groups every
// such user belongs to, allowing and denying in the order of the list, as the system checks.
bool OrdinaryUsersMay(const std::wstring& path, DWORD rights) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    // Past MAX_PATH only in the form that takes the path as it is.
    const std::wstring named = path.size() >= MAX_PATH && path[1] == L':' ? L"\\\\?\\" + path : path;
    if (GetNamedSecurityInfoW(named.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return true;  // what cannot be read cannot be trusted
    const WELL_KNOWN_SID_TYPE kOrdinary[] = {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid,
                                             WinInteractiveSid};
    auto ordinary = [&](PSID sid) {
        for (WELL_KNOWN_SID_TYPE type : kOrdinary)
            if (IsWellKnownSid(sid, type)) return true;
        return false;
    };
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
    bool may = !dacl || (owner && ordinary(owner));  // no list: anyone; an owner may change the list
    DWORD denied = 0;
    for (DWORD i = 0; !may && i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&header)) || (header->AceFlags & INHERIT_ONLY_ACE)) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
        auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);  // the denied ACE has the same layout
        if (!ordinary(&ace->SidStart)) continue;
        DWORD mask = ace->Mask;
        MapGenericMask(&mask, &mapping);
        if (header->AceType == ACCESS_DENIED_ACE_TYPE)
            denied |= mask;
        else
            may = (mask & ~denied & rights) != 0;
    }
    LocalFree(descriptor);
    return may;
}

bool UnderProfiles(const std::wstring& path) {
    wchar_t profiles[MAX_PATH];
    DWORD size = MAX_PATH;
    if (!GetProfilesDirectoryW(profiles, &size)) return false;
    const std::wstring prefix = std::wstring(profiles) + L"\\";
    return path.size() > prefix.size() &&
           CompareStringOrdinal(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

// A library that any user may replace must not be loaded by everyone's programs: registered for
// the machine, it would run in an administrator's as well. A user's profile is the user's to
// change without elevation, so it counts as such a place too.
bool ReplaceableByOrdinaryUsers() {
    const std::wstring module = ModulePath();
    std::wstring folder = module.substr(0, module.find_last_of(L'\\'));
    if (folder.size() == 2) folder += L'\\';  // a drive's root
    return UnderProfiles(module) || OrdinaryUsersMay(module, kFileRights) || OrdinaryUsersMay(folder, kFolderRights);
}

bool WriteEntries(HKEY root) {
    for (const Entry& entry : kEntries) {
        winbase::RegKey key;
        if (RegCreateKeyExW(root, Fill(entry.key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS)
            return false;
        if (!entry.value) continue;
        const std::wstring value = Fill(entry.value);
        if (RegSetValueExW(key.get(), entry.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            return false;
    }
    return true;
}

HRESULT Unregister(bool user) {
    const winbase::RegKey root = ClassesKey(user);
    if (!root) return SELFREG_E_CLASS;
    // Which top keys are ours is settled before any goes: the ProgID asks its class's key.
    std::vector<std::wstring> ours;
    for (const Entry& entry : kEntries) {
        const std::wstring top = TopKey(Fill(entry.key));
        if (std::find(ours.begin(), ours.end(), top) == ours.end() && NamesThisFile(root.get(), OwnerKey(top)))
            ours.push_back(top);
    }
    const bool otherView = OtherViewRegistered(user);
    bool ok = true;
    for (const std::wstring& top : ours) {
        const bool progId = top.find(L'\\') == std::wstring::npos;
        if (progId && otherView) continue;
        const LONG status = top.rfind(L"TypeLib\\", 0) == 0 ? RemoveTypeLibrary(root.get(), top)
                                                            : RegDeleteTreeW(root.get(), top.c_str());
        ok = ok && (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT Register(bool user) {
    if (!user && ReplaceableByOrdinaryUsers()) {
        SetErrorText((L"Perchicon.ocx is not registered for all users: users who are not administrators can change "
                      L"its folder (" +
                      ModulePath().substr(0, ModulePath().find_last_of(L'\\')) +
                      L"). Copy it to a folder only administrators can change, or register it for yourself alone "
                      L"with regsvr32 /n /i:user.")
                         .c_str());
        return E_ACCESSDENIED;
    }
    const winbase::RegKey root = ClassesKey(user);
    if (!root) return SELFREG_E_CLASS;
    if (!WriteEntries(root.get())) {
        Unregister(user);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

}  // namespace
}  // namespace perchicon

using namespace perchicon;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    const auto create = clsid == CLSID_Perchicon  ? Control::Create
                        : clsid == CLSID_propMain ? PropertyPage::Create
                                                  : nullptr;
    if (!create) return CLASS_E_CLASSNOTAVAILABLE;
    const auto factory = winbase::Make<ClassFactory>(create);
    return factory ? factory->QueryInterface(riid, ppv) : E_OUTOFMEMORY;
}

STDAPI DllCanUnloadNow() {
    if (!CanUnload()) return S_FALSE;
    ReleaseTypeLibrary();
    return S_OK;
}

STDAPI DllRegisterServer() {
    return Guarded([] { return Register(false); });
}

STDAPI DllUnregisterServer() {
    return Guarded([] { return Unregister(false); });
}

// regsvr32 /n /i:user registers for the current user only, needing no administrator.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    const bool user = commandLine && _wcsicmp(commandLine, L"user") == 0;
    return Guarded([&] { return install ? Register(user) : Unregister(user); });
}
