// What the stand-in holds for each client: its patch downloads, the kernel's memory behind them,
// and, for ts_server as a process, the files it may open.
#include "stand_in_fixture.h"

#include "crypto/digest.h"
#include "server/raw_listener.h"
#include "../wait_for_child.h"

#include <fcntl.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct StandInLimits : ::testing::Test {
    TempFolder folder{"ts_stand_in_limits"};
    StandIn service;
    void start(int mostDownloads = StandInOptions().mostDownloads)
    {
        StandInOptions options;
        options.databasePath = folder.path + "/service.db";
        options.mostDownloads = mostDownloads;
        std::string error;
        ASSERT_TRUE(startStandIn(service, options, &error)) << error;
    }
    void TearDown() override { stopStandIn(service); }
    // A patch of that many random bytes on offer: its download's request.
    std::string offer(std::size_t size, std::string* bytes)
    {
        std::mt19937 random(static_cast<unsigned>(size));
        bytes->resize(size);
        for (char& c : *bytes)
            c = static_cast<char>(random());
        long long id = offerPatch(service.context, "update", "0.2", *bytes, testPatchKey());
        return "GET /secure.php?data=" + sealedData("patch.php?id=" + std::to_string(id)) +
               " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
    }
    // A reader with a small receive buffer, as a slow line has, that has sent request: its socket,
    // with what has arrived of the reply once its status line has.
    int ask(const std::string& request, std::string* arrived)
    {
        int s = connectToLoopback(service.port, 16 * 1024);
        EXPECT_EQ(::send(s, request.data(), request.size(), MSG_NOSIGNAL), static_cast<ssize_t>(request.size()));
        arrived->clear();
        char bytes[4096];
        for (auto end = Clock::now() + std::chrono::seconds(20); arrived->find("\r\n") == std::string::npos;) {
            pollfd p{s, POLLIN, 0};
            if (Clock::now() >= end || ::poll(&p, 1, 50) < 0)
                break;
            ssize_t n = p.revents ? ::recv(s, bytes, sizeof bytes, 0) : 0;
            if (p.revents && n <= 0)
                break;
            arrived->append(bytes, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
        }
        return s;
    }
};

bool startsWith(const std::string& text, const std::string& start)
{
    return text.compare(0, start.size(), start) == 0;
}

int localPort(int s)
{
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// The bytes the kernel holds to send on the service's end of the loopback connection from
// clientPort (its send queue, /proc/net/tcp's tx_queue); -1 when there is no such connection.
long sendQueue(int servicePort, int clientPort)
{
    char local[32], remote[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", servicePort);
    std::snprintf(remote, sizeof remote, "0100007F:%04X", clientPort);
    std::ifstream table("/proc/net/tcp");
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, from, to, state, queues;
        fields >> slot >> from >> to >> state >> queues;
        if (from == local && to == remote)
            return std::stol(queues.substr(0, queues.find(':')), nullptr, 16);
    }
    return -1;
}

}

