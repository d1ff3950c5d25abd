// cpp-httplib's server with a deadline for every request. Its own read time-out is per read, so a
// client that sends one byte now and then holds a worker for as long as it likes; here a request
// must be whole within the read time-out of the moment the service starts waiting for it (for a
// connection's first request, the moment it was accepted, however long it then waited for a
// worker), and its first byte must come within the keep-alive time-out, however slowly they come.
#pragma once
#include <httplib.h>

class DeadlineServer : public httplib::Server {
public:
    explicit DeadlineServer(std::size_t workers);
    // cpp-httplib listens with a backlog of 5: a burst of connections past it had their first
    // packets dropped, and each waited a second or more to connect. After a bind; false on failure.
    bool widenBacklog();

private:
    bool process_and_close_socket(socket_t sock) override;
};
