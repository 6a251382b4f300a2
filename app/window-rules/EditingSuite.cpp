#include "app/window-rules/EditingSuite.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace zarvik {
namespace {

constexpr char kBlankMap[] = "Map Name was blank";
constexpr char kSpaceInMap[] = "Map's Name is not allowed to contain any spaces";
constexpr char kBlankKey[] = "Bind Key was blank.";
constexpr char kSpaceInKey[] = "Bind Key is not allowed to contain any spaces";
constexpr char kUnsafeKey[] = "Bind Key is not allowed to contain double quotes, semicolons or control characters";
constexpr char kBlankValue[] = "Bind Value is blank";
constexpr char kMissingEditor[] =
    "The editor you have selected does not exists, has been moved, or renamed.  Would you like to select a "
    "different one now?";

bool HasBlank(const std::string& text) { return text.find(' ') != std::string::npos; }

// Why Add would refuse the map name, or nothing.
std::optional<std::string> MapProblem(const std::string& map) {
    if (HasBlank(map)) return "the map name holds a blank";
    return MapNameProblem(map);
}

// Whether two map names name one bind file, as they do on Windows.
bool SameFile(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::toupper(x) == std::toupper(y); });
}

// Whether the map's bind file holds a line that is not blank; one that cannot be read holds none.
bool HoldsBinds(const BindStore& store, const std::string& map) {
    try {
        const std::vector<std::string> lines = store.ReadBindLines(map);
        return std::any_of(lines.begin(), lines.end(),
                           [](const std::string& line) { return line.find_first_not_of(" \t") != std::string::npos; });
    } catch (const StoreError&) {
        return false;
    }
}

}  // namespace

std::string CommandListText() {
    return "!time - Tells you the time\n"
           "!date - Tells you the date\n"
           "!about - Displays an about message\n"
           "!name - Tells you your name.  Use this command as a test, to see if Zarvik is responding\n"
           "!mapname - Displays the mapname\n"
           "!add (BindKey) - Saves the value of the bind  eg. !add F5 might save force_push\n"
           "!load - Loads the values for the current map\n"
           "!loadnow - This command is used in conjunction with !load.  Do not use this command to load "
           "binds\n"
           "!off - Turns Zarvik off\n"
           "!on - Turns Zarvik on\n"
           "\n"
           "When typed into the console (Shift + ~):\n"
           "\tname - Updates your Zarvik name, with your JK2 one";
}

std::string QuotedIfBlank(const std::string& path) {
    if (!HasBlank(path) || (path.size() >= 2 && path.front() == '"' && path.back() == '"')) return path;
    return "\"" + path + "\"";
}

EditingSuite::EditingSuite(std::string programFolder, OptionState& options, SuiteDialogs& dialogs,
                           std::function<void()> loadSettings)
    : folder_(std::move(programFolder)),
      store_(folder_),
      options_(options),
      dialogs_(dialogs),
      loadSettings_(std::move(loadSettings)) {}

const std::string& EditingSuite::ValueAt(int index) const {
    const std::size_t at = static_cast<std::size_t>(index);
    return at < bindValues_.size() ? bindValues_[at] : laterValues_.at(at - bindValues_.size());
}

std::string EditingSuite::SelectedMap() const {
    return view_.map >= 0 && view_.map < static_cast<int>(view_.maps.size()) ? view_.maps[view_.map] : "";
}

