#include "online_fixture.h"

#include "crypto/digest.h"
#include "online/query.h"
#include "server/raw_listener.h"
#include "../loopback_http.h"

#include <atomic>
#include <cmath>


namespace {

struct Machinery : OnlineTest {
    std::string newsOf() { return "Welcome to Tessarine!\nThe world rankings are open.\n"; }
    // Kind 3 replies are never read: a probe whose dispatch changes nothing. A held answer's probe
    // waits without a time-out (0), so that it runs for as long as the test does.
    void queueProbe(const std::string& text, std::string* target, long timeoutSeconds = 5)
    {
        curlQueue(text, target, 3, timeoutSeconds);
    }
};

// A port on which nothing listens: the listener's, once it has stopped.
int closedPort()
{
    RawListener listener;
    startRawListener(listener);
    int port = listener.port;
    stopRawListener(listener);
    return port;
}

double fakeMs = 0.0;
double fakeClock()
{
    return fakeMs;
}

// The back-off against a clock the test moves.
struct BackOff : Machinery {
    double (*savedClock)() = requestClockMs;
    void SetUp() override
    {
        Machinery::SetUp();
        requestClockMs = fakeClock;
        fakeMs = 0.0;
        secureUrl = "http://127.0.0.1:" + std::to_string(closedPort()) + "/secure.php?data=";
    }
    void TearDown() override
    {
        curlQueueHook = nullptr;
        requestClockMs = savedClock;
        Machinery::TearDown();
    }
};

// Sends only so many requests: one queued again inside the pump that failed it, never held, would
// keep that pump going for good.
int sendsLeft = 0;
void boundedQueue(const std::string& url, std::string* response, int kind, long timeoutSeconds)
{
    if (sendsLeft-- <= 0)
        return;
    curlQueueHook = nullptr;
    curlQueue(url, response, kind, timeoutSeconds);
    curlQueueHook = boundedQueue;
}

}

// News that never arrives, one frame every 100 ms: asked for again after 1, 2, 4 ... 30 s.
TEST_F(BackOff, FailuresAreSentAgainAfterOneTwoFourUpToThirtySeconds)
{
    hasNews = 1;
    sendsLeft = 20;
    curlQueueHook = boundedQueue;
    curlQueue("news.php", &newsReply, rk::News, 5);
    std::vector<double> sentAt;
    for (; fakeMs <= 100000.0; fakeMs += 100.0) {
        const std::size_t before = urlsLog().size();
        curlprocess();
        // Failed and queued again; a request never held would fail again every frame.
        ASSERT_TRUE(pumpUntil([] { return requests.back().held; }, 2000));
        if (urlsLog().size() > before)
            sentAt.push_back(fakeMs);
    }
    EXPECT_EQ(sentAt, (std::vector<double>{0, 1000, 3000, 7000, 15000, 31000, 61000, 91000}));
    endBackOff(rk::News);   // an answer: the next failure waits a second again
    backOffRequests(rk::News);
    for (double step : {999.0, 1.0}) {
        fakeMs += step;
        curlprocess();
    }
    EXPECT_FALSE(requests.back().held);
}

// Whatever kind failed, what its sender sends next is held until the back-off ends.
TEST_F(BackOff, EverySenderWaitsBeforeSendingAgain)
{
    const struct {
        int kind;
        std::string* target;   // null: the upload's own reply
        void (*sendAgain)();
        int code;
    } cases[] = {
        {rk::Highscore, &highscoreReply, updateHighscoreRequest, CURLE_COULDNT_CONNECT},
        {rk::Score, &scoreReply, queueScoreReport, CURLE_COULDNT_CONNECT},
        {rk::AchievementUpload, nullptr, [] {}, CURLE_COULDNT_CONNECT},
        {rk::News, &newsReply, [] {}, CURLE_COULDNT_CONNECT},
        {rk::RankingPage, &rankingReply, [] { UpdateRanking(16.0f); }, CURLE_COULDNT_CONNECT},
        {rk::Patch, &patchData, [] { UpdatePatching(16.0f); }, CURLE_COULDNT_CONNECT},
        {rk::Patch, &patchData, [] { UpdatePatching(16.0f); }, CURLE_OK},   // the digest does not match
    };
    for (const auto& c : cases) {
        dropTransfers();
        resetOnlineGlobals();
        resetAchievementUploads();
        hasNews = 1;
        patchData = "not the patch";
        patchHash = std::string(64, '0');
        fakeMs = 0.0;
        if (!c.target)
            awardAchievement("quicksave");
        handleReply(c.kind, c.code, c.target ? c.target : requests.back().response);
        c.sendAgain();
        ASSERT_FALSE(requests.empty()) << c.kind;
        const std::size_t again = requests.size() - 1;
        EXPECT_EQ(requests[again].kind, c.kind);
        fakeMs = 999.0;
        curlprocess();
        EXPECT_TRUE(requests[again].held && !requests[again].easyHandle) << c.kind;
        fakeMs = 1000.0;
        curlprocess();
        EXPECT_FALSE(requests[again].held) << c.kind;
    }
}

