#pragma once

// The editing suite's boxes answered by a script, every box recorded.

#include "app/window-rules/EditingSuite.h"

#include <deque>
#include <string>
#include <vector>

namespace zarvik {

struct ScriptedDialogs : SuiteDialogs {
    std::deque<std::string> answers;  // input boxes, in order
    std::deque<bool> yes;             // questions
    std::deque<StartResult> starts;   // Started once they run out
    std::string chosenEditor;
    std::vector<std::string> shown;  // every box, as "title|prompt|default" or the message
    std::vector<std::string> started;

    std::string Input(const std::string& prompt, const std::string& title, const std::string& answer) override {
        shown.push_back(title + "|" + prompt + "|" + answer);
        return Next(answers, std::string());
    }
    void Tell(const std::string& text) override { shown.push_back(text); }
    bool Ask(const std::string& text, const std::string& title) override {
        shown.push_back(title + "?" + text);
        return Next(yes, false);
    }
    std::string ChooseEditor(const std::string&) override { return chosenEditor; }
    StartResult Start(const std::string& commandLine, bool maximized) override {
        started.push_back(commandLine + (maximized ? " [max]" : ""));
        return Next(starts, StartResult::Started);
    }

    template <typename T>
    static T Next(std::deque<T>& queue, T otherwise) {
        if (!queue.empty()) otherwise = queue.front(), queue.pop_front();
        return otherwise;
    }
};

}  // namespace zarvik
