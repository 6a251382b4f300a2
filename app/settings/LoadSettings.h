#pragma once

#include "app/settings/Options.h"
#include "app/settings/SettingsStore.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zarvik {

// The locale's separators for decimal text.
struct NumberFormat {
    char decimal = '.';
    char thousands = ',';
};

// The platform's locale-aware conversion of decimal text to a whole number, halves to the
// even neighbour ("1440.5" gives 1440, "1441.5" gives 1442). Nothing for text that is not
// a number or does not fit in 32 bits.
std::optional<std::int32_t> WholeNumber(const std::string& text, const NumberFormat& format);

// The same into a 16-bit integer, as the check-box keys are read.
std::optional<std::int16_t> WholeNumber16(const std::string& text, const NumberFormat& format);

// The main window as LoadSettings places it; sizes and positions in twips.
class MainWindowPlacement {
  public:
    virtual ~MainWindowPlacement() = default;
    virtual void OuterSize(std::int32_t& width, std::int32_t& height) = 0;
    virtual void ScreenSize(std::int32_t& width, std::int32_t& height) = 0;
    virtual void MoveTo(std::int32_t left, std::int32_t top) = 0;
};

// Applies info.ini to the option boxes, the editor field, the power flag and the main
// window's position, in thirteen steps; a step that fails is skipped silently.
void LoadSettings(SettingsStore& store, OptionState& options, bool& turnedOn, MainWindowPlacement& placement,
                  const NumberFormat& format);

}  // namespace zarvik