// One rule for every kind that sends again: a failed transfer, an error status (whatever its
// body) or a reply the kind cannot use holds the kind's next request; a usable reply ends the wait.
TEST_F(BackOff, OneRuleForEveryKindThatRetries)
{
    const struct {
        int kind;
        std::string* target;   // null: the upload's own reply
        std::vector<std::string> unusable;
        std::string usable;    // "": none here (an installed patch ends the program)
    } cases[] = {
        {rk::Highscore, &highscoreReply, {"", "1 2 3"}, "5 100 90 10 3"},
        {rk::Score, &scoreReply, {"", "1 2 3 4 5 6 7"}, "0 0 30 31 0 5 100 140"},
        {rk::News, &newsReply, {""}, "News"},
        {rk::AchievementUpload, nullptr, {""}, "14"},
        {rk::RankingPage, &rankingReply,
         {"", "\x89PNG\r\n", "1 ROWS 1\r\n1,a,1,5,1,1\r\n", "0 ROWS\r\n0,a,1,5,1,1\r\n", "0 ROWS 1\n0,a,1,5,1,1\n",
          "0 ROWS 1\r\n0,a,1,5,1,1\n"},
         "0 ROWS 1\r\n0,a,1,5,1,1\r\n"},
        {rk::Patch, &patchData, {"", "fail", "not the patch"}, ""},
    };
    static std::string probe;
    auto nextHeld = [](int kind) {
        curlQueue("probe", &probe, kind, 5);
        return requests.back().held;
    };
    for (const auto& c : cases) {
        dropTransfers();
        resetOnlineGlobals();
        resetAchievementUploads();
        hasNews = 1;
        patchHash = std::string(64, '0');
        std::string* target = c.target;
        if (!target) {
            awardAchievement("quicksave");
            target = requests.back().response;
        }
        struct Outcome {
            std::string text;
            int code;
            long status;
        };
        std::vector<Outcome> failing = {{c.usable, CURLE_COULDNT_CONNECT, 0}, {c.usable, 0, 502}};
        for (const std::string& text : c.unusable)
            failing.push_back({text, 0, 200});
        for (const Outcome& o : failing) {
            fakeMs += 60000.0;   // past any earlier wait
            *target = o.text;
            handleReply(c.kind, o.code, target, o.status);
            EXPECT_TRUE(nextHeld(c.kind)) << c.kind << " " << o.code << " " << o.status << " " << o.text;
        }
        if (c.usable.empty())
            continue;
        *target = c.usable;
        handleReply(c.kind, 0, target, 200);
        EXPECT_FALSE(nextHeld(c.kind)) << c.kind << ": a usable reply ends the wait";
    }
    dropTransfers();
}

// A service that redirects for ever is followed three hops only, queued or blocking (the service
// sees the request and three redirects); a redirect to anything but http or https is not followed.
TEST_F(Machinery, RedirectsAreFewAndOverHttpOnly)
{
    std::atomic<int> hops{0};
    std::string elsewhere;   // set only while no request is on its way
    LoopbackHttp service([&](const httplib::Request& request, httplib::Response& response) {
        ++hops;
        response.set_redirect(elsewhere.empty() ? request.path + "?data=" + std::to_string(hops) : elsewhere);
    });
    secureUrl = service.secureUrl();
    std::string reply;
    queueProbe("news.php", &reply);
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(requests[0].resultCode, CURLE_TOO_MANY_REDIRECTS);
    EXPECT_EQ(hops, 4);
    hops = 0;
    EXPECT_EQ(curlPerform("which_server.php", &reply, 5), CURLE_TOO_MANY_REDIRECTS);
    EXPECT_EQ(hops, 4);

    elsewhere = "ftp://127.0.0.1:" + std::to_string(service.port) + "/secure.php";
    EXPECT_EQ(curlPerform("which_server.php", &reply, 5), CURLE_UNSUPPORTED_PROTOCOL);
    queueProbe("news.php", &reply);
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(requests[1].resultCode, CURLE_UNSUPPORTED_PROTOCOL);
    EXPECT_EQ(reply, "");
}

