#include "server/deadline_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <system_error>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
// Waits are cut into steps so that a server told to stop ends them soon.
constexpr long long stepMs = 50;
// A request's line and headers: cpp-httplib takes a target of up to 8 KiB, and headers besides.
constexpr std::size_t headLimit = 16 * 1024;
// Files the service keeps open besides its connections: standard streams, the listening socket,
// the lobby's pipe, the database and its journal, the log, the copies of patches.
constexpr std::size_t keptFiles = 64;

// Milliseconds from now until end, at most a step, 0 once it has passed.
int stepUntil(Clock::time_point end)
{
    long long left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    return static_cast<int>(std::clamp(left, 0LL, stepMs));
}

void addressOf(const sockaddr_storage& address, std::string& ip, int& port)
{
    char text[INET6_ADDRSTRLEN] = "";
    if (address.ss_family == AF_INET) {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

void closeConnection(socket_t sock)
{
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
}

// A body that would have to be read before the request could be answered: one declared past the
// limit, or one whose size is known only once it has all come.
bool bodyRefused(const httplib::Request& request)
{
    return request.has_header("Transfer-Encoding") || request.has_header("Content-Encoding") ||
           request.get_header_value<std::uint64_t>("Content-Length") > DeadlineServer::bodyLimit;
}

// The connections a service may hold: fewer than the files it may open, with room for its own.
std::size_t connectionsForOpenFiles()
{
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY)
        return SIZE_MAX;
    std::size_t open = static_cast<std::size_t>(files.rlim_cur);
    return open > 2 * keptFiles ? open - keptFiles : std::max<std::size_t>(open / 2, 1);
}

// Workers started as jobs need them, up to a limit: a connection that takes an hour to read a
// patch holds one, and a real request still finds another.
class GrowingPool {
public:
    using Starter = std::function<std::thread(std::function<void()>)>;
    GrowingPool(std::size_t most, Starter start) : most(std::max<std::size_t>(most, 1)), start(std::move(start)) {}
    // False when no worker runs and none can start (a process limit): the job is not taken.
    bool enqueue(std::function<void()> job)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (jobs.size() >= idle && threads.size() < most) {
            try {
                threads.push_back(start([this] { work(); }));
            } catch (const std::system_error&) {
                // It waits for a worker that runs already, if there is one.
                if (threads.empty())
                    return false;
            }
        }
        jobs.push_back(std::move(job));
        wake.notify_one();
        return true;
    }
    // The jobs still queued are run first: each closes its connection at once.
    void shutdown()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        wake.notify_all();
        for (std::thread& t : threads)
            t.join();
        threads.clear();
    }

private:
    void work()
    {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            ++idle;
            wake.wait(lock, [this] { return !jobs.empty() || stopping; });
            --idle;
            if (jobs.empty())
                return;
            std::function<void()> job = std::move(jobs.front());
            jobs.pop_front();
            lock.unlock();
            job();
            lock.lock();
        }
    }

    std::size_t most;
    Starter start;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    std::vector<std::thread> threads;
    std::size_t idle = 0;
    bool stopping = false;
};

// One connection: reads end at the request's deadline, writes at the reply's.
class DeadlineStream : public httplib::Stream {
public:
    DeadlineStream(socket_t sock, const std::atomic<socket_t>& listening, Clock::duration writeWait,
                   Clock::duration replyWait)
        : sock(sock), listening(listening), writeWait(writeWait), replyWait(replyWait)
    {
    }
    Clock::time_point readDeadline;
    bool lateRequest = false;   // a read found the deadline passed
    bool overLimit = false;     // a read found the request's bytes spent

    // The next request may read this many bytes, and its reply begins with the next write.
    void beginRequest(std::size_t limit)
    {
        readLeft = limit;
        replying = false;
    }

    // True once a request has begun to arrive (or the peer has closed) before end.
    bool awaitRequest(Clock::time_point end) const { return buffered() || await(POLLIN, end); }
    // Bytes of the next request already read.
    bool buffered() const { return readAt < received; }

