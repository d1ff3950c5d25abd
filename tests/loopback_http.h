// An HTTP service on a loopback port of its own that answers every GET with one handler: the
// services the stand-in cannot be, such as one that redirects for ever or sends without end.
#pragma once
#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

struct LoopbackHttp {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    explicit LoopbackHttp(httplib::Server::Handler handler)
    {
        server.Get(".*", std::move(handler));
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LoopbackHttp()
    {
        server.stop();
        thread.join();
    }
    // The sealed-request address that points the game at it.
    std::string secureUrl() const { return "http://127.0.0.1:" + std::to_string(port) + "/secure.php?data="; }
};