TEST_F(Machinery, ChunksArriveInOrderAndAnEmptyReplyStillCompletes)
{
    ASSERT_TRUE(setStandInFault(service, "news=chunks:10*1"));
    std::string chunked, empty = "kept";
    curlQueue("news.php", &chunked, 3, 5);
    ASSERT_TRUE(setStandInFault(service, "which_server=empty*1"));
    curlQueue("which_server.php", &empty, 3, 5);
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].url, "news.php");
    EXPECT_EQ(requests[0].kind, 3);
    EXPECT_FALSE(requests[0].done);
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(chunked, newsOf());
    EXPECT_EQ(empty, "kept") << "the machinery never clears a target";
    for (const CurlRequest& r : requests) {
        EXPECT_EQ(r.resultCode, 0);
        EXPECT_EQ(r.statusText, "No error");
        EXPECT_EQ(r.easyHandle, nullptr) << "a finished record keeps no handle";
    }
    EXPECT_EQ(urlsLog(), "No error\r\nNo error\r\n") << "status lines only";
}

TEST_F(Machinery, CompletionFollowsTheTransfersNotTheQueue)
{
    holdStandInAnswers(service, "news.php");
    std::string slow, fast;
    queueProbe("news.php", &slow, 0);
    queueProbe("which_server.php", &fast);
    ASSERT_TRUE(pumpUntil([] { return requests[1].done; }));
    EXPECT_FALSE(requests[0].done);
    EXPECT_EQ(fast, service.context.securePrefix);
    EXPECT_EQ(slow, "");
    clearStandInFaults(service);
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(slow, newsOf());
}

TEST_F(Machinery, ShutDownEndsRunningTransfersAndKeepsFinishedOnes)
{
    holdStandInAnswers(service, "news.php");
    std::string slow = "kept", fast;
    queueProbe("news.php", &slow, 0);
    queueProbe("which_server.php", &fast);
    ASSERT_TRUE(pumpUntil([] { return requests[1].done; }));
    endRunningTransfers();
    for (const CurlRequest& r : requests) {
        EXPECT_TRUE(r.done);
        EXPECT_EQ(r.easyHandle, nullptr);
    }
    EXPECT_EQ(requests[1].statusText, "No error") << "a finished record is left as it was";
    CompletedTransfer none;
    EXPECT_FALSE(nextCompletedTransfer(none)) << "an ended transfer is never dispatched";
    EXPECT_EQ(slow, "kept");
}

TEST_F(Machinery, WithoutAMultiHandleNothingIsSentOrLogged)
{
    curl_multi_cleanup(curlMultiHandle);
    curlMultiHandle = nullptr;
    std::string target = "untouched";
    curlQueue("news.php", &target, 8, 5);
    curlprocess();
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(target, "untouched");
    EXPECT_EQ(urlsLog(), "");
    EXPECT_TRUE(standInLog(service).empty());
}

// A multi handle that refuses every transfer (its mark is not libcurl's).
TEST_F(Machinery, ARefusedTransferMakesNoRecord)
{
    CURLM* real = curlMultiHandle;
    alignas(16) static unsigned char refusing[4096] = {};
    curlMultiHandle = reinterpret_cast<CURLM*>(refusing);
    std::string target;
    curlQueue("news.php", &target, 8, 5);
    curlMultiHandle = real;
    EXPECT_TRUE(requests.empty());
}

TEST_F(Machinery, FailuresAreLoggedAndStillDispatched)
{
    RawListener silent;
    ASSERT_TRUE(startRawListener(silent));
    secureUrl = "http://127.0.0.1:" + std::to_string(silent.port) + "/secure.php?data=";
    highscoreRequestSent = highscoreReplyReceived = true;
    curlQueue("highscore.php?gamemode=1", &highscoreReply, 2, 5);
    secureUrl = "http://127.0.0.1:" + std::to_string(closedPort()) + "/secure.php?data=";
    std::string refused;
    queueProbe("news.php", &refused);
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(requests[0].resultCode, CURLE_GOT_NOTHING);
    EXPECT_EQ(requests[1].resultCode, CURLE_COULDNT_CONNECT);
    EXPECT_FALSE(highscoreRequestSent || highscoreReplyReceived) << "the dispatch saw the failure";
    std::string log = urlsLog();
    EXPECT_NE(log.find(std::string(curl_easy_strerror(CURLE_GOT_NOTHING)) + "\r\n"), std::string::npos);
    EXPECT_NE(log.find(std::string(curl_easy_strerror(CURLE_COULDNT_CONNECT)) + "\r\n"), std::string::npos);
}

