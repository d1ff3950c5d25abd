// Plain loopback sockets for tests and benchmarks: a listener that accepts every connection and
// closes it without a reply (a service that dies between the connection and its answer), and a
// client's connection that sends whatever it is told.
#pragma once
#include <atomic>
#include <thread>

struct RawListener {
    int socket = -1;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::atomic<int> accepted{0};
    std::thread thread;
    ~RawListener();
};

// Listens on 127.0.0.1 at an ephemeral port; false when no socket could be made.
bool startRawListener(RawListener& listener);
void stopRawListener(RawListener& listener);

// A connection to 127.0.0.1:port, or -1; with a receive buffer of that many bytes unless 0 (a
// small one, as a slow line has, keeps the reply in the sender's hands).
int connectToLoopback(int port, int receiveBuffer = 0);
