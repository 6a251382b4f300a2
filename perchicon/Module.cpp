#include "Module.h"

#include "winbase/Own.h"
#include "winbase/Window.h"

#include <atomic>

namespace perchicon {
namespace {

std::atomic<long> g_objects{0};
std::atomic<long> g_locks{0};

// Apartment-threaded: used from the thread that loaded it. Never destroyed: at the process's
// exit nothing may call into oleaut32 from here.
winbase::ComPtr<ITypeLib>& TypeLibrary() {
    static auto* library = new winbase::ComPtr<ITypeLib>;
    return *library;
}

}  // namespace

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(winbase::ThisModule(), path.data(), static_cast<DWORD>(path.size()));
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
    if (!TypeLibrary()) {
        const HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, TypeLibrary().put());
        if (FAILED(hr)) return hr;
    }
    winbase::ComPtr<ITypeInfo> found;
    HRESULT hr = TypeLibrary()->GetTypeInfoOfGuid(guid, found.put());
    if (FAILED(hr) || !interfaceHalf) {
        *info = found.Detach();
        return hr;
    }
    HREFTYPE vtableHalf;
    hr = found->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableHalf);
    return SUCCEEDED(hr) ? found->GetRefTypeInfo(vtableHalf, info) : hr;
}

void ReleaseTypeLibrary() { TypeLibrary().reset(); }

void SetErrorText(const wchar_t* text) noexcept {
    winbase::ComPtr<ICreateErrorInfo> create;
    winbase::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(CreateErrorInfo(create.put()))) {
        create->SetGUID(IID__Perchicon);
        create->SetSource(const_cast<LPOLESTR>(L"PerchiconControl.Perchicon"));
        create->SetDescription(const_cast<LPOLESTR>(text));
        create.As(IID_IErrorInfo, info);
    }
    SetErrorInfo(0, info.get());
}

}  // namespace perchicon

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    // Unloaded by FreeLibrary (not at process exit, when user32 may be gone already).
    if (reason == DLL_PROCESS_DETACH && !reserved)
        for (const char* name : {perchicon::kPictureClass, perchicon::kAboutClass, perchicon::kPageClass})
            UnregisterClassA(name, winbase::ThisModule());
    return TRUE;
}
