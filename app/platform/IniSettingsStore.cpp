#include "app/platform/IniSettingsStore.h"

#include "app/console/ConsoleLink.h"

#include <utility>
#include <vector>

namespace zarvik {
namespace {

constexpr char kSection[] = "%General%";

char LocaleChar(LCTYPE type, char fallback) {
    char buffer[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer) < 2) return fallback;
    return buffer[0];
}

}  // namespace

IniSettingsStore::IniSettingsStore(std::string programFolder) : folder_(std::move(programFolder)) {}

// Built on each access: nothing about the file is kept between calls.
std::string IniSettingsStore::File() const {
    // A drive's root may come with its separator ("C:\"); do not double it.
    if (!folder_.empty() && (folder_.back() == '\\' || folder_.back() == '/')) return folder_ + "info.ini";
    return folder_ + "\\info.ini";
}

std::string IniSettingsStore::Read(const std::string& key) { return ReadIni(kSection, key, File()); }

void IniSettingsStore::Write(const std::string& key, const std::string& value) {
    WriteIni(kSection, key, value, File());
}

std::string IniSettingsStore::ProgramFolder() {
    // Paths longer than MAX_PATH come back cut: grow until the whole name fits.
    std::vector<char> path(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return "";
        if (length < path.size()) {
            const std::string file(path.data(), length);
            const auto slash = file.find_last_of("\\/");
            return slash == std::string::npos ? "" : file.substr(0, slash);
        }
        if (path.size() >= 32768) return "";
        path.resize(path.size() * 2);
    }
}

NumberFormat SystemNumberFormat() {
    NumberFormat format;
    format.decimal = LocaleChar(LOCALE_SDECIMAL, '.');
    format.thousands = LocaleChar(LOCALE_STHOUSAND, ',');
    return format;
}

}  // namespace zarvik
