// The simulator stands in for the game in Zarvik's end-to-end tests: these hold it to the game's
// printouts that Zarvik's parsing relies on, where a wrong simulator would hide a fault of Zarvik.
#include "ConsoleBuffer.h"
#include "GameConsole.h"

#include <gtest/gtest.h>

namespace zarvik::sim {
namespace {

// The console as a player sees it: prints passed through the window's rules, split in lines.
struct Shown {
    std::string text;
    ConsoleBuffer buffer;
    GameConsole game{[this](const std::string& p) { text += buffer.Add(p).text; }};

    std::string Run(const std::string& typed) {
        text.clear();
        game.Run(typed);
        return text;
    }
};

TEST(GameConsole, CvarAndBindRepliesInTheGamesForms) {
    Shown c;
    EXPECT_EQ(c.Run("NAME"), "\"name\" is:\"Padawan\" default:\"Padawan\"\r\n");
    c.game.ChangeMap("ffa_bespin");
    EXPECT_EQ(c.Run("\"mapname\""), "\"mapname\" is:\"ffa_bespin\" default:\"nomap\"\r\n");
    c.game.SetRemote(true);
    EXPECT_EQ(c.Run("mapname"), "\"mapname\" is:\"nomap\" default:\"nomap\"\r\n");
    EXPECT_EQ(c.Run("ui_about_mapname"), "\"ui_about_mapname\" is:\"ffa_bespin\" default:\"\"\r\n");

    // A bind query answers in the game's three forms.
    EXPECT_EQ(c.Run("bind F5"), "\"F5\" is not bound\r\n");
    EXPECT_EQ(c.Run("bind F5 force_push"), "") << "binding prints nothing";
    EXPECT_EQ(c.Run("bind f5"), "\"f5\" = \"force_push\"\r\n") << "the key as typed, looked up without case";
    EXPECT_EQ(c.Run("Bind XYZ"), "\"XYZ\" isn't a valid key\r\n");
    c.Run("bind k say ^1hi   there");
    EXPECT_EQ(c.Run("bind K"), "\"K\" = \"say hi there\"\r\n") << "words joined by one blank; colours stripped";

    // Today's clients say that a cvar is at its default instead of naming the default.
    std::string said;
    GameConsole client([&](const std::string& p) { said += StripColours(p); }, true);
    client.Run("name; mapname; name Kyle; name");
    EXPECT_EQ(said,
              "\"name\" is:\"Padawan\" (the default)\n\"mapname\" is:\"nomap\" (the default)\n"
              "Padawan renamed to Kyle\n\"name\" is:\"Kyle\" default:\"Padawan\"\n");
}

TEST(GameConsole, PrintsTheGamesLinesWithCrLfWithoutColoursForEchoChatAndMatchEvents) {
    ConsoleBuffer buffer;
    EXPECT_EQ(buffer.Add("a\n").text, "a\r\n");
    EXPECT_EQ(buffer.Add("d\n\re").text, "d\r\ne");
    EXPECT_EQ(buffer.Add("f\r\ng").text, "f\r\n\r\ng") << "the game makes two line ends of CR LF";
    EXPECT_EQ(StripColours("a^^7b"), "a^b") << "\"^^\" is not a code: the first caret stays";
    EXPECT_EQ(ConsoleBuffer(GameVersion::V104).Add("^7a^8b^9c^ad^^7e^0\n").text, "a^8b^9c^ad^e\r\n")
        << "1.04 takes only a caret and a digit 0 to 7";

    Shown c;
    EXPECT_EQ(c.Run("echo ^7Zarvik is now ^2on"), "Zarvik is now on \r\n") << "each argument with a trailing blank";
    EXPECT_EQ(c.Run("echo !off"), "!off \r\n");
    EXPECT_EQ(c.Run("echo a; xyz ;echo \"b;c\""), "a \r\nUnknown command \"xyz\"\r\nb;c \r\n");
    EXPECT_EQ(c.Run("say   ^1hello   world"), "Padawan: hello world\r\n");
    EXPECT_EQ(c.Run("name ^4Kyle"), "Padawan renamed to Kyle\r\n");
    c.text.clear();
    c.game.Enter(c.game.PlayerName());
    c.game.Chat("^1Other", "please !load");
    EXPECT_EQ(c.text, "Kyle entered the game\r\nOther: please !load\r\n");
}

}  // namespace
}  // namespace zarvik::sim
