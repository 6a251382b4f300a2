#include "Scenario.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <regex>

namespace zarvik::sim {
namespace {

// Takes one word off the front of `rest`: a double-quoted text or a run of non-blanks.
std::string TakeWord(std::string& rest) {
    std::size_t i = rest.find_first_not_of(' ');
    if (i == std::string::npos) {
        rest.clear();
        return {};
    }
    std::string word;
    if (rest[i] == '"') {
        const std::size_t close = rest.find('"', i + 1);
        word = rest.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
        i = close == std::string::npos ? rest.size() : close + 1;
    } else {
        const std::size_t end = std::min(rest.find(' ', i), rest.size());
        word = rest.substr(i, end - i);
        i = end;
    }
    // One blank separates a word from what follows; further blanks belong to the text.
    if (i < rest.size() && rest[i] == ' ') ++i;
    rest.erase(0, i);
    return word;
}

bool ParseMs(const std::string& text, long& out) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return false;
    out = std::atol(text.c_str());
    return true;
}

struct Verb {
    Step::Kind kind;
    enum Shape { Text, OptionalWord, Word, WordText, TwoWords, Timing, WordOptionalText } shape;
    bool textRequired;
};

const std::map<std::string, Verb>& Verbs() {
    using K = Step::Kind;
    static const std::map<std::string, Verb> verbs = {
        {"print", {K::Print, Verb::Text, false}},
        {"chat", {K::Chat, Verb::Text, true}},
        {"chat-from", {K::ChatFrom, Verb::WordText, true}},
        {"enter", {K::Enter, Verb::OptionalWord, false}},
        {"rename", {K::Rename, Verb::Word, true}},
        {"rename-from", {K::RenameFrom, Verb::TwoWords, true}},
        {"map", {K::Map, Verb::Word, true}},
        {"remote", {K::Remote, Verb::Word, true}},
        {"bind", {K::Bind, Verb::WordText, true}},
        {"type", {K::Type, Verb::Text, true}},
        {"wait", {K::Wait, Verb::Timing, false}},
        {"stall", {K::Stall, Verb::Timing, false}},
        {"stall-on-input", {K::StallOnInput, Verb::Timing, false}},
        {"expect", {K::Expect, Verb::Timing, true}},
        {"expect-match", {K::ExpectMatch, Verb::Timing, true}},
        {"expect-none", {K::ExpectNone, Verb::Timing, false}},
        {"folder", {K::Folder, Verb::Text, true}},
        {"exists", {K::Exists, Verb::Word, true}},
        {"missing", {K::Missing, Verb::Word, true}},
        {"contains", {K::Contains, Verb::WordText, true}},
        {"lacks", {K::Lacks, Verb::WordText, true}},
        {"ini", {K::Ini, Verb::WordOptionalText, true}},
    };
    return verbs;
}

Step ParseStep(const std::string& source, int line) {
    std::string rest = source;
    const std::string verbName = TakeWord(rest);
    const auto found = Verbs().find(verbName);
    if (found == Verbs().end()) throw ScenarioError(line, "unknown step \"" + verbName + "\"");
    const Verb& verb = found->second;

    Step step{verb.kind, line, source, {}, {}, 0, 0};
    switch (verb.shape) {
        case Verb::Text:
            step.a = rest;
            if (verb.textRequired && step.a.empty()) throw ScenarioError(line, verbName + " needs a text");
            return step;
        case Verb::OptionalWord: step.a = TakeWord(rest); break;
        case Verb::Word:
            step.a = TakeWord(rest);
            if (step.a.empty()) throw ScenarioError(line, verbName + " needs a word");
            break;
        case Verb::TwoWords:
            step.a = TakeWord(rest);
            step.b = TakeWord(rest);
            if (step.a.empty() || step.b.empty()) throw ScenarioError(line, verbName + " needs two words");
            break;
        case Verb::WordText:
        case Verb::WordOptionalText:
            step.a = TakeWord(rest);
            step.b = rest;
            if (step.a.empty() || (verb.shape == Verb::WordText && step.b.empty()))
                throw ScenarioError(line, verbName + " needs a word and a text");
            return step;
        case Verb::Timing: {
            const std::string timing = TakeWord(rest);
            const std::size_t dash = timing.find('-');
            bool ok = dash == std::string::npos
                          ? ParseMs(timing, step.maxMs)
                          : ParseMs(timing.substr(0, dash), step.minMs) && ParseMs(timing.substr(dash + 1), step.maxMs);
            if (!ok || step.minMs > step.maxMs)
                throw ScenarioError(line, verbName + " needs a time in ms, or MIN-MAX, first");
            step.a = rest;
            if (verb.textRequired && step.a.empty())
                throw ScenarioError(line, verbName + " needs a text after the time");
            if (verb.kind == Step::Kind::ExpectMatch) {
                try {
                    std::regex check(step.a);
                } catch (const std::regex_error&) {
                    throw ScenarioError(line, "not a valid pattern: " + step.a);
                }
            }
            return step;
        }
    }
    if (!rest.empty()) throw ScenarioError(line, verbName + ": unexpected \"" + rest + "\"");
    if (verb.kind == Step::Kind::Remote && step.a != "on" && step.a != "off")
        throw ScenarioError(line, "remote takes on or off");
    return step;
}

}  // namespace

std::vector<Step> ParseScenario(const std::string& text) {
    std::vector<Step> steps;
    int line = 0;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string source = text.substr(start, end - start);
        start = end + 1;
        ++line;
        if (!source.empty() && source.back() == '\r') source.pop_back();
        const std::size_t first = source.find_first_not_of(" \t");
        if (first == std::string::npos || source[first] == '#') continue;
        steps.push_back(ParseStep(source.substr(first), line));
    }
    return steps;
}

