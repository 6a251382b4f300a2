// The library's entry points: class objects, unloading, and registration for the machine
// (DllRegisterServer) or for the current user only (DllInstall with "user").

#include "AboutWindows.h"
#include "Control.h"
#include "Module.h"

#include <olectl.h>

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace perchicon {
namespace {

class ClassFactory : public IClassFactory {
public:
    using Creator = HRESULT (*)(REFIID, void**);
    explicit ClassFactory(Creator create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    // Static object: its references are the server's lock count.
    STDMETHODIMP_(ULONG) AddRef() override {
        LockServer(true);
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        LockServer(false);
        return 1;
    }
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

private:
    Creator create_;
};

ClassFactory g_controlFactory(Control::Create);
ClassFactory g_pageFactory(PropertyPage::Create);

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
        {L"%CONTROL%", GuidText(CLSID_Perchicon)},     {L"%PAGE%", GuidText(CLSID_propMain)},
        {L"%LIBID%", GuidText(LIBID_PerchiconControl)}, {L"%IID%", GuidText(IID__Perchicon)},
        {L"%EVENTS%", GuidText(DIID___Perchicon)},     {L"%PAGEIID%", GuidText(IID__propMain)},
        {L"%MODULE%", module},                          {L"%FOLDER%", module.substr(0, module.find_last_of(L'\\'))},
        {L"%PLATFORM%", platform}};
    for (const auto& [field, value] : fields)
        for (std::size_t at; (at = text.find(field)) != std::wstring::npos;) text.replace(at, wcslen(field), value);
    return text;
}

struct ClassesKey {
    HKEY key = nullptr;
    explicit ClassesKey(bool user) {
        if (RegCreateKeyExW(user ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, L"Software\\Classes", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            key = nullptr;
    }
    ~ClassesKey() {
        if (key) RegCloseKey(key);
    }
    ClassesKey(const ClassesKey&) = delete;
    ClassesKey& operator=(const ClassesKey&) = delete;
};

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

// True when the key names this file: another copy's registration is not ours to remove.
bool NamesThisFile(HKEY root, const std::wstring& key) {
    DWORD bytes = 0;
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS) return false;
    std::wstring path(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegGetValueW(root, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path.data(), &bytes) != ERROR_SUCCESS)
        return false;
    path.resize(wcslen(path.c_str()));
    const std::wstring module = ModulePath();
    return CompareStringOrdinal(path.c_str(), static_cast<int>(path.size()), module.c_str(),
                                static_cast<int>(module.size()), TRUE) == CSTR_EQUAL;
}

bool WriteEntries(HKEY root) {
    for (const Entry& entry : kEntries) {
        HKEY key;
        if (RegCreateKeyExW(root, Fill(entry.key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return false;
        LONG result = ERROR_SUCCESS;
        if (entry.value) {
            const std::wstring value = Fill(entry.value);
            result = RegSetValueExW(key, entry.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
        }
        RegCloseKey(key);
        if (result != ERROR_SUCCESS) return false;
    }
    return true;
}

HRESULT Unregister(bool user) {
    ClassesKey root(user);
    if (!root.key) return SELFREG_E_CLASS;
    // Which top keys are ours is settled before any goes: the ProgID asks its class's key.
    std::vector<std::wstring> ours;
    for (const Entry& entry : kEntries) {
        const std::wstring top = TopKey(Fill(entry.key));
        if (std::find(ours.begin(), ours.end(), top) == ours.end() && NamesThisFile(root.key, OwnerKey(top)))
            ours.push_back(top);
    }
    bool ok = true;
    for (const std::wstring& top : ours) {
        const LONG status = RegDeleteTreeW(root.key, top.c_str());
        ok = ok && (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
    }
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT Register(bool user) {
    ClassesKey root(user);
    if (!root.key) return SELFREG_E_CLASS;
    if (!WriteEntries(root.key)) {
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
    if (clsid == CLSID_Perchicon) return g_controlFactory.QueryInterface(riid, ppv);
    if (clsid == CLSID_propMain) return g_pageFactory.QueryInterface(riid, ppv);
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() {
    if (!CanUnload()) return S_FALSE;
    ReleaseTypeLibrary();
    return S_OK;
}

STDAPI DllRegisterServer() { return Guarded([] { return Register(false); }); }

STDAPI DllUnregisterServer() { return Guarded([] { return Unregister(false); }); }

// regsvr32 /n /i:user registers for the current user only, needing no administrator.
STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
    const bool user = commandLine && _wcsicmp(commandLine, L"user") == 0;
    return Guarded([&] { return install ? Register(user) : Unregister(user); });
}