void EditingSuite::Load() {
    if (view_.key < 0) {
        view_.changeEnabled = false;
        view_.value.clear();
    }
    if (loadSettings_) loadSettings_();
    std::vector<std::string> maps;
    std::optional<StoreError> failed;
    try {
        store_.EnsureFolder();
        store_.EnsureIndex();
        maps = store_.ListMaps();
    } catch (const StoreError& e) {
        failed = e;
    }
    // Binds captured in the game make a bind file but no line in the index: list such maps as
    // Add would, in the order of their names. Auto-load leaves an empty file for every map
    // joined; those hold nothing and stay out.
    std::vector<std::string> found = store_.BindFileMaps();
    std::sort(found.begin(), found.end());
    bool unlisted = false;  // shown, but not in the index
    for (const std::string& map : found) {
        const auto same = [&](const std::string& line) { return SameFile(line, map); };
        if (MapProblem(map) || std::any_of(maps.begin(), maps.end(), same) || !HoldsBinds(store_, map)) continue;
        try {
            if (!failed) store_.AppendMap(map);
        } catch (const StoreError& e) {
            failed = e;
        }
        unlisted = unlisted || failed;
        maps.push_back(map);
    }
    // Once per load, however many maps the index did not take.
    if (failed) {
        const std::string index = store_.IndexPath();
        dialogs_.Tell("Zarvik could not update its list of maps: " +
                      (textfile::IsReadOnly(index) ? index + " is marked read-only" : std::string(failed->what())) +
                      "." + (unlisted ? "\nThe maps with binds in the Data folder are listed all the same." : ""));
    }
    if (maps.empty()) maps.push_back(kNoData);
    view_.maps.insert(view_.maps.end(), maps.begin(), maps.end());
}

void EditingSuite::SelectMap(int index) {
    view_.map = index >= 0 && index < static_cast<int>(view_.maps.size()) ? index : -1;
    view_.key = -1;
    view_.value.clear();
    view_.valueEnabled = view_.changeEnabled = false;
    view_.keys.clear();
    laterValues_.clear();
    const std::string map = SelectedMap();
    if (view_.map < 0 || map == kNoData || Refused(map)) return;
    try {
        if (store_.ReadBindLines(map).empty()) view_.keys.push_back(kNoData);
        std::size_t i = 0;
        for (const ListedBind& bind : store_.ListBinds(map, std::numeric_limits<std::size_t>::max())) {
            view_.keys.push_back(bind.key);
            (i < bindValues_.size() ? bindValues_[i] : laterValues_.emplace_back()) = bind.value;
            ++i;
        }
    } catch (const StoreError&) {
        // A file that cannot be read lists what was read before the failure.
    }
}

void EditingSuite::SelectKey(int index) {
    const bool bind = index >= 0 && index < static_cast<int>(view_.keys.size()) && view_.keys[index] != kNoData;
    view_.key = index >= 0 && index < static_cast<int>(view_.keys.size()) ? index : -1;
    view_.value = SelectedMap();
    view_.valueEnabled = view_.changeEnabled = bind;
    if (!bind) return;
    view_.value = ValueAt(index);
}

void EditingSuite::ValueChanged(const std::string& text) {
    view_.value = text;
    if (text.empty()) view_.changeEnabled = false;
}

void EditingSuite::Reload() {
    view_.maps.clear();
    view_.keys.clear();
    view_.map = view_.key = -1;
    Load();
}

void EditingSuite::RefreshAndReselect() {
    const int map = view_.map;
    Reload();
    if (map >= 0 && map < static_cast<int>(view_.maps.size())) SelectMap(map);
}

void EditingSuite::Add() {
    std::string map;
    for (;;) {
        const bool listed = view_.map >= 0 && SelectedMap() != kNoData;
        map = dialogs_.Input("Enter the map:", "Add Bind", listed ? SelectedMap() : "New Map Name");
        if (map.empty()) return dialogs_.Tell(kBlankMap);
        if (HasBlank(map)) {
            dialogs_.Tell(kSpaceInMap);
        } else if (const auto problem = MapNameProblem(map)) {
            dialogs_.Tell("That map name cannot be used: " + *problem + ".");
        } else {
            break;
        }
    }
    try {
        store_.EnsureFolder();
        store_.EnsureIndex();
        store_.EnsureBindFile(map);
        store_.AppendMap(map);
    } catch (const StoreError& e) {
        return dialogs_.Tell("The map could not be added: " + std::string(e.what()));
    }

    std::string key;
    for (;;) {
        key = dialogs_.Input("Enter the key to bind to:", "Add Bind: " + map, "");
        if (key.empty()) {
            dialogs_.Tell(kBlankKey);
            return Reload();
        }
        if (HasBlank(key)) {
            dialogs_.Tell(kSpaceInKey);
        } else if (!IsSafeKey(key)) {
            dialogs_.Tell(kUnsafeKey);
        } else {
            break;
        }
    }
    const std::string value = dialogs_.Input("Enter the value of the bind:", "Add Bind: " + key, "");
    if (value.empty()) {
        dialogs_.Tell(kBlankValue);
        return Reload();
    }
    try {
        store_.AppendBind(map, key, value);
        dialogs_.Tell("Bind Added!");
    } catch (const StoreError& e) {
        dialogs_.Tell("The bind could not be added: " + std::string(e.what()));
    }
    Reload();
}

