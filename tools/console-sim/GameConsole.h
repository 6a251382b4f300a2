#pragma once

// What the game does with a line typed into its console, and what it prints when things
// happen in the match. Every print goes to the sink raw (colour codes and all), one print
// per call, as the game hands it to its console window.

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zarvik::sim {

// The game's command tokenizer: blanks separate, double quotes group, "//" ends the line.
std::vector<std::string> Tokenize(const std::string& text);

// A typed line cut into commands at ";" and line ends outside double quotes.
std::vector<std::string> SplitCommands(const std::string& text);

// The game's key names: canonical form of `key`, or nothing when it names no key.
std::optional<std::string> CanonicalKey(const std::string& key);

class GameConsole {
  public:
    using Print = std::function<void(const std::string&)>;

    // `saysTheDefault`: a cvar equal to its default answers `"name" is:"Padawan^7" (the default)`,
    // as today's community clients print it; the original game always names the default.
    explicit GameConsole(Print print, bool saysTheDefault = false);

    // A line typed into the console, executed (the "]" echo is the window's business).
    void Run(const std::string& typed);

    // Things that happen in the match.
    void Chat(const std::string& speaker, const std::string& message);
    void Enter(const std::string& who);
    void RenamePlayer(const std::string& newName);
    void Rename(const std::string& oldName, const std::string& newName);
    void ChangeMap(const std::string& map);
    void SetRemote(bool remote);  // on a remote server the client's mapname stays "nomap"
    bool BindKey(const std::string& key, const std::string& command);
    void PrintLine(const std::string& text) { print_(text + "\n"); }

    std::string PlayerName() const;
    std::optional<std::string> Binding(const std::string& key) const;

  private:
    struct Cvar {
        std::string name, value, reset;
    };

    void Execute(const std::vector<std::string>& args);
    void Echo(const std::vector<std::string>& args);
    void Bind(const std::vector<std::string>& args);
    Cvar* FindCvar(const std::string& name);
    void SetCvar(const std::string& name, const std::string& value);

    Print print_;
    std::map<std::string, Cvar> cvars_;  // by lower-case name: lookups ignore case
    std::map<std::string, std::string> binds_;
    std::string map_;
    bool remote_ = false;
    bool saysTheDefault_;
};

}  // namespace zarvik::sim
