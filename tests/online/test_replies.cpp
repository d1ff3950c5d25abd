#include "online_fixture.h"

#include "crypto/digest.h"
#include "engine/log.h"
#include "engine/main.h"
#include "platform/settings_store.h"
#include "server/raw_listener.h"

#include <climits>
#include <random>
#include <tuple>

namespace {

// The follow-ups the handlers queue go to a listener that closes every connection unanswered, and
// nothing here pumps their completions: only the replies a test hands over reach the dispatch.
struct Dispatch : OnlineTest {
    RawListener unanswering;
    void SetUp() override
    {
        OnlineTest::SetUp();
        ASSERT_TRUE(startRawListener(unanswering));
        secureUrl = "http://127.0.0.1:" + std::to_string(unanswering.port) + "/secure.php?data=";
    }
    void reply(int kind, const std::string& text, int resultCode = 0)
    {
        std::string target = text;
        handleReply(kind, resultCode, &target);
    }
    std::vector<std::string> queued()
    {
        std::vector<std::string> urls;
        for (const CurlRequest& r : requests)
            urls.push_back(std::to_string(r.kind) + " " + r.url);
        return urls;
    }
};

}

TEST_F(Dispatch, LoginRetriesThreeTimesThenGoesOffline)
{
    for (int attempt = 1; attempt <= 3; ++attempt) {
        loginRequestSent = true;
        auto start = std::chrono::steady_clock::now();
        reply(rk::Login, "", CURLE_COULDNT_CONNECT);
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
        EXPECT_FALSE(loginRequestSent) << attempt;
        EXPECT_EQ(loginRetries, attempt);
        EXPECT_EQ(offlineMode, 0);
    }
    loginRequestSent = true;
    reply(rk::Login, "", CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(popupId, 11);
    EXPECT_EQ(offlineMode, 99);
    EXPECT_TRUE(loginRequestSent);
}

TEST_F(Dispatch, LoginSuccessSetsTheAccountAndQueuesItsFollowUps)
{
    playerPassword = "pw";
    username = "quill";
    cheeveEarned[5] = true;
    offlineMode = 99;
    reply(rk::Login, "success 7 abcdef0123 c3RvcmVk 0 0");
    EXPECT_EQ(userId, "7");
    EXPECT_EQ(playHash, "abcdef0123");
    EXPECT_EQ(password, "c3RvcmVk");
    EXPECT_EQ(offlineMode, 0);
    EXPECT_EQ(gameState, gs::LoginToMenu);
    EXPECT_FALSE(cheeveEarned[5]);
    EXPECT_EQ(queued(), std::vector<std::string>{"7 sync_cheeves.php?userid=7&passwordHash=" + hashString("pw")});
    // The settings keep the new stored password.
    password.clear();
    loadConfig();
    EXPECT_EQ(password, "c3RvcmVk");
    playerPassword = "pw";   // the stored text above is no real sealed password

    // The masked line: neither the play hash nor the stored password reaches the log.
    EXPECT_EQ(consoleLines.back(), "success 7 *** *** 0 0");

    dropTransfers();
    reply(rk::Login, "success 7 abcdef0123 c3RvcmVk 0 1");
    EXPECT_EQ(queued(), (std::vector<std::string>{"8 news.php", "7 sync_cheeves.php?userid=7&passwordHash=" +
                                                                   hashString("pw")}));
    EXPECT_EQ(hasNews, 1);

    // On the restart page the account is kept but nothing more happens.
    dropTransfers();
    gameState = gs::Restart;
    reply(rk::Login, "success 8 h s 0 0");
    EXPECT_EQ(userId, "8");
    EXPECT_EQ(gameState, gs::Restart);
    EXPECT_TRUE(requests.empty());
}

// The settings keep values of up to 4096 bytes: a longer stored password is a failed login, and the
// file keeps the name and password it had.
TEST_F(Dispatch, AStoredPasswordTooLongForTheSettingsFailsTheLogin)
{
    for (std::size_t length : {settingsMaxTextBytes, settingsMaxTextBytes + 1}) {
        resetOnlineGlobals();
        username = "before";
        password = "c3RvcmVk";
        ASSERT_TRUE(saveConfig());
        username = "quill";
        const std::string stored(length, 'A');
        reply(rk::Login, "success 7 h " + stored + " 0 0");
        const bool fits = length <= settingsMaxTextBytes;
        EXPECT_EQ(popupId, fits ? 12 : 14) << length;
        EXPECT_EQ(userId, fits ? "7" : "") << length;
        username = password = "";
        loadConfig();
        EXPECT_EQ(username + " " + password, fits ? "quill " + stored : "before c3RvcmVk") << length;
    }
}

// Settings that cannot be written at all fail the login as a password they cannot keep does.
TEST_F(Dispatch, SettingsThatCannotBeWrittenFailTheLogin)
{
    const std::string blocked = folder.path + "/blocked";
    std::ofstream(blocked) << "a file where the settings folder would be made";
    setenv("XDG_CONFIG_HOME", blocked.c_str(), 1);
    username = "quill";
    reply(rk::Login, "success 7 h c3RvcmVk 0 0");
    EXPECT_EQ(popupId, 14);
    EXPECT_EQ(userId + password, "");
}

TEST_F(Dispatch, LoginRepliesOtherThanTheKnownOnesFail)
{
    struct Case {
        std::string reply;
        int popup, state;
    };
    const std::string patch(2048, 'p');
    for (const Case& c : std::vector<Case>{
             {"fail", 14, gs::Login},
             {"success 7 h s 0", 14, gs::Login},
             {"update patch.php?id=1 100", 14, gs::Login},
             {"<html><body>404</body></html>", 14, gs::Login},
             {"", 14, gs::Login},
             {"failed", 14, gs::Login},
             {signedOffer("update", "0.1.1", patch, "patch.php?id=3"), 12, gs::Patching},
         }) {
        resetOnlineGlobals();
        gameVersion = "Version 0.1.0";
        reply(rk::Login, c.reply);
        EXPECT_EQ(popupId, c.popup) << c.reply;
        EXPECT_EQ(gameState, c.state) << c.reply;
        EXPECT_TRUE(userId.empty());
        EXPECT_TRUE(requests.empty());
    }
    EXPECT_EQ(patchUrl, "patch.php?id=3");
    EXPECT_FLOAT_EQ(patchSize, 2048.0f);
    EXPECT_EQ(patchHash, hashString(patch));
    EXPECT_FALSE(patchIsUpdater);
    reply(rk::Login, signedOffer("update_exe", "0.1.1", "d", "p"));
    EXPECT_TRUE(patchIsUpdater);
    EXPECT_FLOAT_EQ(patchSize, 1.0f);
}

TEST_F(Dispatch, HighscoreAndScoreNumbers)
{
    // A failure, an error page, an empty or a short reply: sent again; "fail": counted as received.
    for (auto [text, code, status] : {std::tuple<const char*, int, long>{"1 2 3 4 5", CURLE_OPERATION_TIMEDOUT, 0},
                                      {"1 2 3 4 5", 0, 500}, {"", 0, 200}, {"1 2 3", 0, 200}}) {
        highscoreRequestSent = highscoreReplyReceived = true;
        std::string target = text;
        handleReply(rk::Highscore, code, &target, status);
        EXPECT_FALSE(highscoreRequestSent || highscoreReplyReceived) << text << " " << status;
    }
    EXPECT_EQ(personalBest, -1);
    requestWaitTimes[0] = 700.0f;
    reply(rk::Highscore, "fail");
    EXPECT_TRUE(highscoreReplyReceived);
    EXPECT_FLOAT_EQ(requestWaitTimes[0], 700.0f);

    serverWaitPause = true;
    reply(rk::Highscore, "9  12000 +15000x -99999999999999999999999 99999999999 extra");
    EXPECT_TRUE(highscoreReplyReceived && continueReady);
    EXPECT_FLOAT_EQ(requestWaitTimes[0], 0.0f);
    EXPECT_EQ(highscoreReplyFirst, 9);
    EXPECT_EQ(personalBest, 12000);
    EXPECT_EQ(performanceMean, 15000);
    EXPECT_EQ(performanceSpread, INT_MIN) << "numbers saturate";
    EXPECT_EQ(previousRank, INT_MAX);

    scoreRequestSent = scoreReplyReceived = true;
    reply(rk::Score, "", CURLE_COULDNT_CONNECT);
    EXPECT_FALSE(scoreRequestSent || scoreReplyReceived);
    scoreRequestSent = scoreReplyReceived = true;
    reply(rk::Score, "1 2 3 4 5 6 7");
    EXPECT_FALSE(scoreRequestSent || scoreReplyReceived) << "too short: sent again";
    EXPECT_EQ(newRank, -1);
    requestWaitTimes[2] = 11000.0f;
    reply(rk::Score, "0 0 30 31 0 5 100 140");
    EXPECT_FLOAT_EQ(requestWaitTimes[2], 0.0f);
    EXPECT_EQ(scoreReplyFirst, 30);
    EXPECT_EQ(scoreReplySecond, 31);
    EXPECT_EQ(newRank, 5);
    EXPECT_EQ(skillPointsBefore, 100);
    EXPECT_EQ(skillPointsAfter, 140);
    EXPECT_TRUE(cheeveToasts.empty());
    reply(rk::Score, "0 0 30 31 0 5 100 140 3 0 40 x 27");
    EXPECT_EQ(cheeveToasts, (std::vector<int>{3, 27}));
    EXPECT_EQ(cheeveToastShown, (std::vector<bool>{false, false}));
    EXPECT_TRUE(cheeveEarned[3] && cheeveEarned[27]);
    EXPECT_FALSE(cheeveEarned[0]);
}

TEST_F(Dispatch, DeathRepliesAndUnknownKindsChangeNothing)
{
    for (int kind : {int(rk::Death), 0, 11})
        for (int code : {0, 7})
            reply(kind, "success 7 h s 0 1", code);
    EXPECT_EQ(popupId, 12);
    EXPECT_TRUE(userId.empty() && requests.empty());
}

TEST_F(Dispatch, SynchronisationMarksTheListedAchievements)
{
    reply(rk::AchievementSync, "1 5 27 0 99 -3 abc");
    for (int n = 0; n < 28; ++n)
        EXPECT_EQ(cheeveEarned[n], n == 1 || n == 5 || n == 27) << n;
    for (int code : {0, 28}) {
        reply(rk::AchievementSync, code ? "2" : "fail", code);
        reply(rk::AchievementSync, "", code);
    }
    EXPECT_FALSE(cheeveEarned[2]);
    EXPECT_TRUE(cheeveToasts.empty()) << "nothing is announced";
}

TEST_F(Dispatch, NewsIsKeptOrAskedForAgain)
{
    reply(rk::News, "Line one\nLine two\n");
    EXPECT_EQ(newsText, "Line one\nLine two\n");
    newsReply = "half";
    handleReply(rk::News, CURLE_RECV_ERROR, &newsReply);
    EXPECT_EQ(newsReply, "");
    EXPECT_TRUE(requests.empty()) << "no news announced";
    hasNews = 1;
    handleReply(rk::News, CURLE_RECV_ERROR, &newsReply);
    EXPECT_EQ(queued(), std::vector<std::string>{"8 news.php"});
    EXPECT_EQ(newsText, "Line one\nLine two\n");
}

// Switch Player: the second login's news replaces the first's, asked for into an emptied text, and
// a news request still on its way is not doubled.
TEST_F(Dispatch, ASecondLoginsNewsReplacesTheFirst)
{
    reply(rk::Login, "success 7 h s 0 1");
    newsReply = "First news\n";
    handleReply(rk::News, 0, &newsReply);
    dropTransfers();
    reply(rk::Login, "success 8 h s 0 1");
    EXPECT_EQ(newsReply, "");
    reply(rk::Login, "success 9 h s 0 1");
    const std::vector<std::string> sent = queued();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "8 news.php"), 1);
    newsReply += "Second news\n";   // as the transfer appends it
    handleReply(rk::News, 0, &newsReply);
    EXPECT_EQ(newsText, "Second news\n");
}