ScenarioRunner::ScenarioRunner(std::vector<Step> steps, World& world, Note note)
    : steps_(std::move(steps)), world_(world), note_(std::move(note)) {}

void ScenarioRunner::CommandReceived(const std::string& command, long nowMs) { received_.push_back({command, nowMs}); }

ScenarioRunner::State ScenarioRunner::Advance(long nowMs) {
    while (state_ == State::Running) {
        if (next_ >= steps_.size()) {
            state_ = State::Passed;
            note_("pass", std::to_string(steps_.size()) + " steps held");
            break;
        }
        const Step& step = steps_[next_];
        if (!started_) {
            started_ = true;
            // A step starts when the one before it ended: for an expect, when its command came.
            stepStart_ = std::min(nowMs, lastEnd_.value_or(nowMs));
            lastEnd_.reset();
            note_("step", std::to_string(step.line) + ": " + step.source);
        }
        const Outcome outcome = Perform(step, nowMs);
        if (outcome == Outcome::Waiting) break;
        if (outcome == Outcome::Failed) {
            state_ = State::Failed;
            break;
        }
        ++next_;
        started_ = false;
    }
    return state_;
}

ScenarioRunner::Outcome ScenarioRunner::Fail(const Step& step, const std::string& why) {
    failure_ = "line " + std::to_string(step.line) + " (" + step.source + "): " + why;
    note_("fail", failure_);
    return Outcome::Failed;
}

std::string ScenarioRunner::PathOf(const std::string& file) const {
    const bool absolute = (!file.empty() && (file[0] == '/' || file[0] == '\\')) || (file.size() > 1 && file[1] == ':');
    if (absolute || folder_.empty()) return file;
    const char last = folder_.back();
    return folder_ + (last == '/' || last == '\\' ? "" : "\\") + file;
}

ScenarioRunner::Outcome ScenarioRunner::Perform(const Step& step, long nowMs) {
    using K = Step::Kind;
    GameConsole& game = world_.Game();
    switch (step.kind) {
        case K::Print: game.PrintLine(step.a); break;
        case K::Chat: game.Chat(game.PlayerName(), step.a); break;
        case K::ChatFrom: game.Chat(step.a, step.b); break;
        case K::Enter: game.Enter(step.a.empty() ? game.PlayerName() : step.a); break;
        case K::Rename: game.RenamePlayer(step.a); break;
        case K::RenameFrom: game.Rename(step.a, step.b); break;
        case K::Map: game.ChangeMap(step.a); break;
        case K::Remote: game.SetRemote(step.a == "on"); break;
        case K::Bind:
            if (!game.BindKey(step.a, step.b)) return Fail(step, "\"" + step.a + "\" is not a key of the game");
            break;
        case K::Type: world_.TypeAsPlayer(step.a); break;
        case K::Stall:
        case K::StallOnInput: world_.StopReading(step.maxMs, step.kind == K::StallOnInput); break;
        case K::Wait: return nowMs - stepStart_ >= step.maxMs ? Outcome::Done : Outcome::Waiting;
        case K::Expect:
        case K::ExpectMatch: return Expect(step, nowMs);
        case K::ExpectNone:
            if (!received_.empty())
                return Fail(step, "\"" + received_.front().command + "\" was typed " +
                                      std::to_string(received_.front().at - stepStart_) + " ms in");
            return nowMs - stepStart_ >= step.maxMs ? Outcome::Done : Outcome::Waiting;
        case K::Folder: folder_ = step.a; break;
        case K::Exists:
        case K::Missing: {
            const bool present = world_.ReadLines(PathOf(step.a)).has_value();
            if (present != (step.kind == K::Exists))
                return Fail(step, PathOf(step.a) + (present ? " exists" : " does not exist"));
            break;
        }
        case K::Contains:
        case K::Lacks: {
            const auto lines = world_.ReadLines(PathOf(step.a));
            if (!lines) return Fail(step, PathOf(step.a) + " does not exist");
            bool found = false;
            for (const auto& l : *lines) found = found || l == step.b;
            if (found != (step.kind == K::Contains))
                return Fail(step, PathOf(step.a) + (found ? " has" : " has no") + " line \"" + step.b + "\"");
            break;
        }
        case K::Ini: {
            const std::string value = world_.IniValue(PathOf("info.ini"), step.a);
            if (value != step.b) return Fail(step, step.a + " is \"" + value + "\", not \"" + step.b + "\"");
            break;
        }
    }
    return Outcome::Done;
}

ScenarioRunner::Outcome ScenarioRunner::Expect(const Step& step, long nowMs) {
    if (received_.empty()) {
        if (nowMs - stepStart_ > step.maxMs)
            return Fail(step, "nothing was typed within " + std::to_string(step.maxMs) + " ms");
        return Outcome::Waiting;
    }
    const Received got = received_.front();
    received_.pop_front();
    const bool matches =
        step.kind == Step::Kind::Expect ? got.command == step.a : std::regex_match(got.command, std::regex(step.a));
    if (!matches) return Fail(step, "\"" + got.command + "\" was typed");
    const long after = got.at - stepStart_;
    // With no lower bound, a command that came while an earlier step (a wait) ran is fine.
    if ((step.minMs > 0 && after < step.minMs) || after > step.maxMs)
        return Fail(step, "it was typed " + std::to_string(after) + " ms in, not within " + std::to_string(step.minMs) +
                              "-" + std::to_string(step.maxMs) + " ms");
    lastEnd_ = got.at;
    return Outcome::Done;
}

}  // namespace zarvik::sim
