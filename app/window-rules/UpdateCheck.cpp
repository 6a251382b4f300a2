#include "app/window-rules/UpdateCheck.h"

#include <limits>

namespace zarvik {
namespace {

bool IsBlankOrBreak(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A whole number that fits 32 bits, optionally signed.
std::optional<std::int32_t> WholeNumber(const std::string& text) {
    std::size_t at = text.empty() || (text[0] != '-' && text[0] != '+') ? 0 : 1;
    if (at == text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') return std::nullopt;
        value = value * 10 + (text[at] - '0');
        if (value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    if (text[0] == '-') value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace

std::string Trimmed(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlankOrBreak(text[begin])) ++begin;
    while (end > begin && IsBlankOrBreak(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool IsWebAddress(const std::string& text) {
    if (text.size() > kMostAddressChars) return false;
    if (text.rfind("http://", 0) != 0 && text.rfind("https://", 0) != 0) return false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte >= 0x7f || c == '"' || c == ',' || c == '@' || c == '\\') return false;
    }
    return !HostOf(text).empty();
}

std::string HostOf(const std::string& address) {
    const std::size_t scheme = address.find("://");
    if (scheme == std::string::npos) return "";
    const std::size_t begin = scheme + 3;
    std::string host = address.substr(begin, address.find_first_of("/?#", begin) - begin);
    const std::size_t port = host.rfind(':');
    if (port != std::string::npos && host.find(']', port) == std::string::npos) host.resize(port);
    for (char& c : host) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return host;
}

bool IsRealSite(const std::string& site) {
    const std::string host = HostOf(site);
    const std::string placeholder = ".invalid";
    return !host.empty() && host != "invalid" &&
           !(host.size() > placeholder.size() &&
             host.compare(host.size() - placeholder.size(), placeholder.size(), placeholder) == 0);
}

std::string UpdateSite(const std::string& configured) {
    const std::string site = Trimmed(configured);
    if (!IsWebAddress(site)) return kDefaultUpdateSite;
    return site.back() == '/' ? site : site + "/";
}

std::int64_t OwnVersionNumber(int major, int minor, int revision) {
    return std::stoll(std::to_string(major) + std::to_string(minor) + std::to_string(revision));
}

UpdateOutcome CheckForUpdate(Fetcher& fetcher, const std::string& site, int major, int minor, int revision) {
    UpdateOutcome outcome;
    const std::string defaultAddress = site + "files/zarvik.zip";
    outcome.downloadAddress = defaultAddress;
    if (!IsRealSite(site)) {  // a build without a site of its own asks nobody
        outcome.status = "Unable to Get Update List";
        return outcome;
    }
    const std::optional<std::string> version = fetcher.Get(site + "updates/zarvik.txt", kMostVersionBytes);
    // Read as much as an address may be and a little more, so that a longer one is seen as such.
    const std::optional<std::string> address = fetcher.Get(site + "updates/zarvikurl.txt", kMostAddressChars + 16);
    if (address) {
        // Only a web address on the site's own host: the download is opened with "explorer ",
        // which would start anything else it is given, and the player is told to run what it
        // brings.
        const std::string text = Trimmed(*address);
        if (IsWebAddress(text) && HostOf(text) == HostOf(site) && text != defaultAddress)
            outcome.downloadAddress = text;
    }
    const std::optional<std::int32_t> online = version ? WholeNumber(Trimmed(*version)) : std::nullopt;
    if (!online) {
        outcome.status = "Unable to Get Update List";
        return outcome;
    }
    const std::int64_t own = OwnVersionNumber(major, minor, revision);
    const std::string shown = std::to_string(*online);
    if (*online > own) {
        outcome.status = "Update Avaliable!   (v" + shown + ")";
        outcome.updateFound = true;
    } else if (*online == own) {
        outcome.status = "No Updates - Same Version: v" + shown;
    } else {
        outcome.status = "The Online Version is less recent.  Your Version: v" + std::to_string(major) +
                         std::to_string(minor) + std::to_string(revision) + ")";
    }
    return outcome;
}

}  // namespace zarvik
