#pragma once

// Fetches a whole web resource with WinINet, blocking, within time-outs.

#include "app/windows/UpdateCheck.h"

#include <windows.h>

namespace zarvik {

class WinInetFetcher : public Fetcher {
  public:
    // The same limit for connecting, sending and each wait for data.
    explicit WinInetFetcher(DWORD timeoutMs = 10000) : timeoutMs_(timeoutMs) {}
    std::optional<std::string> Get(const std::string& address, std::size_t most) override;

  private:
    DWORD timeoutMs_;
};

}  // namespace zarvik
