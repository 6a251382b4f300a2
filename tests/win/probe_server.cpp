// Leaves a mark in the registry when registered and removes it when unregistered, so that
// the test prefix's registration fixture can itself be checked.
#include <windows.h>

namespace {
constexpr char kKey[] = "Software\\ZarvikTests\\ProbeServer";
}

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return E_FAIL;
    RegCloseKey(key);
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    const LONG result = RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND ? S_OK : E_FAIL;
}
