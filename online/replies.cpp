#include "online/replies.h"

#include "crypto/digest.h"
#include "engine/config.h"
#include "engine/log.h"
#include "engine/profiler.h"
#include "engine/util.h"
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
#include "online/query.h"
#include "online/rankings.h"
#include "online/requests.h"
#include "platform/system.h"

#include <algorithm>
#include <climits>

std::string loginReply, syncReply, newsReply, deathReply;
int hasNews = 0;
std::string newsText;
int loginRetries = 0;

namespace {

// The news as the menu keeps it: at most maxNewsBytes and maxNewsLines lines; anything longer is
// cut, and the cut logged.
std::string boundedNews(const std::string& reply)
{
    std::size_t end = std::min(reply.size(), maxNewsBytes);
    std::size_t lines = 0;
    for (std::size_t at = 0; at < end; ++at) {
        if (reply[at] == '\n' && ++lines == maxNewsLines) {
            end = at + 1;
            break;
        }
    }
    if (end < reply.size())
        logMessage("News cut from " + std::to_string(reply.size()) + " to " + std::to_string(end) + " bytes");
    return reply.substr(0, end);
}

// The console log keeps the reply, not the secrets in it.
std::string maskedLoginReply(const std::string& reply, const std::vector<std::string>& fields)
{
    if (fields.empty() || fields[0] != "success")
        return reply;
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += ' ';
        text += (i == 2 || i == 3) ? "***" : fields[i];
    }
    return text;
}

void loginResult(int resultCode, const std::string& reply)
{
    if (resultCode != 0) {
        if (loginRetries < 3) {
            loginRequestSent = false;
            ++loginRetries;
            platformSleep(100);
        } else {
            popupId = 11;
            offlineMode = 99;
        }
        return;
    }
    std::vector<std::string> fields = replyFields(reply);
    logMessage(maskedLoginReply(reply, fields));
    if (reply == "fail") {
        popupId = 14;
        return;
    }
    if (!fields.empty() && (fields[0] == "update" || fields[0] == "update_exe")) {
        // The offer came over plain HTTP: only what the patch key signed may name a program to run.
        if (!takePatchOffer(fields)) {
            logMessage("Patch offer rejected");
            popupId = 14;
            return;
        }
        gameState = gs::Patching;
        return;
    }
    if (fields.size() >= 6 && fields[0] == "success") {
        // A stored password the settings cannot keep would leave the file pairing this name with
        // the password of another: no login at all is better.
        const std::string keptPassword = password;
        password = fields[3];
        if (!saveConfig()) {
            password = keptPassword;
            logMessage("Login failed: the settings cannot keep the stored password");
            popupId = 14;
            return;
        }
        userId = fields[1];
        loggedInName = username;
        playHash = fields[2];
        hasNews = parseWhole(fields[5]);
        if (hasNews != 0)
            curlQueue("news.php", &newsReply, rk::News, 5);
        offlineMode = 0;
        if (gameState == gs::Restart)
            return;
        gameState = gs::LoginToMenu;
        std::string sync = buildRequest("sync_cheeves.php?", {{"userid=", userId},
                                                               {"&passwordHash=", hashString(playerPassword)}});
        syncReply.clear();
        for (bool& earned : cheeveEarned)
            earned = false;
        curlQueue(sync, &syncReply, rk::AchievementSync, 5);
        return;
    }
    // Anything else (a cut reply, an error page) would leave "Logging In" up for good.
    popupId = 14;
}

// Kinds 2 and 4 share their handling of failures, "fail" and the wait.
bool replyArrived(int kind, int resultCode, const std::string& reply, bool& requestSent, bool& replyReceived,
                  int waitIndex)
{
    if (resultCode != 0) {
        replyReceived = false;
        requestSent = false;
        backOffRequests(kind);
        return false;
    }
    endBackOff(kind);
    if (reply == "fail") {
        replyReceived = true;
        return false;
    }
    if (reply.empty())
        return false;
    requestWaitTimes[waitIndex] = 0.0f;
    if (serverWaitPause)
        continueReady = true;
    replyReceived = true;
    return true;
}

void highscoreResult(int resultCode, const std::string& reply)
{
    if (!replyArrived(rk::Highscore, resultCode, reply, highscoreRequestSent, highscoreReplyReceived, 0))
        return;
    std::vector<std::string> fields = replyFields(reply);
    if (fields.size() < 5)
        return;
    highscoreReplyFirst = parseWhole(fields[0]);
    personalBest = parseWhole(fields[1]);
    performanceMean = parseWhole(fields[2]);
    performanceSpread = parseWhole(fields[3]);
    previousRank = parseWhole(fields[4]);
}

