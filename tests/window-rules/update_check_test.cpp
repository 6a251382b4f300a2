// The update check's decisions from what the site serves.
#include "app/window-rules/UpdateCheck.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace zarvik {
namespace {

constexpr char kSite[] = "http://127.0.0.1:8080/zarvik/";

struct SiteFiles : Fetcher {
    std::map<std::string, std::string> files;  // by path below the site; absent: the fetch fails
    int asked = 0;
    std::optional<std::string> Get(const std::string& address, std::size_t most) override {
        ++asked;
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
TEST(UpdateCheck, ComparesVersionsTakesOnlyWebAddressesAndAsksOnlyARealSite) {
    EXPECT_EQ(Check("100").status, "No Updates - Same Version: v100");
    EXPECT_EQ(Check("101\r\n").status, "Update Avaliable!   (v101)") << "a line end after the number";
    EXPECT_EQ(Check(" 99 ").status, "The Online Version is less recent.  Your Version: v100)");
    for (const char* body : {"", "abc", "10.1", "99999999999"})
        EXPECT_EQ(Check(body).status, "Unable to Get Update List") << "[" << body << "]";

    // Only a web address on the site's own host replaces the download; only a web address the site.
    const std::string fallback = std::string(kSite) + "files/zarvik.zip";
    EXPECT_EQ(Check("101", "https://127.0.0.1/z.zip\r\n").downloadAddress, "https://127.0.0.1/z.zip");
    for (const std::string& refused : std::vector<std::string>{
             "calc.exe", "file:///C:/Windows/system32/calc.exe", "http://127.0.0.1 /z.zip", "http://127.0.0.1/\"z.zip",
             "http://", "http://127.0.0.1/" + std::string(2048, 'a'), "http://mirror.example/z.zip",
             "http://127.0.0.1.example/z.zip", "http://127.0.0.1:8080/a,/root,C:/Windows", "http://127.0.0.1:8080/a@b",
             "http://127.0.0.1:8080/a\\b", "http://127.0.0.1/caf\xe9.zip"})
        EXPECT_EQ(Check("101", refused).downloadAddress, fallback) << refused;
    EXPECT_EQ(UpdateSite("http://127.0.0.1:8080/zarvik"), "http://127.0.0.1:8080/zarvik/");
    EXPECT_EQ(UpdateSite("C:\\updates"), kDefaultUpdateSite);

    // A build that carries no site of its own asks nobody at all.
    for (const std::string site : {"http://zarvik.invalid/", "https://Mirror.INVALID:81/z/"}) {
        SiteFiles files;
        const UpdateOutcome outcome = CheckForUpdate(files, site, 1, 0, 0);
        EXPECT_EQ(files.asked, 0) << site;
        EXPECT_EQ(outcome.status, "Unable to Get Update List") << site;
        EXPECT_EQ(outcome.downloadAddress, site + "files/zarvik.zip");
    }
}

}  // namespace
}  // namespace zarvik
