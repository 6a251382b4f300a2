#include "Transcript.h"

#include <cstdio>

namespace zarvik::sim {

Transcript::Transcript(Clock clock, std::vector<std::ostream*> outputs)
    : clock_(std::move(clock)), outputs_(std::move(outputs)) {}

void Transcript::Note(const std::string& kind, const std::string& text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%8ld ms  %-6s ", clock_(), kind.c_str());
    for (std::ostream* out : outputs_) *out << stamp << text << std::endl;
}

void Transcript::Shown(const std::string& text, bool replacedAll) {
    if (replacedAll) {
        Note("reset", "the buffer passed 0x7fff characters and is replaced");
        partial_.clear();
    }
    partial_ += text;
    std::size_t end;
    while ((end = partial_.find("\r\n")) != std::string::npos) {
        Note("print", partial_.substr(0, end));
        partial_.erase(0, end + 2);
    }
}

}  // namespace zarvik::sim