    bool is_readable() const override { return awaitRequest(readDeadline); }
    // Writes wait for the reader themselves.
    bool is_writable() const override { return listening != INVALID_SOCKET; }
    ssize_t read(char* ptr, size_t size) override
    {
        if (readLeft == 0) {
            overLimit = true;
            return -1;
        }
        size = std::min(size, readLeft);
        if (readAt == received) {
            if (!await(POLLIN, readDeadline)) {
                lateRequest = true;
                return -1;
            }
            ssize_t n;
            do
                n = ::recv(sock, buffer, sizeof buffer, 0);
            while (n < 0 && errno == EINTR);
            if (n <= 0)
                return n;
            readAt = 0;
            received = static_cast<size_t>(n);
        }
        size_t n = std::min(size, received - readAt);
        std::memcpy(ptr, buffer + readAt, n);
        readAt += n;
        readLeft -= n;
        return static_cast<ssize_t>(n);
    }
    // Whatever the socket takes now. When it takes nothing, it is tried again every step: poll
    // tells of room only once a third of the buffer is free, which a slow reader takes long to make.
    ssize_t write(const char* ptr, size_t size) override
    {
        if (!replying) {
            replying = true;
            takenAt = Clock::now();
            replyEnd = takenAt + replyWait;
        }
        for (;;) {
            ssize_t n = ::send(sock, ptr, size, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                takenAt = Clock::now();
                return n;
            }
            if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                return n;
            Clock::time_point end = std::min(takenAt + writeWait, replyEnd);
            if (listening == INVALID_SOCKET || Clock::now() >= end)
                return -1;
            pollfd p{sock, POLLOUT, 0};
            ::poll(&p, 1, stepUntil(end));
        }
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getpeername(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            addressOf(address, ip, port);
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override
    {
        sockaddr_storage address{};
        socklen_t length = sizeof address;
        if (::getsockname(sock, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            addressOf(address, ip, port);
    }
    socket_t socket() const override { return sock; }

private:
    // True when the socket is ready for events before end, and the server still listens.
    bool await(short events, Clock::time_point end) const
    {
        while (listening != INVALID_SOCKET) {
            bool last = Clock::now() >= end;
            pollfd p{sock, events, 0};
            int ready = ::poll(&p, 1, stepUntil(end));
            if (ready > 0)
                return true;
            if ((ready < 0 && errno != EINTR) || last)
                return false;
        }
        return false;
    }

    socket_t sock;
    const std::atomic<socket_t>& listening;
    Clock::duration writeWait, replyWait;
    char buffer[4096];
    size_t readAt = 0, received = 0;   // buffer[readAt, received) is still to be read
    size_t readLeft = 0;
    bool replying = false;
    Clock::time_point takenAt, replyEnd;   // the reader last took bytes; the reply must be whole
};

}

struct DeadlineServer::Connection {
    socket_t sock;
    Clock::time_point since;   // accepted, or its last reply sent: the next request's wait counts from here
    std::size_t requestsLeft;
};

// The connections that wait for their next request, watched by one thread: one whose request
// begins goes to a worker, one whose wait has passed is closed. It counts every connection the
// server holds, waiting or served, and keeps them under a limit.
class DeadlineServer::Lobby {
public:
    Lobby(DeadlineServer& server, std::size_t maxWorkers, std::size_t mostConnections)
        : server(server), most(std::max<std::size_t>(mostConnections, 1)),
          workers(maxWorkers, [&server](std::function<void()> work) { return server.startWorker(std::move(work)); })
    {
        if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
            wakePipe[0] = wakePipe[1] = -1;
        thread = std::thread([this] { watch(); });
    }
    ~Lobby() { stop(); }

    // A connection just accepted. Past the most held, the one that has waited longest for its next
    // request makes room (not one whose request has begun to arrive), or this one when none waits.
    void admit(const Connection& connection)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (held >= most) {
            auto oldest = std::find_if(waiting.begin(), waiting.end(), [](const Connection& c) {
                pollfd p{c.sock, POLLIN, 0};
                return c.sock != INVALID_SOCKET && ::poll(&p, 1, 0) == 0;
            });
            if (oldest == waiting.end()) {
                closeConnection(connection.sock);
                return;
            }
            closeHeld(oldest->sock);
            oldest->sock = INVALID_SOCKET;   // dropped by the watcher, whose poll it may be in
        }
        ++held;
        enterHeld(connection);
    }

    // A held connection whose next request has not begun.
    void enter(const Connection& connection)
    {
        std::lock_guard<std::mutex> lock(mutex);
        enterHeld(connection);
    }

    // A held connection the server is done with.
    void close(socket_t sock)
    {
        std::lock_guard<std::mutex> lock(mutex);
        closeHeld(sock);
    }

    // Closes the connections still waiting, and ends the workers once their connections are done.
    void stop()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (stopping)
                return;
            stopping = true;
            ssize_t written = ::write(wakePipe[1], "", 1);
            (void)written;
        }
        thread.join();
        {
            std::lock_guard<std::mutex> lock(mutex);
            for (const Connection& c : waiting)
                if (c.sock != INVALID_SOCKET)
                    closeHeld(c.sock);
            waiting.clear();
        }
        workers.shutdown();
        ::close(wakePipe[0]);
        ::close(wakePipe[1]);
    }

private:
    Clock::time_point deadline(const Connection& c) const { return c.since + server.firstByteWait(); }

    // With the mutex held.
    void enterHeld(const Connection& connection)
    {
        if (stopping) {
            closeHeld(connection.sock);
            return;
        }
        waiting.push_back(connection);
        char byte = 0;
        ssize_t written = ::write(wakePipe[1], &byte, 1);
        (void)written;   // a full pipe has woken the watcher already
    }
    void closeHeld(socket_t sock)
    {
        closeConnection(sock);
        --held;
    }

