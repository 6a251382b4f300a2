// The updater against a real HTTP server on 127.0.0.1, started by the test on a free port: the
// download and the window's states (the rules of the check are tested natively).
#include "app/windows/UpdaterWindow.h"
#include "app/windows/WinInetFetcher.h"
#include "tests/windows/scripted_dialogs.h"

#include <winsock2.h>

#include "tests/win/win_test.h"

#include <map>
#include <mutex>
#include <thread>

namespace zarvik {
namespace {

// Serves fixed replies by path, 404 for any other.
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
        WSACleanup();
    }
    std::string Site() const { return "http://127.0.0.1:" + std::to_string(port_) + "/zarvik/"; }
    void Put(const std::string& path, const std::string& body, const std::string& status = "200 OK") {
        std::lock_guard<std::mutex> lock(mutex_);
        files_["/zarvik/" + path] = "HTTP/1.1 " + status + "\r\nContent-Type: text/plain\r\nContent-Length: " +
                                    std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }
  private:
    void Serve() {
        for (SOCKET client; (client = accept(listener_, nullptr, nullptr)) != INVALID_SOCKET;) {
            std::string request;
            char chunk[1024];
            for (int got; request.find("\r\n\r\n") == std::string::npos &&
                          (got = recv(client, chunk, sizeof chunk, 0)) > 0;)
                request.append(chunk, static_cast<size_t>(got));
            const std::size_t start = request.find(' ') + 1;
            const std::string path = request.substr(start, request.find(' ', start) - start);
            std::string reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (files_.count(path)) reply = files_[path];
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
    void Click(const char* button) { SendMessageA((*window)[button], BM_CLICK, 0, 0); }
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
    server.Put("updates/zarvikurl.txt", "http://mirror.example/zarvik-1.0.1.zip\r\n");
    Open();
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    dialogs.yes = {false, true};
    Click("Command2");
    EXPECT_EQ(dialogs.shown.back(), "Copy URL?Copy Update URL to Clipboard?");
    EXPECT_EQ(Clipboard(), "<empty>") << "No leaves the clipboard alone";
    Click("Command2");
    EXPECT_EQ(Clipboard(), "http://mirror.example/zarvik-1.0.1.zip");

    Click("Command1");
    EXPECT_EQ(dialogs.started.back(), "explorer http://mirror.example/zarvik-1.0.1.zip");
    EXPECT_EQ(dialogs.shown.back().rfind("When the download dialog appears, click Save, not run.\r\n", 0), 0u);
    EXPECT_EQ(WindowText((*window)["lblStatus"]), "URL Opened.       Note:  Windows Installer may be required to install");
}

}  // namespace
}  // namespace zarvik
