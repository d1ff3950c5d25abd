#include "server/raw_listener.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

RawListener::~RawListener()
{
    stopRawListener(*this);
}

bool startRawListener(RawListener& l)
{
    stopRawListener(l);
    l.socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (l.socket < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(l.socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(l.socket, 16) != 0 ||
        ::getsockname(l.socket, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(l.socket);
        l.socket = -1;
        return false;
    }
    l.port = ntohs(address.sin_port);
    l.stopping = false;
    RawListener* listener = &l;
    l.thread = std::thread([listener] {
        while (!listener->stopping) {
            pollfd p{listener->socket, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            int client = ::accept(listener->socket, nullptr, nullptr);
            if (client < 0)
                continue;
            ++listener->accepted;
            // The request is read first: closing over unread bytes would reset the connection
            // instead of ending it.
            pollfd in{client, POLLIN, 0};
            char buffer[65536];
            if (::poll(&in, 1, 1000) > 0)
                ::recv(client, buffer, sizeof buffer, 0);
            ::shutdown(client, SHUT_RDWR);
            ::close(client);
        }
    });
    return true;
}

void stopRawListener(RawListener& l)
{
    l.stopping = true;
    if (l.thread.joinable())
        l.thread.join();
    if (l.socket >= 0)
        ::close(l.socket);
    l.socket = -1;
    l.port = 0;
}

int connectToLoopback(int port, int receiveBuffer)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s >= 0 && receiveBuffer > 0)
        ::setsockopt(s, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    if (s >= 0 && ::connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(s);
        s = -1;
    }
    return s;
}
