#include "app/engine/FileErrorReport.h"

#include <fstream>

namespace zarvik {

bool FileErrorReport::Append(const std::string& line) {
    for (const std::string& path : paths_) {
        std::ofstream out(path, std::ios::binary | std::ios::app);
        if (!out) continue;
        out << line << "\r\n";
        out.flush();
        if (out) return true;
    }
    return false;
}

}  // namespace zarvik
