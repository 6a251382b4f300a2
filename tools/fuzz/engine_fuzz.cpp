// Feeds arbitrary console texts through the real engine, one tick each, with fake ports and a
// real Data folder: pieces of the input separated by the byte 0x1E are the console's whole text
// at successive ticks. After every tick: nothing made or changed outside the Data folder; at the
// end, the engine still answers a power-on line in the name it now has.
#include "tests/engine/fakes.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace zarvik;

namespace {

// The folder above the program's, and the program's: each must hold only what we put there.
void CheckNothingEscaped(const fs::path& root, const fs::path& program) {
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.path() != program) {
            std::fprintf(stderr, "a file appeared beside the program's folder: %s\n", entry.path().c_str());
            std::abort();
        }
    for (const auto& entry : fs::directory_iterator(program))
        if (entry.path().filename() != "Data") {
            std::fprintf(stderr, "a file appeared in the program's folder: %s\n", entry.path().c_str());
            std::abort();
        }
    for (const auto& entry : fs::directory_iterator(program / "Data"))
        if (!entry.is_regular_file()) {
            std::fprintf(stderr, "something not a file in Data: %s\n", entry.path().c_str());
            std::abort();
        }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path root = fs::temp_directory_path() / ("zarvik-fuzz-" + std::to_string(::getpid()));
    const fs::path program = root / "prog";
    fs::remove_all(root);
    fs::create_directories(program);

    testing::FakeConsole console;
    testing::FakePump pump;
    testing::FakeOptions options;
    testing::FakeName name;
    testing::FakeStore store;
    testing::FakeClock clock;
    testing::FakeErrors errors;
    BindStore binds(program.string());
    binds.EnsureFolder();
    Engine engine({console, pump, options, name, store, clock, errors, binds});
    engine.State().TurnedOn = true;

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    int ticks = 0;
    while (start <= input.size() && ticks < 64) {
        std::size_t end = input.find('\x1e', start);
        if (end == std::string::npos) end = input.size();
        console.output = input.substr(start, end - start);
        engine.Tick();
        CheckNothingEscaped(root, program);
        start = end + 1;
        ++ticks;
    }

    // Never stuck: whatever came before, the player's "!on" is answered. A name with a line
    // break in it cannot stand at the start of one line, so there is nothing to ask then.
    if (name.text.find_first_of("\r\n") == std::string::npos) {
        console.sent.clear();
        console.output = "x\r\n" + name.text + ": !on\r\n";
        engine.Tick();
        if (console.sent.empty() || console.sent.front().text != "^7Zarvik is now ^2on") {
            std::fprintf(stderr, "the engine no longer answers !on for the name [%s]\n", name.text.c_str());
            std::abort();
        }
    }
    fs::remove_all(root);
    return 0;
}
