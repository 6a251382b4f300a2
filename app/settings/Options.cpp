#include "app/settings/Options.h"

#include <string>

namespace zarvik {
namespace {

constexpr int kOptionCount = 6;

// An Option made by a cast from a stored number may lie outside the enum.
bool Known(Option option) {
    const int index = static_cast<int>(option);
    return index >= 0 && index < kOptionCount;
}

}  // namespace

const char* KeyOf(Option option) {
    switch (option) {
        case Option::Power: return "Power";
        case Option::AutoLoad: return "AutoLoad";
        case Option::Date: return "Date";
        case Option::Time: return "Time";
        case Option::GetName: return "GetName";
        case Option::TurnOff: return "TurnOff";
    }
    return "";
}

OptionModel::OptionModel(SettingsStore& store) : store_(store), checks_{1, 1, 1, 1, 1, 0} {
    // Indexed by Option: the design values listed in the header.
    static_assert(static_cast<int>(Option::Power) == 0 && static_cast<int>(Option::TurnOff) == kOptionCount - 1);
}

int OptionModel::Check(Option option) const { return Known(option) ? checks_[static_cast<int>(option)] : 0; }

bool OptionModel::SetCheck(Option option, int state) {
    if (!Known(option) || state < 0 || state > 2) return false;
    int& current = checks_[static_cast<int>(option)];
    if (current == state) return true;
    current = state;
    store_.Write(KeyOf(option), std::to_string(state));
    if (changed_) changed_();
    return true;
}

std::string OptionModel::Editor() const { return editor_; }

void OptionModel::SetEditor(const std::string& editor) {
    if (editor == editor_) return;
    editor_ = editor;
    store_.Write("Editor", editor_);
    if (changed_) changed_();
}

}  // namespace zarvik
