#pragma once

// The simulator's log: every line the console shows and every command typed into it, each
// with the milliseconds since the simulator started.

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace zarvik::sim {

class Transcript {
  public:
    using Clock = std::function<long()>;

    Transcript(Clock clock, std::vector<std::ostream*> outputs);

    void Note(const std::string& kind, const std::string& text);
    // Text as it lands in the window: whole lines are logged, a partial one waits for its end.
    void Shown(const std::string& text, bool replacedAll);
    long Now() const { return clock_(); }

  private:
    Clock clock_;
    std::vector<std::ostream*> outputs_;
    std::string partial_;
};

}  // namespace zarvik::sim
