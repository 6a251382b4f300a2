// The updater against a real HTTP server on 127.0.0.1, started by the test on a free port;
// and the credits window.
#include "app/windows/CreditsWindow.h"
#include "app/windows/UpdaterWindow.h"
#include "app/windows/WinInetFetcher.h"
#include "tests/win/message_loop.h"
#include "tests/windows/scripted_dialogs.h"

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

namespace zarvik {
namespace {

// Serves fixed bodies by path; a path it does not know gets 404. `silent` accepts and never answers.
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
        closesocket(listener_);  // ends accept()
        thread_.join();
        for (SOCKET held : held_) closesocket(held);
        WSACleanup();
    }
    std::string Site() const { return "http://127.0.0.1:" + std::to_string(port_) + "/zarvik/"; }
    void Put(const std::string& path, const std::string& body) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_["/zarvik/" + path] = body;
    }
    void Remove(const std::string& path) {
        std::lock_guard<std::mutex> lock(mutex_);
        files_.erase("/zarvik/" + path);
    }
    std::atomic<bool> silent{false};

  private:
    void Serve() {
        for (;;) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            std::string request;
            char chunk[1024];
            int got;
            while (request.find("\r\n\r\n") == std::string::npos &&
                   (got = recv(client, chunk, sizeof chunk, 0)) > 0)
                request.append(chunk, static_cast<size_t>(got));
            if (silent) {
                held_.push_back(client);
                continue;
            }
            const std::size_t start = request.find(' ') + 1;
            const std::string path = request.substr(start, request.find(' ', start) - start);
            std::string reply;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                const auto found = files_.find(path);
                const std::string body = found == files_.end() ? "Not Found" : found->second;
                reply = std::string(found == files_.end() ? "HTTP/1.1 404 Not Found" : "HTTP/1.1 200 OK") +
                        "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body;
            }
            send(client, reply.data(), static_cast<int>(reply.size()), 0);
            shutdown(client, SD_SEND);
            closesocket(client);
        }
    }

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;
    std::mutex mutex_;
    std::map<std::string, std::string> files_;
    std::vector<SOCKET> held_;
};

std::string Text(HWND hwnd) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

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
        return Text((*window)["lblStatus"]);
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
    server.Put("updates/zarvik.txt", "99\r\n");
    EXPECT_EQ(Open(), "The Online Version is less recent.  Your Version: v100)");
    EXPECT_NEAR(OuterHeightTwips(window->window()), small, 15);
    server.Put("updates/zarvik.txt", "101\r\n");
    EXPECT_EQ(Open(), "Update Avaliable!   (v101)");
    EXPECT_NEAR(OuterHeightTwips(window->window()), tall, 15);
    EXPECT_EQ(window->DownloadAddress(), server.Site() + "files/zarvik.zip")
        << "no address file: the default";

    for (const std::string body : {"", " ", "garbage", "<html>101</html>", "1000000000000"}) {
        server.Put("updates/zarvik.txt", body);
        EXPECT_EQ(Open(), "Unable to Get Update List") << "[" << body << "]";
        EXPECT_NEAR(OuterHeightTwips(window->window()), small, 15);
    }
    server.Put("updates/zarvik.txt", std::string(60, ' ') + "101\r\n");
    EXPECT_EQ(Open(), "Unable to Get Update List") << "a body longer than a version file can be";
    server.Remove("updates/zarvik.txt");
    EXPECT_EQ(Open(), "Unable to Get Update List") << "404";
}

TEST_F(Updater, TheAddressFileNamesTheDownloadOnlyWhenItIsAWebAddress) {
    server.Put("updates/zarvik.txt", "101");
    server.Put("updates/zarvikurl.txt", "http://mirror.example/zarvik-1.0.1.zip\r\n");
    Open();
    EXPECT_EQ(window->DownloadAddress(), "http://mirror.example/zarvik-1.0.1.zip");

    dialogs.yes = {false};
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    SendMessageA((*window)["Command2"], BM_CLICK, 0, 0);
    EXPECT_EQ(dialogs.shown.back(), "Copy URL?Copy Update URL to Clipboard?");
    EXPECT_EQ(Clipboard(), "<empty>") << "No leaves the clipboard alone";
    dialogs.yes = {true};
    SendMessageA((*window)["Command2"], BM_CLICK, 0, 0);
    EXPECT_EQ(Clipboard(), "http://mirror.example/zarvik-1.0.1.zip");

    SendMessageA((*window)["Command1"], BM_CLICK, 0, 0);
    EXPECT_EQ(dialogs.started.back(), "explorer http://mirror.example/zarvik-1.0.1.zip");
    EXPECT_EQ(dialogs.shown.back().rfind("When the download dialog appears, click Save, not run.\r\n", 0),
              0u);
    EXPECT_EQ(Text((*window)["lblStatus"]),
              "URL Opened.       Note:  Windows Installer may be required to install");

    for (const std::string refused : {"calc.exe", "cmd /c del C:\\*", "http://x/a b.zip", " "}) {
        server.Put("updates/zarvikurl.txt", refused);
        Open();
        EXPECT_EQ(window->DownloadAddress(), server.Site() + "files/zarvik.zip") << refused;
    }
}

TEST_F(Updater, AServerThatNeverAnswersEndsInTheTimeOut) {
    server.silent = true;
    const DWORD start = GetTickCount();
    EXPECT_EQ(Open(), "Unable to Get Update List");
    EXPECT_LT(GetTickCount() - start, 15000u) << "two fetches of a 2 s time-out each, not forever";
}

HWND gOwner = nullptr;
bool gOwnerWaited = false;

void CALLBACK CloseTheCredits(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND credits = FindWindowA("ZarvikCredits", nullptr);
    if (!credits || !IsWindowVisible(credits)) return;
    KillTimer(nullptr, timer);
    gOwnerWaited = !IsWindowEnabled(gOwner);
    PostMessageA(credits, WM_CLOSE, 0, 0);
}

TEST(Credits, PlaysTheCreditsAClickStopsAndResumesThemAndTheOwnerWaits) {
    HWND owner =
        CreateWindowExA(0, "static", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    {
        CreditsWindow credits(owner, ZARVIK_MOVIE_FOLDER);
        EXPECT_EQ(Text(credits.window()), "About Zarvik v1.0.0");
        RunMessagesFor(300);
        EXPECT_EQ(Text(credits.window()), "Credits") << "the ready state came last";
        EXPECT_TRUE(credits.player().IsPlaying());
        RECT outer, player;
        GetWindowRect(credits.window(), &outer);
        GetWindowRect(credits.player().window(), &player);
        EXPECT_EQ(outer.right - outer.left, player.right - player.left)
            << "the window's outer size is the player's";
        EXPECT_EQ(outer.bottom - outer.top, player.bottom - player.top);
        const auto click = [&] {
            SendMessageA(credits.window(), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
                         reinterpret_cast<LPARAM>(credits.image1()));
        };
        click();
        EXPECT_FALSE(credits.player().IsPlaying());
        click();
        EXPECT_TRUE(credits.player().IsPlaying());
    }
    gOwner = owner;
    SetTimer(nullptr, 0, 100, CloseTheCredits);
    ShowCredits(owner, ZARVIK_MOVIE_FOLDER);
    EXPECT_TRUE(gOwnerWaited) << "modal: the owner was disabled";
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(FindWindowA("ZarvikCredits", nullptr), nullptr) << "closed: gone";
    DestroyWindow(owner);
}

}  // namespace
}  // namespace zarvik
