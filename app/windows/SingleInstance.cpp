#include "app/windows/SingleInstance.h"

namespace zarvik {

SingleInstance::SingleInstance(const char* name) {
    mutex_ = CreateMutexA(nullptr, FALSE, name);
    another_ = mutex_ && GetLastError() == ERROR_ALREADY_EXISTS;
}

SingleInstance::~SingleInstance() {
    if (mutex_) CloseHandle(mutex_);
}

void DragWindow(HWND window) {
    ReleaseCapture();
    SendMessageA(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

}  // namespace zarvik
