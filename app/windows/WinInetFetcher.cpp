#include "app/windows/WinInetFetcher.h"

#include <wininet.h>

#include <memory>

namespace zarvik {
namespace {

struct CloseInternet {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, CloseInternet>;

void SetTimeouts(HINTERNET handle, DWORD ms) {
    for (const DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        DWORD value = ms;
        InternetSetOptionA(handle, option, &value, sizeof value);
    }
}

}  // namespace

std::optional<std::string> WinInetFetcher::Get(const std::string& address, std::size_t most) {
    char host[256] = {}, path[2048] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    if (!InternetCrackUrlA(address.c_str(), 0, 0, &parts)) return std::nullopt;
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    if (!secure && parts.nScheme != INTERNET_SCHEME_HTTP) return std::nullopt;

    // Each handle gets the time-outs: the request is where they count, and it is made after them.
    Internet session(InternetOpenA("Zarvik", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session) return std::nullopt;
    SetTimeouts(session.get(), timeoutMs_);
    Internet connection(
        InternetConnectA(session.get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return std::nullopt;
    SetTimeouts(connection.get(), timeoutMs_);
    // Always the site's current files, never a cached copy, and never a box of WinINet's own.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | (secure ? INTERNET_FLAG_SECURE : 0);
    Internet request(HttpOpenRequestA(connection.get(), "GET", path, nullptr, nullptr, nullptr, flags, 0));
    if (!request) return std::nullopt;
    SetTimeouts(request.get(), timeoutMs_);
    if (!HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return std::nullopt;

    DWORD status = 0, size = sizeof status;
    if (!HttpQueryInfoA(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr) ||
        status != 200)
        return std::nullopt;
    std::string body;
    char chunk[4096];
    for (;;) {
        DWORD read = 0;
        if (!InternetReadFile(request.get(), chunk, sizeof chunk, &read)) return std::nullopt;
        if (read == 0) break;
        body.append(chunk, read);
        if (body.size() > most) return std::nullopt;
    }
    return body;
}

}  // namespace zarvik
