#pragma once

// The library as a COM server: its object and lock counts, its type library and its window classes.

#include "Perchicon.h"

#include <windows.h>

#include <new>
#include <string>

namespace perchicon {

std::wstring ModulePath();  // whole, however long and whatever its characters

// The library's window classes: registered on first use, unregistered when the library is
// unloaded, so that a library loaded again never finds a class whose procedure is gone.
constexpr const char* kPictureClass = "PerchiconPicture1";
constexpr const char* kAboutClass = "PerchiconAbout";
constexpr const char* kPageClass = "PerchiconPropMain";

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

// The error info a caller's GetErrorInfo finds next: this text, from the control's ProgID, so
// that no older failure's text is taken for this one's.
void SetErrorText(const wchar_t* text) noexcept;

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
