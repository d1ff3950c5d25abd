// Times the request path against the frame it runs in: sealUrl of a login-sized request, and one
// curlprocess with 10 requests in flight against the in-process stand-in (a pump that only polls,
// and the slowest pump while they complete), each beside a 16.7 ms frame; the slowest frame of the
// login page while the service takes 3 s to name its server, and of the new-profile page while it
// takes 3 s over the name check and the registration; quitting against a service that never
// answers the logout, online and in Offline Mode (the slowest frame and the time from the close to
// the quit message). Then counts how often
// a failing request is sent again over some seconds of 60 Hz frames: news against a service that
// drops every connection, a patch whose digest never matches, and ranking pages answered with HTTP
// 502 for 10 s. Then: a patch download answered empty and "fail" before the real patch (downloads
// until installed), the hops of one request to a service that redirects for ever, the peak memory
// while a signed 4 MiB patch's download streams 1 GiB, and the console.log lines one refused offer
// carrying line breaks and a terminal escape writes.
//   bench_online_bench [--retry-seconds N]   (20 unless told)
#include "bench_service.h"
#include "timing.h"

#include "crypto/digest.h"
#include "engine/log.h"
#include "engine/main.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/states.h"
#include "online/create_account.h"
#include "online/login.h"
#include "online/patching.h"
#include "online/query.h"
#include "online/rankings.h"
#include "online/replies.h"
#include "online/requests.h"
#include "online/sealing.h"
#include "platform/messages.h"
#include "server/raw_listener.h"
#include "server/stand_in.h"

#include "../tests/loopback_http.h"

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
#include <unistd.h>
#include <vector>

namespace {

constexpr double frameMs = 1000.0 / 60.0;

void report(const char* what, double ms)
{
    std::printf("%-50s %8.4f ms   frame %.1f ms   %6.2f%% of a frame\n", what, ms, frameMs, 100.0 * ms / frameMs);
    std::printf("row|%s|%.4f ms|one 60 Hz frame|%.1f ms|%.4f|\n", what, ms, frameMs, ms / frameMs);
}

bool allDone()
{
    for (const CurlRequest& r : requests)
        if (!r.done)
            return false;
    return true;
}

// Runs 60 Hz frames (the pump, then the page's update when there is one) for the given seconds, or
// until done says so; the slowest frame's ms.
double runFrames(double seconds, void (*update)(float), bool (*done)() = nullptr)
{
    const double end = bench::nowMs() + seconds * 1000.0;
    double slowest = 0.0;
    while (bench::nowMs() < end && !(done && done())) {
        const double start = bench::nowMs();
        curlprocess();
        if (update)
            update(static_cast<float>(frameMs));
        const double took = bench::nowMs() - start;
        slowest = std::max(slowest, took);
        if (took < frameMs)
            std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>((frameMs - took) * 1000.0)));
    }
    return slowest;
}

bool loginSent()
{
    return std::any_of(requests.begin(), requests.end(), [](const CurlRequest& r) { return r.kind == rk::Login; });
}

void reportRate(const char* what, int count, double seconds)
{
    const double perSecond = count / seconds;
    std::printf("%-50s %6d in %.0f s   %8.2f a second\n", what, count, seconds, perSecond);
    std::printf("row|%s|%.2f/s|one a 60 Hz frame|60/s|%.4f|<= 1/s|\n", what, perSecond, perSecond / 60.0);
}

