#include "Module.h"

namespace perchicon {
namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};
ITypeLib* g_typeLibrary = nullptr;  // apartment-threaded: used from the thread that loaded it

}  // namespace

HINSTANCE ModuleInstance() { return g_instance; }

std::string ModulePath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD n = GetModuleFileNameA(g_instance, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void ObjectCreated() { ++g_objects; }
void ObjectDestroyed() { --g_objects; }
void LockServer(bool lock) { lock ? ++g_locks : --g_locks; }
bool CanUnload() { return g_objects == 0 && g_locks == 0; }

HRESULT GetTypeInfoOf(REFGUID guid, bool interfaceHalf, ITypeInfo** info) {
    *info = nullptr;
    if (!g_typeLibrary) {
        std::wstring path(MAX_PATH, L'\0');
        path.resize(GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size())));
        const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &g_typeLibrary);
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

}  // namespace perchicon

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        perchicon::g_instance = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
