#pragma once

// The editing suite's behaviour apart from its window: the map and key lists, the value box,
// adding, changing and deleting binds, the external editor and the readme. The window shows
// View() after every call and forwards the user's clicks; the boxes it asks go through
// SuiteDialogs, which tests answer.

#include "app/settings/Options.h"
#include "app/store/BindStore.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zarvik {

// The list entry that stands for an empty list, never for a map or key of that name.
inline constexpr char kNoData[] = "(no data)";

enum class StartResult { Started, NotFound, Failed };

class SuiteDialogs {
  public:
    virtual ~SuiteDialogs() = default;
    // The input box: the answer, "" when cancelled.
    virtual std::string Input(const std::string& prompt, const std::string& title, const std::string& answer) = 0;
    // An OK box titled "Zarvik".
    virtual void Tell(const std::string& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool Ask(const std::string& text, const std::string& title) = 0;
    // The editor chosen with the file-open box, starting from `current`; "" when cancelled.
    virtual std::string ChooseEditor(const std::string& current) = 0;
    // Starts a program from a command line without waiting for it.
    virtual StartResult Start(const std::string& commandLine, bool maximized) = 0;
};

struct SuiteView {
    std::vector<std::string> maps;  // List1
    std::vector<std::string> keys;  // List2
    int map = -1, key = -1;         // the selections, -1 for none
    std::string value;              // Text1
    bool valueEnabled = false;      // Text1
    bool changeEnabled = false;     // cmdEdit, the "+" button
};

// The command list's text: LF between lines, none after the last.
std::string CommandListText();

// A path as a command line needs it: quoted when it holds a blank, unless it is quoted already.
std::string QuotedIfBlank(const std::string& path);

class EditingSuite {
  public:
    // `loadSettings` runs the whole settings load (options, power flag, main window's place).
    EditingSuite(std::string programFolder, OptionState& options, SuiteDialogs& dialogs,
                 std::function<void()> loadSettings);

    const SuiteView& View() const { return view_; }

    void Load();  // the window's load step
    void SelectMap(int index);
    void SelectKey(int index);
    void ValueChanged(const std::string& text);
    void Reload();

    void Add();
    void ChangeValue();
    void Delete(int keyCode);  // 46 is the Delete key
    void EditFile();
    void Browse();
    void ShowReadme();
    void ShowCommandList();

  private:
    std::string SelectedMap() const;
    const std::string& ValueAt(int index) const;
    void RefreshAndReselect();
    // Says why the suite will not touch the map's bind file; true when it will not.
    bool Refused(const std::string& map);
    // Runs a change or delete of the equal lines `line`; says so when none was found or it failed.
    void Rewrite(const std::function<int()>& change, const std::string& map, const std::string& line);

    std::string folder_;
    BindStore store_;
    OptionState& options_;
    SuiteDialogs& dialogs_;
    std::function<void()> loadSettings_;
    SuiteView view_;
    // The values of the listed keys, by position. The table has 501 places as the window always
    // had; keys beyond it take their value from the same reading of the file.
    std::vector<std::string> bindValues_ = std::vector<std::string>(501);
    std::vector<std::string> laterValues_;
};

}  // namespace zarvik
