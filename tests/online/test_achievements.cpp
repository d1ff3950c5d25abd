#include "online_fixture.h"

#include "crypto/digest.h"
#include "online/query.h"
#include "server/raw_listener.h"

namespace {

struct Uploads : OnlineTest {
    // An account on the stand-in, logged in as the game would be.
    void logIn()
    {
        std::string made;
        ASSERT_EQ(curlPerform(buildRequest("reg.php?beta=1", {{"&username=", "quill"},
                                                             {"&passwordHash=", hashString("pw")},
                                                             {"&password=", "pw"}, {"&email=", "q@x.org"}}),
                              &made, 5),
                  CURLE_OK);
        userId = "1";
        playerPassword = "pw";
    }
    std::string synced()
    {
        std::string reply;
        curlPerform("sync_cheeves.php?userid=1&passwordHash=" + hashString("pw"), &reply, 5);
        return reply;
    }
};

}

TEST(AchievementKeys, NumbersAndKeysBothWays)
{
    EXPECT_EQ(cheeveKeyNumber("lastmanstanding"), 27);
    EXPECT_EQ(cheeveKeyNumber("lightheaded"), 1);
    EXPECT_EQ(cheeveKeyNumber("Lightheaded"), 0);
    EXPECT_EQ(cheeveKeyNumber(""), 0);
    EXPECT_EQ(cheeveKeyName(0), "");
    EXPECT_EQ(cheeveKeyName(28), "");
    EXPECT_EQ(cheeveKeyName(-1), "");
    // The service knows the same table.
    const std::vector<std::string>& service = serviceAchievementKeys();
    ASSERT_EQ(service.size(), 27u);
    for (int n = 1; n <= 27; ++n) {
        EXPECT_EQ(cheeveKeyName(n), service[n - 1]);
        EXPECT_EQ(cheeveKeyNumber(cheeveKeyName(n)), n);
    }
}

TEST_F(Uploads, AwardingSendsOnceAndOnlyWhenItMay)
{
    logIn();
    cheeveToasts = {3};
    cheeveToastShown = {true};
    cheeveToastTimer = 900.0f;
    awardAchievement("quicksave");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].url, "client_cheeve.php?userid=1&passwordHash=" + hashString("pw") + "&cheeve=quicksave");
    EXPECT_EQ(requests[0].kind, rk::AchievementUpload);
    EXPECT_TRUE(cheeveEarned[14]);
    EXPECT_EQ(lastAwardedKey, "quicksave");
    EXPECT_FALSE(achievementReplyReceived);
    EXPECT_TRUE(cheeveToasts.empty() && cheeveToastShown.empty());
    EXPECT_FLOAT_EQ(cheeveToastTimer, 0.0f);

    // Earned already, offline, practice play, or no key at all: nothing is sent or touched.
    cheeveToasts = {3};
    awardAchievement("quicksave");
    offlineMode = 99;
    awardAchievement("zenmaster");
    offlineMode = 0;
    levelSelectPlay = true;
    awardAchievement("killstreak");
    levelSelectPlay = false;
    awardAchievement("");
    awardAchievement("nosuchkey");
    EXPECT_EQ(requests.size(), 1u);
    EXPECT_EQ(cheeveToasts, std::vector<int>{3});
    EXPECT_FALSE(cheeveEarned[22] || cheeveEarned[20] || cheeveEarned[0]);

    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_TRUE(achievementReplyReceived);
    EXPECT_EQ(lastAwardedKey, "");
    EXPECT_EQ(cheeveToasts, (std::vector<int>{3, 14})) << "announced once the service confirms it";
    EXPECT_EQ(synced(), "14");
}

