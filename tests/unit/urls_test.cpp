// The URL builtins against a small HTTP server on 127.0.0.1 that the test
// starts and stops: lines with "\r\n" and "\n", long lines in pieces,
// redirections, missing resources, a transfer that breaks off, and Escape
// while data are awaited.
#include <gtest/gtest.h>

#include "program_fixture.h"
#include "threaded_suite.h"
#include "waiting.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <thread>

#include "platform/host.h"
#include "platform/url_reader.h"
#include "terminal/terminal_host.h"

namespace kalix {

namespace {

// Answers each request on a connection of its own, then closes it.
class TinyHttpServer {
  public:
    TinyHttpServer() {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        listen(listener, 16);
        server = std::thread([this] { serve(); });
    }
    ~TinyHttpServer() {
        stopping = true;
        server.join();
        close(listener);
    }
    TinyHttpServer(const TinyHttpServer&) = delete;
    TinyHttpServer& operator=(const TinyHttpServer&) = delete;

    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }
    // The first line of /slow.txt is sent; the rest never comes.
    bool slowLineSent() const { return slowLine; }

  private:
    int listener = -1;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::atomic<bool> slowLine{false};
    std::thread server;

    static void send(int connection, const std::string& text) {
        for (size_t done = 0; done < text.size();) {
            ssize_t n = ::send(connection, text.data() + done, text.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return;
            done += size_t(n);
        }
    }
    static std::string response(const std::string& status, const std::string& body,
                                const std::string& extra = "") {
        return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n" + extra + "\r\n" + body;
    }

    void answer(int connection, const std::string& path) {
        std::string lines;
        for (int i = 1; i <= 1000; i++) lines += "line " + std::to_string(i) + "\n";
        if (path == "/a.txt") {
            send(connection, response("200 OK", "a\r\nb\n"));
        } else if (path == "/long.txt") {
            send(connection, response("200 OK", std::string(40000, 'x')));
        } else if (path == "/lines.txt") {
            send(connection, response("200 OK", lines));
        } else if (path == "/empty.txt") {
            send(connection, response("200 OK", ""));
        } else if (path == "/moved") {
            send(connection, response("302 Found", "", "Location: /a.txt\r\n"));
        } else if (path == "/truncated.txt") {
            // 1000 bytes promised, 13 sent.
            send(connection,
                 "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: "
                 "close\r\n\r\npartial\nrest");
        } else if (path == "/slow.txt") {
            send(connection,
                 "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\nfirst\n");
            slowLine = true;
            while (!stopping) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        } else {
            send(connection, response("404 Not Found", "no such page\n"));
        }
    }

    void serve() {
        while (!stopping) {
            pollfd watch = {listener, POLLIN, 0};
            if (poll(&watch, 1, 50) <= 0) continue;
            int connection = accept(listener, nullptr, nullptr);
            if (connection < 0) continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                ssize_t n = recv(connection, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                request.append(buffer, size_t(n));
            }
            size_t start = request.find(' ') + 1;
            answer(connection, request.substr(start, request.find(' ', start) - start));
            close(connection);
        }
    }
};

class UrlTest : public ProgramTest {
  protected:
    TinyHttpServer server;

    void TearDown() override {
        closeUrl();
        ProgramTest::TearDown();
    }

    // Runs the lines with "URL" standing for the server's address.
    std::string runWithServer(std::string program) {
        for (size_t at; (at = program.find("URL")) != std::string::npos;)
            program.replace(at, 3, server.url(""));
        run(program, true);
        return output();
    }
};

THREADED_SUITE(UrlTest);

TEST_F(UrlTest, LinesEndInLineFeedsCarriageReturnsAreDropped) {
    EXPECT_EQ(runWithServer("urlopen(\"URL/a.txt\")\n"
                            "urleof()\n"
                            "urlgetline()\nurleof()\n"
                            "urlgetline()\nurleof()\n"
                            "urlgetline()\nurleof()\n"
                            "urlgetline()\nurleof()\n"),
              "1\n0\na\n0\nb\n0\n\n1\n\n1\n");
}

TEST_F(UrlTest, EveryLineArrivesAcrossChunks) {
    std::string expected = "1\n";
    for (int i = 1; i <= 1000; i++) expected += "line " + std::to_string(i) + "\n";
    expected += "\n1\n";  // the end is seen by a read that gives ""
    EXPECT_EQ(runWithServer("urlopen(\"URL/lines.txt\");\n"
                            "urlopen(\"URL/lines.txt\")\n"  // a new open starts again
                            "repeat; until urleof(); urlgetline(), end;\n"
                            "urleof()\n"),
              expected);
}

TEST_F(UrlTest, ALongLineComesInPiecesOf32767Bytes) {
    EXPECT_EQ(runWithServer("urlopen(\"URL/long.txt\");\n"
                            "urlgetline()\nurlgetline()\nurlgetline()\n"),
              std::string(32767, 'x') + "\n" + std::string(7233, 'x') + "\n\n");
}

TEST_F(UrlTest, WhatCannotBeOpenedGivesZero) {
    EXPECT_EQ(runWithServer("urlgetline()\nurleof()\nurlclose()\n"
                            "urlopen(\"nonsense\")\nurleof()\n"
                            "urlopen(\"URL/missing\")\n"
                            "urlopen(\"file:///etc/passwd\")\n"
                            "urlopen(\"URL/empty.txt\")\nurlgetline()\nurleof()\n"
                            "urlopen(\"URL/moved\")\nurlgetline()\n"
                            "urlopen(\"URL/a.txt\"); urlclose(); urleof()\n"),
              "\n1\n0\n1\n0\n0\n1\n\n1\n1\na\n1\n");
    run("urlopen(3)\n");
    EXPECT_EQ(output().substr(0, 24), "Need string for urlopen\n");
}

TEST_F(UrlTest, ATransferThatBreaksOffIsAnError) {
    std::string printed = runWithServer(
        "urlopen(\"URL/truncated.txt\")\n"
        "urlgetline()\n"
        "urlgetline()\n"
        "urleof()\n"
        "urlgetline()\n"
        "urleof()\n");
    // What arrived comes first, the part of a line too.
    EXPECT_EQ(printed.substr(0, 17), "1\npartial\nrest\n0\n");
    EXPECT_NE(printed.find("Error while reading the URL: "), std::string::npos);
    EXPECT_EQ(printed.substr(printed.size() - 2), "1\n");  // and the URL is closed
}

TEST_F(UrlTest, EscapeStopsAWaitForData) {
    installInterruptHandler();
    checkEscape();
    // Escape once the first line is sent and the reader waits: the first
    // line arrived (its arrival woke the reader), the next read waits.
    std::thread interrupter([this, reader = currentThreadId()] {
        waitUntil([&] { return server.slowLineSent() && threadIsAsleep(reader); });
        raise(SIGINT);
    });
    std::string printed = runWithServer(
        "urlopen(\"URL/slow.txt\");\n"
        "urlgetline()\n"
        "urlgetline()\n");
    interrupter.join();
    EXPECT_EQ(printed.substr(0, 16), "first\nInterrupt\n");
}

}  // namespace

}  // namespace kalix