TEST_F(Machinery, BlockingRequestsTimeOutRefuseAndTakeErrorPages)
{
    std::string reply = "before ";
    EXPECT_EQ(curlPerform("checkname.php?username=quill", &reply, 5), CURLE_OK);
    EXPECT_EQ(reply, "before available") << "appended, never cleared";
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(urlsLog(), "");

    ASSERT_TRUE(setStandInFault(service, "checkname=status:500*1"));
    reply.clear();
    EXPECT_EQ(curlPerform("checkname.php?username=quill", &reply, 5), CURLE_OK);
    EXPECT_NE(reply.find("500"), std::string::npos) << "an error page is a reply";

    ASSERT_TRUE(setStandInFault(service, "checkname=redirect*1"));
    reply.clear();
    EXPECT_EQ(curlPerform("checkname.php?username=quill", &reply, 5), CURLE_OK);
    EXPECT_EQ(reply, "available") << "redirects are followed";

    holdStandInAnswers(service, "checkname.php", 1);
    reply.clear();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(curlPerform("checkname.php?username=quill", &reply, 1), CURLE_OPERATION_TIMEDOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2500));
    EXPECT_EQ(blockingEasyHandle, nullptr);

    secureUrl = "http://127.0.0.1:" + std::to_string(closedPort()) + "/secure.php?data=";
    EXPECT_EQ(curlPerform("checkname.php?username=quill", &reply, 5), CURLE_COULDNT_CONNECT);
    EXPECT_EQ(curlPerform("news.php", nullptr, 5), CURLE_COULDNT_CONNECT);
}

// No reply holds more than its kind's limit while it arrives: the patch download the size its offer
// signed, a ranking page 64 KiB, the news what the menu keeps (and one byte to tell it was cut).
TEST_F(Machinery, RepliesPastTheirLimitEndAsWriteErrors)
{
    std::string big(maxReplyBytes + 1, 'p');
    long long id = offerPatch(service.context, "update", "9", big, testPatchKey());
    std::string patch = "patch.php?id=" + std::to_string(id);
    std::string ordinary, download, overlong, blocking;
    queueProbe(patch, &ordinary);
    patchSignedSize = big.size();
    curlQueue(patch, &download, rk::Patch, 60);
    patchSignedSize = big.size() - 1;
    curlQueue(patch, &overlong, rk::Patch, 60);
    setStandInReply(service, "world_ranking_staggered.php", "0 ROWS 25\r\n" + std::string(maxRankingPageBytes, 'r'));
    curlQueue("world_ranking_staggered.php?gamemode=0&offset=0", &rankingReply, rk::RankingPage, 20);
    setStandInReply(service, "news.php", std::string(maxReplyBytes, 'n'));
    curlQueue("news.php", &newsReply, rk::News, 5);
    ASSERT_TRUE(pumpUntilIdle(20000));
    EXPECT_EQ(requests[0].resultCode, CURLE_WRITE_ERROR);
    EXPECT_LE(ordinary.size(), maxReplyBytes);
    EXPECT_EQ(requests[1].resultCode, CURLE_OK) << "the signed size may be larger than other replies";
    EXPECT_EQ(download.size(), big.size());
    EXPECT_EQ(requests[2].resultCode, CURLE_WRITE_ERROR) << "one byte past the signed size";
    EXPECT_LE(overlong.size(), big.size() - 1);
    EXPECT_EQ(requests[3].resultCode, CURLE_WRITE_ERROR);
    EXPECT_LE(rankingReply.size(), maxRankingPageBytes);
    EXPECT_EQ(requests[4].resultCode, CURLE_OK) << "the news is kept cut";
    EXPECT_EQ(newsReply.size(), maxNewsBytes + 1);
    EXPECT_EQ(newsText.size(), maxNewsBytes);
    EXPECT_EQ(curlPerform(patch, &blocking, 20), CURLE_WRITE_ERROR);

    // Without a target the transfer ends as a write error too.
    EXPECT_EQ(curlPerform("news.php", nullptr, 5), CURLE_WRITE_ERROR);
    char bytes[4] = {'a', 'b', 'c', 'd'};
    std::string target;
    ReplySink sink{&target, 6};
    EXPECT_EQ(curlWriteToString(bytes, 1, 4, &sink), 4u);
    EXPECT_EQ(curlWriteToString(bytes, 1, 4, &sink), 0u);
    EXPECT_EQ(curlWriteToString(bytes, SIZE_MAX / 2, 4, &sink), 0u) << "no overflowing product";
    EXPECT_EQ(target, "abcd");
}

