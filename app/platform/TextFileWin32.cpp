// The store's file primitives on Windows.
#include "app/store/TextFile.h"

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

}  // namespace zarvik::textfile