// Patch downloads past the most served at once are told to come back later (503, which the game
// asks again), so readers hold few workers, and real requests are answered meanwhile. A reader
// that takes nothing pins little of the kernel's memory: the service's send buffer is small.
// Once a reader goes, its place is free.
TEST_F(StandInLimits, PatchReadersPastTheMostAreToldToComeBack)
{
    start(2);
    std::string patch, arrived;
    const std::string request = offer(std::size_t(4) << 20, &patch);
    std::vector<int> readers;
    for (int i = 0; i < 2; ++i) {
        readers.push_back(ask(request, &arrived));
        EXPECT_TRUE(startsWith(arrived, "HTTP/1.1 200")) << arrived;
    }
    int refused = ask(request, &arrived);
    EXPECT_TRUE(startsWith(arrived, "HTTP/1.1 503")) << arrived;
    ::close(refused);
    httplib::Client client("127.0.0.1", service.port);
    client.set_read_timeout(10, 0);
    auto real = client.Get("/secure.php?data=" + sealedData("checkname.php?username=x"));
    ASSERT_TRUE(real);
    EXPECT_EQ(real->body, "available");

    // The service fills its send buffer at once; what it holds is watched for a second.
    long most = 0;
    for (auto end = Clock::now() + std::chrono::seconds(1); Clock::now() < end;) {
        most = std::max(most, sendQueue(service.port, localPort(readers[0])));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_GT(most, 0);
    EXPECT_LT(most, 512 * 1024) << "bytes held for a reader that takes nothing";

    ::close(readers[0]);
    bool served = false;
    for (auto end = Clock::now() + std::chrono::seconds(10); !served && Clock::now() < end;) {
        int again = ask(request, &arrived);
        served = startsWith(arrived, "HTTP/1.1 200");
        ::close(again);
    }
    EXPECT_TRUE(served) << "the place of the reader that went is still taken";
    ::close(readers[1]);
}

// A reader may pause in the middle of a patch for up to a minute: one that takes nothing for 6 s
// still gets it whole.
TEST_F(StandInLimits, AReaderThatPausesSixSecondsGetsThePatchWhole)
{
    start();
    std::string patch, arrived;
    int s = ask(offer(std::size_t(2) << 20, &patch), &arrived);
    std::vector<char> bytes(1 << 16);
    auto take = [&](std::size_t until) {
        while (arrived.size() < until) {
            pollfd p{s, POLLIN, 0};
            if (::poll(&p, 1, 20000) <= 0)
                return;
            ssize_t n = ::recv(s, bytes.data(), bytes.size(), 0);
            if (n <= 0)
                return;
            arrived.append(bytes.data(), static_cast<std::size_t>(n));
        }
    };
    take(256 * 1024);
    std::this_thread::sleep_for(std::chrono::seconds(6));
    const std::size_t head = arrived.find("\r\n\r\n") + 4;
    take(head + patch.size());
    ::close(s);
    EXPECT_EQ(arrived.size(), head + patch.size());
    EXPECT_TRUE(arrived.compare(head, std::string::npos, patch) == 0) << "the download is not the patch";
}

// Downloads of one patch read one copy of it, however many run at once.
TEST_F(StandInLimits, DownloadsOfOnePatchShareOneCopy)
{
    start();
    std::string patch, arrived;
    const std::string request = offer(std::size_t(4) << 20, &patch);
    std::vector<int> readers;
    for (int i = 0; i < 5; ++i) {
        readers.push_back(ask(request, &arrived));
        EXPECT_TRUE(startsWith(arrived, "HTTP/1.1 200")) << arrived;
    }
    // Each copy is a file beside the database, open and unnamed.
    int copies = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code unreadable;
        std::string target = std::filesystem::read_symlink(entry.path(), unreadable).string();
        copies += startsWith(target, folder.path + "/service.db.patch-");
    }
    EXPECT_EQ(copies, 1);
    for (int s : readers)
        ::close(s);
}

namespace {

// ts_server started with an open-file limit of soft files and hard as much again, its output in
// the folder; its pid.
pid_t startLimitedServer(const std::string& folder, rlim_t soft)
{
    std::vector<std::string> args = {TS_BINARY_DIR "/ts_server", "--db", folder + "/s.db", "--port", "0",
                                     "--port-file", folder + "/port", "--log", folder + "/requests.log"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string out = folder + "/out";
    pid_t pid = ::fork();
    if (pid == 0) {
        rlimit files{soft, 2 * soft};
        int file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (::setrlimit(RLIMIT_NOFILE, &files) != 0 || file < 0 || ::dup2(file, 1) < 0 || ::dup2(file, 2) < 0)
            ::_exit(127);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

}

// ts_server opens as many files as the system lets it (its soft limit raised to the hard one), and
// holds fewer connections than that: with a crowd of idle connections five times its limit, the
// database and its journal still open, and a new player registers and logs in at once, long
// before the idle ones' deadline has passed.
TEST(TsServer, HoldsFewerConnectionsThanItsFiles)
{
    TempFolder folder{"ts_server_files"};
    constexpr rlim_t soft = 64;
    pid_t pid = startLimitedServer(folder.path, soft);
    ASSERT_GT(pid, 0);
    for (auto end = Clock::now() + std::chrono::seconds(20); readFile(folder.path + "/port").empty() && Clock::now() < end;)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int port = std::atoi(readFile(folder.path + "/port").c_str());
    EXPECT_GT(port, 0) << readFile(folder.path + "/out");
    rlimit files{};
    EXPECT_EQ(::prlimit(pid, RLIMIT_NOFILE, nullptr, &files), 0);
    EXPECT_EQ(files.rlim_cur, 2 * soft);

    std::vector<int> crowd;
    for (int i = 0; port > 0 && i < 600; ++i)
        crowd.push_back(connectToLoopback(port));
    httplib::Client client("127.0.0.1", port);
    client.set_connection_timeout(5, 0);
    client.set_read_timeout(5, 0);
    auto ask = [&](const std::string& text) {
        auto reply = client.Get("/secure.php?data=" + sealedData(text));
        return reply ? reply->body : "no answer";
    };
    const std::string reg = ask("reg.php?beta=1&username=quill&passwordHash=" + hashString("hunter22") +
                                "&password=hunter22&email=q@x.org");
    EXPECT_TRUE(startsWith(reg, "success ")) << reg;
    const std::string login = ask("login.php?username=quill&password=hunter22&gameversion=Version%200.1.0");
    EXPECT_TRUE(startsWith(login, "success ")) << login;
    for (int s : crowd)
        ::close(s);
    kill(pid, SIGTERM);
    EXPECT_EQ(waitForChild(pid, std::chrono::seconds(20)).exitCode(), 0) << readFile(folder.path + "/out");
}