// However long the news, the menu keeps a few hundred lines of it, and says it cut it.
TEST_F(Dispatch, NewsIsCutToItsBytesAndLines)
{
    const struct {
        std::string reply;
        std::size_t kept;
    } cases[] = {
        {"Short news\r\n", 12}, {std::string(4 << 20, 'x'), maxNewsBytes}, {std::string(maxNewsBytes, '\n'), maxNewsLines}};
    for (const auto& c : cases) {
        consoleLines.clear();
        reply(rk::News, c.reply);
        EXPECT_EQ(newsText, c.reply.substr(0, c.kept)) << c.kept;
        EXPECT_EQ(!consoleLines.empty() && consoleLines.back().find("News cut") == 0, c.kept < c.reply.size());
    }
}

// A page is taken as far as its count says and never past 25 rows; the list stops at its limit.
TEST_F(Dispatch, RankingPagesAndTheListAreBounded)
{
    gameMode = gm::Normal;
    auto rows = [](int n, const std::string& row) {
        std::string text;
        while (n-- > 0)
            text += row;
        return text;
    };
    const struct {
        const char* header;
        std::string row;
        int sent, taken;
    } cases[] = {
        {"2 ROWS 3\r\n", "2,p,1,5,1,1\r\n", 5, 3},
        {"2 ROWS 30\r\n", "2,p,1,5,1,1\r\n", 30, 25},
        {"2 ROWS 2097152\r\n", "\r\n", 2 << 20, 25},   // 4 MiB of empty rows
    };
    for (const auto& c : cases) {
        rankingOffset = maxRankingRows - 20;
        rankingAtEnd = false;
        reply(rk::RankingPage, c.header + rows(c.sent, c.row));
        EXPECT_EQ(rankingReplies.back(), rows(c.taken, c.row)) << c.header;
        EXPECT_EQ(rankingOffset, maxRankingRows - 20 + c.taken);
        EXPECT_EQ(rankingAtEnd, rankingOffset >= maxRankingRows) << c.header;
    }
}

