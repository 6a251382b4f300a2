#pragma once

// The update check apart from its window: which status line, whether the window grows, and
// which download address the buttons use, from what the update site gave.

#include "zarvik/UpdateSite.h"

#include <cstdint>
#include <optional>
#include <string>

namespace zarvik {

// The site the program asks when info.ini's "UpdateSite" gives no usable address: the one chosen
// when the product was configured, or a placeholder under ".invalid" that is never asked.
inline constexpr char kDefaultUpdateSite[] = ZARVIK_UPDATE_SITE;

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
// 2048 characters of printable ASCII, none of them a blank, '"', ',', '@' or '\' (explorer takes
// what follows a comma as its switches; '@' and '\' make parsers disagree on the host).
bool IsWebAddress(const std::string& text);
// The host an address names, in lower case, without port: "" when there is none.
std::string HostOf(const std::string& address);
// Whether `site` is a site at all: a host under ".invalid" is the placeholder of a build that
// carries none.
bool IsRealSite(const std::string& site);
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
