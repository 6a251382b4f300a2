#pragma once

// Fetches a whole web resource with WinINet within one deadline, however slowly the server
// sends. The fetch runs on a thread of its own; the calling thread's windows go on working
// while it waits.

#include "app/window-rules/UpdateCheck.h"

#include <windows.h>

namespace zarvik {

class WinInetFetcher : public Fetcher {
  public:
    explicit WinInetFetcher(DWORD deadlineMs = 10000) : deadlineMs_(deadlineMs) {}
    // Redirects are followed only to the same host (and never from https to http).
    std::optional<std::string> Get(const std::string& address, std::size_t most) override;

  private:
    DWORD deadlineMs_;
};

}  // namespace zarvik
