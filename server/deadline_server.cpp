#include "server/deadline_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
// Waits are cut into steps so that a server told to stop ends them soon.
constexpr long long stepMs = 50;

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

// Workers started as jobs need them, up to a limit: a connection that takes an hour to read a
// patch holds one, and a real request still finds another.
class GrowingPool {
public:
    explicit GrowingPool(std::size_t most) : most(std::max<std::size_t>(most, 1)) {}
    void enqueue(std::function<void()> job)
    {
        std::lock_guard<std::mutex> lock(mutex);
        jobs.push_back(std::move(job));
        if (jobs.size() > idle && threads.size() < most)
            threads.emplace_back([this] { work(); });
        wake.notify_one();
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

    // True once a request has begun to arrive (or the peer has closed) before end.
    bool awaitRequest(Clock::time_point end) const { return buffered() || await(POLLIN, end); }
    // Bytes of the next request already read.
    bool buffered() const { return readAt < received; }
    // The next write begins a reply, and its deadline.
    void beginReply() { replying = false; }

    bool is_readable() const override { return awaitRequest(readDeadline); }
    // Writes wait for the reader themselves.
    bool is_writable() const override { return listening != INVALID_SOCKET; }
    ssize_t read(char* ptr, size_t size) override
    {
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
// begins goes to a worker, one whose wait has passed is closed.
class DeadlineServer::Lobby {
public:
    Lobby(DeadlineServer& server, std::size_t maxWorkers) : server(server), workers(maxWorkers)
    {
        if (::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
            wakePipe[0] = wakePipe[1] = -1;
        thread = std::thread([this] { watch(); });
    }
    ~Lobby() { stop(); }

    void enter(const Connection& connection)
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (!stopping) {
                waiting.push_back(connection);
                char byte = 0;
                ssize_t written = ::write(wakePipe[1], &byte, 1);
                (void)written;   // a full pipe has woken the watcher already
                return;
            }
        }
        closeConnection(connection.sock);
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
        for (const Connection& c : waiting)
            closeConnection(c.sock);
        waiting.clear();
        workers.shutdown();
        ::close(wakePipe[0]);
        ::close(wakePipe[1]);
    }

private:
    Clock::time_point deadline(const Connection& c) const { return c.since + server.firstByteWait(); }

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
            lock.lock();
            // Those that came in meanwhile are at the end, unwatched yet: they stay.
            const Clock::time_point now = Clock::now();
            std::size_t kept = 0;
            for (std::size_t i = 0; i < waiting.size(); ++i) {
                const Connection c = waiting[i];
                bool watchedNow = i + 1 < watched.size();
                if (watchedNow && watched[i + 1].revents)
                    workers.enqueue([this, c] { server.serve(c); });
                else if (watchedNow && now >= deadline(c))
                    closeConnection(c.sock);
                else
                    waiting[kept++] = c;
            }
            waiting.resize(kept);
        }
    }

    DeadlineServer& server;
    GrowingPool workers;
    std::mutex mutex;
    std::vector<Connection> waiting;   // in the order they came
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
        lobby = std::make_unique<Lobby>(*this, this->maxWorkers);
        return new Admissions([this] { lobby->stop(); });
    };
}

DeadlineServer::~DeadlineServer() = default;

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
    lobby->enter({sock, Clock::now(), keep_alive_max_count_});
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
        bool closed = false;
        stream.beginReply();
        bool ok = process_request(stream, c.requestsLeft == 1, closed, nullptr);
        --c.requestsLeft;
        // cpp-httplib answers a request whose headers ended early, and would read on.
        if (!ok || closed || stream.lateRequest)
            break;
        c.since = Clock::now();
        // Until the next request begins, the connection waits without a worker.
        if (!stream.buffered()) {
            lobby->enter(c);
            return;
        }
    }
    closeConnection(c.sock);
}
