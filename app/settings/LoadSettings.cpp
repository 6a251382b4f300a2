#include "app/settings/LoadSettings.h"

#include <algorithm>
#include <limits>

namespace zarvik {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Rounded on the decimal text itself, so that a half is seen exactly as written and not
// through a binary fraction.
std::optional<std::int64_t> Rounded(const std::string& text, const NumberFormat& format) {
    std::size_t i = 0;
    std::size_t end = text.size();
    while (i < end && IsBlank(text[i])) ++i;
    while (end > i && IsBlank(text[end - 1])) --end;

    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    // Past any 32-bit value, but far from overflowing: longer digit runs stop growing here.
    constexpr std::int64_t kCap = std::int64_t{1} << 40;
    std::int64_t whole = 0;
    bool anyDigit = false;
    for (; i < end; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            whole = std::min(whole * 10 + (c - '0'), kCap);
            anyDigit = true;
        } else if (c == format.thousands && c != format.decimal && anyDigit && IsDigit(text[i - 1]) && i + 1 < end &&
                   IsDigit(text[i + 1])) {
            continue;
        } else {
            break;
        }
    }

    if (i < end && text[i] == format.decimal) {
        const std::size_t first = ++i;
        while (i < end && IsDigit(text[i])) ++i;
        if (i > first) {
            anyDigit = true;
            bool up = text[first] > '5';
            if (text[first] == '5') {
                const bool beyondHalf =
                    std::any_of(text.begin() + first + 1, text.begin() + i, [](char c) { return c != '0'; });
                up = beyondHalf || whole % 2 == 1;
            }
            if (up) ++whole;
        }
    }

    if (i != end || !anyDigit) return std::nullopt;
    return negative ? -whole : whole;
}

template <typename Int>
std::optional<Int> Fitting(std::optional<std::int64_t> value) {
    if (!value || *value < std::numeric_limits<Int>::min() || *value > std::numeric_limits<Int>::max())
        return std::nullopt;
    return static_cast<Int>(*value);
}

std::int32_t Clamped32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// Room left at the bottom for the taskbar.
constexpr std::int64_t kBottomMarginTwips = 450;

}  // namespace

std::optional<std::int32_t> WholeNumber(const std::string& text, const NumberFormat& format) {
    return Fitting<std::int32_t>(Rounded(text, format));
}

std::optional<std::int16_t> WholeNumber16(const std::string& text, const NumberFormat& format) {
    return Fitting<std::int16_t>(Rounded(text, format));
}

void LoadSettings(SettingsStore& store, OptionState& options, bool& turnedOn, MainWindowPlacement& placement,
                  const NumberFormat& format) {
    // A key that is not a number, or a state the box refuses, leaves the box as it is.
    const auto loadCheck = [&](Option option) {
        if (const auto state = WholeNumber16(store.Read(KeyOf(option)), format)) options.SetCheck(option, *state);
    };

    loadCheck(Option::AutoLoad);
    loadCheck(Option::Date);
    loadCheck(Option::GetName);
    loadCheck(Option::Time);

    if (store.Read("Editor").empty()) store.Write("Editor", "Notepad.exe");
    // Read again: if the default could not be written, the field shows what the file holds.
    options.SetEditor(store.Read("Editor"));

    loadCheck(Option::Power);
    turnedOn = options.IsOn(Option::Power);

    // 64 bits: a stored position near the 32-bit limit plus the window's size must not wrap.
    std::int64_t left = WholeNumber(store.Read("LeftPos"), format).value_or(0);
    std::int64_t top = WholeNumber(store.Read("TopPos"), format).value_or(0);
    std::int32_t width = 0, height = 0, screenWidth = 0, screenHeight = 0;
    placement.OuterSize(width, height);
    placement.ScreenSize(screenWidth, screenHeight);

    if (left + width >= screenWidth)
        left = std::int64_t{screenWidth} - width;
    else if (left < 0)
        left = 0;
    if (top + height >= screenHeight)
        top = std::int64_t{screenHeight} - height - kBottomMarginTwips;
    else if (top < 0)
        top = 0;
    placement.MoveTo(Clamped32(left), Clamped32(top));

    loadCheck(Option::TurnOff);
}

}  // namespace zarvik
