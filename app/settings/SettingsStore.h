#pragma once

#include <string>

namespace zarvik {

// The settings file: section "%General%" of info.ini in the program folder, read and written
// one key at a time, nothing cached. A write that fails is ignored.
class SettingsStore {
  public:
    virtual ~SettingsStore() = default;
    virtual std::string Read(const std::string& key) = 0;  // "" when file, section or key is absent
    virtual void Write(const std::string& key, const std::string& value) = 0;
};

}  // namespace zarvik