// libcurl hands out a freed handle's address again: only a running record may take a completion.
TEST_F(Machinery, AFinishedRecordWithTheSameHandleIsPassedOver)
{
    std::string first, second;
    ASSERT_TRUE(setStandInFault(service, "news=delay:200*1"));
    queueProbe("news.php", &first);
    CurlRequest stale;
    stale.url = "stale";
    stale.done = true;
    stale.resultCode = 42;
    stale.easyHandle = requests[0].easyHandle;
    requests.insert(requests.begin(), std::move(stale));
    ASSERT_TRUE(pumpUntil([] { return requests[1].done; }));
    EXPECT_EQ(requests[0].resultCode, 42);
    EXPECT_EQ(requests[1].resultCode, 0);
    EXPECT_EQ(first, newsOf());
}

// A transfer that no record owns is still released (LeakSanitizer watches the handle).
TEST_F(Machinery, ATransferWithoutARecordIsReleased)
{
    std::string stray;
    ReplySink sink{&stray, maxReplyBytes};
    CURL* handle = curl_easy_init();
    curl_easy_setopt(handle, CURLOPT_URL, sealUrl("news.php").c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, curlWriteToString);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);
    ASSERT_EQ(curl_multi_add_handle(curlMultiHandle, handle), CURLM_OK);
    std::string probe;
    queueProbe("which_server.php", &probe);
    ASSERT_TRUE(pumpUntil([&] { return requests[0].done && !stray.empty(); }));
    for (int i = 0; i < 20; ++i)
        curlprocess();
    EXPECT_EQ(urlsLog(), "No error\r\n") << "only the recorded request is logged";
    int running = -1;
    curl_multi_perform(curlMultiHandle, &running);
    EXPECT_EQ(running, 0);
}

TEST_F(Machinery, TheListIsCutToAHundredOldestFinishedFirst)
{
    for (int i = 0; i < 98; ++i) {
        CurlRequest old;
        old.url = "old " + std::to_string(i);
        old.done = true;
        requests.push_back(std::move(old));
    }
    holdStandInAnswers(service, "news.php");
    std::string replies[5];
    for (std::string& r : replies)
        queueProbe("news.php", &r, 0);
    curlprocess();
    ASSERT_EQ(requests.size(), 100u);
    EXPECT_EQ(requests[0].url, "old 3") << "three finished records made room";
    for (std::size_t i = 95; i < 100; ++i)
        EXPECT_FALSE(requests[i].done);

    // Running transfers are never dropped, whatever the count.
    for (int i = 0; i < 100; ++i)
        queueProbe("news.php", &replies[i % 5], 0);
    curlprocess();
    EXPECT_EQ(requests.size(), 105u);
    for (const CurlRequest& r : requests)
        EXPECT_FALSE(r.done);
    dropTransfers();
}

// A login completes, its handler queues the synchronisation and the news (the list grows while
// the pump walks it), and a score and a ranking page follow: all through the real client code.
TEST_F(Machinery, LoginScoreAndRankingRoundTrip)
{
    std::string made;
    ASSERT_EQ(curlPerform(buildRequest("reg.php?beta=1", {{"&username=", "quill"},
                                                         {"&passwordHash=", hashString("p&w d")},
                                                         {"&password=", "p&w d"},
                                                         {"&email=", "q@x.org"}}),
                          &made, 5),
              CURLE_OK);
    ASSERT_EQ(made.compare(0, 8, "success "), 0) << made;
    username = "quill";
    playerPassword = "p&w d";
    curlQueue(buildRequest("login.php?version=rc2&build=direct", {{"&platform=", ""}, {"&username=", username},
                                                                    {"&password=", playerPassword}}),
              &loginReply, rk::Login, 5);
    requests.shrink_to_fit();
    ASSERT_TRUE(pumpUntil([] { return gameState == gs::LoginToMenu; }));
    EXPECT_EQ(userId, "1");
    EXPECT_EQ(password, made.substr(8));
    playerPassword.clear();
    loadConfig();   // the next start opens the stored password with the carried key
    EXPECT_EQ(playerPassword, "p&w d");
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].kind, rk::News);
    EXPECT_EQ(requests[2].kind, rk::AchievementSync);
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(newsText, newsOf());

    gameMode = gm::Rush;
    scoreRequestSent = true;
    curlQueue(buildRequest("score.php?", {{"gamemode=", 4}, {"&level=", 1}, {"&score=", 4200}, {"&performance=", 7},
                                          {"&userid=", userId}, {"&passwordHash=", hashString(playerPassword)}}),
              &scoreReply, rk::Score, 5);
    rankingRequestSent = true;
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_TRUE(scoreReplyReceived);
    EXPECT_EQ(newRank, 1);
    EXPECT_EQ(skillPointsBefore, 0);
    EXPECT_EQ(skillPointsAfter, 42);
    EXPECT_TRUE(cheeveEarned[4]) << "epic, granted by the score";
    EXPECT_EQ(cheeveToasts, std::vector<int>{4});

    curlQueue("world_ranking_staggered.php?gamemode=4&offset=0", &rankingReply, rk::RankingPage, 20);
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_FALSE(rankingRequestSent);
    EXPECT_EQ(rankingOffset, 1);
    ASSERT_EQ(rankingReplies.size(), 1u);
    EXPECT_EQ(rankingReplies[0], "4,quill,1,42,1,1\r\n");

    std::string log = urlsLog();
    EXPECT_EQ(log, "No error\r\nNo error\r\nNo error\r\nNo error\r\nNo error\r\n");
    std::string sent = standInLog(service)[1];
    EXPECT_NE(sent.find("&password=***"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("p%26w"), std::string::npos) << sent;
}

