// The update check's decisions from what the site serves.
#include "app/windows/UpdateCheck.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace zarvik {
namespace {

constexpr char kSite[] = "http://127.0.0.1:8080/zarvik/";

class SiteFiles : public Fetcher {
  public:
    std::map<std::string, std::string> files;  // by path below the site; absent: the fetch fails
    std::optional<std::string> Get(const std::string& address, std::size_t most) override {
        const auto found = files.find(address.substr(std::string(kSite).size()));
        if (found == files.end() || found->second.size() > most) return std::nullopt;
        return found->second;
    }
};

UpdateOutcome Check(const std::string& version, const std::optional<std::string>& address = std::nullopt) {
    SiteFiles site;
    site.files["updates/zarvik.txt"] = version;
    if (address) site.files["updates/zarvikurl.txt"] = *address;
    return CheckForUpdate(site, kSite, 1, 0, 0);
}

// The rules only; the window's fetch and texts are tested against a live server under Wine.
TEST(UpdateCheck, ComparesVersionsAndTakesOnlyWebAddresses) {
    EXPECT_EQ(Check("100").status, "No Updates - Same Version: v100");
    EXPECT_EQ(Check("101\r\n").status, "Update Avaliable!   (v101)") << "a line end after the number";
    EXPECT_EQ(Check(" 99 ").status, "The Online Version is less recent.  Your Version: v100)");
    for (const char* body : {"", "abc", "10.1", "99999999999"})
        EXPECT_EQ(Check(body).status, "Unable to Get Update List") << "[" << body << "]";

    // Only a web address replaces the download or the site.
    const std::string fallback = std::string(kSite) + "files/zarvik.zip";
    EXPECT_EQ(Check("101", "https://mirror.example/z.zip\r\n").downloadAddress, "https://mirror.example/z.zip");
    for (const std::string& refused : std::vector<std::string>{
             "calc.exe", "file:///C:/Windows/system32/calc.exe", "http://a b/z.zip", "http://x/\"z.zip", "http://",
             "http://x/" + std::string(2048, 'a')})
        EXPECT_EQ(Check("101", refused).downloadAddress, fallback) << refused;
    EXPECT_EQ(UpdateSite("http://127.0.0.1:8080/zarvik"), "http://127.0.0.1:8080/zarvik/");
    EXPECT_EQ(UpdateSite("C:\\updates"), kDefaultUpdateSite);
}

}  // namespace
}  // namespace zarvik
