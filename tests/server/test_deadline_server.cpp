#include "server/deadline_server.h"
#include "server/raw_listener.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;
constexpr std::size_t replyBytes = std::size_t(32) << 20;
constexpr std::size_t lateBytes = std::size_t(1) << 20;

// Its workers start only while the test lets them, as under a process limit.
struct TestServer : DeadlineServer {
    using DeadlineServer::DeadlineServer;
    std::atomic<int> startsLeft{INT_MAX};
    std::thread startWorker(std::function<void()> work) override
    {
        if (startsLeft-- <= 0)
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        return DeadlineServer::startWorker(std::move(work));
    }
    // The lobby's watcher stops where it wakes while the test holds it.
    std::mutex lobbyMutex;
    std::condition_variable lobbyChanged;
    bool holdingLobby = false, lobbyHeld = false;
    void lobbyWoken() override
    {
        std::unique_lock<std::mutex> lock(lobbyMutex);
        lobbyHeld = holdingLobby;
        lobbyChanged.notify_all();
        lobbyChanged.wait_for(lock, std::chrono::seconds(30), [this] { return !holdingLobby; });
        lobbyHeld = false;
    }
    // True once the watcher is held: it wakes at least every step.
    bool holdLobby()
    {
        std::unique_lock<std::mutex> lock(lobbyMutex);
        holdingLobby = true;
        return lobbyChanged.wait_for(lock, std::chrono::seconds(10), [this] { return lobbyHeld; });
    }
    void freeLobby()
    {
        std::lock_guard<std::mutex> lock(lobbyMutex);
        holdingLobby = false;
        lobbyChanged.notify_all();
    }
};

// A server of its own: "/page" answers a few bytes, "/reply" 32 MiB made as they are sent, "/held"
// a few bytes once the test lets it go, "/late" 1 MiB 2.5 s after it is asked for. Both ends'
// buffers are fixed (the server's send buffer here, the reader's receive buffer where it connects):
// the kernel's autotuning stops when the machine's TCP memory is under pressure.
struct Served {
    TestServer server;
    std::thread thread;
    int port = 0;
    std::mutex mutex;
    std::condition_variable released;
    bool letGo = false;
    std::size_t holds = 0;   // requests for "/held" that have reached it
    Served(std::size_t workers, int replySeconds, int takeSeconds, std::chrono::milliseconds requestWait = 2s,
           std::size_t connections = 0)
        : server(workers)
    {
        server.set_read_timeout(requestWait);
        server.set_keep_alive_timeout(std::chrono::ceil<std::chrono::seconds>(requestWait).count());
        server.set_write_timeout(takeSeconds, 0);
        server.setReplyTimeout(std::chrono::seconds(replySeconds));
        server.setSendBuffer(64 * 1024);
        if (connections > 0)
            server.setMostConnections(connections);
        server.Get("/page", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("page", "text/plain");
        });
        server.Get("/held", [this](const httplib::Request&, httplib::Response& response) {
            std::unique_lock<std::mutex> lock(mutex);
            ++holds;
            released.notify_all();
            released.wait_for(lock, std::chrono::seconds(30), [this] { return letGo; });
            response.set_content("held", "text/plain");
        });
        server.Get("/late", [](const httplib::Request&, httplib::Response& response) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2500));
            response.set_content(std::string(lateBytes, 'l'), "text/plain");
        });
        server.Get("/reply", [](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(replyBytes, "application/octet-stream",
                                          [](std::size_t, std::size_t length, httplib::DataSink& sink) {
                                              static const std::string piece(64 * 1024, 'r');
                                              return sink.write(piece.data(), std::min(length, piece.size()));
                                          });
        });
        port = server.bind_to_any_port("127.0.0.1");
        EXPECT_TRUE(server.widenBacklog());
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // True once count requests for "/held" have reached it.
    bool holding(std::size_t count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return released.wait_for(lock, std::chrono::seconds(10), [&] { return holds >= count; });
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        letGo = true;
        released.notify_all();
    }
    ~Served()
    {
        release();
        server.freeLobby();
        server.stop();
        thread.join();
    }
};