void scoreResult(int resultCode, const std::string& reply)
{
    if (!replyArrived(rk::Score, resultCode, reply, scoreRequestSent, scoreReplyReceived, 2))
        return;
    std::vector<std::string> fields = replyFields(reply);
    if (fields.size() >= 8) {
        scoreReplyFirst = parseWhole(fields[2]);
        scoreReplySecond = parseWhole(fields[3]);
        newRank = parseWhole(fields[5]);
        skillPointsBefore = parseWhole(fields[6]);
        skillPointsAfter = parseWhole(fields[7]);
    }
    for (std::size_t i = 8; i < fields.size(); ++i) {
        int n = parseWhole(fields[i]);
        if (n < 1 || n > achievementCount)
            continue;
        cheeveEarned[n] = true;
        announceAchievement(n);
    }
}

void syncResult(int resultCode, const std::string& reply)
{
    if (resultCode != 0 || reply == "fail" || reply.empty())
        return;
    for (const std::string& field : replyFields(reply)) {
        int n = parseWhole(field);
        if (n >= 1 && n <= achievementCount)
            cheeveEarned[n] = true;
    }
}

void newsResult(int resultCode, std::string* response)
{
    if (resultCode != 0) {
        if (response)
            response->clear();
        backOffRequests(rk::News);
        if (hasNews != 0)
            curlQueue("news.php", &newsReply, rk::News, 5);
        return;
    }
    endBackOff(rk::News);
    newsText = boundedNews(response ? *response : std::string());
}

// The first rows of a page body, at most `rows` of them; an unterminated tail is no row.
std::string firstRows(const std::string& body, int rows)
{
    std::size_t end = 0;
    for (int n = 0; n < rows; ++n) {
        const std::size_t lineEnd = body.find("\r\n", end);
        if (lineEnd == std::string::npos)
            break;
        end = lineEnd + 2;
    }
    return body.substr(0, end);
}

// Header "M EOF\r\n" ends the list; "M ROWS n\r\n" is followed by n rows.
void rankingResult(int resultCode, const std::string& reply)
{
    rankingRequestSent = false;
    if (resultCode != 0)
        backOffRequests(rk::RankingPage);
    else
        endBackOff(rk::RankingPage);
    // The list was started afresh while this page was on its way: it may be of the same mode
    // but from an offset the new list has not reached.
    if (rankingDropInFlight) {
        rankingDropInFlight = false;
        return;
    }
    if (resultCode != 0 || reply.empty())
        return;
    // A page of another mode (or no digit at all) belongs to a list no longer shown.
    if (reply[0] < '0' || reply[0] > '9' || reply[0] - '0' != gameMode)
        return;
    if (reply.size() >= 5 && reply.compare(2, 3, "EOF") == 0) {
        rankingAtEnd = true;
        return;
    }
    std::size_t lineEnd = reply.find("\r\n");
    if (reply.size() < 7 || lineEnd == std::string::npos || lineEnd < 7)
        return;
    int count = parseWhole(reply.substr(7, lineEnd - 7));
    // A page without rows would be asked for again at the same offset for ever.
    if (count <= 0) {
        rankingAtEnd = true;
        return;
    }
    // The service sends pages of 25 rows: a page is taken as far as its count says, no further.
    count = std::min(count, rankingRowsPerPage);
    rankingOffset = count > INT_MAX - rankingOffset ? INT_MAX : rankingOffset + count;
    rankingReplies.push_back(firstRows(reply.substr(lineEnd + 2), count));
    if (rankingOffset >= maxRankingRows) {
        logMessage("World ranking stopped at " + std::to_string(rankingOffset) + " rows");
        rankingAtEnd = true;
    }
}

}

void handleReply(int kind, int resultCode, std::string* response)
{
    const std::string empty;
    const std::string& reply = response ? *response : empty;
    switch (kind) {
    case rk::Login: loginResult(resultCode, reply); break;
    case rk::Highscore: highscoreResult(resultCode, reply); break;
    case rk::Death: break;
    case rk::Score: scoreResult(resultCode, reply); break;
    case rk::Patch: handlePatchReply(resultCode, response); break;
    case rk::AchievementUpload: handleAchievementReply(resultCode, response); break;
    case rk::AchievementSync: syncResult(resultCode, reply); break;
    case rk::News: newsResult(resultCode, response); break;
    case rk::RankingPage: rankingResult(resultCode, reply); break;
    case rk::ServerChoice: handleServerChoiceReply(resultCode, reply); break;
    case rk::NameCheck: handleNameCheckReply(resultCode, reply); break;
    case rk::Registration: handleRegistrationReply(resultCode, reply); break;
    case rk::Logout: handleLogoutReply(resultCode); break;
    default: break;
    }
}

void curlprocess()
{
    PROFILE_SCOPE("curlprocess");
    if (!curlMultiHandle)
        return;
    pumpTransfers();
    CompletedTransfer done;
    while (nextCompletedTransfer(done))
        handleReply(done.kind, done.resultCode, done.response);
    cutBackRequests();
}
