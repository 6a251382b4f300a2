// The updater against a real HTTP server on 127.0.0.1, started by the test on a free port: the
// download and the window's states (the rules of the check are tested natively).
#include "app/windows/UpdaterWindow.h"
#include "app/windows/WinInetFetcher.h"
#include "tests/window-rules/scripted_dialogs.h"

#include <winsock2.h>

#include "tests/windows/win_test.h"

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

namespace zarvik {
namespace {

// Serves fixed replies by path, 404 for any other, each connection on a thread of its own. A
// reply may drip: one byte every `dripMs`, as a hostile or broken site sends.
class SiteServer {
  public:
    SiteServer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in at = {};
        at.sin_family = AF_INET;
        at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at);
        int size = sizeof at;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &size);
        port_ = ntohs(at.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] { Serve(); });
    }
    ~SiteServer() {
        stopping_ = true;
        closesocket(listener_);  // ends accept()
        thread_.join();
        for (std::thread& client : clients_) client.join();
        WSACleanup();
    }
    // Replies still dripping to a client that has not hung up.
    int Dripping() const { return dripping_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Site() const { return "http://" + Host() + "/zarvik/"; }
    // A reply with `dripMs` sends its body (with `headToo`, all of it) one byte at a time.
    void Put(const std::string& path, const std::string& body, const std::string& status = "200 OK",
             const std::string& headers = "", int dripMs = 0, bool headToo = false) {
        const std::string head = "HTTP/1.1 " + status +
                                 "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                                 "\r\n" + headers + "Connection: close\r\n\r\n";
        std::lock_guard<std::mutex> lock(mutex_);
        files_["/zarvik/" + path] = {head + body, dripMs ? (headToo ? 0 : head.size()) : head.size() + body.size(),
                                     dripMs};
    }

  private:
    struct Reply {
        std::string text;
        std::size_t atOnce = 0;  // the bytes sent at once; the rest drips
        int dripMs = 0;
    };
    void Serve() {
        for (SOCKET client; (client = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET;)
            clients_.emplace_back([this, client] { Answer(client); });
    }
    void Answer(SOCKET client) {
        std::string request;
        char chunk[1024];
        for (int got;
             request.find("\r\n\r\n") == std::string::npos && (got = recv(client, chunk, sizeof chunk, 0)) > 0;)
            request.append(chunk, static_cast<size_t>(got));
        const std::size_t start = request.find(' ') + 1;
        const std::string path = request.substr(start, request.find(' ', start) - start);
        const std::string missing = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        Reply reply = {missing, missing.size(), 0};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (files_.count(path)) reply = files_[path];
        }
        send(client, reply.text.data(), static_cast<int>(reply.atOnce), 0);
        if (reply.atOnce < reply.text.size()) ++dripping_;
        for (std::size_t at = reply.atOnce; at < reply.text.size() && !stopping_; ++at) {
            if (send(client, &reply.text[at], 1, 0) != 1) break;
            for (int waited = 0; waited < reply.dripMs && !stopping_; waited += 50) Sleep(50);
        }
        if (reply.atOnce < reply.text.size()) --dripping_;
        shutdown(client, SD_SEND);
        closesocket(client);
    }

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;
    std::vector<std::thread> clients_;
    std::atomic<bool> stopping_ = false;
    std::atomic<int> dripping_ = 0;
    std::mutex mutex_;
    std::map<std::string, Reply> files_;
};

int OuterHeightTwips(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return MulDiv(r.bottom - r.top, 1440, dpi);
}