// Two uploads in flight, the first failing: each keeps its own reply and is sent again with its
// own key, so both reach the service and each is announced once.
TEST_F(Uploads, TwoInFlightTheFirstFailingBothArrive)
{
    logIn();
    RawListener dead;
    ASSERT_TRUE(startRawListener(dead));
    std::string service = secureUrl;
    secureUrl = "http://127.0.0.1:" + std::to_string(dead.port) + "/secure.php?data=";
    awardAchievement("quicksave");
    secureUrl = service;   // the retry goes where the second upload went
    ASSERT_TRUE(setStandInFault(this->service, "client_cheeve=delay:300*1"));
    awardAchievement("zenmaster");
    ASSERT_TRUE(pumpUntil([] { return pendingAchievementUploads() == 0; }));
    EXPECT_EQ(synced(), "14 22");
    std::vector<int> announced = cheeveToasts;
    std::sort(announced.begin(), announced.end());
    EXPECT_EQ(announced, (std::vector<int>{14, 22}));
    EXPECT_TRUE(cheeveEarned[14] && cheeveEarned[22]);
    EXPECT_TRUE(achievementReplyReceived);
    EXPECT_EQ(requests.size(), 3u) << "two uploads and one repeat";
    EXPECT_EQ(requests[0].resultCode, CURLE_GOT_NOTHING);
}

TEST_F(Uploads, RepliesFailAndFailuresPerUpload)
{
    logIn();
    // An empty reply is no answer: the upload is sent again after the back-off and confirmed.
    ASSERT_TRUE(setStandInFault(service, "client_cheeve=empty*1"));
    awardAchievement("survivalist");
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(requests.size(), 2u);
    EXPECT_TRUE(achievementReplyReceived);
    EXPECT_EQ(cheeveToasts, std::vector<int>{25});
    cheeveToasts.clear();
    cheeveToastShown.clear();

    // "fail" ends the wait without an announcement and keeps the key earned.
    std::string before = userId;
    userId = "2";   // no such account: the service says "fail"
    requestWaitTimes[1] = 11000.0f;
    serverWaitPause = true;
    awardAchievement("killstreak");
    ASSERT_TRUE(pumpUntilIdle());
    userId = before;
    EXPECT_FLOAT_EQ(requestWaitTimes[1], 0.0f) << "an answer, if not the hoped-for one";
    EXPECT_TRUE(continueReady) << "the paused game may resume";
    EXPECT_EQ(pendingAchievementUploads(), 0);
    EXPECT_TRUE(cheeveEarned[20]);
    EXPECT_TRUE(cheeveToasts.empty());
    EXPECT_EQ(lastAwardedKey, "killstreak");

    // A failure while the game went offline is not sent again, and the key is not earned.
    RawListener dead;
    ASSERT_TRUE(startRawListener(dead));
    secureUrl = "http://127.0.0.1:" + std::to_string(dead.port) + "/secure.php?data=";
    awardAchievement("youvegotredonyou");
    offlineMode = 99;
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_FALSE(cheeveEarned[26]);
    EXPECT_EQ(requests.size(), 4u);

    // A reply text that belongs to no upload is not taken for one.
    std::string stray = "5";
    handleReply(rk::AchievementUpload, 0, &stray);
    EXPECT_TRUE(cheeveToasts.empty());
}

TEST_F(Uploads, TheWaitGrowsWhileTheUploadRuns)
{
    logIn();
    ASSERT_TRUE(setStandInFault(service, "client_cheeve=delay:300*1"));
    awardAchievement("quicksave");
    // A finished record of the same text ahead of it (an earlier award of the key) is passed over.
    CurlRequest earlier;
    earlier.url = requests[0].url;
    earlier.done = true;
    requests.insert(requests.begin(), std::move(earlier));
    updateAchievementUpload(16.0f);
    updateAchievementUpload(16.0f);
    EXPECT_FLOAT_EQ(requestWaitTimes[1], 32.0f);
    serverWaitPause = true;
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_FLOAT_EQ(requestWaitTimes[1], 0.0f);
    EXPECT_TRUE(continueReady);
    updateAchievementUpload(16.0f);
    EXPECT_FLOAT_EQ(requestWaitTimes[1], 0.0f);
}

TEST_F(Uploads, ALateConfirmationRestartsTheAnnouncement)
{
    logIn();
    awardAchievement("quicksave");
    cheeveToastTimer = 4600.0f;   // the award's announcement has long faded, the list emptied
    ASSERT_TRUE(pumpUntilIdle());
    EXPECT_EQ(cheeveToasts, std::vector<int>{14});
    EXPECT_FLOAT_EQ(cheeveToastTimer, 0.0f);

    // Joining entries already announced keeps their timer.
    cheeveToastTimer = 1200.0f;
    announceAchievement(22);
    EXPECT_FLOAT_EQ(cheeveToastTimer, 1200.0f);
}
