// procstat NAME: one line for each running process of that image name: working set and private
// bytes (KiB) and the handle count, as Windows reports them; GDI and USER object counts too,
// which Wine does not keep (it answers 0). The soak script samples Zarvik.exe with it.
#include "winbase/Own.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: procstat NAME.exe\n");
        return 2;
    }
    const winbase::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int found = 0;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (_stricmp(entry.szExeFile, argv[1]) != 0) continue;
        const winbase::Handle process(
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
        if (!process) continue;
        PROCESS_MEMORY_COUNTERS_EX memory = {};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(process.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
        DWORD handles = 0;
        GetProcessHandleCount(process.get(), &handles);
        std::printf("working_set_kib=%lu private_kib=%lu handles=%lu gdi=%lu user=%lu\n",
                    static_cast<unsigned long>(memory.WorkingSetSize / 1024),
                    static_cast<unsigned long>(memory.PrivateUsage / 1024), static_cast<unsigned long>(handles),
                    static_cast<unsigned long>(GetGuiResources(process.get(), GR_GDIOBJECTS)),
                    static_cast<unsigned long>(GetGuiResources(process.get(), GR_USEROBJECTS)));
        ++found;
    }
    return found ? 0 : 1;
}
