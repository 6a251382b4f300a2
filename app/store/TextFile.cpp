#include "app/store/TextFile.h"

#include <cstdio>

namespace zarvik {

std::vector<TextLine> SplitTextLines(const std::string& text) {
    std::vector<TextLine> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        const std::size_t breakLength = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
        lines.push_back({text.substr(start, i - start), text.substr(i, breakLength)});
        i += breakLength - 1;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back({text.substr(start), ""});
    return lines;
}

std::string JoinTextLines(const std::vector<TextLine>& lines) {
    std::string text;
    for (const auto& line : lines) text += line.text + line.end;
    return text;
}

namespace textfile {

void Fail(int number, const std::string& what, const std::string& path) {
    throw StoreError(number, "BindStore", what + ": " + path);
}

namespace {

std::FILE* Open(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

}  // namespace

std::string ReadWhole(const std::string& path) {
    std::FILE* file = Open(path, "rb");
    if (!file) Fail(Exists(path) ? 75 : 53, Exists(path) ? "Path/File access error" : "File not found", path);
    std::string text;
    char buffer[8192];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) Fail(57, "Device I/O error", path);
    return text;
}

void CreateEmptyIfMissing(const std::string& path) {
    if (Exists(path)) return;
    std::FILE* file = Open(path, "ab");
    if (!file) Fail(75, "Path/File access error", path);
    std::fclose(file);
}

void AppendLine(const std::string& path, const std::string& line) {
    if (IsReadOnly(path)) Fail(75, "Path/File access error", path);
    std::FILE* file = Open(path, "ab+");
    if (!file) Fail(75, "Path/File access error", path);
    // A file last saved by hand may lack its final line break; the new line must not be glued
    // onto the last one.
    std::string text;
    if (std::fseek(file, 0, SEEK_END) == 0 && std::ftell(file) > 0 && std::fseek(file, -1, SEEK_END) == 0) {
        const int last = std::fgetc(file);
        if (last != '\n' && last != '\r') text = "\r\n";
    }
    std::fseek(file, 0, SEEK_END);
    text += line + "\r\n";
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !ok) Fail(57, "Device I/O error", path);
}

}  // namespace textfile
}  // namespace zarvik
