#pragma once

// The option state: the editing suite's six check boxes and its editor field. They hold the
// live values; the engine reads them at the moment of each use.

#include "app/settings/SettingsStore.h"

#include <functional>
#include <string>

namespace zarvik {

enum class Option { Power, AutoLoad, Date, Time, GetName, TurnOff };

// The settings key of an option: "Power", "AutoLoad", "Date", "Time", "GetName", "TurnOff".
const char* KeyOf(Option option);

class OptionState {
  public:
    virtual ~OptionState() = default;

    // 0 clear, 1 ticked, 2 grey.
    virtual int Check(Option option) const = 0;
    // A box refuses any state but 0, 1 and 2 (returns false, keeps its state). Setting a box
    // to a state other than the one it has runs its click handler.
    virtual bool SetCheck(Option option, int state) = 0;

    virtual std::string Editor() const = 0;
    // A new text runs the field's change handler.
    virtual void SetEditor(const std::string& editor) = 0;

    bool IsOn(Option option) const { return Check(option) != 0; }
};

// The boxes' own behaviour, apart from any window: design values Power, AutoLoad, Date, Time
// and GetName ticked, TurnOff clear, editor empty. A click stores the box's new state as
// decimal text under its key; a change of the editor field stores "Editor". The editing
// suite window shows this model and forwards the user's clicks to it.
class OptionModel : public OptionState {
  public:
    explicit OptionModel(SettingsStore& store);

    int Check(Option option) const override;
    bool SetCheck(Option option, int state) override;
    std::string Editor() const override;
    void SetEditor(const std::string& editor) override;

    // Called after any change, so that a window can show it.
    void OnChanged(std::function<void()> listener) { changed_ = std::move(listener); }

  private:
    SettingsStore& store_;
    int checks_[6];
    std::string editor_;
    std::function<void()> changed_;
};

}  // namespace zarvik
