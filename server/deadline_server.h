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
#pragma once
#include <httplib.h>

#include <chrono>
#include <memory>

class DeadlineServer : public httplib::Server {
public:
    // At most maxWorkers connections are served at once; the others wait for a worker.
    explicit DeadlineServer(std::size_t maxWorkers);
    ~DeadlineServer() override;
    // cpp-httplib listens with a backlog of 5: a burst of connections past it had their first
    // packets dropped, and each waited a second or more to connect. After a bind; false on failure.
    bool widenBacklog();
    void setReplyTimeout(std::chrono::seconds wait) { replyWait = wait; }

    struct Connection;
    class Lobby;

private:
    // cpp-httplib hands each accepted connection here, on its listening thread: into the lobby.
    bool process_and_close_socket(socket_t sock) override;
    // On a worker: the requests that have begun to arrive on the connection, answered in turn.
    void serve(Connection connection);
    // How long a request may take to be whole, and to begin.
    std::chrono::microseconds readWait() const;
    std::chrono::microseconds firstByteWait() const;

    std::size_t maxWorkers;
    std::chrono::seconds replyWait{3600};
    std::unique_ptr<Lobby> lobby;
};
