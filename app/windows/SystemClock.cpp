#include "app/windows/SystemClock.h"

#include <windows.h>

namespace zarvik {

std::string SystemClock::ShortDate() {
    char text[128] = {};
    const int n = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, sizeof text);
    return n > 0 ? std::string(text, static_cast<size_t>(n - 1)) : std::string();
}

std::string SystemClock::TimeOfDay() {
    char text[128] = {};
    const int n = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, sizeof text);
    return n > 0 ? std::string(text, static_cast<size_t>(n - 1)) : std::string();
}

}  // namespace zarvik
