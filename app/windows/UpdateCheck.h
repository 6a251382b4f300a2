#pragma once

// The update check apart from its window: which status line, whether the window grows, and
// which download address the buttons use, from what the update site gave.

#include <cstdint>
#include <optional>
#include <string>

namespace zarvik {

// The site the program asks when info.ini's "UpdateSite" gives no usable address.
inline constexpr char kDefaultUpdateSite[] = "http://zarvik.invalid/";

// The longest version file that is read as a version at all.
inline constexpr std::size_t kMostVersionBytes = 64;
inline constexpr std::size_t kMostAddressChars = 2048;

// A whole resource fetched by its address; nothing when the fetch failed (no connection, a time
// out, a status other than 200, or a body longer than `most` bytes).
class Fetcher {
  public:
    virtual ~Fetcher() = default;
    virtual std::optional<std::string> Get(const std::string& address, std::size_t most) = 0;
};

// Whether `text` can be handed to "explorer " as a web address: http:// or https://, at most
// 2048 characters, no blank, double quote or control character.
bool IsWebAddress(const std::string& text);
// The text without blanks and line ends at either end.
std::string Trimmed(const std::string& text);
// The site's base address: `configured` when it is a web address (a "/" added at its end when
// missing), otherwise the default.
std::string UpdateSite(const std::string& configured);

// The version parts joined without separators and read as a number: 1.0.0 gives 100.
std::int64_t OwnVersionNumber(int major, int minor, int revision);

struct UpdateOutcome {
    std::string status;
    bool updateFound = false;  // the window grows to show its buttons
    std::string downloadAddress;
};

UpdateOutcome CheckForUpdate(Fetcher& fetcher, const std::string& site, int major, int minor, int revision);

}  // namespace zarvik
