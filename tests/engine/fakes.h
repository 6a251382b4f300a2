#pragma once

// Fake ports for the engine: a console that records what is typed, a settings store that
// records what is written, and the rest.

#include "app/engine/Engine.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>  // a folder name no other test process picks
#include <stdexcept>
#include <string>
#include <vector>

namespace zarvik::testing {

struct Sent {
    std::string text;
    bool asCommand;
    bool operator==(const Sent&) const = default;
};
using Sends = std::vector<Sent>;
inline Sent Echo(const std::string& text) { return {text, false}; }
inline Sent Command(const std::string& text) { return {text, true}; }

struct FakeConsole : GameConsolePort {
    std::string output;
    Sends sent;
    int reads = 0;
    std::string ReadOutput() override { return ++reads, output; }
    void Submit(const std::string& text, bool asCommand) override {
        sent.push_back({text, asCommand});
        output.clear();
    }
    // The console holding `line` as its last complete line.
    void Shows(const std::string& line) { output = "earlier\r\n" + line + "\r\n"; }
};

struct FakePump : EventPump {
    int runs = 0;
    std::function<void()> during;
    void RunPending() override {
        if (++runs, during) during();
    }
};

struct FakeOptions : OptionState {
    std::map<Option, int> checks = {{Option::Power, 1}, {Option::AutoLoad, 1}, {Option::Date, 1},
                                    {Option::Time, 1},  {Option::GetName, 1},  {Option::TurnOff, 0}};
    std::string editor = "Notepad.exe";
    int Check(Option o) const override { return checks.at(o); }
    bool SetCheck(Option o, int state) override { return state >= 0 && state <= 2 && (checks[o] = state, true); }
    std::string Editor() const override { return editor; }
    void SetEditor(const std::string& e) override { editor = e; }
};

struct FakeName : NameBox {
    std::string text = "Padawan";
    std::string Text() const override { return text; }
    void SetText(const std::string& t) override { text = t; }
};

struct FakeStore : SettingsStore {
    std::map<std::string, std::string> values;
    std::vector<std::string> writes;  // "Key=Value", in order
    std::string Read(const std::string& key) override { return values.count(key) ? values[key] : ""; }
    void Write(const std::string& key, const std::string& value) override {
        values[key] = value;
        writes.push_back(key + "=" + value);
    }
};

struct FakeClock : Clock {
    std::function<std::string()> date = [] { return std::string("06/12/2026"); };
    std::string ShortDate() override { return date(); }
    std::string TimeOfDay() override { return "21:30:07"; }
};

struct FakeErrors : ErrorReport {
    std::vector<std::string> lines;
    bool throws = false;
    bool Append(const std::string& line) override {
        if (throws) throw std::runtime_error("disk gone");
        return lines.push_back(line), true;
    }
};

// A file's bytes, empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A program folder of its own under the system's temporary folder, removed afterwards.
class TempFolder {
  public:
    TempFolder() { std::filesystem::create_directories(path_); }
    ~TempFolder() { std::filesystem::remove_all(path_, ignored_); }
    const std::string& path() const { return path_; }

  private:
    std::string path_ =
        (std::filesystem::temp_directory_path() / "zarvik-test-").string() + std::to_string(std::random_device{}());
    std::error_code ignored_;
};

// An engine wired to fakes and a real bind store in a folder of its own (with its Data
// folder), power on, name box "Padawan".
struct Rig {
    TempFolder folder;
    BindStore binds{folder.path()};
    FakeConsole console;
    FakePump pump;
    FakeOptions options;
    FakeName name;
    FakeStore store;
    FakeClock clock;
    FakeErrors errors;
    Engine engine{{console, pump, options, name, store, clock, errors, binds}};

    Rig() {
        engine.State().TurnedOn = true;
        binds.EnsureFolder();
    }
    Sends TickOn(const std::string& line) {
        console.Shows(line);
        console.sent.clear();
        engine.Tick();
        return console.sent;
    }
};

}  // namespace zarvik::testing
