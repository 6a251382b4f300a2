#pragma once

#include "app/engine/Ports.h"

namespace zarvik {

// Today's date in the user's short date format and the time of day in the user's time format.
class SystemClock : public Clock {
  public:
    std::string ShortDate() override;
    std::string TimeOfDay() override;
};

}  // namespace zarvik
