#pragma once

// The bind store: the folder Data beside the program, holding the map index data.txt and one
// bind file <map>.txt per map, each line "Bind " + key + " " + value. Every operation opens
// and closes its file; nothing is cached, so the engine and the editing suite both see what
// the files hold at the moment they look.

#include "app/store/TextFile.h"

#include <optional>
#include <string>
#include <vector>

namespace zarvik {

struct ListedBind {
    std::string key;
    std::string value;
};

class BindStore {
  public:
    // `programFolder` as the system reports it, without a trailing separator.
    explicit BindStore(std::string programFolder);

    std::string DataFolder() const;
    std::string IndexPath() const;
    std::string BindFilePath(const std::string& map) const;

    void EnsureFolder() const;
    void EnsureIndex() const;
    void EnsureBindFile(const std::string& map) const;

    // Every line of data.txt in order, blank lines included.
    std::vector<std::string> ListMaps() const;
    // The maps that have a bind file in Data: the name of every file that ends in ".txt" (in
    // any case) without that ending, the index's own file left out; in no order.
    std::vector<std::string> BindFileMaps() const;
    // Appends the map unless a line equals it exactly (case counts).
    void AppendMap(const std::string& map) const;

    // Every line of the bind file in order, blank lines included; a missing file is created empty.
    std::vector<std::string> ReadBindLines(const std::string& map) const;
    void AppendBind(const std::string& map, const std::string& key, const std::string& value) const;

    // The bind file's non-blank lines, each without its first five characters ("Bind "),
    // cut at the first blank into key and value; at most `limit` of them.
    std::vector<ListedBind> ListBinds(const std::string& map, std::size_t limit = 501) const;

    // Rewrite the whole file in one step: every line equal to "Bind " + key + " " + old
    // becomes the new line, or is removed with its line break. Other lines, their order and
    // their line breaks stay. Returns how many lines matched.
    int ChangeBind(const std::string& map, const std::string& key, const std::string& oldValue,
                   const std::string& newValue) const;
    int DeleteBind(const std::string& map, const std::string& key, const std::string& value) const;

  private:
    std::string folder_;
};

std::string BindLine(const std::string& key, const std::string& value);

// The game's limit on a map's name.
inline constexpr std::size_t kMostMapNameChars = 64;

// Why a map name cannot name a bind file in the Data folder, or nothing when it can: it must
// not be empty or longer than kMostMapNameChars, leave the folder, hold characters Windows
// refuses in file names (or ";", which would split the console commands the name appears in,
// or "~", which short names use), end in a dot or blank, name the map index, or be a reserved
// device name (with or without an extension, blanks before it included).
std::optional<std::string> MapNameProblem(const std::string& map);

// Whether a key can stand in a bind line that the game runs as a command: no blank, double
// quote, semicolon or control character. The empty key passes; callers that need one check.
bool IsSafeKey(const std::string& key);

// The rewrites on a file's text. RemoveLines drops each whole line equal to `line` with its
// own line break (a last line without one takes the break before it along); ReplaceLines
// swaps such lines for `replacement`. A longer line that contains `line` stays.
std::string RemoveLines(const std::string& text, const std::string& line);
std::string ReplaceLines(const std::string& text, const std::string& line, const std::string& replacement);

}  // namespace zarvik
