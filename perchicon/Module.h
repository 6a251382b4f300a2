#pragma once

// The library as a COM server: its instance, its object and lock counts, and its type library.

#include "Perchicon.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace perchicon {

HINSTANCE ModuleInstance();
std::string ModulePath();

// Live objects and server locks; DllCanUnloadNow says yes only when both are zero.
void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
bool CanUnload();

// Type information from the type library embedded in this module, loaded once.
// `interfaceHalf`: for a dual interface, the vtable description that DispInvoke needs rather
// than the dispatch description that clients are given.
HRESULT GetTypeInfoOf(REFGUID guid, bool interfaceHalf, ITypeInfo** info);
void ReleaseTypeLibrary();

// Runs `body`, turning a C++ exception into an HRESULT: no exception may cross a COM method.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace perchicon
