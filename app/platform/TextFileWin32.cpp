// The store's file primitives on Windows.
#include "app/store/TextFile.h"
#include "winbase/Own.h"

#include <windows.h>

namespace zarvik::textfile {

bool Exists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void CreateFolder(const std::string& path) {
    if (!CreateDirectoryA(path.c_str(), nullptr) && !FolderExists(path)) Fail(75, "Path/File access error", path);
}

bool IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

std::vector<std::string> FileNames(const std::string& folder) {
    std::vector<std::string> names;
    // "*" and not "*.txt": a pattern also matches the short 8.3 names, so "*.txt" would find
    // "x.txt1" too.
    WIN32_FIND_DATAA found;
    const winbase::Owner<HANDLE, &FindClose, true> search(FindFirstFileA((folder + "\\*").c_str(), &found));
    if (!search) return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    } while (FindNextFileA(search.get(), &found));
    return names;
}

void ReplaceWhole(const std::string& path, const std::string& content) {
    if (IsReadOnly(path)) Fail(75, "Path/File access error", path);
    const std::string temp = path + ".new";
    winbase::FileHandle file(
        CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) Fail(75, "Path/File access error", temp);
    DWORD written = 0;
    const bool ok = (content.empty() ||
                     (WriteFile(file.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
                      written == content.size())) &&
                    FlushFileBuffers(file.get());
    file.reset();  // closed before it replaces the old file
    if (!ok) {
        DeleteFileA(temp.c_str());
        Fail(57, "Device I/O error", path);
    }
    if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temp.c_str());
        Fail(75, "Path/File access error", path);
    }
}

}  // namespace zarvik::textfile
