// Planted where Zarvik must not look for a program: once run, it leaves "<its own path>.ran".
#include <windows.h>

#include <fstream>
#include <string>

int main() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::ofstream(std::string(self) + ".ran") << "ran";
}
