// The update check: judging the changes page, and fetching it from a local
// server, from a closed port and without an address.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>

#include "base/settings.h"
#include "base/text.h"
#include "platform/update_check.h"
#include "settings_folder.h"
#include "threaded_suite.h"

namespace kalix {

namespace fs = std::filesystem;

THREADED_SUITE(UpdateCheck);

TEST(UpdateCheck, JudgingTheChangesPage) {
    struct Case {
        const char* page;
        const char* running;
        const char* announced;
        bool automatic;
        UpdateResult result;
        const char* token;
    } cases[] = {
        {"<h1>Changes</h1> nothing here", "3.25", "", false, UpdateResult::upToDate, ""},
        {"<p>Version 3.25 (May)</p>", "3.25", "", false, UpdateResult::upToDate, ""},
        {"<p>Version 3.25</p>", "3.25", "", false, UpdateResult::upToDate, ""},
        // Only the first 10 characters count.
        {"Version 2026.05.01b", "2026.05.01a", "", false, UpdateResult::upToDate, ""},
        {"<p>Version 3.26.1 (July)</p>", "3.25", "", false, UpdateResult::newVersion, "3.26.1"},
        {"<p>Version 3.25.1</p>", "3.25", "", false, UpdateResult::newVersion, "3.25.1"},
        // Announced before: the automatic check stays silent, the manual one
        // does not.
        {"Version 3.26.1", "3.25", "3.26", true, UpdateResult::upToDate, ""},
        {"Version 3.26.1", "3.25", "3.26", false, UpdateResult::newVersion, "3.26.1"},
        {"Version 3.27", "3.25", "3.26", true, UpdateResult::newVersion, "3.27"},
    };
    for (const Case& c : cases) {
        std::string token;
        EXPECT_EQ(judgeChangesPage(c.page, c.running, c.announced, c.automatic, &token), c.result)
            << c.page;
        EXPECT_EQ(token, c.token) << c.page;
    }
}

// The token's letters are characters: in 65001 a letter of several bytes
// and the no-break space (U+00A0) are taken whole, in 1252 their bytes.
TEST(UpdateCheck, TheTokenTakesWholeCharacters) {
    struct Case {
        const char* page;
        const char* token;
    } cases[] = {
        {"Version 3.26\u00a0beta.", "3.26\u00a0beta."},
        {"Version 3.26\u00e4\u00f6 und", "3.26\u00e4\u00f6"},
        {"Version 3.26\u6f22\u5b57<", "3.26\u6f22\u5b57"},
        {"Version 3.26\u00b0", "3.26"},  // no letter: the degree sign U+00B0
    };
    for (int page : {65001, 1252}) {
        selectCodePage(page);
        for (const Case& c : cases) {
            std::string text, token, expected;
            utf8ToCodePage(c.page, text);
            utf8ToCodePage(c.token, expected);
            if (page == 1252 && expected.find('?') != std::string::npos) continue;
            judgeChangesPage(text, "3.25", "", false, &token);
            EXPECT_EQ(token, expected) << page << " " << c.page;
        }
    }
    selectCodePage(65001);
}

namespace {

// A fresh per-user settings file for each test.
class UpdateFetchTest : public testing::Test {
  protected:
    void SetUp() override {
        config.emplace();
        settings.deleteRegistryKey();
    }
    void TearDown() override {
        settings.deleteRegistryKey();
        config.reset();
    }
    std::optional<PrivateSettingsFolder> config;
};

// Listens on a free port of 127.0.0.1 and answers one request with `body`;
// records the request line.
class OnePageServer {
  public:
    explicit OnePageServer(std::string body) : body(std::move(body)) {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        listen(listener, 1);
        server = std::thread([this] {
            int connection = accept(listener, nullptr, nullptr);
            if (connection < 0) return;
            char buffer[4096];
            ssize_t n = read(connection, buffer, sizeof buffer - 1);
            if (n > 0) request.assign(buffer, size_t(n));
            std::string answer = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
                                 std::to_string(this->body.size()) +
                                 "\r\nConnection: close\r\n\r\n" + this->body;
            ssize_t written = write(connection, answer.data(), answer.size());
            (void)written;
            close(connection);
        });
    }
    ~OnePageServer() {
        shutdown(listener, SHUT_RDWR);
        close(listener);
        server.join();
    }
    std::string body, request;
    int listener = -1;
    int port = 0;
    std::thread server;
};

}  // namespace

THREADED_SUITE(UpdateFetchTest);

TEST_F(UpdateFetchTest, WithoutAnAddressNothingIsFetched) {
    std::string token;
    EXPECT_EQ(checkForNewVersion(false, &token), UpdateResult::noAddress);
}

TEST_F(UpdateFetchTest, AClosedPortIsUnreachable) {
    // A port nobody listens on: bind one, close it, use it.
    int probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    writeSetting("updateaddress",
                 ("http://127.0.0.1:" + std::to_string(ntohs(address.sin_port))).c_str());
    std::string token;
    EXPECT_EQ(checkForNewVersion(false, &token), UpdateResult::unreachable);
}

TEST_F(UpdateFetchTest, ANewerVersionOnThePageIsFound) {
    OnePageServer server("<html><body><h2>Version 2099.1 beta</h2>...</body></html>");
    writeSetting("updateaddress",
                 ("http://127.0.0.1:" + std::to_string(server.port) + "/").c_str());
    std::string token;
    EXPECT_EQ(checkForNewVersion(false, &token), UpdateResult::newVersion);
    EXPECT_EQ(token, "2099.1");
    EXPECT_EQ(server.request.rfind("GET /Programs/Changes.html ", 0), 0u) << server.request;
    EXPECT_NE(server.request.find("User-Agent: Kalix"), std::string::npos);
}

}  // namespace kalix
