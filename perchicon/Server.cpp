// The library's entry points: class objects, unloading, and registration for the machine
// (DllRegisterServer) or for the current user only (DllInstall with "user").

#include "AboutWindows.h"
#include "Control.h"
#include "Module.h"

#include <olectl.h>

#include <cstring>
#include <cwchar>
#include <string>

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

std::string GuidText(REFGUID guid) {
    wchar_t wide[40];
    StringFromGUID2(guid, wide, 40);
    std::string text;
    for (const wchar_t* p = wide; *p; ++p) text += static_cast<char>(*p);
    return text;
}

// What registration writes, below the classes key of the chosen scope. Registering writes
// every row; unregistering removes each row's top key (CLSID\{...} or the ProgID) whole.
struct Entry {
    const char* key;    // %CONTROL%, %PAGE% stand for the class GUIDs
    const char* name;   // nullptr: the key's default value
    const char* value;  // %MODULE% and %LIBID% are filled in; nullptr: the key only
};

const Entry kEntries[] = {
    {"CLSID\\%CONTROL%", nullptr, "Perchicon"},
    {"CLSID\\%CONTROL%\\InprocServer32", nullptr, "%MODULE%"},
    {"CLSID\\%CONTROL%\\InprocServer32", "ThreadingModel", "Apartment"},
    {"CLSID\\%CONTROL%\\ProgID", nullptr, "PerchiconControl.Perchicon"},
    {"CLSID\\%CONTROL%\\Control", nullptr, nullptr},
    {"CLSID\\%CONTROL%\\MiscStatus", nullptr, "0"},
    {"CLSID\\%CONTROL%\\MiscStatus\\1", nullptr, "132497"},
    {"CLSID\\%CONTROL%\\ToolboxBitmap32", nullptr, "%MODULE%, 1"},
    {"CLSID\\%CONTROL%\\TypeLib", nullptr, "%LIBID%"},
    {"CLSID\\%CONTROL%\\Version", nullptr, "1.0"},
    {"PerchiconControl.Perchicon", nullptr, "Perchicon"},
    {"PerchiconControl.Perchicon\\CLSID", nullptr, "%CONTROL%"},
    {"CLSID\\%PAGE%", nullptr, "propMain"},
    {"CLSID\\%PAGE%\\InprocServer32", nullptr, "%MODULE%"},
    {"CLSID\\%PAGE%\\InprocServer32", "ThreadingModel", "Apartment"},
};

// The type library's keys for the current user, as RegisterTypeLibForUser writes them on
// Windows; Wine's version writes for the machine instead, so they are written from here.
const Entry kUserTypeLibrary[] = {
    {"TypeLib\\%LIBID%\\1.0", nullptr, "Perchicon Control by Holvane"},
    {"TypeLib\\%LIBID%\\1.0\\0\\%PLATFORM%", nullptr, "%MODULE%"},
    {"TypeLib\\%LIBID%\\1.0\\FLAGS", nullptr, "0"},
    {"TypeLib\\%LIBID%\\1.0\\HELPDIR", nullptr, "%FOLDER%"},
    {"Interface\\%IID%", nullptr, "_Perchicon"},
    {"Interface\\%IID%\\ProxyStubClsid32", nullptr, "{00020424-0000-0000-C000-000000000046}"},
    {"Interface\\%IID%\\TypeLib", nullptr, "%LIBID%"},
    {"Interface\\%IID%\\TypeLib", "Version", "1.0"},
    {"Interface\\%EVENTS%", nullptr, "__Perchicon"},
    {"Interface\\%EVENTS%\\ProxyStubClsid32", nullptr, "{00020420-0000-0000-C000-000000000046}"},
    {"Interface\\%EVENTS%\\TypeLib", nullptr, "%LIBID%"},
    {"Interface\\%EVENTS%\\TypeLib", "Version", "1.0"},
    {"Interface\\%PAGEIID%", nullptr, "_propMain"},
    {"Interface\\%PAGEIID%\\ProxyStubClsid32", nullptr, "{00020424-0000-0000-C000-000000000046}"},
    {"Interface\\%PAGEIID%\\TypeLib", nullptr, "%LIBID%"},
    {"Interface\\%PAGEIID%\\TypeLib", "Version", "1.0"},
};