bool EditingSuite::Refused(const std::string& map) {
    const auto problem = MapProblem(map);
    // A hand-edited index may name any path; the file is neither made, read nor written.
    if (problem) dialogs_.Tell("Zarvik will not open the binds of map \"" + map + "\": " + *problem + ".");
    return problem.has_value();
}

void EditingSuite::Rewrite(const std::function<int()>& change, const std::string& map, const std::string& line) {
    const std::string path = store_.BindFilePath(map);
    try {
        if (change() == 0)
            dialogs_.Tell("No line \"" + line + "\" was found in " + path +
                          ": the file was changed since it was listed, or writes the bind another way. "
                          "Nothing was changed.");
    } catch (const StoreError& e) {
        // The safe rewrite left the file as it was; say so rather than pretend it changed.
        dialogs_.Tell("Zarvik could not change " + path + ": " + e.what());
    }
}

void EditingSuite::ChangeValue() {
    if (view_.value.empty() || view_.map < 0 || view_.key < 0) return;
    const std::string map = SelectedMap(), key = view_.keys[view_.key], newValue = view_.value;
    const std::string old = ValueAt(view_.key);
    Rewrite([&] { return store_.ChangeBind(map, key, old, newValue); }, map, BindLine(key, old));
    RefreshAndReselect();
}

void EditingSuite::Delete(int keyCode) {
    if (keyCode != 46 || view_.map < 0 || view_.key < 0) return;
    const std::string map = SelectedMap(), key = view_.keys[view_.key];
    if (map == kNoData || key == kNoData) return;
    const std::string value = ValueAt(view_.key);
    if (!dialogs_.Ask("Are you sure you want to delete this bind for map " + map + "?\n" + key + ": " + value,
                      "Delete Bind?"))
        return;
    // Equal lines only, even for the only bind listed: the engine may have appended since.
    Rewrite([&] { return store_.DeleteBind(map, key, value); }, map, BindLine(key, value));
    RefreshAndReselect();
}

void EditingSuite::EditFile() {
    if (view_.map < 0 || SelectedMap() == kNoData) return dialogs_.Tell("Select a map first.");
    if (Refused(SelectedMap())) return;
    const std::string file = store_.BindFilePath(SelectedMap());
    for (;;) {
        const std::string editor = options_.Editor();
        // An empty box names no editor, as good as one that is gone.
        const StartResult result = editor.find_first_not_of(' ') == std::string::npos
                                       ? StartResult::NotFound
                                       : dialogs_.Start(QuotedIfBlank(editor) + " " + QuotedIfBlank(file), false);
        if (result == StartResult::Started) return;
        if (result == StartResult::Failed) return dialogs_.Tell("The editor " + editor + " could not be started.");
        if (!dialogs_.Ask(kMissingEditor, "Zarvik")) return;
        Browse();
    }
}

void EditingSuite::Browse() {
    const std::string chosen = dialogs_.ChooseEditor(options_.Editor());
    if (!chosen.empty()) options_.SetEditor(chosen);
}

void EditingSuite::ShowReadme() { dialogs_.Start("explorer " + QuotedIfBlank(folder_ + "\\Readme.txt"), true); }

void EditingSuite::ShowCommandList() { dialogs_.Tell(CommandListText()); }

}  // namespace zarvik