// The stand-in's test patch key, which the benchmark's offers are signed with.
const std::string& testPatchKey()
{
    static const std::string key = [] {
        std::ifstream file(TS_TEST_PATCH_KEY, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    }();
    return key;
}

int lineCount(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string line;
    int lines = 0;
    while (std::getline(file, line))
        ++lines;
    return lines;
}

// Completed queued requests so far: the lines of urls.txt.
int urlsLines()
{
    return lineCount(urlsLogPath);
}

void settle()
{
    endRunningTransfers();
    requests.clear();
}

void reportCount(const char* what, double count, const char* reference, double referenceCount, const char* target)
{
    std::printf("%-50s %10.0f   %s %.0f   target %s\n", what, count, reference, referenceCount, target);
    std::printf("row|%s|%.0f|%s|%.0f|%.4f|%s|\n", what, count, reference, referenceCount,
                referenceCount > 0 ? count / referenceCount : 0.0, target);
}

bool kindDone(int kind)
{
    return std::any_of(requests.begin(), requests.end(),
                       [kind](const CurlRequest& r) { return r.kind == kind && r.done; });
}

int launches = 0;
int recordLaunch(const std::string&)
{
    ++launches;
    return 4242;
}

// Answers with 200 and a body without a length that runs on until `bytes` are sent or the client
// stops reading.
void streamWithoutEnd(std::size_t bytes, httplib::Response& response)
{
    response.set_content_provider("application/octet-stream", [bytes](std::size_t offset, httplib::DataSink& sink) {
        static const std::string piece(64 * 1024, 's');
        if (offset >= bytes) {
            sink.done();
            return true;
        }
        return sink.write(piece.data(), std::min(piece.size(), bytes - offset));
    });
}

int controlBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const bool lineEnd = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (lineEnd)
            ++i;
        else if (c < 0x20 || c == 0x7f)
            ++count;
    }
    return count;
}

}

