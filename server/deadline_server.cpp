#include "server/deadline_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;
// Waits are cut into steps so that a server told to stop ends them soon.
constexpr long long stepMs = 50;

// When the connection that the worker serves was accepted.
thread_local Clock::time_point acceptedAt;

// A pool that notes the moment each connection is accepted (the listener queues it at once).
class StampedPool : public httplib::TaskQueue {
public:
    explicit StampedPool(std::size_t workers) : pool(workers) {}
    void enqueue(std::function<void()> fn) override
    {
        pool.enqueue([fn = std::move(fn), accepted = Clock::now()] {
            acceptedAt = accepted;
            fn();
        });
    }
    void shutdown() override { pool.shutdown(); }

private:
    httplib::ThreadPool pool;
};

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

// One connection: reads end at the request's deadline, writes wait at most the write time-out each.
class DeadlineStream : public httplib::Stream {
public:
    DeadlineStream(socket_t sock, const std::atomic<socket_t>& listening, Clock::duration writeWait)
        : sock(sock), listening(listening), writeWait(writeWait)
    {
    }
    Clock::time_point readDeadline;
    bool lateRequest = false;   // a read found the deadline passed

    // True once a request has begun to arrive (or the peer has closed) before end.
    bool awaitRequest(Clock::time_point end) const { return readAt < received || await(POLLIN, end); }

    bool is_readable() const override { return awaitRequest(readDeadline); }
    bool is_writable() const override { return await(POLLOUT, Clock::now() + writeWait); }
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
    ssize_t write(const char* ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        ssize_t n;
        do
            n = ::send(sock, ptr, size, MSG_NOSIGNAL);
        while (n < 0 && errno == EINTR);
        return n;
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
            long long left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            pollfd p{sock, events, 0};
            int ready = ::poll(&p, 1, static_cast<int>(std::clamp(left, 0LL, stepMs)));
            if (ready > 0)
                return true;
            if ((ready < 0 && errno != EINTR) || left <= 0)
                return false;
        }
        return false;
    }

    socket_t sock;
    const std::atomic<socket_t>& listening;
    Clock::duration writeWait;
    char buffer[4096];
    size_t readAt = 0, received = 0;   // buffer[readAt, received) is still to be read
};

}

DeadlineServer::DeadlineServer(std::size_t workers)
{
    new_task_queue = [workers] { return new StampedPool(workers); };
}

bool DeadlineServer::widenBacklog()
{
    return ::listen(svr_sock_, SOMAXCONN) == 0;
}

bool DeadlineServer::process_and_close_socket(socket_t sock)
{
    DeadlineStream stream(sock, svr_sock_,
                          std::chrono::seconds(write_timeout_sec_) + std::chrono::microseconds(write_timeout_usec_));
    bool ok = false;
    for (size_t count = keep_alive_max_count_; count > 0 && svr_sock_ != INVALID_SOCKET; --count) {
        // A request already whole is read however late; one that is not is given only what is left.
        Clock::time_point start = count == keep_alive_max_count_ ? acceptedAt : Clock::now();
        stream.readDeadline =
            start + std::chrono::seconds(read_timeout_sec_) + std::chrono::microseconds(read_timeout_usec_);
        if (!stream.awaitRequest(std::min(stream.readDeadline, start + std::chrono::seconds(keep_alive_timeout_sec_))))
            break;
        bool closed = false;
        ok = process_request(stream, count == 1, closed, nullptr);
        // cpp-httplib answers a request whose headers ended early, and would read on.
        if (!ok || closed || stream.lateRequest)
            break;
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return ok;
}