TEST_F(Dispatch, RankingPagesOfTheShownModeOnly)
{
    gameMode = gm::Normal;
    struct Case {
        std::string reply;
        int code, offset;
        bool atEnd;
        std::size_t pages;
    };
    for (const Case& c : std::vector<Case>{
             {"1 ROWS 3\r\n1,a,1,5,1,1\r\n", 0, 0, false, 0},   // another mode
             {"2 ROWS 3\r\n", 7, 0, false, 0},                // a failure
             {"2", 0, 0, false, 0},                           // too short for either step
             {"2 ROWS", 0, 0, false, 0},
             {"2 ROWS 3", 0, 0, false, 0},                    // no line end
             {"2 ROWS 2\r\n2,a,1,5,1,1\r\n2,b,2,4,2,1\r\n", 0, 2, false, 1},
             {"2 ROWS 25\r\n", 0, 2, false, 1},                                 // no row
             {"2 ROWS 2\n2,a,1,5,1,1\n2,b,2,4,2,1\n", 0, 2, false, 1},       // rows ended by LF only
             {"2 ROWS 25\r\n2,c,3,3,3,1\r\n2,d,4,2,4,1", 0, 3, false, 2},   // one whole row kept
             {"2 EOF\r\n", 0, 3, true, 2},
         }) {
        rankingRequestSent = true;
        rankingAtEnd = false;
        reply(rk::RankingPage, c.reply, c.code);
        EXPECT_FALSE(rankingRequestSent) << c.reply;
        EXPECT_EQ(rankingOffset, c.offset) << c.reply;
        EXPECT_EQ(rankingAtEnd, c.atEnd) << c.reply;
        EXPECT_EQ(rankingReplies.size(), c.pages) << c.reply;
    }
    EXPECT_EQ(rankingReplies[0], "2,a,1,5,1,1\r\n2,b,2,4,2,1\r\n");
    EXPECT_EQ(rankingReplies[1], "2,c,3,3,3,1\r\n");
}

