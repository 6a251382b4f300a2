// The game console simulator: stands in for the game's console window wherever the game is
// not installed. Without a scenario it waits for a person to type into it; with one it
// plays the scenario and exits 0 when every step held, 1 at the first that did not.
//
//   console-sim [--hidden] [--text-console] [--remote] [--version 1.02|1.04] [--log FILE] [--frame MS] [SCENARIO]
//
// --frame MS: a typed command runs this much later (5 ms); 0 runs it in the frame that takes it.
// --version: the game's version, which decides its colour codes (1.02, the default: a caret and
// any character but a caret; 1.04: a caret and a digit 0 to 7).
// --remote plays on someone else's server: the client's mapname answers "nomap".
// --text-console plays today's community client: no console window, but the text console of
// the program that started it (nothing at all without one), where a byte outside blank..'~'
// shows as '.' and a cvar at its default is said to be "(the default)". Its transcript then
// goes to the log alone, and the log's last line says how the scenario ended.

#include "Scenario.h"
#include "SimWindow.h"
#include "TextConsole.h"
#include "Transcript.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>

using namespace zarvik::sim;

namespace {

int Usage(const char* why) {
    std::fprintf(stderr,
                 "console-sim: %s\nusage: console-sim [--hidden] [--text-console] [--remote] [--version 1.02|1.04]"
                 " [--log FILE] [--frame MS] [SCENARIO]\n",
                 why);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    SimWindow::Options options;
    std::string logPath, scenarioPath;
    bool remote = false, text = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--hidden") {
            options.visible = false;
        } else if (arg == "--text-console") {
            text = true;
        } else if (arg == "--remote") {
            remote = true;
        } else if (arg == "--version" && i + 1 < argc) {
            const std::string version = argv[++i];
            if (version != "1.02" && version != "1.04") return Usage("--version takes 1.02 or 1.04");
            options.version = version == "1.04" ? GameVersion::V104 : GameVersion::V102;
        } else if (arg == "--log" && i + 1 < argc) {
            logPath = argv[++i];
        } else if (arg == "--frame" && i + 1 < argc) {
            options.frameMs = std::atol(argv[++i]);
            if (options.frameMs < 0 || options.frameMs > 1000) return Usage("--frame takes 0 to 1000 ms");
        } else if (!arg.empty() && arg[0] != '-' && scenarioPath.empty()) {
            scenarioPath = arg;
        } else {
            return Usage(("unexpected argument " + arg).c_str());
        }
    }

    std::vector<Step> steps;
    if (!scenarioPath.empty()) {
        std::ifstream in(scenarioPath, std::ios::binary);
        if (!in) return Usage(("cannot read " + scenarioPath).c_str());
        std::stringstream text;
        text << in.rdbuf();
        try {
            steps = ParseScenario(text.str());
        } catch (const ScenarioError& e) {
            std::fprintf(stderr, "console-sim: %s: %s\n", scenarioPath.c_str(), e.what());
            return 2;
        }
    }

    // The text console is the game's own output: the transcript must not land in it.
    std::vector<std::ostream*> outputs;
    if (!text) outputs.push_back(&std::cout);
    std::ofstream logFile;
    if (!logPath.empty()) {
        logFile.open(logPath, std::ios::binary | std::ios::trunc);
        if (!logFile) return Usage(("cannot write " + logPath).c_str());
        outputs.push_back(&logFile);
    }
    const DWORD start = GetTickCount();
    Transcript transcript([start] { return static_cast<long>(GetTickCount() - start); }, outputs);

    int exitCode = 0;
    // Either console plays the scenario the same way, one step a frame.
    const auto play = [&](auto& console) {
        console.OnClosed([&] { PostQuitMessage(exitCode); });
        std::unique_ptr<ScenarioRunner> runner;
        bool finished = false;
        if (!scenarioPath.empty()) {
            runner = std::make_unique<ScenarioRunner>(
                std::move(steps), console,
                [&](const std::string& kind, const std::string& note) { transcript.Note(kind, note); });
            console.OnReceived([&](const std::string& command) { runner->CommandReceived(command, transcript.Now()); });
            console.OnFrame([&] {
                if (finished) return;
                const auto state = runner->Advance(transcript.Now());
                if (state == ScenarioRunner::State::Running) return;
                finished = true;
                exitCode = state == ScenarioRunner::State::Passed ? 0 : 1;
                if (exitCode != 0) std::fprintf(stderr, "console-sim: FAIL %s\n", runner->Failure().c_str());
                if (text) transcript.Note("result", exitCode == 0 ? "passed" : "FAIL " + runner->Failure());
                DestroyWindow(console.window());
            });
        }
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    };
    if (text) {
        TextConsole console({options.frameMs, options.version}, transcript);
        console.Game().SetRemote(remote);
        play(console);
    } else {
        SimWindow window(options, transcript);
        window.Game().SetRemote(remote);
        play(window);
    }
    return exitCode;
}
