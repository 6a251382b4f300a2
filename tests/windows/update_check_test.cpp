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

TEST(UpdateCheck, ComparesTheOnlineVersionWithItsOwnJoinedNumber) {
    EXPECT_EQ(Check("100").status, "No Updates - Same Version: v100");
    EXPECT_FALSE(Check("100").updateFound);
    EXPECT_EQ(Check("101\r\n").status, "Update Avaliable!   (v101)") << "a line end after the number";
    EXPECT_TRUE(Check("101").updateFound);
    EXPECT_EQ(Check(" 99 ").status, "The Online Version is less recent.  Your Version: v100)");
    EXPECT_EQ(OwnVersionNumber(1, 10, 0), 1100);
    EXPECT_GT(OwnVersionNumber(1, 10, 0), OwnVersionNumber(1, 9, 9));
    EXPECT_LT(OwnVersionNumber(2, 0, 0), OwnVersionNumber(1, 10, 0));
    EXPECT_EQ(OwnVersionNumber(1, 2, 13), 1213);
}

TEST(UpdateCheck, WhatIsNotAVersionSaysSoAndKeepsTheWindowSmall) {
    for (const std::string& body : std::vector<std::string>{"", " ", "abc", "1 0 0", "10.1", "99999999999",
                                                            "-", std::string(65, '1')}) {
        const UpdateOutcome outcome = Check(body);
        EXPECT_EQ(outcome.status, "Unable to Get Update List") << "[" << body << "]";
        EXPECT_FALSE(outcome.updateFound);
    }
    SiteFiles nothing;
    EXPECT_EQ(CheckForUpdate(nothing, kSite, 1, 0, 0).status, "Unable to Get Update List") << "no connection";
}

TEST(UpdateCheck, OnlyAWebAddressReplacesTheDownload) {
    const std::string fallback = std::string(kSite) + "files/zarvik.zip";
    EXPECT_EQ(Check("101").downloadAddress, fallback) << "no address file";
    EXPECT_EQ(Check("101", "https://mirror.example/z.zip\r\n").downloadAddress,
              "https://mirror.example/z.zip");
    EXPECT_EQ(Check("", "http://mirror.example/z.zip").downloadAddress, "http://mirror.example/z.zip")
        << "settled before the version is judged";
    for (const std::string& refused : std::vector<std::string>{
             " ", "calc.exe", "file:///C:/Windows/system32/calc.exe", "http://a b/z.zip", "http://x/\"z.zip",
             "http://", "ftp://x/z.zip", "http://x/" + std::string(2048, 'a')})
        EXPECT_EQ(Check("101", refused).downloadAddress, fallback) << refused;
}

TEST(UpdateCheck, TheSiteComesFromTheSettingWhenItIsAWebAddress) {
    EXPECT_EQ(UpdateSite(""), kDefaultUpdateSite);
    EXPECT_EQ(UpdateSite("http://127.0.0.1:8080/zarvik"), "http://127.0.0.1:8080/zarvik/");
    EXPECT_EQ(UpdateSite("https://mirror.example/"), "https://mirror.example/");
    EXPECT_EQ(UpdateSite("C:\\updates"), kDefaultUpdateSite);
}

}  // namespace
}  // namespace zarvik
