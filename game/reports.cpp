#include "game/reports.h"

#include <climits>
#include <locale>
#include <sstream>

#include "crypto/digest.h"
#include "engine/config.h"
#include "engine/sound.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/page_state.h"
#include "game/play_achievements.h"
#include "game/powerups.h"
#include "game/scoring.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/query.h"
#include "online/replies.h"
#include "online/requests.h"

bool highscoreRequestSent = false, highscoreReplyReceived = false;
int dropCount = 0;
float gameTime = 0.0f;
float apmTime = 0.0f;
std::string sessionHash;

// Written by the reply dispatch; the reports and the server wait read them.
std::string highscoreReply, scoreReply;
int highscoreReplyFirst = -1, personalBest = -1, performanceMean = -1, performanceSpread = -1, previousRank = -1;
int scoreReplyFirst = -1, scoreReplySecond = -1, newRank = -1, skillPointsBefore = -1, skillPointsAfter = -1;
float requestWaitTimes[3] = {0.0f, 0.0f, 0.0f};
bool serverWaitPause = false;
bool continueReady = false;
bool serverWaitContinued = false;
float connectingDotsTimer = 0.0f;

namespace {

constexpr float dotsCycle = 4000.0f;

// The fields of a death or score report up to "&kills=".
std::string reportHead(const char* script, const std::string& time)
{
    return buildRequest(script, {{"gamemode=", gameMode},
                                 {"&level=", levelNumber + 1},
                                 {"&score=", getScore()},
                                 {"&time=", time},
                                 {"&apm=", actionsPerMinute()},
                                 {"&controls=", mouseFlip},
                                 {"&drops=", dropCount},
                                 {"&rotates=", viewRotateCount},
                                 {"&pup1earned=", powerupReadyCounts[powerupMultiplier]},
                                 {"&pup2earned=", powerupReadyCounts[powerupTimewarp]},
                                 {"&pup3earned=", powerupReadyCounts[powerupFusionPulse]},
                                 {"&pup1used=", powerupUseCounts[powerupMultiplier]},
                                 {"&pup2used=", powerupUseCounts[powerupTimewarp]},
                                 {"&pup3used=", powerupUseCounts[powerupFusionPulse]},
                                 {"&kills=", killCount}});
}

std::string reportTail()
{
    return buildRequest("", {{"&sessionhash=", sessionHash},
                             {"&userid=", userId},
                             {"&passwordHash=", hashString(playerPassword)}});
}

void setScoreReplyUnknown()
{
    scoreReplyFirst = scoreReplySecond = newRank = skillPointsBefore = skillPointsAfter = -1;
}

// Any answer ends a wait; one that comes while the popup is up lets the player resume.
void endAnsweredWait(bool received, float& wait)
{
    if (!received || wait <= 0.0f)
        return;
    wait = 0.0f;
    if (serverWaitPause)
        continueReady = true;
}

} // namespace

int actionsPerMinute()
{
    if (!(apmTime > 0.0f))
        return 0;
    const float perMinute = actionCount / (apmTime / 60.0f);
    if (perMinute != perMinute)
        return 0;
    if (perMinute >= static_cast<float>(INT_MAX))
        return INT_MAX;
    if (perMinute <= static_cast<float>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(perMinute);
}

std::string highscoreQuery()
{
    return buildRequest("highscore.php?", {{"gamemode=", gameMode},
                                           {"&level=", levelNumber + 1},
                                           {"&username=", username},
                                           {"&userid=", userId}});
}

std::string deathQuery()
{
    // Seconds as a stream writes a float by default, whatever the player's locale.
    std::ostringstream seconds;
    seconds.imbue(std::locale::classic());
    seconds << gameTime / 1000.0f;
    return reportHead("death.php?", seconds.str()) + reportTail();
}

std::string scoreQuery()
{
    const long long milliseconds = static_cast<long long>(gameTime);
    return reportHead("score.php?", std::to_string(milliseconds)) +
           buildRequest("", {{"&performance=", finalPerformanceGrade}}) + reportTail();
}

void silenceMenuMusic()
{
    setSourceVolume(menuMelodySource, 0.0f);
    setSourceVolume(menuDrumsSource, 0.0f);
    UpdateSound();
}

void updateHighscoreRequest()
{
    if (highscoreRequestSent || offlineMode == 99)
        return;
    if (gameMode == gm::Meditation)
        silenceMenuMusic();
    highscoreReply.clear();
    curlQueue(highscoreQuery(), &highscoreReply, rk::Highscore, reportTimeoutSeconds);
    highscoreRequestSent = true;
    highscoreReplyFirst = personalBest = performanceMean = performanceSpread = -1;
}

void startHighscoreReport()
{
    highscoreRequestSent = highscoreReplyReceived = false;
    requestWaitTimes[0] = 0.0f;
}

void queueDeathReport()
{
    // Nothing reads the reply; emptying it keeps a long run's replies from piling up.
    deathReply.clear();
    curlQueue(deathQuery(), &deathReply, rk::Death, reportTimeoutSeconds);
}

void resetScoreReport()
{
    scoreRequestSent = scoreReplyReceived = false;
    setScoreReplyUnknown();
    requestWaitTimes[2] = 0.0f;
}

void queueScoreReport()
{
    // Emptied before the transfer starts, so nothing it has already written is lost.
    scoreReply.clear();
    curlQueue(scoreQuery(), &scoreReply, rk::Score, reportTimeoutSeconds);
    scoreRequestSent = true;
    cheeveToasts.clear();
    cheeveToastShown.clear();
    setScoreReplyUnknown();
}

void updateServerWait(float dtMs)
{
    endAnsweredWait(highscoreReplyReceived, requestWaitTimes[0]);
    endAnsweredWait(scoreReplyReceived, requestWaitTimes[2]);
    if (offlineMode == 99)
        return;
    // A request sent again after a transport failure is the same wait going on.
    if (highscoreRequestSent && !highscoreReplyReceived)
        requestWaitTimes[0] += dtMs;
    if (scoreRequestSent && !scoreReplyReceived)
        requestWaitTimes[2] += dtMs;
    for (float wait : requestWaitTimes)
        if (wait > serverWaitLimit)
            paused = serverWaitPause = true;
}

void updateServerWaitPopup(float dtMs)
{
    connectingDotsTimer += dtMs;
    if (connectingDotsTimer > dotsCycle)
        connectingDotsTimer -= dotsCycle;

    if (!serverWaitContinued)
        hoveredButton = pointerInside(serverWaitButtonRect()) ? 1 : 0;
    else
        hoveredButton = hitButtons(offlineConfirmButtonRect, 2);
    if (!leftButtonDown || hoveredButton == 0)
        return;
    leftButtonDown = false;
    if (!serverWaitContinued) {
        if (continueReady)
            paused = continueReady = serverWaitPause = false;
        else
            serverWaitContinued = true;
    } else if (hoveredButton == 1) {
        serverWaitContinued = false;
    } else {
        continueOffline();
    }
}

void continueOffline()
{
    offlineMode = 99;
    serverWaitContinued = continueReady = serverWaitPause = paused = false;
    for (float& wait : requestWaitTimes)
        wait = 0.0f;
}