// A connection that has sent text, or -1.
int sendRequest(int port, const std::string& text, int receiveBuffer = 0)
{
    int s = connectToLoopback(port, receiveBuffer);
    if (s >= 0 && ::send(s, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size())) {
        ::close(s);
        s = -1;
    }
    return s;
}

bool startsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

std::string get(const std::string& path)
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
}

struct Reply {
    std::string status;   // "HTTP/1.1 200 OK"
    std::string body;
};
struct Replies {
    std::vector<Reply> whole;
    bool closed = false;   // the server ended the connection
};

// The replies that arrive whole on s, up to count, until the server closes it or 20 s pass.
Replies takeReplies(int s, std::size_t count)
{
    Replies replies;
    std::string bytes;
    std::vector<char> buffer(1 << 16);
    const auto end = Clock::now() + std::chrono::seconds(20);
    while (replies.whole.size() < count) {
        std::size_t head = bytes.find("\r\n\r\n");
        if (head != std::string::npos) {
            std::size_t length = 0, field = bytes.find("Content-Length: ");
            if (field < head)
                length = std::stoul(bytes.substr(field + 16));
            if (bytes.size() >= head + 4 + length) {
                replies.whole.push_back({bytes.substr(0, bytes.find("\r\n")), bytes.substr(head + 4, length)});
                bytes.erase(0, head + 4 + length);
                continue;
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        pollfd p{s, POLLIN, 0};
        if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
            break;
        ssize_t n = ::recv(s, buffer.data(), buffer.size(), 0);
        if (n <= 0) {
            replies.closed = true;
            break;
        }
        bytes.append(buffer.data(), static_cast<std::size_t>(n));
    }
    return replies;
}

// Ends a connection from this side and waits until the service has closed it too.
bool endConnection(int s)
{
    ::shutdown(s, SHUT_WR);
    bool closed = takeReplies(s, 1).closed;
    ::close(s);
    return closed;
}

// A connection that asks for "/reply" with a small receive buffer, as a slow line has.
int askForReply(int port)
{
    int s = sendRequest(port, "GET /reply HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n", 16 * 1024);
    EXPECT_GE(s, 0);
    timeval wait{30, 0};   // no read waits for ever, whatever the server does
    ::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
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
// socket buffers, so a cut reply cannot have been sent whole into them first. Both buffers are
// fixed, so the case holds while the machine's TCP memory is past its pressure mark.
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
    Served served(3, 3600, 30, 30s);
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

// A connection that has had its answer waits for its next request in the lobby, not on its
// worker: with every worker once used by a connection still open, a new one is answered at once,
// long before the others' 30 s wait for a next request has passed.
TEST(DeadlineServer, AnsweredConnectionsGiveBackTheirWorker)
{
    Served served(2, 3600, 30, 30s);
    std::vector<int> answered;
    for (int i = 0; i < 3; ++i) {
        answered.push_back(sendRequest(served.port, get("/page")));
        Replies replies = takeReplies(answered.back(), 1);
        ASSERT_EQ(replies.whole.size(), 1u) << "connection " << i;
        EXPECT_EQ(replies.whole[0].body, "page") << "connection " << i;
    }
    for (int s : answered)
        ::close(s);
}

// Requests sent together on one connection are answered in turn, each reply with a deadline of
// its own: the second, begun after the first reply's deadline had passed, still arrives whole.
TEST(DeadlineServer, PipelinedRepliesHaveADeadlineEach)
{
    Served served(2, 2, 60, 30s);
    int s = sendRequest(served.port, get("/page") + get("/late"), 16 * 1024);
    Replies replies = takeReplies(s, 2);
    ASSERT_EQ(replies.whole.size(), 2u);
    EXPECT_EQ(replies.whole[0].body, "page");
    EXPECT_EQ(replies.whole[1].body.size(), lateBytes);
    ::close(s);
}

// A body is refused before it is read: one declared larger than the limit, in chunks or compressed
// is answered 413 and its connection closed; a request line or a header that never ends is cut at
// the limit. A client pushing zeros after any of them is stopped after a few KiB read and the
// socket buffers, not after the 30 s a request may take.
TEST(DeadlineServer, BodiesPastTheLimitAreRefusedUnread)
{
    Served served(4, 3600, 60, 30s);
    const std::string sixteenGiB = "Content-Length: 17179869184\r\n\r\n";
    struct Case {
        const char* what;
        std::string head;
        std::string status;   // empty: any answer, or none
    };
    for (const Case& c : std::vector<Case>{
             {"a declared 16 GiB", "POST /page HTTP/1.1\r\nHost: 127.0.0.1\r\n" + sixteenGiB, "HTTP/1.1 413"},
             {"16 GiB on a GET", "GET /page HTTP/1.1\r\nHost: 127.0.0.1\r\n" + sixteenGiB, "HTTP/1.1 413"},
             {"a chunk of 16 GiB", "POST /page HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n400000000\r\n", "HTTP/1.1 413"},
             {"compressed", "POST /page HTTP/1.1\r\nContent-Encoding: gzip\r\nContent-Length: 100\r\n\r\n", "HTTP/1.1 413"},
             {"a request line that never ends", "GET /page", ""},
             {"a header that never ends", "GET /page HTTP/1.1\r\nX-Long: ", ""}}) {
        int s = sendRequest(served.port, c.head);
        ASSERT_GE(s, 0) << c.what;
        // Zeros as fast as the server takes them; a send that waits 20 s for room ends the push too.
        timeval wait{20, 0};
        ::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
        const std::vector<char> zeros(1 << 16, 0);
        std::size_t pushed = 0;
        ssize_t sent = 0;
        while (pushed < (64u << 20) && (sent = ::send(s, zeros.data(), zeros.size(), MSG_NOSIGNAL)) > 0)
            pushed += static_cast<std::size_t>(sent);
        EXPECT_TRUE(sent < 0 && errno != EAGAIN) << c.what << ": " << (pushed >> 20) << " MiB taken";
        // The answer came before the connection ended.
        std::string answer(4096, '\0');
        answer.resize(static_cast<std::size_t>(std::max<ssize_t>(::recv(s, answer.data(), answer.size(), MSG_DONTWAIT), 0)));
        ::close(s);
        EXPECT_TRUE(startsWith(answer, c.status)) << c.what << ": " << answer;
    }
    // A refused body is never read as the next request.
    int s = sendRequest(served.port, "POST /page HTTP/1.1\r\nContent-Length: 5000\r\n\r\n" + get("/page"));
    Replies refused = takeReplies(s, 2);
    ::close(s);
    ASSERT_EQ(refused.whole.size(), 1u);
    EXPECT_TRUE(startsWith(refused.whole[0].status, "HTTP/1.1 413")) << refused.whole[0].status;
    EXPECT_TRUE(refused.closed);
    s = sendRequest(served.port, get("/page"));
    Replies after = takeReplies(s, 1);
    ASSERT_EQ(after.whole.size(), 1u);
    EXPECT_EQ(after.whole[0].body, "page");
    ::close(s);
}

// Connections past the most held make room: those that waited longest for a request, while the
// newest stay open and a real request is answered, long before the idle ones' deadline.
TEST(DeadlineServer, ConnectionsPastTheMostHeldCloseTheOldestIdle)
{
    constexpr std::size_t most = 8, opened = 20;
    Served served(2, 3600, 30, 30s, most);
    std::vector<int> idle;
    for (std::size_t i = 0; i < opened; ++i) {
        idle.push_back(connectToLoopback(served.port));
        ASSERT_GE(idle.back(), 0);
    }
    for (std::size_t i = 0; i < opened - most; ++i)
        EXPECT_TRUE(takeReplies(idle[i], 1).closed) << "connection " << i << " still open";
    for (std::size_t i = opened - most; i < opened; ++i) {
        pollfd p{idle[i], POLLIN, 0};
        EXPECT_EQ(::poll(&p, 1, 0), 0) << "connection " << i << " was closed";
    }
    int s = sendRequest(served.port, get("/page"));
    Replies replies = takeReplies(s, 1);
    ASSERT_EQ(replies.whole.size(), 1u);
    EXPECT_EQ(replies.whole[0].body, "page");
    ::close(s);
    for (int c : idle)
        ::close(c);
}

// At the most held, a new connection closes the oldest whose request has not begun, and spares an
// older one whose request has begun to arrive, though the lobby's watcher has not yet seen it:
// that request, once whole, is answered.
TEST(DeadlineServer, ConnectionsPastTheMostHeldSpareABegunRequest)
{
    constexpr std::size_t most = 4;
    Served served(2, 3600, 30, 30s, most);
    ASSERT_TRUE(served.server.holdLobby());
    const std::string request = get("/page");
    int begun = sendRequest(served.port, request.substr(0, request.size() / 2));
    ASSERT_GE(begun, 0);
    std::vector<int> idle;
    for (std::size_t i = 1; i <= most; ++i) {
        idle.push_back(connectToLoopback(served.port));
        ASSERT_GE(idle.back(), 0);
    }
    // The first connection the service closes.
    pollfd first[2] = {{idle[0], POLLIN, 0}, {begun, POLLIN, 0}};
    ASSERT_GT(::poll(first, 2, 20000), 0);
    EXPECT_TRUE(first[0].revents) << "the oldest idle connection is still open";
    EXPECT_FALSE(first[1].revents) << "the connection whose request had begun was closed";
    for (std::size_t i = 1; i < idle.size(); ++i) {
        pollfd p{idle[i], POLLIN, 0};
        EXPECT_EQ(::poll(&p, 1, 0), 0) << "connection " << i << " was closed";
    }
    served.server.freeLobby();
    const std::string rest = request.substr(request.size() / 2);
    ASSERT_EQ(::send(begun, rest.data(), rest.size(), MSG_NOSIGNAL), static_cast<ssize_t>(rest.size()));
    Replies replies = takeReplies(begun, 1);
    ASSERT_EQ(replies.whole.size(), 1u);
    EXPECT_EQ(replies.whole[0].body, "page");
    ::close(begun);
    for (int s : idle)
        ::close(s);
}

// As many connections as the most held are held at once: each asks for "/held" while the lobby's
// watcher is held, so that none is closed for its wait however slowly the requests come, and each
// is answered once all have reached it. A place lost before closes one of them unanswered.
void expectTheMostHeld(Served& served, std::size_t most, const std::string& after)
{
    ASSERT_TRUE(served.server.holdLobby()) << after;
    std::vector<int> open;
    for (std::size_t i = 0; i < most; ++i) {
        open.push_back(sendRequest(served.port, get("/held")));
        ASSERT_GE(open.back(), 0) << after;
    }
    served.server.freeLobby();
    EXPECT_TRUE(served.holding(most)) << after << ": fewer than the most held reached their handler";
    served.release();
    for (std::size_t i = 0; i < most; ++i) {
        Replies replies = takeReplies(open[i], 1);
        EXPECT_EQ(replies.whole.size(), 1u) << after << ", connection " << i;
        EXPECT_TRUE(endConnection(open[i])) << after << ", connection " << i;
    }
}

// However a connection ends, it gives back its place among the most held: after the most held
// have ended one way, each on a service of its own, as many new connections are held at once.
TEST(DeadlineServer, EndedConnectionsGiveBackTheirPlace)
{
    constexpr std::size_t most = 4;
    struct Case {
        const char* ending;
        std::string sent;               // at once, on each connection
        int answers;                    // whole replies before it ends (-1: any)
        bool clientEnds;                // after its answers; or the service ends it
        std::chrono::milliseconds wait; // for a request to begin, and to be whole
        bool crowded = false;           // as many newer idle connections follow
        bool noWorker = false;          // no worker can start
    };
    const std::string closing = "GET /page HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    const std::string endless = "GET /page HTTP/1.1\r\nX-Long: " + std::string(32 * 1024, 'x');
    for (const Case& c : std::vector<Case>{
             {"closed by the service after its answer", closing, 1, false, 30s},
             {"closed by the client after its answer", get("/page"), 1, true, 30s},
             {"closed by the client unasked", "", 0, true, 30s},
             {"closed when its wait for a request ran out", "", 0, false, 200ms},
             {"closed when its request was not whole in time", "GET /page", 0, false, 200ms},
             {"closed when its head passed the limit", endless, -1, false, 30s},
             {"closed with its body refused", "POST /page HTTP/1.1\r\nContent-Length: 5000\r\n\r\n", 1, false, 30s},
             {"closed for a newer one past the most held", "", 0, false, 30s, true},
             {"closed as no worker could start for it", get("/page"), 0, false, 30s, false, true}}) {
        Served served(most, 3600, 30, c.wait, most);
        if (c.noWorker)
            served.server.startsLeft = 0;
        std::vector<int> open, newer;
        for (std::size_t i = 0; i < most; ++i) {
            open.push_back(connectToLoopback(served.port));
            ASSERT_GE(open.back(), 0) << c.ending;
            ASSERT_EQ(::send(open.back(), c.sent.data(), c.sent.size(), MSG_NOSIGNAL), static_cast<ssize_t>(c.sent.size()))
                << c.ending;
        }
        for (std::size_t i = 0; c.crowded && i < most; ++i)
            newer.push_back(connectToLoopback(served.port));
        // Each is seen closed by the service before the connections that count the places come.
        for (std::size_t i = 0; i < most; ++i) {
            const std::string which = std::string(c.ending) + ", connection " + std::to_string(i);
            if (c.clientEnds) {
                EXPECT_EQ(takeReplies(open[i], static_cast<std::size_t>(c.answers)).whole.size(),
                          static_cast<std::size_t>(c.answers)) << which;
                EXPECT_TRUE(endConnection(open[i])) << which;
                continue;
            }
            Replies replies = takeReplies(open[i], SIZE_MAX);
            EXPECT_TRUE(replies.closed) << which;
            if (c.answers >= 0) {
                EXPECT_EQ(replies.whole.size(), static_cast<std::size_t>(c.answers)) << which;
            }
            ::close(open[i]);
        }
        for (int s : newer)
            EXPECT_TRUE(endConnection(s)) << c.ending;
        served.server.startsLeft = INT_MAX;
        expectTheMostHeld(served, most, std::string("after connections ") + c.ending);
    }
}

// A worker that cannot start (a process limit) ends nothing: with none running, the connection is
// closed; with one running, the request waits for it; and the server answers on.
TEST(DeadlineServer, AWorkerThatCannotStartLeavesTheServerUp)
{
    Served served(4, 3600, 30, 30s);
    served.server.startsLeft = 0;
    int unserved = sendRequest(served.port, get("/page"));
    EXPECT_TRUE(takeReplies(unserved, 1).closed);
    ::close(unserved);

    served.server.startsLeft = 1;
    int holding = sendRequest(served.port, get("/held"));
    int waiting = sendRequest(served.port, get("/page"));
    // Held until the second request has met a worker that could not start.
    for (auto end = Clock::now() + std::chrono::seconds(10); served.server.startsLeft >= 0 && Clock::now() < end;)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_LT(served.server.startsLeft, 0);
    served.release();
    Replies first = takeReplies(holding, 1), second = takeReplies(waiting, 1);
    ASSERT_EQ(first.whole.size(), 1u);
    EXPECT_EQ(first.whole[0].body, "held");
    ASSERT_EQ(second.whole.size(), 1u) << "the request that waited for the running worker";
    EXPECT_EQ(second.whole[0].body, "page");
    ::close(holding);
    ::close(waiting);
}
