// Planted where Zarvik must not look for a program: once run, it leaves "<its own path>.ran",
// holding whether it may search the current folder for programs ("search") or not ("1").
#include <windows.h>

#include <fstream>
#include <string>

int main() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char setting[8] = {};
    const DWORD length = GetEnvironmentVariableA("NoDefaultCurrentDirectoryInExePath", setting, sizeof setting);
    std::ofstream(std::string(self) + ".ran") << (length ? setting : "search");
}