// Silence ends only the patch download: a server choice or a ranking page that keeps the game
// waiting past the silence rule still arrives whole within its own time-out.
TEST_F(Machinery, OnlyThePatchDownloadEndsForSilence)
{
    struct Restore {
        ~Restore() { transferStallRule = stalledTransfer; }
    } restore;
    transferStallRule.silenceSeconds = 1;
    const std::string bytes(300, 'p');
    const std::string patch = "patch.php?id=" + std::to_string(offerPatch(service.context, "update", "9", bytes,
                                                                         testPatchKey()));
    patchSignedSize = bytes.size();
    for (const char* script : {"which_server.php", "world_ranking_staggered.php", "patch.php"})
        holdStandInAnswers(service, script);
    std::string choice, download;
    curlQueue("which_server.php", &choice, rk::ServerChoice, 30);
    curlQueue("world_ranking_staggered.php?gamemode=0&offset=0", &rankingReply, rk::RankingPage, 20);
    curlQueue(patch, &download, rk::Patch, 3600);
    ASSERT_TRUE(pumpUntil([] { return requests[2].done; }, 30000));
    EXPECT_EQ(requests[2].resultCode, CURLE_OPERATION_TIMEDOUT);
    // Another second of silence past the rule, and the others are still awaited.
    const auto later = std::chrono::steady_clock::now() + std::chrono::seconds(transferStallRule.silenceSeconds + 1);
    pumpUntil([&] { return std::chrono::steady_clock::now() > later; });
    EXPECT_FALSE(requests[0].done);
    EXPECT_FALSE(requests[1].done);
    clearStandInFaults(service);
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(requests[0].resultCode, CURLE_OK);
    EXPECT_EQ(choice, service.context.securePrefix);
    EXPECT_EQ(requests[1].resultCode, CURLE_OK);
    EXPECT_TRUE(rankingAtEnd) << "the empty ranking's page was taken";
}

namespace {

// The clock the patch download's rule reads while a test's service plays a line: where the line
// stands, which the service moves as it sends, and far from zero, since a transfer's time runs from
// its own start. Reading it also tells the service how much of the download the game has seen.
std::atomic<double> lineMs{0.0};
std::atomic<std::size_t> seenBytes{0};
const std::string* watchedDownload = nullptr;
double lineClock()
{
    seenBytes = watchedDownload->size();
    return 7.2e6 + lineMs;
}

}

