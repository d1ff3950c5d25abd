#include "server/deadline_server.h"
#include "server/raw_listener.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t replyBytes = std::size_t(32) << 20;

// A server of its own: "/page" answers a few bytes, "/reply" 32 MiB made as they are sent.
struct Served {
    DeadlineServer server;
    std::thread thread;
    int port = 0;
    Served(std::size_t workers, int replySeconds, int takeSeconds, int requestSeconds = 2) : server(workers)
    {
        server.set_read_timeout(requestSeconds, 0);
        server.set_keep_alive_timeout(requestSeconds);
        server.set_write_timeout(takeSeconds, 0);
        server.setReplyTimeout(std::chrono::seconds(replySeconds));
        server.Get("/page", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("page", "text/plain");
        });
        server.Get("/reply", [](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(replyBytes, "application/octet-stream",
                                          [](std::size_t, std::size_t length, httplib::DataSink& sink) {
                                              static const std::string piece(64 * 1024, 'r');
                                              return sink.write(piece.data(), std::min(length, piece.size()));
                                          });
        });
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~Served()
    {
        server.stop();
        thread.join();
    }
};

// A connection that asks for "/reply" with a small receive buffer, as a slow line has.
int askForReply(int port)
{
    int s = connectToLoopback(port, 16 * 1024);
    timeval wait{30, 0};   // no read waits for ever, whatever the server does
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    const std::string request = "GET /reply HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    EXPECT_EQ(::send(s, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
    return s;
}

// Reads the reply at perStep bytes every 50 ms for slowMs, then as fast as it comes until the
// server ends it: the bytes of its body that arrived.
std::size_t readReply(int port, std::size_t perStep, int slowMs)
{
    int s = askForReply(port);
    std::string bytes;
    std::vector<char> buffer(1 << 16);
    const auto fast = std::chrono::steady_clock::now() + std::chrono::milliseconds(slowMs);
    for (;;) {
        bool slow = std::chrono::steady_clock::now() < fast;
        ssize_t n = slow && perStep == 0 ? 0 : ::recv(s, buffer.data(), slow ? std::min(perStep, buffer.size()) : buffer.size(), 0);
        if (!slow && n <= 0)
            break;
        if (n > 0)
            bytes.append(buffer.data(), static_cast<std::size_t>(n));
        if (slow)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::close(s);
    std::size_t head = bytes.find("\r\n\r\n");
    return head == std::string::npos ? 0 : bytes.size() - head - 4;
}

}

// A reply must be taken whole within the reply time-out, and a reader that takes nothing for the
// write time-out is gone; one that keeps up gets the whole reply, and so does one that takes a
// little at a time, less than the socket tells of room for. The reply is far larger than the
// socket buffers, so a cut reply cannot have been sent whole into them first.
TEST(DeadlineServer, ReadersPastTheirDeadlineAreCutOff)
{
    struct Case {
        const char* reader;
        int replySeconds, takeSeconds;
        std::size_t perStep;
        int slowMs;
        bool whole;
    };
    for (const Case& c : std::vector<Case>{{"keeping up", 3600, 60, 1 << 16, 0, true},
                                           {"reading slowly but steadily", 3600, 2, 16 * 1024, 3000, true},
                                           {"still reading after the reply's deadline", 1, 60, 16 * 1024, 2000, false},
                                           {"taking nothing", 3600, 1, 0, 2000, false}}) {
        Served served(4, c.replySeconds, c.takeSeconds);
        std::size_t body = readReply(served.port, c.perStep, c.slowMs);
        if (c.whole)
            EXPECT_EQ(body, replyBytes) << c.reader;
        else
            EXPECT_LT(body, replyBytes / 2) << c.reader;
    }
}

// A connection holds a worker only while its request arrives or its reply is taken: connections
// that send nothing wait in the lobby, so with every other worker held by a reader, a real request
// is still answered, and answered again on its connection, long before the idle ones' deadline.
TEST(DeadlineServer, IdleConnectionsHoldNoWorker)
{
    Served served(3, 3600, 30, 30);
    std::vector<int> idle, readers;
    for (int i = 0; i < 10; ++i)
        idle.push_back(connectToLoopback(served.port));
    for (int i = 0; i < 2; ++i)
        readers.push_back(askForReply(served.port));
    std::string body;
    CURL* handle = curl_easy_init();
    const std::string url = "http://127.0.0.1:" + std::to_string(served.port) + "/page";
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, +[](char* bytes, std::size_t size, std::size_t count, void* to) {
        static_cast<std::string*>(to)->append(bytes, size * count);
        return size * count;
    });
    for (int ask = 0; ask < 2; ++ask) {
        body.clear();
        EXPECT_EQ(curl_easy_perform(handle), CURLE_OK) << ask;
        EXPECT_EQ(body, "page") << ask;
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    long connects = -1;
    curl_easy_getinfo(handle, CURLINFO_NUM_CONNECTS, &connects);
    EXPECT_EQ(connects, 0) << "the second answer came on a new connection";
    curl_easy_cleanup(handle);
    for (int s : idle)
        ::close(s);
    for (int s : readers)
        ::close(s);
}
