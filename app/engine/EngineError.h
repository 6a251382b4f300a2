#pragma once

// A failure inside a tick. It ends the tick and is reported in the game console and in the
// error file as "Error: " + number + " | " + source + " | " + description.
//
// Numbers, in the tradition of the runtime the engine was first written for:
//    5  Invalid procedure call or argument  a reply of the game that cannot be taken apart
//    7  Out of memory
//   51  Internal error                      anything else; the description says what
//   52  Bad file name or number             a map name that cannot name a bind file
//   53  File not found
//   57  Device I/O error                    a bind file that cannot be read or written
//   75  Path/File access error              a file or folder that cannot be opened or created
// Number 9 (no complete line in the console) is never reported. The source names the step
// of the engine that failed, such as "Tick" or "SaveBind".

#include <stdexcept>
#include <string>

namespace zarvik {

class EngineError : public std::runtime_error {
  public:
    EngineError(int number, std::string source, const std::string& description)
        : std::runtime_error(description), number_(number), source_(std::move(source)) {}

    int Number() const { return number_; }
    const std::string& Source() const { return source_; }
    std::string Description() const { return what(); }

  private:
    int number_;
    std::string source_;
};

namespace error {
constexpr int kInvalidArgument = 5;
constexpr int kOutOfMemory = 7;
constexpr int kNoCompleteLine = 9;
constexpr int kInternal = 51;
constexpr int kBadFileName = 52;
constexpr int kFileNotFound = 53;
constexpr int kIoError = 57;
constexpr int kPathAccess = 75;
}  // namespace error

}  // namespace zarvik