// Over real sockets, through the game's own set-up of a patch download with its hour, at the rule
// the game ships, on a clock the service moves: a piece a second, each sent once the game has seen
// the one before, so the clock never runs ahead of what arrived. A trickle is cut as a time-out
// within about a minute of its first byte; a line slow to begin, which pauses 25 s after its first
// second and so runs past the point where its pace is judged, arrives whole. Its service also holds
// the socket 7 s before that first byte, longer than libcurl's own low-speed rule would let it.
TEST_F(Machinery, PatchDownloadsAreJudgedOnTheirPaceSinceTheirFirstByte)
{
    struct Restore {
        double (*clock)() = transferClockMs;
        ~Restore()
        {
            transferClockMs = clock;
            watchedDownload = nullptr;
        }
    } restore;
    transferClockMs = lineClock;
    struct Line {
        std::size_t size, piece;   // bytes; bytes a second
        double firstByte, pause;   // seconds
        int heldMs;                // the socket's own wait before the first byte
    };
    const Line trickle{1 << 20, 70, 0, 0, 0}, paused{1 << 20, 2 << 10, 25, 25, 7000};
    std::string downloads[2];
    int results[2] = {-1, -1};
    for (int i = 0; i < 2; ++i) {
        const Line l = i == 0 ? trickle : paused;
        std::atomic<bool> ending{false};
        LoopbackHttp shaping([&ending, l](const httplib::Request&, httplib::Response& response) {
            response.set_header("Connection", "close");   // nothing kept alive to wait out at the end
            response.set_content_provider(
                l.size, "application/octet-stream", [&ending, l](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
                    while (seenBytes < offset)
                        if (ending || std::chrono::steady_clock::now() > giveUp)
                            return false;
                        else
                            std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    const std::size_t piece = offset / l.piece;
                    if (piece == 0)
                        std::this_thread::sleep_for(std::chrono::milliseconds(l.heldMs));
                    lineMs = 1000.0 * (l.firstByte + static_cast<double>(piece) + (piece > 0 ? l.pause : 0.0));
                    const std::string bytes(std::min(l.piece, l.size - offset), 'p');
                    return !ending && sink.write(bytes.data(), bytes.size());
                });
        });
        lineMs = 0.0;
        seenBytes = 0;
        watchedDownload = &downloads[i];
        secureUrl = shaping.secureUrl();
        patchSignedSize = l.size;
        curlQueue("patch.php?id=1", &downloads[i], rk::Patch, 3600);
        const bool ended = pumpUntil([&] { return requests.back().done; }, 60000);
        results[i] = requests.back().resultCode;
        ending = true;
        dropTransfers();
        ASSERT_TRUE(ended) << i << ": " << downloads[i].size() << " B";
    }
    EXPECT_EQ(results[0], CURLE_OPERATION_TIMEDOUT);
    EXPECT_GE(downloads[0].size(), 35u * trickle.piece) << "judged too soon";
    EXPECT_LE(downloads[0].size(), 61u * trickle.piece) << "cut too late";
    EXPECT_EQ(results[1], CURLE_OK);
    EXPECT_EQ(downloads[1].size(), paused.size);   // not the MiB itself, which a failure would print
    EXPECT_TRUE(downloads[1] == std::string(paused.size, 'p')) << "the paused line arrives whole";
    EXPECT_EQ(urlsLog(), "Timeout was reached\r\nNo error\r\n");
}

namespace {

// A line a service may bring a patch on, seen once a second as libcurl reports, half a second
// off its whole seconds (so that a pause of p s is p s between the bytes seen): its first byte
// after `firstByte` s, then `rate` bytes a second while it does not pause; `active` says for
// how many seconds it has brought them by e s after its first byte.
struct Line {
    double size, rate, firstByte;
    // One pause of `pauseLength` s from `pauseStart` s on, or silences of `silence` s every
    // `period` s that begin `phase` s into one (the line then starts with period - silence -
    // phase seconds of bytes).
    double pauseStart = 0, pauseLength = 0, silence = 0, period = 0, phase = 0;

    double active(double e) const
    {
        if (period > 0) {
            const auto cumulative = [&](double x) {
                return std::floor(x / period) * (period - silence) + std::min(std::fmod(x, period), period - silence);
            };
            return cumulative(e + phase) - cumulative(phase);
        }
        return e - std::clamp(e - pauseStart, 0.0, pauseLength);
    }
    double bytesAt(double t) const
    {
        return t < firstByte ? 0.0 : std::min(size, 1 + std::floor(rate * active(t - firstByte)));
    }
};

// When the line, seen at its moments, has brought its size.
double finishOf(const Line& line)
{
    int low = 0, high = 36000;
    while (low < high) {
        const int mid = (low + high) / 2;
        if (line.bytesAt(mid + 0.5) >= line.size)
            high = mid;
        else
            low = mid + 1;
    }
    return low + 0.5;
}

// The rule stepped through the line's moments: when it cut the line, -1 when it never did.
double cutAt(const Line& line)
{
    DownloadPace pace(static_cast<std::uint64_t>(line.size), 3600e3, stalledTransfer);
    for (double t = 0.5;; t += 1) {
        const double bytes = line.bytesAt(t);
        if (!pace.keepsPace(t * 1000.0, static_cast<std::uint64_t>(bytes)))
            return t;
        if (bytes >= line.size || t > 3600)
            return -1;
    }
}

}

