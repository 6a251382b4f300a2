#include "ConsoleBuffer.h"

namespace zarvik::sim {
namespace {

constexpr std::size_t kBufferSize = 16384;
constexpr unsigned long kResetAfter = 0x7fff;

bool IsColourCode(const std::string& s, std::size_t i, GameVersion version) {
    if (s[i] != '^' || i + 1 >= s.size()) return false;
    return version == GameVersion::V104 ? s[i + 1] >= '0' && s[i + 1] <= '7' : s[i + 1] != '^';
}

}  // namespace

std::string StripColours(const std::string& text, GameVersion version) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (IsColourCode(text, i, version))
            ++i;
        else
            out += text[i];
    }
    return out;
}

ConsoleBuffer::Append ConsoleBuffer::Add(const std::string& message) {
    // A very long print keeps only its end.
    const std::string msg =
        message.size() > kBufferSize - 1 ? message.substr(message.size() - (kBufferSize - 1)) : message;
    Append out;
    for (std::size_t i = 0; i < msg.size(); ++i) {
        const char c = msg[i];
        if (c == '\n' && i + 1 < msg.size() && msg[i + 1] == '\r') {
            out.text += "\r\n";
            ++i;
        } else if (c == '\r' || c == '\n') {
            out.text += "\r\n";
        } else if (IsColourCode(msg, i, version_)) {
            ++i;
        } else {
            out.text += c;
        }
    }
    totalChars_ += out.text.size();
    if (totalChars_ > kResetAfter) {
        out.replaceAll = true;
        totalChars_ = out.text.size();
    }
    return out;
}

}  // namespace zarvik::sim
