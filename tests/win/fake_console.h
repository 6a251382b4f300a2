#pragma once

// A console window shaped like the game's, made inside the test process: input line,
// three buttons, output buffer, in that order. Enter records the typed line, prints "]"
// and the line at once and runs it later, from a posted message, as the game does.

#include <windows.h>

#include <string>
#include <vector>

class FakeConsole {
public:
    enum class Fields { Both, OutputOnly };

    explicit FakeConsole(Fields fields = Fields::Both);
    ~FakeConsole();
    FakeConsole(const FakeConsole&) = delete;
    FakeConsole& operator=(const FakeConsole&) = delete;

    HWND window() const { return window_; }
    HWND input() const { return input_; }
    HWND output() const { return output_; }

    std::string OutputText() const;
    void Print(const std::string& line);

    // A game whose frame comes before the sender's next message: a line typed is run inside the
    // keystroke, its answer printed before Enter returns.
    void RunTypedLinesAtOnce() { atOnce_ = true; }

    // Every line submitted with Enter, as the input line held it.
    const std::vector<std::string>& received() const { return received_; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK InputProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void Execute();

    HWND window_ = nullptr;
    HWND input_ = nullptr;
    HWND output_ = nullptr;
    WNDPROC editProc_ = nullptr;
    std::vector<std::string> received_;
    std::vector<std::string> queued_;
    bool atOnce_ = false;
};
