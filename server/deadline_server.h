// cpp-httplib's server with a deadline for every request and every reply. Its own time-outs are
// per read and per write, so a client that sends or takes one byte now and then holds a worker for
// as long as it likes. Here a request must be whole within the read time-out of the moment the
// service starts waiting for it (for a connection's first request, the moment it was accepted),
// and its first byte must come within the keep-alive time-out, however slowly they come; a reply
// must be taken whole within the reply time-out of its first byte, and a reader that takes nothing
// for the write time-out is cut off.
// A connection holds a worker only while a request arrives or a reply is taken: until its next
// request begins, it waits in a lobby that one thread watches for all of them, so that idle
// connections keep no real request waiting. Workers are started as connections need them.
// A request may carry a body of a few KiB at most: one declared larger, or sent in chunks or
// compressed (of no size known before it is read whole), is answered 413 unread and its connection
// closed, and no request reads more than its head and that body, so no client makes the service grow.
#pragma once
#include <httplib.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string_view>
#include <thread>

// What follows overrides cpp-httplib's internals. The configure names the version it was written
// against (TS_HTTPLIB_WRITTEN_AGAINST) and checks the first httplib.h on the include path; this
// holds for the header the compiler took, wherever it was found, in the configure's one line.
#ifdef CPPHTTPLIB_VERSION
#define TS_HTTPLIB_FOUND CPPHTTPLIB_VERSION
#else
#define TS_HTTPLIB_FOUND "no CPPHTTPLIB_VERSION"
#endif
static_assert(std::string_view(TS_HTTPLIB_FOUND) == TS_HTTPLIB_WRITTEN_AGAINST,
              " ts_server is written against cpp-httplib " TS_HTTPLIB_WRITTEN_AGAINST "; found " TS_HTTPLIB_FOUND);
#undef TS_HTTPLIB_FOUND

class DeadlineServer : public httplib::Server {
public:
    // At most maxWorkers connections are served at once; the others wait for a worker.
    explicit DeadlineServer(std::size_t maxWorkers);
    ~DeadlineServer() override;
    // cpp-httplib listens with a backlog of 5: a burst of connections past it had their first
    // packets dropped, and each waited a second or more to connect. After a bind; false on failure.
    bool widenBacklog();
    void setReplyTimeout(std::chrono::seconds wait) { replyWait = wait; }
    // At most this many connections are held, idle ones too: past it, the one that has waited
    // longest for its next request is closed. Unless told, a little under the open-file limit at
    // the time it starts listening, so that the service's own files (its database, the database's
    // journal, its log) always open.
    void setMostConnections(std::size_t most) { mostConnections = most; }
    // Each connection's send buffer in bytes (0: the kernel's, which grows to megabytes): a reader
    // that takes little then pins little of the kernel's memory.
    void setSendBuffer(int bytes) { sendBuffer = bytes; }

    static constexpr std::size_t bodyLimit = 4096;

    struct Connection;
    class Lobby;

protected:
    // A worker's thread; throws std::system_error, as std::thread does, when none can start.
    virtual std::thread startWorker(std::function<void()> work);
    // The lobby's watcher, woken, before it looks at what woke it: a test holds it here to find
    // connections whose request has begun still waiting in the lobby.
    virtual void lobbyWoken() {}

private:
    // cpp-httplib hands each accepted connection here, on its listening thread: into the lobby.
    bool process_and_close_socket(socket_t sock) override;
    // On a worker: the requests that have begun to arrive on the connection, answered in turn.
    void serve(Connection connection);
    // How long a request may take to be whole, and to begin.
    std::chrono::microseconds readWait() const;
    std::chrono::microseconds firstByteWait() const;

    std::size_t maxWorkers;
    std::size_t mostConnections = 0;   // 0: from the open-file limit
    int sendBuffer = 0;
    std::chrono::seconds replyWait{3600};
    std::unique_ptr<Lobby> lobby;
};
