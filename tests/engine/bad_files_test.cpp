// Bind files as they may be found on a player's disk: empty, huge, binary, without line ends,
// with CR-only ends, or a Data that is a file. A load answers each as the engine prescribes and
// leaves every file as it was.
#include "fakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace zarvik {
namespace {

using namespace testing;  // the engine's fakes
using namespace std::string_literals;

const Sent kLoaded = Echo("^2All binds ^3successfully ^2loaded");
const Sends kNoData = {Echo("^1No ^3Data"), Echo("^1Unable ^2to load binds")};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The player's !load on ffa_bespin, through the game's replies; what was typed from the load-now
// step on.
Sends Load(Rig& rig) {
    rig.TickOn("Padawan: !load");
    rig.TickOn("\"mapname\" is:\"ffa_bespin\" default:\"nomap\"");
    return rig.TickOn("!loadnow ");
}

TEST(BadFiles, ALoadTakesEachBindFileAsItIsAndChangesNone) {
    const std::string huge = "Bind F5 " + std::string(10 * 1024 * 1024, 'x');
    const struct {
        const char* what;
        std::string content;
        Sends typed;
    } cases[] = {
        {"empty", "", kNoData},
        {"no line end", "Bind F5 force_push", {Command("Bind F5 force_push"), kLoaded}},
        {"CR-only ends", "Bind F1 a\rBind F2 b\r", {Command("Bind F1 a"), Command("Bind F2 b"), kLoaded}},
        {"LF-only ends", "Bind F1 a\nBind F2 b", {Command("Bind F1 a"), Command("Bind F2 b"), kLoaded}},
        {"binary in the middle",
         "Bind F1 a\r\n\0\x01\xff\r\nBind F2 b\r\n"s,
         {Command("Bind F1 a"), Command("\0\x01\xff"s), Command("Bind F2 b"), kLoaded}},
        {"10 MB in one line", huge, {Command(huge), kLoaded}},
        {"only blank lines: typed as they stand", "\r\n\r\n", {Command(""), Command(""), kLoaded}},
    };
    for (const auto& c : cases) {
        Rig rig;
        const std::string path = rig.binds.BindFilePath("ffa_bespin");
        std::ofstream(path, std::ios::binary) << c.content;
        const Sends typed = Load(rig);
        EXPECT_EQ(typed.size(), c.typed.size()) << c.what;
        EXPECT_TRUE(typed == c.typed) << c.what;
        EXPECT_TRUE(Read(path) == c.content) << c.what << ": the file stays as it was";
        EXPECT_TRUE(rig.errors.lines.empty()) << c.what;
    }
}

TEST(BadFiles, DataThatIsAFileIsReportedAndKept) {
    Rig rig;
    const std::string data = rig.binds.DataFolder();
    std::filesystem::remove_all(data);
    std::ofstream(data, std::ios::binary) << "not a folder";
    const Sends typed = Load(rig);
    ASSERT_EQ(typed.size(), 1u);
    EXPECT_EQ(typed[0].text.rfind("^1Error: ^3", 0), 0u) << "the trap says what failed: " << typed[0].text;
    EXPECT_EQ(rig.errors.lines.size(), 1u);
    EXPECT_EQ(Read(data), "not a folder");

    // A capture cannot be stored either: reported, nothing written anywhere.
    rig.TickOn("Padawan: !add f5");
    rig.TickOn("\"F5\" = \"force_push\"");
    const Sends saved = rig.TickOn("\"mapname\" is:\"ffa_bespin\" default:\"nomap\"");
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].text.rfind("^1Error: ^3", 0), 0u);
    EXPECT_EQ(Read(data), "not a folder");
}

}  // namespace
}  // namespace zarvik
