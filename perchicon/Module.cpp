#include "Module.h"

#include <iterator>

namespace perchicon {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
ITypeLib* g_typeLibrary = nullptr;  // apartment-threaded: used from the thread that loaded it
const char* g_classes[8] = {};      // plain, for the loader's lock at unloading
int g_classCount = 0;

void UnregisterWindowClasses() {
    for (int i = 0; i < g_classCount; ++i) UnregisterClassA(g_classes[i], g_instance);
    g_classCount = 0;
}

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void RegisterWindowClass(const char* name, WNDPROC proc, HBRUSH background) {
    WNDCLASSA wc = {};
    if (GetClassInfoA(g_instance, name, &wc)) return;
    wc.lpfnWndProc = proc;
    wc.hInstance = g_instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    if (RegisterClassA(&wc) && g_classCount < static_cast<int>(std::size(g_classes))) g_classes[g_classCount++] = name;
}

void ObjectCreated() { ++g_objects; }
void ObjectDestroyed() { --g_objects; }
void LockServer(bool lock) { lock ? ++g_locks : --g_locks; }
bool CanUnload() { return g_objects == 0 && g_locks == 0; }

HRESULT GetTypeInfoOf(REFGUID guid, bool interfaceHalf, ITypeInfo** info) {
    *info = nullptr;
    if (!g_typeLibrary) {
        const HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &g_typeLibrary);
        if (FAILED(hr)) return hr;
    }
    ITypeInfo* found = nullptr;
    HRESULT hr = g_typeLibrary->GetTypeInfoOfGuid(guid, &found);
    if (FAILED(hr) || !interfaceHalf) {
        *info = found;
        return hr;
    }
    HREFTYPE vtableHalf;
    hr = found->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableHalf);
    if (SUCCEEDED(hr)) hr = found->GetRefTypeInfo(vtableHalf, info);
    found->Release();
    return hr;
}

void ReleaseTypeLibrary() {
    if (g_typeLibrary) g_typeLibrary->Release();
    g_typeLibrary = nullptr;
}

void SetErrorText(const wchar_t* text) noexcept {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create))) {
        SetErrorInfo(0, nullptr);
        return;
    }
    create->SetGUID(IID__Perchicon);
    create->SetSource(const_cast<LPOLESTR>(L"PerchiconControl.Perchicon"));
    create->SetDescription(const_cast<LPOLESTR>(text));
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        SetErrorInfo(0, info);
        info->Release();
    } else {
        SetErrorInfo(0, nullptr);
    }
    create->Release();
}

}  // namespace perchicon

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        perchicon::g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    // Unloaded by FreeLibrary (not at process exit, when user32 may be gone already).
    if (reason == DLL_PROCESS_DETACH && !reserved) perchicon::UnregisterWindowClasses();
    return TRUE;
}