// The rule as the game ships it, on a clock the test moves, over every honest line of steady
// rates, sizes, first-byte waits, one pause at each second of its first two minutes or at its
// very end, and periodic silences: each line that would bring its patch within 90% of its hour is
// kept to its last byte. Trickles and lines that fall silent are cut within about a minute of
// their first byte, and a fast start that then trickles once its last minute and a half says so.
TEST(DownloadPaceRule, EveryLineOnCourseIsKeptAndTricklesCut)
{
    const double KiB = 1024, MiB = 1024 * KiB, within = 0.9 * 3600;
    std::vector<Line> shapes;
    for (const double rate : {8 * KiB, 30 * KiB, 100 * KiB, MiB})
        for (const double size : {MiB, 20 * MiB, 256 * MiB}) {
            const double data = size / rate;
            if (data > within)
                continue;
            for (int length = 1; length <= 29; ++length) {
                for (int start = 0; start <= 120 && start < data; ++start)
                    shapes.push_back({size, rate, 0, double(start), double(length)});
                shapes.push_back({size, rate, 0, (size - 1) / rate, double(length)});   // before its last byte
            }
            for (int silence = 1; silence <= 29; ++silence)
                for (int period = silence + 1; period <= 60; ++period)
                    for (const int phase : {0, period - silence - 1})
                        shapes.push_back({size, rate, 0, 0, 0, double(silence), double(period), double(phase)});
        }
    int walked = 0;
    for (Line line : shapes) {
        const double latest = std::min(29.0, std::floor(within - finishOf(line)));
        if (latest < 0)
            continue;   // not a line that brings its patch in time
        // A first byte at once, and the latest one that still brings the patch in time.
        for (const double firstByte : {0.0, latest}) {
            line.firstByte = firstByte;
            const double cut = cutAt(line);
            ++walked;
            if (cut >= 0)
                ADD_FAILURE() << line.size / MiB << " MiB at " << line.rate / KiB << " KiB/s, first byte after "
                              << line.firstByte << " s, pause " << line.pauseLength << " s at " << line.pauseStart
                              << " s, silence " << line.silence << " s every " << line.period << " s from "
                              << line.phase << ": cut at " << cut << " s";
        }
    }
    EXPECT_GT(walked, 40000);

    struct Trickle {
        const char* what;
        std::function<double(double)> bytesAt;   // after so many seconds since the first byte
        double cutFrom, cutBy;                    // seconds after the first byte
    };
    const Trickle trickles[] = {
        {"70 B/s", [](double e) { return 70 * (e + 1); }, 35, 60},
        {"500 B every 5 s", [](double e) { return 500 * (std::floor(e / 5) + 1); }, 35, 60},
        {"1 B every 29 s", [](double e) { return std::floor(e / 29) + 1; }, 35, 60},
        {"all but its last byte, then nothing", [&](double) { return MiB - 1; }, 30, 31},
        {"all but 64 KiB at once, then 10 B/s", [&](double e) { return MiB - 64 * KiB + 10 * e; }, 90, 100},
        {"all but 1 KiB at once, then 1 B every 29 s", [&](double e) { return MiB - KiB + std::floor(e / 29); }, 90,
         100},
    };
    for (const Trickle& trickle : trickles)
        for (int firstByte = 0; firstByte <= 29; ++firstByte) {
            DownloadPace pace(static_cast<std::uint64_t>(MiB), 3600e3, stalledTransfer);
            double cut = -1;
            for (double t = 0.5; t <= 3600 && cut < 0; t += 1) {
                const double bytes = t < firstByte ? 0 : std::min(MiB, trickle.bytesAt(t - firstByte));
                if (!pace.keepsPace(t * 1000.0, static_cast<std::uint64_t>(bytes)))
                    cut = t - firstByte;
            }
            EXPECT_GE(cut, trickle.cutFrom) << trickle.what << ", first byte after " << firstByte << " s";
            EXPECT_LE(cut, trickle.cutBy) << trickle.what << ", first byte after " << firstByte << " s";
            EXPECT_TRUE(pace.stalled() && !pace.keepsPace(3600e3, 0)) << trickle.what << ": stalled for good";
        }
    // A download that never brings a byte is cut for its silence.
    DownloadPace silent(static_cast<std::uint64_t>(MiB), 3600e3, stalledTransfer);
    double cut = 0.5;
    while (silent.keepsPace(cut * 1000.0, 0))
        cut += 1;
    EXPECT_EQ(cut, 30.5);
}