std::string Clipboard() {
    std::string text = "<empty>";
    if (!OpenClipboard(nullptr)) return "<busy>";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

class Updater : public ::testing::Test {
  protected:
    // Opens the updater (the check runs), returns the status line; the window stays open.
    std::string Open() {
        window = std::make_unique<UpdaterWindow>(server.Site(), fetcher, &dialogs);
        window->Open();
        return WindowText((*window)["lblStatus"]);
    }
    // Pressed with the mouse, the window on top of any other test's.
    void Click(const char* button) {
        SetWindowPos(window->window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        Press(Centre((*window)[button]), {-1, -1}, window->window());
        RunMessagesFor(300);
    }
    SiteServer server;
    WinInetFetcher fetcher{2000};
    ScriptedDialogs dialogs;
    std::unique_ptr<UpdaterWindow> window;
};

TEST_F(Updater, SaysWhatTheSiteHasAndGrowsOnlyForANewerVersion) {
    const int small = 1140, tall = 1740;
    server.Put("updates/zarvik.txt", "100");
    EXPECT_EQ(Open(), "No Updates - Same Version: v100");
    EXPECT_NEAR(OuterHeightTwips(window->window()), small, 15);
    server.Put("updates/zarvik.txt", "101\r\n");
    EXPECT_EQ(Open(), "Update Avaliable!   (v101)");
    EXPECT_NEAR(OuterHeightTwips(window->window()), tall, 15);
    EXPECT_EQ(window->DownloadAddress(), server.Site() + "files/zarvik.zip") << "no address file: the default";

    server.Put("updates/zarvik.txt", "garbage");
    EXPECT_EQ(Open(), "Unable to Get Update List");
    EXPECT_NEAR(OuterHeightTwips(window->window()), small, 15) << "small again";
    server.Put("updates/zarvik.txt", std::string(60, ' ') + "101\r\n");
    EXPECT_EQ(Open(), "Unable to Get Update List") << "a body longer than a version file can be";
    server.Put("updates/zarvik.txt", "101", "404 Not Found");
    EXPECT_EQ(Open(), "Unable to Get Update List") << "a page that is not there";
}

TEST_F(Updater, TheAddressFileNamesTheDownloadWhichTheButtonsCopyAndOpen) {
    server.Put("updates/zarvik.txt", "101");
    const std::string download = server.Site() + "files/zarvik-1.0.1.zip";
    server.Put("updates/zarvikurl.txt", download + "\r\n");
    Open();
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    dialogs.yes = {false, true};
    Click("Command2");
    EXPECT_EQ(dialogs.shown.back(), "Copy URL?Copy Update URL to Clipboard?");
    EXPECT_EQ(Clipboard(), "<empty>") << "No leaves the clipboard alone";
    Click("Command2");
    EXPECT_EQ(Clipboard(), download);

    Click("Command1");
    EXPECT_EQ(dialogs.started.back(), "explorer " + download);
    EXPECT_EQ(dialogs.shown.back().rfind("When the download dialog appears, click Save, not run.\r\n", 0), 0u);
    EXPECT_EQ(WindowText((*window)["lblStatus"]),
              "URL Opened.       Note:  Windows Installer may be required to install");
}

int ticks = 0, closeAtTick = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) {
    if (++ticks == closeAtTick) PostMessageA(FindWindowA("ZarvikUpdate", nullptr), WM_CLOSE, 0, 0);
}

// What a hostile site (or anyone between it and the player) sends decides neither how long the
// program waits nor where it is sent (which download addresses count is the check's native test).
TEST_F(Updater, AHostileSiteNeitherHoldsTheProgramNorRedirectsItElsewhere) {
    // A byte every half second never trips a wait for data: only the deadline of the whole file,
    // whether the body drips or the head already.
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CountTick);
    for (const bool headToo : {false, true}) {
        server.Put("updates/zarvik.txt", std::string(40, ' ') + "101", "200 OK", "", 500, headToo);
        window.reset();  // closing a window takes Wine a while
        ticks = 0;
        const auto began = std::chrono::steady_clock::now();
        EXPECT_EQ(Open(), "Unable to Get Update List") << headToo;
        const auto took = std::chrono::steady_clock::now() - began;
        EXPECT_LT(took, std::chrono::seconds(4)) << "given up at the 2 s deadline " << headToo;
        EXPECT_GT(ticks, 10) << "the window's thread kept answering while the file dripped " << headToo;
        // (A dripping head holds WinINet under Wine until the server stops.)
        EXPECT_TRUE(headToo || WaitUntil([this] { return server.Dripping() == 0; }, 2000)) << "left open";
    }
    // Closed while the file drips: the check ends without its window.
    closeAtTick = ticks + 10;
    Open();
    EXPECT_EQ(window->window(), nullptr);
    EXPECT_EQ((*window)["lblStatus"], nullptr);
    KillTimer(nullptr, timer);

    // Redirects: followed on the site's own host only. "localhost" is another host name for the
    // same server, which would answer.
    const std::string elsewhere = "http://localhost:" + server.Host().substr(10) + "/zarvik/updates/moved.txt";
    server.Put("updates/moved.txt", "101");
    ASSERT_TRUE(fetcher.Get(elsewhere, 64));
    server.Put("updates/zarvik.txt", "", "302 Found", "Location: /zarvik/updates/moved.txt\r\n");
    EXPECT_EQ(Open(), "Update Avaliable!   (v101)") << "moved on the same host";
    server.Put("updates/zarvik.txt", "", "302 Found", "Location: " + elsewhere + "\r\n");
    EXPECT_EQ(Open(), "Unable to Get Update List") << "moved to another host";
}

}  // namespace
}  // namespace zarvik
