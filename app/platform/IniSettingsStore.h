#pragma once

// The settings file on Windows: section "%General%" of info.ini in the program folder.

#include "app/settings/LoadSettings.h"
#include "app/settings/SettingsStore.h"

#include <string>

namespace zarvik {

class IniSettingsStore : public SettingsStore {
  public:
    // `programFolder` without a trailing separator, as ProgramFolder() gives it.
    explicit IniSettingsStore(std::string programFolder);

    std::string Read(const std::string& key) override;
    void Write(const std::string& key, const std::string& value) override;

    // The folder of the running program; "" if Windows cannot say.
    static std::string ProgramFolder();

  private:
    std::string File() const;

    std::string folder_;
};

// The user's decimal and thousands separators; '.' and ',' where the locale gives none.
NumberFormat SystemNumberFormat();

}  // namespace zarvik