TEST_F(Dispatch, RankingModeIsADigitAndAnEmptyPageEndsTheList)
{
    gameMode = gm::Overall;
    reply(rk::RankingPage, "x ROWS 5\r\nrow\r\n");
    EXPECT_EQ(rankingOffset, 0) << "a letter is no mode, not the overall list";
    EXPECT_TRUE(rankingReplies.empty());
    for (const char* header : {"0 ROWS 0\r\n", "0 ROWS -4\r\n", "0 ROWS none\r\n", "0 ROWS\r\n"}) {
        rankingAtEnd = false;
        reply(rk::RankingPage, header);
        EXPECT_EQ(rankingAtEnd, header[7] == '0') << header << ": only a count of 0 is an empty page";
        EXPECT_EQ(rankingOffset, 0);
    }
    rankingAtEnd = false;
    rankingOffset = INT_MAX - 5;
    reply(rk::RankingPage, "0 ROWS 99999999999\r\n0,a\r\n0,b\r\n0,c\r\n0,d\r\n0,e\r\n0,f\r\n");
    EXPECT_EQ(rankingOffset, INT_MAX);
}

// Whatever the service sends, the game goes on.
TEST_F(Dispatch, FuzzedRepliesThroughEveryKind)
{
    curl_multi_cleanup(curlMultiHandle);
    curlMultiHandle = nullptr;   // follow-up requests are not sent
    loginRetries = 3;            // no retry pauses
    std::mt19937 random(1515);
    const char* words[] = {"success", "update", "update_exe", "fail", "0", "1", "27", "-1", "99999999999", "EOF",
                           "ROWS", "\r\n", "", " ", "abc", "\n"};
    for (int i = 0; i < 4000; ++i) {
        std::string text;
        if (random() % 4 == 0)
            text += static_cast<char>('0' + random() % 10);
        for (int n = random() % 12; n > 0; --n) {
            if (random() % 3 == 0) {
                text += static_cast<char>(random() & 0xff);
            } else {
                text += words[random() % 16];
                text += random() % 2 ? " " : "";
            }
        }
        gameMode = static_cast<int>(random() % 7);
        gameState = gs::Login;
        int kind = static_cast<int>(random() % 11);
        int code = random() % 4 == 0 ? static_cast<int>(random() % 90) : 0;
        reply(kind, text, code);
    }
    EXPECT_LE(cheeveToasts.size(), 4000u * 12u);
}