int main(int argc, char** argv)
{
    double retrySeconds = 20.0;
    for (int i = 1; i + 1 < argc; ++i)
        if (!std::strcmp(argv[i], "--retry-seconds"))
            retrySeconds = std::atof(argv[++i]);
    std::string login = buildRequest(
        "login.php?version=rc2&build=direct",
        {{"&platform=", ""}, {"&username=", "quill"}, {"&password=", "hunter22"},
         {"&glversion=", "4.5 (Compatibility Profile) Mesa 22.3.6"}, {"&videocard=", "llvmpipe (LLVM 15.0.6, 256 bits)"},
         {"&manufacturer=", "Mesa"}, {"&res=", "1920x1080"}, {"&gameversion=", "Version 0.1.0"},
         {"&os=", "Debian GNU/Linux 12 (bookworm)"}, {"&ram=", "16384"},
         {"&cpu=", "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"}, {"&mac=", "00-1A-2B-3C-4D-5E 00-1A-2B-3C-4D-5F"}});
    std::vector<double> seals;
    for (int i = 0; i < 200; ++i) {
        const double start = bench::nowMs();
        std::string url = sealUrl(login);
        seals.push_back(bench::nowMs() - start);
        if (url.size() < secureUrl.size())
            return 1;
    }
    std::printf("login request: %zu bytes, %zu RSA blocks\n", login.size(), (login.size() + 116) / 117);
    report("sealUrl (median of 200)", bench::median(seals));

    char folder[] = "/tmp/ts_online_bench_XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    StandIn service;
    if (!bench::startService(service, folder))
        return 1;
    secureUrl = service.context.securePrefix;
    urlsLogPath = std::string(folder) + "/urls.txt";
    setenv("XDG_CONFIG_HOME", folder, 1);   // the registration saves the settings
    curl_global_init(CURL_GLOBAL_ALL);
    curlMultiHandle = curl_multi_init();

    // Ten transfers the service holds for a while: every pump only polls.
    setStandInFault(service, "news=delay:1500");
    std::string replies[10];
    for (std::string& r : replies)
        curlQueue("news.php", &r, 3, 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::vector<double> polls;
    for (int i = 0; i < 50; ++i) {
        const double start = bench::nowMs();
        curlprocess();
        polls.push_back(bench::nowMs() - start);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    report("curlprocess, 10 in flight (median of 50)", bench::median(polls));
    while (!allDone())
        curlprocess();

    // Ten transfers from queueing to completion, pumped every millisecond: the slowest pump of
    // each round (it is the one that completes several replies and dispatches them).
    clearStandInFaults(service);
    std::vector<double> slowest;
    for (int round = 0; round < 20; ++round) {
        requests.clear();
        for (std::string& r : replies) {
            r.clear();
            curlQueue("news.php", &r, 3, 5);
        }
        double worst = 0.0;
        while (!allDone()) {
            const double start = bench::nowMs();
            curlprocess();
            worst = std::max(worst, bench::nowMs() - start);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        slowest.push_back(worst);
    }
    report("slowest curlprocess of 10 (median of 20 rounds)", bench::median(slowest));

    // The login page's frames while the server choice is on its way, until the login is sent.
    settle();
    setStandInFault(service, "which_server=delay:3000*1");
    gameState = gs::Login;
    popupId = 12;
    loginRequestSent = false;
    report("slowest login frame, server named after 3 s", runFrames(40.0, UpdateLogin, loginSent));
    clearStandInFaults(service);

    // The new-profile page's frames while the service takes 3 s over each of its two steps.
    settle();
    gameState = gs::NewProfile;
    username = "benchname";
    playerPassword = "pw1234";
    email = "bench@x.org";
    auto createFrame = [](float) { UpdateCreateAcc(); };
    setStandInFault(service, "checkname=delay:3000*1");
    popupId = 7;
    report("slowest new-profile frame, name checked in 3 s", runFrames(40.0, createFrame, [] { return popupId != 7; }));
    setStandInFault(service, "reg=delay:3000*1");
    popupId = 10;
    report("slowest new-profile frame, registered in 3 s", runFrames(40.0, createFrame, [] { return popupId != 10; }));
    clearStandInFaults(service);

    // Quitting while the service never answers the logout: the close's frame and those after it,
    // until the quit message is there.
    settle();
    setStandInFault(service, "logout=delay:30000");
    for (int mode : {0, 99}) {
        offlineMode = mode;
        platformClearMessages();
        const double closed = bench::nowMs();
        double slowest = 0.0;
        for (int frame = 0; platformPendingMessages() == 0 && bench::nowMs() - closed < 30000.0; ++frame) {
            const double start = bench::nowMs();
            curlprocess();
            if (frame == 0)
                logout();
            const double took = bench::nowMs() - start;
            slowest = std::max(slowest, took);
            if (took < frameMs)
                std::this_thread::sleep_for(std::chrono::microseconds(static_cast<long>((frameMs - took) * 1000.0)));
        }
        report(mode ? "slowest frame quitting offline, logout unanswered" : "slowest frame quitting, logout unanswered",
               slowest);
        report(mode ? "close to quit message offline, logout unanswered" : "close to quit message, logout unanswered",
               bench::nowMs() - closed);
    }
    platformClearMessages();
    offlineMode = 0;
    clearStandInFaults(service);

    // News announced by the login, from a service that drops every connection: each failure asks again.
    settle();
    RawListener dropping;
    if (!startRawListener(dropping))
        return 1;
    const std::string serviceUrl = secureUrl;
    secureUrl = "http://127.0.0.1:" + std::to_string(dropping.port) + "/secure.php?data=";
    hasNews = 1;
    newsReply.clear();
    int before = urlsLines();
    curlQueue("news.php", &newsReply, rk::News, 5);
    runFrames(retrySeconds, nullptr);
    reportRate("news sent again, every connection dropped", urlsLines() - before, retrySeconds);
    stopRawListener(dropping);
    secureUrl = serviceUrl;
    hasNews = 0;
    settle();

    // A patch whose bytes never match the offered digest: each mismatch downloads it again.
    setStandInReply(service, "patch.php", std::string(64 * 1024, 'p'));
    patchUrl = "patch.php?id=1";
    patchHash = std::string(64, '0');
    patchRequestSent = false;
    setenv("XDG_DATA_HOME", folder, 1);
    before = urlsLines();
    runFrames(retrySeconds, UpdatePatching);
    reportRate("tampered patch downloaded again", urlsLines() - before, retrySeconds);
    settle();

    // The ranking page against a service that answers every page with HTTP 502, for 10 s.
    clearStandInFaults(service);
    setStandInFault(service, "world_ranking_staggered=status:502");
    gameMode = gm::Overall;
    restartRankingList();
    before = urlsLines();
    runFrames(10.0, UpdateRanking);
    reportCount("ranking pages asked in 10 s, HTTP 502 each", urlsLines() - before, "10 s of 60 Hz frames", 600,
                "<= 10");
    clearStandInFaults(service);
    rankingAtEnd = true;
    settle();

    // A genuine patch whose download is answered empty once and "fail" once: downloaded until installed.
    const std::string bytes(256 * 1024, 'n');
    patchUrl = "patch.php?id=" + std::to_string(offerPatch(service.context, "update", "9.9", bytes, testPatchKey()));
    patchHash = hashString(bytes);
    patchSignedSize = bytes.size();
    patchIsUpdater = false;
    patchRequestSent = false;
    patchLauncher = recordLaunch;
    endBackOff(rk::Patch);   // as a fresh run has it, after the tampered downloads above
    setStandInFault(service, "patch=empty*1");
    before = urlsLines();
    const double patchStart = bench::nowMs();
    runFrames(15.0, UpdatePatching, [] { return launches > 0; });
    reportCount("patch downloads until installed, first one empty", urlsLines() - before,
                launches > 0 ? "installed after ms" : "not installed in 15000 ms",
                launches > 0 ? bench::nowMs() - patchStart : 15000, "installs");
    programRunning = true;
    clearStandInFaults(service);
    settle();

    // One request to a service that redirects for ever, queued and blocking, 5 s each at most.
    {
        std::atomic<int> hops{0};
        LoopbackHttp loop([&hops](const httplib::Request& request, httplib::Response& response) {
            response.set_redirect(request.path + "?data=" + std::to_string(++hops));
        });
        secureUrl = loop.secureUrl();
        std::string reply;
        curlQueue("news.php", &reply, rk::Death, 5);
        runFrames(6.0, nullptr, allDone);
        reportCount("requests to the service, one queued, redirected", hops, "result code",
                    requests.back().resultCode, "<= 1 + maxRedirects (4)");
        hops = 0;
        const CURLcode code = curlPerform("which_server.php", &reply, 5);
        reportCount("requests to the service, one blocking, redirected", hops, "result code", code,
                    "<= 1 + maxRedirects (4)");
        secureUrl = serviceUrl;
        settle();
    }

    // A refused patch offer carrying a line break and a terminal escape, logged in its own folder.
    {
        char cwd[4096];
        const std::string back = getcwd(cwd, sizeof cwd) ? cwd : ".";
        closeLogFile();
        if (chdir(folder) != 0)
            return 1;
        std::string offer = "update patch.php?id=1 9 " + std::string(64, '0') +
                            " 9.9 c2lnbmF0dXJl\r\nPatch installed, all is well\x1b[2J";
        gameState = gs::Login;
        handleReply(rk::Login, 0, &offer);
        closeLogFile();
        reportCount("console.log lines from one refused offer", lineCount("console.log"), "raw control bytes",
                    controlBytes("console.log"), "2 lines, 0 bytes");
        if (chdir(back.c_str()) != 0)
            return 1;
    }

    // A signed 4 MiB patch whose download streams 1 GiB: the peak memory beside the peak before it.
    {
        LoopbackHttp stream([](const httplib::Request&, httplib::Response& response) {
            streamWithoutEnd(std::size_t(1) << 30, response);
        });
        secureUrl = stream.secureUrl();
        patchSignedSize = std::size_t(4) << 20;
        patchSize = static_cast<float>(patchSignedSize);
        patchHash = std::string(64, '0');
        patchRequestSent = false;
        const double peakBefore = bench::peakResidentMb();
        runFrames(120.0, UpdatePatching, [] { return kindDone(rk::Patch); });
        const double peakAfter = bench::peakResidentMb();
        int code = 0;
        for (const CurlRequest& r : requests)
            if (r.kind == rk::Patch && r.done)
                code = r.resultCode;
        std::printf("download of a signed 4 MiB patch ended with code %d\n", code);
        reportCount("peak MB, 1 GiB stream for a signed 4 MiB patch", peakAfter, "peak MB before", peakBefore,
                    "before + a few MB");
        secureUrl = serviceUrl;
        settle();
    }

    curl_multi_cleanup(curlMultiHandle);
    curl_global_cleanup();
    stopStandIn(service);
    std::system((std::string("rm -rf ") + folder).c_str());
    return 0;
}
