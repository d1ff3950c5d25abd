// A loopback listener that accepts every connection and closes it without a reply: a service
// that dies between the connection and its answer.
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
