#pragma once

#include "app/engine/Ports.h"

#include <string>
#include <vector>

namespace zarvik {

// Appends each report as one ANSI line to the first of `paths` that takes it. A standard
// user cannot create files in the root of C:, so the program folder comes second.
class FileErrorReport : public ErrorReport {
  public:
    explicit FileErrorReport(std::vector<std::string> paths) : paths_(std::move(paths)) {}
    bool Append(const std::string& line) override;

  private:
    std::vector<std::string> paths_;
};

}  // namespace zarvik
