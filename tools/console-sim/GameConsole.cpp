#include "GameConsole.h"

#include <algorithm>
#include <cctype>

namespace zarvik::sim {
namespace {

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

std::string Join(const std::vector<std::string>& args, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < args.size(); ++i) {
        if (i > from) out += ' ';
        out += args[i];
    }
    return out;
}

const char* const kNamedKeys[] = {
    "TAB",        "ENTER",         "ESCAPE",   "SPACE",        "BACKSPACE", "UPARROW",    "DOWNARROW", "LEFTARROW",
    "RIGHTARROW", "ALT",           "CTRL",     "SHIFT",        "CAPSLOCK",  "INS",        "DEL",       "PGDN",
    "PGUP",       "HOME",          "END",      "PAUSE",        "SEMICOLON", "MOUSE1",     "MOUSE2",    "MOUSE3",
    "MOUSE4",     "MOUSE5",        "MWHEELUP", "MWHEELDOWN",   "KP_HOME",   "KP_UPARROW", "KP_PGUP",   "KP_LEFTARROW",
    "KP_5",       "KP_RIGHTARROW", "KP_END",   "KP_DOWNARROW", "KP_PGDN",   "KP_ENTER",   "KP_INS",    "KP_DEL",
    "KP_SLASH",   "KP_MINUS",      "KP_PLUS",  "KP_NUMLOCK",   "KP_STAR",   "KP_EQUALS",
};

}  // namespace

std::vector<std::string> Tokenize(const std::string& text) {
    std::vector<std::string> args;
    std::size_t i = 0;
    const std::size_t n = text.size();
    for (;;) {
        while (i < n && static_cast<unsigned char>(text[i]) <= ' ') ++i;
        if (i >= n) return args;
        if (text.compare(i, 2, "//") == 0) return args;
        std::string arg;
        if (text[i] == '"') {
            ++i;
            while (i < n && text[i] != '"') arg += text[i++];
            if (i < n) ++i;
        } else {
            while (i<n&& static_cast<unsigned char>(text[i])> ' ' && text[i] != '"' && text.compare(i, 2, "//") != 0)
                arg += text[i++];
        }
        args.push_back(arg);
    }
}

std::vector<std::string> SplitCommands(const std::string& text) {
    std::vector<std::string> out;
    std::string current;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if ((c == ';' && !quoted) || c == '\n' || c == '\r') {
            out.push_back(current);
            current.clear();
            quoted = false;
        } else {
            current += c;
        }
    }
    out.push_back(current);
    return out;
}

std::optional<std::string> CanonicalKey(const std::string& key) {
    if (key.size() == 1) {
        const unsigned char c = static_cast<unsigned char>(key[0]);
        if (c <= ' ' || c == '"') return std::nullopt;
        return std::string(1, static_cast<char>(std::tolower(c)));
    }
    const std::string upper = Upper(key);
    for (const char* name : kNamedKeys)
        if (upper == name) return upper;
    if (upper.size() >= 2 && upper.size() <= 3 && upper[0] == 'F') {
        const int number = std::atoi(upper.c_str() + 1);
        if (number >= 1 && number <= 12 && std::to_string(number) == upper.substr(1)) return upper;
    }
    return std::nullopt;
}

GameConsole::GameConsole(Print print, bool saysTheDefault) : print_(std::move(print)), saysTheDefault_(saysTheDefault) {
    SetCvar("name", "Padawan");
    SetCvar("mapname", "nomap");
    SetCvar("ui_about_mapname", "");
}

GameConsole::Cvar* GameConsole::FindCvar(const std::string& name) {
    auto it = cvars_.find(Lower(name));
    return it == cvars_.end() ? nullptr : &it->second;
}

void GameConsole::SetCvar(const std::string& name, const std::string& value) {
    if (Cvar* cvar = FindCvar(name)) {
        cvar->value = value;
        return;
    }
    cvars_[Lower(name)] = Cvar{name, value, value};
}

