#include "app/store/BindStore.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace zarvik {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';  // the native build, for tests and tools
#endif

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

int CountEqual(const std::vector<TextLine>& lines, const std::string& line) {
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const TextLine& l) { return l.text == line; }));
}

}  // namespace

std::string BindLine(const std::string& key, const std::string& value) { return "Bind " + key + " " + value; }

BindStore::BindStore(std::string programFolder) : folder_(std::move(programFolder)) {}

std::string BindStore::DataFolder() const { return folder_ + kSeparator + "Data"; }
std::string BindStore::IndexPath() const { return DataFolder() + kSeparator + "data.txt"; }
std::string BindStore::BindFilePath(const std::string& map) const { return DataFolder() + kSeparator + map + ".txt"; }

void BindStore::EnsureFolder() const {
    if (!textfile::FolderExists(DataFolder())) textfile::CreateFolder(DataFolder());
}

void BindStore::EnsureIndex() const { textfile::CreateEmptyIfMissing(IndexPath()); }

void BindStore::EnsureBindFile(const std::string& map) const { textfile::CreateEmptyIfMissing(BindFilePath(map)); }

std::vector<std::string> BindStore::ListMaps() const {
    std::vector<std::string> maps;
    for (const auto& line : SplitTextLines(textfile::ReadWhole(IndexPath()))) maps.push_back(line.text);
    return maps;
}

std::vector<std::string> BindStore::BindFileMaps() const {
    std::vector<std::string> maps;
    for (const std::string& file : textfile::FileNames(DataFolder())) {
        const std::string upper = Upper(file);
        if (upper.size() >= 4 && upper.compare(upper.size() - 4, 4, ".TXT") == 0 && upper != "DATA.TXT")
            maps.push_back(file.substr(0, file.size() - 4));
    }
    return maps;
}

void BindStore::AppendMap(const std::string& map) const {
    EnsureIndex();
    const auto maps = ListMaps();
    if (std::find(maps.begin(), maps.end(), map) == maps.end()) textfile::AppendLine(IndexPath(), map);
}

std::vector<std::string> BindStore::ReadBindLines(const std::string& map) const {
    EnsureBindFile(map);
    std::vector<std::string> lines;
    for (const auto& line : SplitTextLines(textfile::ReadWhole(BindFilePath(map)))) lines.push_back(line.text);
    return lines;
}

void BindStore::AppendBind(const std::string& map, const std::string& key, const std::string& value) const {
    textfile::AppendLine(BindFilePath(map), BindLine(key, value));
}

std::vector<ListedBind> BindStore::ListBinds(const std::string& map, std::size_t limit) const {
    std::vector<ListedBind> binds;
    for (const std::string& line : ReadBindLines(map)) {
        if (line.empty() || binds.size() >= limit) continue;
        const std::string rest = line.size() > 5 ? line.substr(5) : "";
        const std::size_t blank = rest.find(' ');
        if (blank == std::string::npos)
            binds.push_back({rest, ""});
        else
            binds.push_back({rest.substr(0, blank), rest.substr(blank + 1)});
    }
    return binds;
}

int BindStore::ChangeBind(const std::string& map, const std::string& key, const std::string& oldValue,
                          const std::string& newValue) const {
    const std::string path = BindFilePath(map);
    const std::string text = textfile::ReadWhole(path);
    const int matched = CountEqual(SplitTextLines(text), BindLine(key, oldValue));
    if (matched > 0) textfile::ReplaceWhole(path, ReplaceLines(text, BindLine(key, oldValue), BindLine(key, newValue)));
    return matched;
}

int BindStore::DeleteBind(const std::string& map, const std::string& key, const std::string& value) const {
    const std::string path = BindFilePath(map);
    const std::string text = textfile::ReadWhole(path);
    const int matched = CountEqual(SplitTextLines(text), BindLine(key, value));
    if (matched > 0) textfile::ReplaceWhole(path, RemoveLines(text, BindLine(key, value)));
    return matched;
}

std::string RemoveLines(const std::string& text, const std::string& line) {
    std::vector<TextLine> kept;
    for (const TextLine& l : SplitTextLines(text)) {
        if (l.text != line) {
            kept.push_back(l);
        } else if (l.end.empty() && !kept.empty()) {
            kept.back().end.clear();  // a last line without a break takes the one before it
        }
    }
    return JoinTextLines(kept);
}

std::string ReplaceLines(const std::string& text, const std::string& line, const std::string& replacement) {
    auto lines = SplitTextLines(text);
    for (TextLine& l : lines)
        if (l.text == line) l.text = replacement;
    return JoinTextLines(lines);
}

std::optional<std::string> MapNameProblem(const std::string& map) {
    if (map.empty()) return "the map name is empty";
    // The game's own limit, and a bound on the paths and console lines the name goes into.
    if (map.size() > kMostMapNameChars) return "the map name is longer than 64 characters";
    if (map == "." || map == "..") return "the map name would leave the Data folder";
    for (unsigned char c : map) {
        if (c < 32) return "the map name holds a control character";
        // "~" makes short names such as ffa_be~1, which Windows takes for another map's file.
        if (std::string_view("<>:\"/\\|?*;~").find(static_cast<char>(c)) != std::string_view::npos)
            return std::string("the map name holds the character ") + static_cast<char>(c);
    }
    if (map.back() == '.' || map.back() == ' ') return "the map name ends in a dot or a blank";
    if (Upper(map) == "DATA") return "the map name is that of the map index";
    // Windows ignores blanks before the extension when it looks for a device name.
    std::string base = Upper(map.substr(0, map.find('.')));
    base.erase(base.find_last_not_of(' ') + 1);
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* device : kDevices)
        if (base == device) return "the map name is a device name of Windows";
    // COM1 to COM9 and LPT1 to LPT9, and their superscript 1, 2 and 3 in the ANSI code page.
    const bool port = base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0);
    if (port && std::string_view("123456789\xB9\xB2\xB3").find(base[3]) != std::string_view::npos)
        return "the map name is a device name of Windows";
    return std::nullopt;
}

bool IsSafeKey(const std::string& key) {
    return std::none_of(key.begin(), key.end(),
                        [](unsigned char c) { return c <= ' ' || c == '"' || c == ';' || c == 127; });
}

}  // namespace zarvik