std::string Fill(std::string text) {
    const std::string module = ModulePath();
#ifdef _WIN64
    const char* platform = "win64";
#else
    const char* platform = "win32";
#endif
    const std::pair<const char*, std::string> fields[] = {
        {"%CONTROL%", GuidText(CLSID_Perchicon)},     {"%PAGE%", GuidText(CLSID_propMain)},
        {"%LIBID%", GuidText(LIBID_PerchiconControl)}, {"%IID%", GuidText(IID__Perchicon)},
        {"%EVENTS%", GuidText(DIID___Perchicon)},     {"%PAGEIID%", GuidText(IID__propMain)},
        {"%MODULE%", module},                          {"%FOLDER%", module.substr(0, module.find_last_of('\\'))},
        {"%PLATFORM%", platform}};
    for (const auto& [field, value] : fields)
        for (std::size_t at; (at = text.find(field)) != std::string::npos;) text.replace(at, std::strlen(field), value);
    return text;
}

struct ClassesKey {
    HKEY key = nullptr;
    explicit ClassesKey(bool user) {
        if (!user) {
            key = HKEY_CLASSES_ROOT;
            return;
        }
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            key = nullptr;
    }
    ~ClassesKey() {
        if (key && key != HKEY_CLASSES_ROOT) RegCloseKey(key);
    }
};

// The key that unregistering removes whole: CLSID\{...}, TypeLib\{...} or Interface\{...}
// for rows under those shared keys, else the ProgID. Never a shared key itself.
std::string TopKey(const std::string& key) {
    for (const char* shared : {"CLSID\\", "TypeLib\\", "Interface\\"})
        if (key.rfind(shared, 0) == 0) return key.substr(0, key.find('\\', std::strlen(shared)));
    return key.substr(0, key.find('\\'));
}

HRESULT Unregister(bool user);

template <std::size_t N>
bool WriteEntries(HKEY root, const Entry (&entries)[N]) {
    for (const Entry& entry : entries) {
        HKEY key;
        if (RegCreateKeyExA(root, Fill(entry.key).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS)
            return false;
        LONG result = ERROR_SUCCESS;
        if (entry.value) {
            const std::string value = Fill(entry.value);
            result = RegSetValueExA(key, entry.name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1));
        }
        RegCloseKey(key);
        if (result != ERROR_SUCCESS) return false;
    }
    return true;
}

template <std::size_t N>
bool RemoveEntries(HKEY root, const Entry (&entries)[N]) {
    bool ok = true;
    std::string removed;
    for (const Entry& entry : entries) {
        const std::string top = TopKey(Fill(entry.key));
        if (removed.find("|" + top + "|") != std::string::npos) continue;
        removed += "|" + top + "|";
        const LONG status = RegDeleteTreeA(root, top.c_str());
        ok = ok && (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND);
    }
    return ok;
}

HRESULT Register(bool user) {
    ClassesKey root(user);
    if (!root.key) return SELFREG_E_CLASS;
    if (!WriteEntries(root.key, kEntries)) {
        Unregister(user);
        return SELFREG_E_CLASS;
    }
    if (user) {
        if (!WriteEntries(root.key, kUserTypeLibrary)) {
            Unregister(user);
            return SELFREG_E_TYPELIB;
        }
        return S_OK;
    }
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(ModuleInstance(), path.data(), static_cast<DWORD>(path.size())));
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &library);
    if (SUCCEEDED(hr)) {
        hr = RegisterTypeLib(library, path.data(), nullptr);
        library->Release();
    }
    if (FAILED(hr)) {
        Unregister(user);
        return SELFREG_E_TYPELIB;
    }
    return S_OK;
}

HRESULT Unregister(bool user) {
    ClassesKey root(user);
    if (!root.key) return SELFREG_E_CLASS;
    HRESULT result = RemoveEntries(root.key, kEntries) ? S_OK : SELFREG_E_CLASS;
    if (user) {
        if (!RemoveEntries(root.key, kUserTypeLibrary) && result == S_OK) result = SELFREG_E_TYPELIB;
        return result;
    }
#ifdef _WIN64
    const SYSKIND kind = SYS_WIN64;
#else
    const SYSKIND kind = SYS_WIN32;
#endif
    // Not registered is as good as removed.
    HKEY registered;
    if (RegOpenKeyExA(root.key, Fill("TypeLib\\%LIBID%").c_str(), 0, KEY_READ, &registered) != ERROR_SUCCESS)
        return result;
    RegCloseKey(registered);
    if (FAILED(UnRegisterTypeLib(LIBID_PerchiconControl, 1, 0, LOCALE_NEUTRAL, kind)) && result == S_OK)
        result = SELFREG_E_TYPELIB;
    return result;
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
