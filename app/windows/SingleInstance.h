#pragma once

#include <windows.h>

namespace zarvik {

// Holds the program's named mutex for its lifetime: a second copy finds it taken and stops
// before it reads or writes anything. The running copy is not disturbed.
class SingleInstance {
  public:
    explicit SingleInstance(const char* name = "Local\\Zarvik.SingleInstance");
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool AnotherIsRunning() const { return another_; }

  private:
    HANDLE mutex_ = nullptr;
    bool another_ = false;
};

// Lets the user drag `window` by pressing on something that is not its caption: the system's
// move loop runs as if the caption bar had been pressed, until the button is released.
void DragWindow(HWND window);

}  // namespace zarvik
