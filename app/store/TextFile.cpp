#include "app/store/TextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
namespace {

[[noreturn]] void Fail(int number, const std::string& what, const std::string& path) {
    throw StoreError(number, "BindStore", what + ": " + path);
}

std::FILE* Open(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

}  // namespace

#ifdef _WIN32

bool Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr) && !FolderExists(path))
        Fail(75, "Path/File access error", path);
}

bool IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void ReplaceWhole(const std::string& path, const std::string& content) {
    if (IsReadOnly(path)) Fail(75, "Path/File access error", path);
    const std::string temp = path + ".new";
    HANDLE file =
        CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail(75, "Path/File access error", temp);
    DWORD written = 0;
    const bool ok = (content.empty() || (WriteFile(file, content.data(), static_cast<DWORD>(content.size()),
                                                   &written, nullptr) &&
                                         written == content.size())) &&
                    FlushFileBuffers(file);
    CloseHandle(file);
    if (!ok) {
        DeleteFileA(temp.c_str());
        Fail(57, "Device I/O error", path);
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        Fail(75, "Path/File access error", path);
    }
}

#else

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool FolderExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void CreateFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) != 0 && !FolderExists(path)) Fail(75, "Path/File access error", path);
}

bool IsReadOnly(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

void ReplaceWhole(const std::string& path, const std::string& content) {
    if (IsReadOnly(path)) Fail(75, "Path/File access error", path);
    const std::string temp = path + ".new";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) Fail(75, "Path/File access error", temp);
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        ::unlink(temp.c_str());
        Fail(57, "Device I/O error", path);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        Fail(75, "Path/File access error", path);
    }
}

#endif

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
