#pragma once

#include "winbase/Own.h"

namespace zarvik {

// Holds the program's named mutex for its lifetime: a second copy finds it taken and stops
// before it reads or writes anything. The running copy is not disturbed.
class SingleInstance {
  public:
    explicit SingleInstance(const char* name = "Local\\Zarvik.SingleInstance")
        : mutex_(CreateMutexA(nullptr, FALSE, name)), another_(mutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {}

    bool AnotherIsRunning() const { return another_; }

  private:
    winbase::Handle mutex_;
    bool another_;
};

}  // namespace zarvik
