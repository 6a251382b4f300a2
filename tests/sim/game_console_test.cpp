#include "ConsoleBuffer.h"
#include "GameConsole.h"

#include <gtest/gtest.h>

namespace zarvik::sim {
namespace {

// The console as a player sees it: prints passed through the window's rules, split in lines.
struct Shown {
    std::vector<std::string> prints;  // raw, one per print call
    std::string text;
    ConsoleBuffer buffer;
    GameConsole game{[this](const std::string& p) {
        prints.push_back(p);
        text += buffer.Add(p).text;
    }};

    std::string Run(const std::string& typed) {
        text.clear();
        game.Run(typed);
        return text;
    }
};

TEST(Tokenize, BlanksSeparateQuotesGroupCommentsEnd) {
    using V = std::vector<std::string>;
    EXPECT_EQ(Tokenize("echo  a   b"), (V{"echo", "a", "b"}));
    EXPECT_EQ(Tokenize("say \"hello  there\" x"), (V{"say", "hello  there", "x"}));
    EXPECT_EQ(Tokenize("bind F5 \"say hi"), (V{"bind", "F5", "say hi"})) << "an open quote runs to the end";
    EXPECT_EQ(Tokenize("echo a//b c"), (V{"echo", "a"}));
    EXPECT_EQ(Tokenize("\"mapname\""), (V{"mapname"}));
    EXPECT_EQ(Tokenize("a\"b c\""), (V{"a", "b c"}));
    EXPECT_EQ(Tokenize("   "), V{});
}

TEST(SplitCommands, CutsAtSemicolonsOutsideQuotes) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitCommands("echo a;echo b"), (V{"echo a", "echo b"}));
    EXPECT_EQ(SplitCommands("say \"a;b\";name"), (V{"say \"a;b\"", "name"}));
    EXPECT_EQ(SplitCommands("one"), V{"one"});
}

TEST(GameConsole, EchoPrintsEachArgumentWithATrailingBlank) {
    Shown c;
    EXPECT_EQ(c.Run("echo ^7Zarvik is now ^2on"), "Zarvik is now on \r\n");
    EXPECT_EQ(c.prints.size(), 5u) << "one print per argument and one for the line end";
    EXPECT_EQ(c.Run("echo  \"a   b\"   c"), "a   b c \r\n");
    EXPECT_EQ(c.Run("echo"), "\r\n");
    EXPECT_EQ(c.Run("/echo slash"), "slash \r\n");
    EXPECT_EQ(c.Run("\\echo back"), "back \r\n");
    EXPECT_EQ(c.Run("echo !loadnow"), "!loadnow \r\n");
}

TEST(GameConsole, CvarRepliesIgnoreCaseOfTheLookup) {
    Shown c;
    EXPECT_EQ(c.Run("name"), "\"name\" is:\"Padawan\" default:\"Padawan\"\r\n");
    EXPECT_EQ(c.Run("NAME"), "\"name\" is:\"Padawan\" default:\"Padawan\"\r\n");
    EXPECT_EQ(c.Run("mapname"), "\"mapname\" is:\"nomap\" default:\"nomap\"\r\n");
    c.game.ChangeMap("ffa_bespin");
    EXPECT_EQ(c.Run("\"mapname\""), "\"mapname\" is:\"ffa_bespin\" default:\"nomap\"\r\n");
    EXPECT_EQ(c.Run("ui_about_mapname"), "\"ui_about_mapname\" is:\"ffa_bespin\" default:\"\"\r\n");
}

TEST(GameConsole, OnARemoteServerMapnameStaysNomap) {
    Shown c;
    c.game.SetRemote(true);
    c.game.ChangeMap("ctf_yavin");
    EXPECT_EQ(c.Run("mapname"), "\"mapname\" is:\"nomap\" default:\"nomap\"\r\n");
    EXPECT_EQ(c.Run("ui_about_mapname"), "\"ui_about_mapname\" is:\"ctf_yavin\" default:\"\"\r\n");
    c.game.SetRemote(false);
    EXPECT_EQ(c.Run("mapname"), "\"mapname\" is:\"ctf_yavin\" default:\"nomap\"\r\n");
    EXPECT_EQ(c.Run("mapname ffa_fake"), "") << "a client cannot set the server's cvar";
    EXPECT_EQ(c.Run("mapname"), "\"mapname\" is:\"ctf_yavin\" default:\"nomap\"\r\n");
}

TEST(GameConsole, BindQueriesAnswerInTheGamesThreeForms) {
    Shown c;
    EXPECT_EQ(c.Run("bind F5"), "\"F5\" is not bound\r\n");
    EXPECT_EQ(c.Run("bind F5 force_push"), "") << "binding prints nothing";
    EXPECT_EQ(c.Run("bind F5"), "\"F5\" = \"force_push\"\r\n");
    EXPECT_EQ(c.Run("bind f5"), "\"f5\" = \"force_push\"\r\n") << "the key as typed, looked up without case";
    EXPECT_EQ(c.Run("Bind XYZ"), "\"XYZ\" isn't a valid key\r\n");
    EXPECT_EQ(c.Run("bind k say ^1hi   there"), "");
    EXPECT_EQ(c.Run("bind K"), "\"K\" = \"say hi there\"\r\n") << "words joined by one blank; colours stripped";
    EXPECT_EQ(c.game.Binding("k"), "say ^1hi there");
    EXPECT_EQ(c.Run("bind MOUSE2 \"+attack; +use\""), "");
    EXPECT_EQ(c.Run("bind mouse2"), "\"mouse2\" = \"+attack; +use\"\r\n");
    EXPECT_EQ(c.Run("bind F13"), "\"F13\" isn't a valid key\r\n");
}

TEST(GameConsole, ChatAndMatchEventsPrintTheGamesLines) {
    Shown c;
    EXPECT_EQ(c.Run("say !time"), "Padawan: !time\r\n");
    EXPECT_EQ(c.Run("say   ^1hello   world"), "Padawan: hello world\r\n");
    EXPECT_EQ(c.Run("name ^4Kyle"), "Padawan renamed to Kyle\r\n");
    EXPECT_EQ(c.game.PlayerName(), "^4Kyle");
    EXPECT_EQ(c.Run("name"), "\"name\" is:\"Kyle\" default:\"Padawan\"\r\n");
    c.text.clear();
    c.game.Enter(c.game.PlayerName());
    c.game.Chat("^1Other", "please !load");
    EXPECT_EQ(c.text, "Kyle entered the game\r\nOther: please !load\r\n");
}

TEST(GameConsole, SeveralCommandsInOneLineAndUnknownOnes) {
    Shown c;
    EXPECT_EQ(c.Run("echo a; xyz ;echo \"b;c\""), "a \r\nUnknown command \"xyz\"\r\nb;c \r\n");
    EXPECT_EQ(c.Run("  "), "");
}

}  // namespace
}  // namespace zarvik::sim
