#include "app/windows/WinInetFetcher.h"

#include "app/console/MessagePump.h"
#include "winbase/Own.h"

#include <wininet.h>

#include <algorithm>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace zarvik {
namespace {

constexpr int kMostRedirects = 5;

// One fetch, shared by the thread that makes it and the one that waits for it. Its handles are
// closed once, by whichever side ends first: closing them from the waiting side is how a call
// blocked inside WinINet is ended.
class Transfer {
  public:
    ~Transfer() { Close(); }
    HANDLE done() const { return done_.get(); }
    // Keeps `handle` to be closed with the rest; false (and closed) when the fetch was given up.
    bool Keep(HINTERNET handle) {
        std::lock_guard<std::mutex> lock(mutex_);
        winbase::InternetHandle kept(handle);
        if (!handle || abandoned_) return false;
        handles_.push_back(std::move(kept));
        return true;
    }
    // Closes the handles from the newest; the fetch goes on with fresh ones unless abandoned.
    void Close(bool abandon = false) {
        std::lock_guard<std::mutex> lock(mutex_);
        abandoned_ = abandoned_ || abandon;
        while (!handles_.empty()) handles_.pop_back();
    }
    // Reads what has come; under the lock, so that handles closed by the other side (and their
    // numbers perhaps given to another fetch) are never read.
    bool Read(HINTERNET request, char* into, DWORD most, DWORD& read) {
        std::lock_guard<std::mutex> lock(mutex_);
        return !abandoned_ && InternetReadFile(request, into, most, &read);
    }
    void Finish(std::optional<std::string> body) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            body_ = std::move(body);
        }
        Close();
        SetEvent(done_.get());
    }
    std::optional<std::string> Body() {
        std::lock_guard<std::mutex> lock(mutex_);
        return body_;
    }

  private:
    std::mutex mutex_;
    winbase::Handle done_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    std::vector<winbase::InternetHandle> handles_;
    bool abandoned_ = false;
    std::optional<std::string> body_;
};

void SetTimeouts(HINTERNET handle, DWORD ms) {
    for (const DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        DWORD value = ms;
        InternetSetOptionA(handle, option, &value, sizeof value);
    }
}

struct Url {
    std::string host, path;
    INTERNET_PORT port = 0;
    bool secure = false;
};

std::optional<Url> Crack(const std::string& address) {
    char host[256] = {}, path[2048] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    if (!InternetCrackUrlA(address.c_str(), 0, 0, &parts)) return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTPS && parts.nScheme != INTERNET_SCHEME_HTTP) return std::nullopt;
    return Url{host, path, parts.nPort, parts.nScheme == INTERNET_SCHEME_HTTPS};
}

bool IsRedirect(DWORD status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

std::optional<std::string> Fetch(Transfer& transfer, std::string address, std::size_t most, DWORD deadlineMs) {
    const std::optional<Url> first = Crack(address);
    if (!first) return std::nullopt;
    HINTERNET session = InternetOpenA("Zarvik", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!transfer.Keep(session)) return std::nullopt;
    SetTimeouts(session, deadlineMs);
    std::optional<Url> url = first;
    for (int redirects = 0;; ++redirects) {
        HINTERNET connection =
            InternetConnectA(session, url->host.c_str(), url->port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
        if (!transfer.Keep(connection)) return std::nullopt;
        SetTimeouts(connection, deadlineMs);
        // Always the site's current files, never a cached copy, never a box of WinINet's own, and
        // no redirect that WinINet follows by itself: it would go to any host.
        const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                            INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTO_REDIRECT |
                            (url->secure ? INTERNET_FLAG_SECURE : 0);
        HINTERNET request = HttpOpenRequestA(connection, "GET", url->path.c_str(), nullptr, nullptr, nullptr, flags, 0);
        if (!transfer.Keep(request)) return std::nullopt;
        SetTimeouts(request, deadlineMs);
        if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0)) return std::nullopt;

        DWORD status = 0, size = sizeof status;
        if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
            return std::nullopt;
        if (IsRedirect(status)) {
            char location[2048] = {}, next[2048] = {};
            DWORD length = sizeof location, nextLength = sizeof next;
            if (redirects == kMostRedirects ||
                !HttpQueryInfoA(request, HTTP_QUERY_LOCATION, location, &length, nullptr) ||
                !InternetCombineUrlA(address.c_str(), location, next, &nextLength, ICU_NO_ENCODE))
                return std::nullopt;
            const std::optional<Url> to = Crack(next);
            if (!to || lstrcmpiA(to->host.c_str(), first->host.c_str()) != 0 || (url->secure && !to->secure))
                return std::nullopt;
            address = next;
            url = to;
            transfer.Close();  // this hop's handles; the session was among them
            session = InternetOpenA("Zarvik", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
            if (!transfer.Keep(session)) return std::nullopt;
            SetTimeouts(session, deadlineMs);
            continue;
        }
        if (status != 200) return std::nullopt;
        // Only what has come is read: a read for more waits until it all came (Wine), and closing
        // the handles does not end that wait there; a fetch given up reads no more.
        std::string body;
        char chunk[4096];
        for (;;) {
            DWORD ready = 0, read = 0;
            if (!InternetQueryDataAvailable(request, &ready, 0, 0)) return std::nullopt;
            if (ready == 0) return body;
            if (!transfer.Read(request, chunk, std::min<DWORD>(ready, sizeof chunk), read)) return std::nullopt;
            if (read == 0) return body;
            body.append(chunk, read);
            if (body.size() > most) return std::nullopt;
        }
    }
}

}  // namespace

std::optional<std::string> WinInetFetcher::Get(const std::string& address, std::size_t most) {
    const DWORD start = GetTickCount();
    auto transfer = std::make_shared<Transfer>();
    if (!transfer->done()) return std::nullopt;
    try {
        std::thread([transfer, address, most, deadline = deadlineMs_] {
            transfer->Finish(Fetch(*transfer, address, most, deadline));
        }).detach();
    } catch (const std::system_error&) {
        return std::nullopt;
    }
    // This thread's windows go on working meanwhile: the engine's tick, the tray, the updater.
    for (;;) {
        const DWORD spent = GetTickCount() - start;
        if (spent >= deadlineMs_) break;
        const HANDLE done = transfer->done();
        const DWORD woke = MsgWaitForMultipleObjectsEx(1, &done, deadlineMs_ - spent, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return transfer->Body();
        if (!PumpPendingMessages()) break;
    }
    transfer->Close(true);  // ends the calls it is blocked in
    return std::nullopt;
}

}  // namespace zarvik
