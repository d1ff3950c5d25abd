// Times real requests to the stand-in service under three loads, each beside the same request on
// an idle service:
// - slowloris: 100 connections each send one header byte every 0.5 s, and connect again whenever
//   the service closes them; the slowest and the median answer to a page;
// - slow readers: 100 clients ask for a 32 MiB patch and read it at 16 KiB/s each (the service
//   serves 16 at once and tells the rest to come back); the slowest answer to a sealed request,
//   how many got none, and the service's peak memory;
// - idle crowds: 100, 200 and 400 connections that send nothing, opened again whenever the service
//   closes them; the median answer to a sealed request.
//   bench_stand_in_bench [--seconds N] [--port P]
// --seconds: how long each load lasts (20 unless told; an idle crowd 0.4 of it); --port: load a
// service already running on 127.0.0.1:P (an older ts_server, say) instead of one started here, in
// a process of its own; the slow readers need the patch that only a service started here holds.
#include "timing.h"

#include "online/sealing.h"
#include "server/raw_listener.h"
#include "server/scripts.h"
#include "server/stand_in.h"

#include <curl/curl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int slowConnections = 100;
constexpr int byteEveryMs = 500;
constexpr int slowReaders = 100;
constexpr std::size_t patchBytes = std::size_t(32) << 20;
constexpr std::size_t readerBytesPerSecond = 16 * 1024;

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
double realRequest(const std::string& url, long timeoutSeconds)
{
    CURL* handle = curl_easy_init();
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

// Real requests every gap ms until end: the answer times, and how many got no answer.
struct Answers {
    std::vector<double> ms;
    int unanswered = 0;
    // Those unanswered count as the time-out, as no answer came before it.
    std::vector<double> all(double timeoutMs) const
    {
        std::vector<double> times = ms;
        times.insert(times.end(), static_cast<std::size_t>(unanswered), timeoutMs);
        return times;
    }
    double slowest(double timeoutMs) const
    {
        std::vector<double> times = all(timeoutMs);
        return times.empty() ? 0.0 : *std::max_element(times.begin(), times.end());
    }
};
Answers askUntil(const std::string& url, double end, int gapMs, long timeoutSeconds)
{
    Answers answers;
    while (bench::nowMs() < end) {
        double ms = realRequest(url, timeoutSeconds);
        if (ms < 0)
            ++answers.unanswered;
        else
            answers.ms.push_back(ms);
        std::this_thread::sleep_for(std::chrono::milliseconds(gapMs));
    }
    return answers;
}

double medianOf(const std::string& url, int count)
{
    std::vector<double> quiet;
    for (int i = 0; i < count; ++i)
        quiet.push_back(realRequest(url, 10));
    return bench::median(quiet);
}

void row(const std::string& what, double value, const char* unit, const char* reference, double referenceValue,
         const char* target)
{
    const int decimals = *unit ? 1 : 0;   // a count has none
    std::printf("%-58s %9.*f %s   %s %7.*f %s\n", what.c_str(), decimals, value, unit, reference, decimals,
                referenceValue, unit);
    std::printf("row|%s|%.*f %s|%s|%.*f %s|%.2f|%s|\n", what.c_str(), decimals, value, unit, reference, decimals,
                referenceValue, unit, referenceValue > 0 ? value / referenceValue : 0.0, target);
}

std::string readText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

// The peak resident memory in MB of the child process pid (the kernel's high-water mark).
double peakResidentMbOf(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    return 0.0;
}

// The service in a process of its own, so that its memory is its own: its database, with a 32 MiB
// patch on offer, is made here first, before any thread is started. The patch's id, or -1.
long long offerBenchPatch(const std::string& databasePath)
{
    Store store;
    ScriptContext context;
    context.store = &store;
    std::string error;
    if (!openStore(store, databasePath, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return -1;
    }
    long long id = offerPatch(context, "update", "9.9", std::string(patchBytes, 'p'), readText(TS_TEST_PATCH_KEY),
                              &error);
    closeStore(store);
    if (id <= 0)
        std::fprintf(stderr, "%s\n", error.c_str());
    malloc_trim(0);   // the child starts with this process's pages
    return id;
}

pid_t startServiceProcess(const std::string& folder, int* port)
{
    const std::string portFile = folder + "/port";
    pid_t pid = ::fork();
    if (pid == 0) {
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);
        StandIn service;
        StandInOptions options;
        options.databasePath = folder + "/service.db";
        options.portFile = portFile;
        std::string error;
        if (!startStandIn(service, options, &error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            _exit(1);
        }
        int received = 0;
        sigwait(&signals, &received);
        stopStandIn(service);
        _exit(0);
    }
    for (int waited = 0; pid > 0 && waited < 1000; ++waited) {
        *port = std::atoi(readText(portFile).c_str());
        if (*port > 0)
            return pid;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (pid > 0) {
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    return -1;
}

// Clients that each download url at their own steady rate on a thread of their own, with a small
// receive buffer, as a slow line has; one that the service closes connects and asks again.
struct SlowReaders {
    std::atomic<bool> stop{false};
    std::atomic<int> closed{0};
    std::atomic<long long> received{0};
    std::thread thread;

    static int ask(int port, const std::string& request)
    {
        int s = connectToLoopback(port, 16 * 1024);
        if (s >= 0 && ::send(s, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
            ::close(s);
            s = -1;
        }
        return s;
    }

    SlowReaders(int port, const std::string& path)
    {
        const std::string request = "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
        thread = std::thread([this, port, request] {
            struct Reader {
                int socket;
                double since;
                long long taken;
            };
            std::vector<Reader> readers;
            for (int i = 0; i < slowReaders; ++i)
                readers.push_back({ask(port, request), bench::nowMs(), 0});
            std::vector<char> buffer(readerBytesPerSecond);
            while (!stop) {
                for (Reader& r : readers) {
                    const double due = (bench::nowMs() - r.since) / 1000.0 * readerBytesPerSecond;
                    std::size_t want = static_cast<std::size_t>(std::max(0.0, due - static_cast<double>(r.taken)));
                    if (want == 0)
                        continue;
                    ssize_t n = r.socket < 0 ? 0 : ::recv(r.socket, buffer.data(), std::min(want, buffer.size()),
                                                          MSG_DONTWAIT);
                    if (n > 0) {
                        r.taken += n;
                        received += n;
                    } else if (r.socket < 0 || n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
                        if (r.socket >= 0)
                            ::close(r.socket);
                        ++closed;
                        r = {ask(port, request), bench::nowMs(), 0};
                    }
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            for (Reader& r : readers)
                if (r.socket >= 0)
                    ::close(r.socket);
        });
    }
    ~SlowReaders()
    {
        stop = true;
        thread.join();
    }
};

// Connections that send nothing, each opened again as soon as the service closes it.
struct IdleCrowd {
    std::atomic<bool> stop{false};
    std::atomic<int> reopened{0};
    std::thread thread;
    IdleCrowd(int port, int size)
    {
        thread = std::thread([this, port, size] {
            std::vector<int> crowd;
            for (int i = 0; i < size; ++i)
                crowd.push_back(connectToLoopback(port));
            while (!stop) {
                std::vector<pollfd> watched;
                for (int s : crowd)
                    watched.push_back({s, POLLIN, 0});
                ::poll(watched.data(), watched.size(), 20);
                for (std::size_t i = 0; i < crowd.size(); ++i) {
                    char byte;
                    if (crowd[i] >= 0 && !watched[i].revents)
                        continue;
                    if (crowd[i] >= 0 && ::recv(crowd[i], &byte, 1, MSG_DONTWAIT) > 0)
                        continue;
                    if (crowd[i] >= 0)
                        ::close(crowd[i]);
                    crowd[i] = connectToLoopback(port);
                    ++reopened;
                }
            }
            for (int s : crowd)
                if (s >= 0)
                    ::close(s);
        });
    }
    ~IdleCrowd()
    {
        stop = true;
        thread.join();
    }
};

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
    pid_t service = -1;
    long long patch = -1;
    if (port == 0) {
        patch = offerBenchPatch(std::string(folder) + "/service.db");
        if (patch <= 0 || (service = startServiceProcess(folder, &port)) <= 0)
            return 1;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const std::string page = "http://127.0.0.1:" + std::to_string(port) + "/contact.html";
    secureUrl = "http://127.0.0.1:" + std::to_string(port) + "/secure.php?data=";
    const std::string sealed = sealUrl("checkname.php?username=bench");
    const long timeoutSeconds = static_cast<long>(seconds) + 5;

    const double pageReference = medianOf(page, 5);
    const double sealedReference = medianOf(sealed, 21);
    const double idlePeak = service > 0 ? peakResidentMbOf(service) : 0.0;

    if (patch > 0) {
        const std::string patchUrl = sealUrl("patch.php?id=" + std::to_string(patch));
        SlowReaders readers(port, patchUrl.substr(patchUrl.find("/secure.php")));
        std::this_thread::sleep_for(std::chrono::seconds(1));
        Answers answers = askUntil(sealed, bench::nowMs() + seconds * 1000.0, 250, timeoutSeconds);
        const double peak = peakResidentMbOf(service);
        std::printf("%d slow readers of a %zu MiB patch for %.0f s: %zu real requests answered, %d not; "
                    "%.1f MiB read, %d readers closed by the service\n",
                    slowReaders, patchBytes >> 20, seconds, answers.ms.size(), answers.unanswered,
                    static_cast<double>(readers.received) / (1 << 20), readers.closed.load());
        row("slow readers: slowest answer to a real request", answers.slowest(timeoutSeconds * 1000.0), "ms",
            "the same request on an idle service", sealedReference, "<= 2000 ms");
        row("slow readers: real requests not answered", answers.unanswered, "", "real requests asked",
            static_cast<double>(answers.ms.size() + answers.unanswered), "0");
        row("slow readers: the service's peak memory", peak, "MB", "its peak on an idle service", idlePeak,
            "< 300 MB");
    } else {
        std::printf("slow readers: skipped, the patch is in the database of a service started here only\n");
    }

    // The slowloris attack, on a thread of its own: every 0.5 s one byte more on each connection,
    // and a new connection for each that the service has closed.
    {
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
        Answers answers = askUntil(page, bench::nowMs() + seconds * 1000.0, 250, timeoutSeconds);
        stop = true;
        attack.join();
        std::printf("%d slow connections for %.0f s: %zu real requests answered, %d not, %d reconnections\n",
                    slowConnections, seconds, answers.ms.size(), answers.unanswered, reconnects.load());
        row("slowloris: slowest answer to a real request", answers.slowest(timeoutSeconds * 1000.0), "ms",
            "the same request without the attack", pageReference, "<= 3000 ms");
        row("slowloris: median answer to a real request", bench::median(answers.all(timeoutSeconds * 1000.0)), "ms",
            "the same request without the attack", pageReference, "<= 3000 ms");
    }

    for (int size : {100, 200, 400}) {
        IdleCrowd crowd(port, size);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        Answers answers = askUntil(sealed, bench::nowMs() + seconds * 400.0, 100, timeoutSeconds);
        std::printf("%d idle connections for %.0f s: %zu real requests answered, %d not, %d reopened\n", size,
                    seconds * 0.4, answers.ms.size(), answers.unanswered, crowd.reopened.load());
        row("idle crowd of " + std::to_string(size) + ": median answer to a real request",
            bench::median(answers.all(timeoutSeconds * 1000.0)), "ms",
            "the same request without the crowd", sealedReference, "< 200 ms");
    }

    curl_global_cleanup();
    if (service > 0) {
        ::kill(service, SIGTERM);
        ::waitpid(service, nullptr, 0);
    }
    std::system(("rm -rf '" + std::string(folder) + "'").c_str());
    return 0;
}