std::string GameConsole::PlayerName() const { return cvars_.at("name").value; }

std::optional<std::string> GameConsole::Binding(const std::string& key) const {
    const auto canonical = CanonicalKey(key);
    if (!canonical) return std::nullopt;
    auto it = binds_.find(*canonical);
    if (it == binds_.end()) return std::nullopt;
    return it->second;
}

void GameConsole::Run(const std::string& typed) {
    std::string text = typed;
    if (!text.empty() && (text[0] == '/' || text[0] == '\\')) text.erase(0, 1);
    for (const std::string& command : SplitCommands(text)) {
        const auto args = Tokenize(command);
        if (!args.empty()) Execute(args);
    }
}

void GameConsole::Execute(const std::vector<std::string>& args) {
    const std::string verb = Lower(args[0]);
    if (verb == "echo") return Echo(args);
    if (verb == "bind") return Bind(args);
    if (verb == "say") return Chat(PlayerName(), Join(args, 1));
    if (verb == "say_team") {
        std::string line = "(";  // built in steps: GCC 12 warns falsely on "(" + std::string
        line += PlayerName() + "^7)^7: ^5" + Join(args, 1) + "\n";
        print_(line);
        return;
    }
    if (Cvar* cvar = FindCvar(args[0])) {
        if (args.size() == 1) {
            const std::string is = "\"" + cvar->name + "\" is:\"" + cvar->value + "^7\"";
            if (saysTheDefault_ && cvar->value == cvar->reset)
                print_(is + " (the default)\n");
            else
                print_(is + " default:\"" + cvar->reset + "^7\"\n");
        } else if (cvar->name == "name") {
            RenamePlayer(args[1]);
        } else if (cvar->name != "mapname") {  // the server's cvar; a client cannot set it
            cvar->value = args[1];
        }
        return;
    }
    print_("Unknown command \"" + args[0] + "^7\"\n");
}

void GameConsole::Echo(const std::vector<std::string>& args) {
    // One print per argument, as the game does it.
    for (std::size_t i = 1; i < args.size(); ++i) print_(args[i] + " ");
    print_("\n");
}

void GameConsole::Bind(const std::vector<std::string>& args) {
    if (args.size() < 2) {
        print_("bind <key> [command] : attach a command to a key\n");
        return;
    }
    const auto key = CanonicalKey(args[1]);
    if (!key) {
        print_("\"" + args[1] + "\" isn't a valid key\n");
        return;
    }
    if (args.size() == 2) {
        auto it = binds_.find(*key);
        if (it != binds_.end() && !it->second.empty())
            print_("\"" + args[1] + "\" = \"" + it->second + "\"\n");
        else
            print_("\"" + args[1] + "\" is not bound\n");
        return;
    }
    binds_[*key] = Join(args, 2);
}

bool GameConsole::BindKey(const std::string& key, const std::string& command) {
    const auto canonical = CanonicalKey(key);
    if (!canonical) return false;
    binds_[*canonical] = command;
    return true;
}

void GameConsole::Chat(const std::string& speaker, const std::string& message) {
    print_(speaker + "^7: ^2" + message + "\n");
}

void GameConsole::Enter(const std::string& who) { print_(who + "^7 entered the game\n"); }

void GameConsole::Rename(const std::string& oldName, const std::string& newName) {
    print_(oldName + "^7 renamed to " + newName + "\n");
}

void GameConsole::RenamePlayer(const std::string& newName) {
    const std::string old = PlayerName();
    SetCvar("name", newName);
    Rename(old, newName);
}

void GameConsole::ChangeMap(const std::string& map) {
    map_ = map;
    SetCvar("ui_about_mapname", map);
    SetCvar("mapname", remote_ ? "nomap" : map);
}

void GameConsole::SetRemote(bool remote) {
    remote_ = remote;
    SetCvar("mapname", remote_ || map_.empty() ? "nomap" : map_);
}

}  // namespace zarvik::sim
