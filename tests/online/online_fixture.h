// The game's online code against an in-process stand-in: the sealed address points at it, a multi
// handle of the test's own, the status log and the settings in the test's folder.
#pragma once
#include "../server/stand_in_fixture.h"
#include "../read_file.h"

#include "crypto/digest.h"
#include "crypto/patch_signature.h"
#include "engine/config.h"
#include "engine/main.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/level_end.h"
#include "game/play_achievements.h"
#include "game/reports.h"
#include "game/states.h"
#include "online/achievements.h"
#include "online/create_account.h"
#include "online/login.h"
#include "online/patching.h"
#include "online/rankings.h"
#include "online/replies.h"
#include "online/requests.h"
#include "online/sealing.h"

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

// Every global the dispatch reads or writes, as a fresh run has them.
inline void resetOnlineGlobals()
{
    gameState = gs::Login;
    popupId = 12;
    gameMode = gm::Overall;
    offlineMode = 0;
    levelSelectPlay = false;
    loginRetries = 0;
    loginRequestSent = true;
    username.clear();
    playerPassword.clear();
    password.clear();
    userId.clear();
    loggedInName.clear();
    playHash.clear();
    hasNews = 0;
    newsText.clear();
    loginReply.clear();
    syncReply.clear();
    newsReply.clear();
    for (bool& earned : cheeveEarned)
        earned = false;
    cheeveToasts.clear();
    cheeveToastShown.clear();
    cheeveToastTimer = 0.0f;
    highscoreRequestSent = highscoreReplyReceived = scoreRequestSent = scoreReplyReceived = false;
    highscoreReplyFirst = personalBest = performanceMean = performanceSpread = previousRank = -1;
    scoreReplyFirst = scoreReplySecond = newRank = skillPointsBefore = skillPointsAfter = -1;
    highscoreReply.clear();
    scoreReply.clear();
    for (float& wait : requestWaitTimes)
        wait = 0.0f;
    serverWaitPause = continueReady = false;
    rankingOffset = 0;
    rankingRequestSent = rankingAtEnd = rankingDropInFlight = findingPlayer = false;
    rankingReply.clear();
    rankingReplies.clear();
    rankingList.clear();
    rankingParseCursor = findingPlayerIndex = 0;
    rankingScroll = 0;
    patchUrl.clear();
    patchHash.clear();
    patchSize = 0.0f;
    patchSignedSize = 0;
    gameVersion.clear();   // the patch offer's version is compared with it
    patchIsUpdater = patchRequestSent = false;
    downloadSpeed = downloadedBytes = speedSampleTimer = bytesRefreshTimer = lastSampleSize = 0.0f;
    downloadSpeeds.clear();
    serverChoicePending = false;
    serverChoiceReply.clear();
    accountRequestSent = logoutPending = false;
    for (int kind = rk::Login; kind <= rk::ServerChoice; ++kind)
        endBackOff(kind);
}

// A login reply offering bytes as the service words it: the statement's parts in the clear and
// their signature by the stand-in's patch key.
inline std::string signedOffer(const std::string& kind, const std::string& version, const std::string& bytes,
                               const std::string& download = "patch.php?id=1")
{
    std::string size = std::to_string(bytes.size()), digest = hashString(bytes);
    return kind + " " + download + " " + size + " " + digest + " " + version + " " +
           signPatchStatement(patchStatement(kind, version, size, digest), testPatchKey());
}

// Ends every transfer still running, as the multi handle's clean-up at shut-down would.
inline void dropTransfers()
{
    for (CurlRequest& r : requests) {
        if (!r.done && r.easyHandle && curlMultiHandle) {
            curl_multi_remove_handle(curlMultiHandle, r.easyHandle);
            curl_easy_cleanup(r.easyHandle);
        }
    }
    requests.clear();
}

struct OnlineTest : StandInTest {
    std::string savedSecureUrl, savedConfigHome;

    void SetUp() override
    {
        StandInTest::SetUp();
        const char* home = std::getenv("XDG_CONFIG_HOME");
        savedConfigHome = home ? home : "";
        setenv("XDG_CONFIG_HOME", (folder.path + "/config").c_str(), 1);
        savedSecureUrl = secureUrl;
        secureUrl = service.context.securePrefix;
        urlsLogPath = folder.path + "/urls.txt";
        curlMultiHandle = curl_multi_init();
        requests.clear();
        resetAchievementUploads();
        resetOnlineGlobals();
    }
    void TearDown() override
    {
        dropTransfers();
        resetAchievementUploads();
        if (curlMultiHandle)
            curl_multi_cleanup(curlMultiHandle);
        curlMultiHandle = nullptr;
        secureUrl = savedSecureUrl;
        urlsLogPath = "urls.txt";
        if (savedConfigHome.empty())
            unsetenv("XDG_CONFIG_HOME");
        else
            setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
        resetOnlineGlobals();
        StandInTest::TearDown();
    }

    // Frames of the pump until the condition holds or ms pass.
    bool pumpUntil(const std::function<bool()>& done, int ms = 8000)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            curlprocess();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }
    bool pumpUntilIdle(int ms = 8000)
    {
        return pumpUntil([] {
            for (const CurlRequest& r : requests)
                if (!r.done)
                    return false;
            return true;
        }, ms);
    }
    std::string urlsLog()
    {
        return readFile(urlsLogPath);
    }
};
