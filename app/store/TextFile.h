#pragma once

// Plain ANSI text files, opened and closed within each call. Paths are passed to the system
// unchanged, as ANSI bytes.

#include <stdexcept>
#include <string>
#include <vector>

namespace zarvik {

// A file operation that failed; the number says how, as the engine reports it
// (53 file not found, 57 device I/O error, 75 path/file access error).
class StoreError : public std::runtime_error {
  public:
    StoreError(int number, std::string source, const std::string& description)
        : std::runtime_error(description), number_(number), source_(std::move(source)) {}
    int Number() const { return number_; }
    const std::string& Source() const { return source_; }

  private:
    int number_;
    std::string source_;
};

// One line of a text file and the line break that ended it ("\r\n", "\r", "\n", or "" for a
// last line without one).
struct TextLine {
    std::string text;
    std::string end;
};

// Lines as readers take them: CR LF, a lone CR or a lone LF ends a line; a last line without
// a break counts; an empty text has no lines.
std::vector<TextLine> SplitTextLines(const std::string& text);
std::string JoinTextLines(const std::vector<TextLine>& lines);

// The primitives each platform gives (app/platform), then the portable ones.
namespace textfile {

bool Exists(const std::string& path);
bool FolderExists(const std::string& path);
void CreateFolder(const std::string& path);  // throws StoreError
// Marked read-only by its owner. Writers refuse such a file even where the system would let
// them (an administrator, a replace by rename): the player's mark is kept.
bool IsReadOnly(const std::string& path);
// The names of the files (not folders) in `folder`, in no order; none when it cannot be read.
std::vector<std::string> FileNames(const std::string& folder);
// Replaces the file's whole content in one step: the new text goes to a temporary file beside
// it, which then takes the original's place. If anything fails on the way, or the program
// dies, the original stays as it was.
void ReplaceWhole(const std::string& path, const std::string& content);

std::string ReadWhole(const std::string& path);      // throws StoreError (53 when missing)
void CreateEmptyIfMissing(const std::string& path);  // throws StoreError
// Writes line + CR LF at the end, creating the file; a last line without a break gets one first.
void AppendLine(const std::string& path, const std::string& line);
// Throws the StoreError numbered `number` for `path`.
[[noreturn]] void Fail(int number, const std::string& what, const std::string& path);

}  // namespace textfile
}  // namespace zarvik
