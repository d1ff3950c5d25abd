// Times a real request to the stand-in service while 100 connections each send one header byte
// every 0.5 s, and connect again whenever the service closes them: the slowest and the median
// answer during the attack, beside the same request's answer without it.
//   bench_stand_in_bench [--seconds N] [--port P]
// --seconds: how long the attack lasts (20 unless told); --port: attack a service already running
// on 127.0.0.1:P (an older ts_server, say) instead of one started here.
#include "bench_service.h"
#include "timing.h"

#include "server/raw_listener.h"
#include "server/stand_in.h"

#include <curl/curl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int slowConnections = 100;
constexpr int byteEveryMs = 500;

// A slow connection: its request line and the start of a header that never ends.
int slowConnection(int port)
{
    int s = connectToLoopback(port);
    const char start[] = "GET /contact.html HTTP/1.1\r\nHost: 127.0.0.1\r\nX-Slow: ";
    if (s >= 0)
        ::send(s, start, sizeof start - 1, MSG_NOSIGNAL);
    return s;
}

std::size_t discard(char*, std::size_t size, std::size_t count, void*)
{
    return size * count;
}

// A real request's answer time in ms, or -1 when it got none within the time-out.
double realRequest(int port, long timeoutSeconds)
{
    CURL* handle = curl_easy_init();
    std::string url = "http://127.0.0.1:" + std::to_string(port) + "/contact.html";
    curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, discard);
    curl_easy_setopt(handle, CURLOPT_TIMEOUT, timeoutSeconds);
    const double start = bench::nowMs();
    CURLcode code = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(handle);
    return code == CURLE_OK && status == 200 ? bench::nowMs() - start : -1.0;
}

void row(const char* what, double ms, double reference)
{
    std::printf("%-62s %9.1f ms   without the attack %7.1f ms\n", what, ms, reference);
    std::printf("row|%s|%.1f ms|the same request without the attack|%.1f ms|%.1f|<= 3000 ms|\n", what, ms, reference,
                ms / reference);
}

}

int main(int argc, char** argv)
{
    double seconds = 20.0;
    int port = 0;
    for (int i = 1; i + 1 < argc; ++i) {
        if (!std::strcmp(argv[i], "--seconds"))
            seconds = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--port"))
            port = std::atoi(argv[++i]);
    }
    char folder[] = "/tmp/ts_stand_in_bench_XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    StandIn service;
    if (port == 0) {
        if (!bench::startService(service, folder))
            return 1;
        port = service.port;
    }

    std::vector<double> quiet;
    for (int i = 0; i < 5; ++i)
        quiet.push_back(realRequest(port, 10));
    const double reference = bench::median(quiet);

    // The attack, on a thread of its own: every 0.5 s one byte more on each connection, and a new
    // connection for each that the service has closed.
    std::atomic<bool> stop{false};
    std::atomic<int> reconnects{0};
    std::thread attack([&] {
        std::vector<int> slow;
        for (int i = 0; i < slowConnections; ++i)
            slow.push_back(slowConnection(port));
        while (!stop) {
            for (int& s : slow) {
                if (s >= 0 && ::send(s, "a", 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1)
                    continue;
                if (s >= 0)
                    ::close(s);
                s = slowConnection(port);
                ++reconnects;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(byteEveryMs));
        }
        for (int s : slow)
            if (s >= 0)
                ::close(s);
    });
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const double end = bench::nowMs() + seconds * 1000.0;
    std::vector<double> answers;
    int unanswered = 0;
    while (bench::nowMs() < end) {
        double ms = realRequest(port, static_cast<long>(seconds) + 5);
        if (ms < 0)
            ++unanswered;
        else
            answers.push_back(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    stop = true;
    attack.join();
    stopStandIn(service);
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());

    double slowest = 0.0;
    for (double ms : answers)
        slowest = std::max(slowest, ms);
    std::printf("%d slow connections for %.0f s: %zu real requests answered, %d not, %d reconnections\n",
                slowConnections, seconds, answers.size(), unanswered, reconnects.load());
    if (unanswered > 0)
        slowest = (seconds + 5) * 1000.0;   // the time-out, as no answer came before it
    row("slowloris: slowest answer to a real request", slowest, reference);
    row("slowloris: median answer to a real request", bench::median(answers), reference);
    return 0;
}