    void watch()
    {
        std::vector<pollfd> watched;
        std::unique_lock<std::mutex> lock(mutex);
        while (!stopping) {
            watched.assign(1, pollfd{wakePipe[0], POLLIN, 0});
            Clock::time_point next = Clock::now() + std::chrono::milliseconds(stepMs);
            for (const Connection& c : waiting) {
                watched.push_back({c.sock, POLLIN, 0});
                next = std::min(next, deadline(c));
            }
            lock.unlock();
            ::poll(watched.data(), watched.size(), stepUntil(next) + 1);
            char drained[64];
            while (::read(wakePipe[0], drained, sizeof drained) > 0) {
            }
            server.lobbyWoken();
            lock.lock();
            // Those that came in meanwhile are at the end, unwatched yet: they stay.
            const Clock::time_point now = Clock::now();
            std::size_t kept = 0;
            for (std::size_t i = 0; i < waiting.size(); ++i) {
                const Connection c = waiting[i];
                bool watchedNow = i + 1 < watched.size();
                if (c.sock == INVALID_SOCKET)
                    continue;
                if (watchedNow && watched[i + 1].revents) {
                    // No worker runs and none can start: closed rather than left with no one to serve it.
                    if (!workers.enqueue([this, c] { server.serve(c); }))
                        closeHeld(c.sock);
                } else if (watchedNow && now >= deadline(c)) {
                    closeHeld(c.sock);
                } else {
                    waiting[kept++] = c;
                }
            }
            waiting.resize(kept);
        }
    }

    DeadlineServer& server;
    const std::size_t most;
    std::size_t held = 0;   // connections accepted and not yet closed
    GrowingPool workers;
    std::mutex mutex;
    std::vector<Connection> waiting;   // in the order they came; a closed one's socket is invalid
    bool stopping = false;
    int wakePipe[2] = {-1, -1};
    std::thread thread;
};

namespace {

// cpp-httplib queues each accepted connection as a job that calls process_and_close_socket: it is
// run at once, on the listening thread, and only moves the connection into the lobby.
class Admissions : public httplib::TaskQueue {
public:
    explicit Admissions(std::function<void()> onShutdown) : onShutdown(std::move(onShutdown)) {}
    void enqueue(std::function<void()> admit) override { admit(); }
    void shutdown() override { onShutdown(); }

private:
    std::function<void()> onShutdown;
};

}

DeadlineServer::DeadlineServer(std::size_t maxWorkers) : maxWorkers(maxWorkers)
{
    new_task_queue = [this] {
        std::size_t most = mostConnections > 0 ? mostConnections : connectionsForOpenFiles();
        lobby = std::make_unique<Lobby>(*this, this->maxWorkers, most);
        return new Admissions([this] { lobby->stop(); });
    };
    // Before cpp-httplib reads the body; serve() closes the connection over it.
    set_pre_routing_handler([](const httplib::Request& request, httplib::Response& response) {
        if (!bodyRefused(request))
            return HandlerResponse::Unhandled;
        response.status = 413;
        response.set_header("Connection", "close");
        return HandlerResponse::Handled;
    });
}

DeadlineServer::~DeadlineServer() = default;

std::thread DeadlineServer::startWorker(std::function<void()> work)
{
    return std::thread(std::move(work));
}

bool DeadlineServer::widenBacklog()
{
    return ::listen(svr_sock_, SOMAXCONN) == 0;
}

std::chrono::microseconds DeadlineServer::readWait() const
{
    return std::chrono::seconds(read_timeout_sec_) + std::chrono::microseconds(read_timeout_usec_);
}

std::chrono::microseconds DeadlineServer::firstByteWait() const
{
    return std::min<std::chrono::microseconds>(readWait(), std::chrono::seconds(keep_alive_timeout_sec_));
}

bool DeadlineServer::process_and_close_socket(socket_t sock)
{
    if (sendBuffer > 0)
        ::setsockopt(sock, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    lobby->admit({sock, Clock::now(), keep_alive_max_count_});
    return true;
}

void DeadlineServer::serve(Connection c)
{
    DeadlineStream stream(c.sock, svr_sock_,
                          std::chrono::seconds(write_timeout_sec_) + std::chrono::microseconds(write_timeout_usec_),
                          replyWait);
    while (c.requestsLeft > 0 && svr_sock_ != INVALID_SOCKET) {
        // A request already whole is read however late; one that is not is given only what is left.
        stream.readDeadline = c.since + readWait();
        if (!stream.awaitRequest(c.since + firstByteWait()))
            break;
        bool closed = false, refused = false;
        stream.beginRequest(headLimit + bodyLimit);
        bool ok = process_request(stream, c.requestsLeft == 1, closed,
                                  [&refused](httplib::Request& request) { refused = bodyRefused(request); });
        --c.requestsLeft;
        // cpp-httplib answers a request whose headers ended early, and would read on; a refused
        // body is still to come.
        if (!ok || closed || refused || stream.lateRequest || stream.overLimit)
            break;
        c.since = Clock::now();
        // Until the next request begins, the connection waits without a worker.
        if (!stream.buffered()) {
            lobby->enter(c);
            return;
        }
    }
    lobby->close(c.sock);
}
