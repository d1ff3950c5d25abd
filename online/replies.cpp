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
#include "online/login.h"
#include "online/patching.h"
#include "online/query.h"
#include "online/rankings.h"
#include "online/requests.h"
#include "platform/system.h"

#include <algorithm>
#include <climits>

std::string syncReply, newsReply, deathReply;
int hasNews = 0;
std::string newsText;
bool accountRequestSent = false;

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

// The new-profile page's step answered; false when its panel is no longer up, and the answer is
// not read.
bool accountStepAnswered(int panel, int resultCode)
{
    accountRequestSent = false;
    blockingResult = resultCode;
    return gameState == gs::NewProfile && popupId == panel;
}

void nameCheckResult(int resultCode, const std::string& reply)
{
    if (!accountStepAnswered(7, resultCode))
        return;
    if (resultCode != CURLE_OK)
        popupId = 11;
    else if (reply == "unavailable")
        popupId = 4;
    else if (reply == "available")
        popupId = 2;
    else
        popupId = 11;
}

// A registration goes straight on to the login page, which logs the new profile in by itself.
void registrationResult(int resultCode, const std::string& reply)
{
    if (!accountStepAnswered(10, resultCode))
        return;
    const std::vector<std::string> fields = replyFields(reply);
    if (resultCode != CURLE_OK || fields.size() < 2 || fields[0] != "success") {
        popupId = 11;
        return;
    }
    password = fields[1];
    popupId = 13;
    offlineMode = 0;
    saveConfig();
    gameState = gs::NewProfileToLogin;
    loginRequestSent = false;
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
    logMessage(printableText(maskedLoginReply(reply, fields)));
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
        // A news request still on its way (an earlier login's) brings the news for this one too.
        if (hasNews != 0 && !requestPending(rk::News)) {
            newsReply.clear();
            curlQueue("news.php", &newsReply, rk::News, 5);
        }
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

// Kinds 2 and 4: "fail" is an answer without numbers (no fields); anything else is an answer only
// with at least `wanted` of them, its fields.
bool replyAnswered(const std::string& reply, std::size_t wanted, bool& replyReceived, int waitIndex,
                   std::vector<std::string>& fields)
{
    fields.clear();
    if (reply == "fail") {
        replyReceived = true;
        return true;
    }
    fields = replyFields(reply);
    if (fields.size() < wanted)
        return false;
    requestWaitTimes[waitIndex] = 0.0f;
    if (serverWaitPause)
        continueReady = true;
    replyReceived = true;
    return true;
}

bool takeHighscore(std::string* response)
{
    std::vector<std::string> fields;
    if (!replyAnswered(*response, 5, highscoreReplyReceived, 0, fields))
        return false;
    if (fields.empty())
        return true;   // "fail"
    highscoreReplyFirst = parseWhole(fields[0]);
    personalBest = parseWhole(fields[1]);
    performanceMean = parseWhole(fields[2]);
    performanceSpread = parseWhole(fields[3]);
    previousRank = parseWhole(fields[4]);
    return true;
}

void sendHighscoreAgain(std::string*)
{
    highscoreReplyReceived = false;
    highscoreRequestSent = false;
}

bool takeScore(std::string* response)
{
    std::vector<std::string> fields;
    if (!replyAnswered(*response, 8, scoreReplyReceived, 2, fields))
        return false;
    if (fields.empty())
        return true;   // "fail"
    scoreReplyFirst = parseWhole(fields[2]);
    scoreReplySecond = parseWhole(fields[3]);
    newRank = parseWhole(fields[5]);
    skillPointsBefore = parseWhole(fields[6]);
    skillPointsAfter = parseWhole(fields[7]);
    for (std::size_t i = 8; i < fields.size(); ++i) {
        int n = parseWhole(fields[i]);
        if (n < 1 || n > achievementCount)
            continue;
        cheeveEarned[n] = true;
        announceAchievement(n);
    }
    return true;
}

void sendScoreAgain(std::string*)
{
    scoreReplyReceived = false;
    scoreRequestSent = false;
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

// A new news reply replaces the old news whole.
bool takeNews(std::string* response)
{
    if (response->empty())
        return false;
    newsText = boundedNews(*response);
    return true;
}

void sendNewsAgain(std::string* response)
{
    response->clear();
    if (hasNews != 0)
        curlQueue("news.php", &newsReply, rk::News, 5);
}

// The first rows of a page body, at most `rows` of them; an unterminated tail is no row.
std::string firstRows(const std::string& body, int rows, int* kept)
{
    std::size_t end = 0;
    *kept = 0;
    for (; *kept < rows; ++*kept) {
        const std::size_t lineEnd = body.find("\r\n", end);
        if (lineEnd == std::string::npos)
            break;
        end = lineEnd + 2;
    }
    return body.substr(0, end);
}

bool allDigits(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Header "M EOF\r\n" ends the list; "M ROWS n\r\n" is followed by n rows. A page is usable when it
// ends the list or brings at least one whole row of the mode shown.
bool takeRankingPage(std::string* response)
{
    const std::string& reply = *response;
    rankingRequestSent = false;
    // The list was started afresh while this page was on its way: it may be of the same mode
    // but from an offset the new list has not reached.
    if (rankingDropInFlight) {
        rankingDropInFlight = false;
        return true;
    }
    if (reply.empty() || reply[0] < '0' || reply[0] > '9' || reply[0] - '0' != gameMode)
        return false;
    if (reply.size() >= 5 && reply.compare(2, 3, "EOF") == 0) {
        rankingAtEnd = true;
        return true;
    }
    std::size_t lineEnd = reply.find("\r\n");
    if (reply.size() < 7 || lineEnd == std::string::npos || lineEnd < 7)
        return false;
    const std::string countText = reply.substr(7, lineEnd - 7);
    if (!allDigits(countText))
        return false;
    int count = parseWhole(countText);
    // A page without rows would be asked for again at the same offset for ever.
    if (count == 0) {
        rankingAtEnd = true;
        return true;
    }
    // The service sends pages of 25 rows: a page is taken as far as its count says, no further,
    // and the next page asked for from the rows kept.
    int kept = 0;
    std::string rows = firstRows(reply.substr(lineEnd + 2), std::min(count, rankingRowsPerPage), &kept);
    if (kept == 0)
        return false;
    rankingOffset = kept > INT_MAX - rankingOffset ? INT_MAX : rankingOffset + kept;
    rankingReplies.push_back(std::move(rows));
    if (rankingOffset >= maxRankingRows) {
        logMessage("World ranking stopped at " + std::to_string(rankingOffset) + " rows");
        rankingAtEnd = true;
    }
    return true;
}

void askRankingPageAgain(std::string*)
{
    rankingRequestSent = false;
    rankingDropInFlight = false;
}

// The kinds sent again until a reply is usable. `take` judges a reply that arrived whole with a
// 2xx status (true: usable, and taken); `again` has the request sent once more, which the back-off
// holds.
struct RetryingKind {
    int kind;
    bool (*take)(std::string* response);
    void (*again)(std::string* response);
};

const RetryingKind retryingKinds[] = {
    {rk::Highscore, takeHighscore, sendHighscoreAgain},
    {rk::Score, takeScore, sendScoreAgain},
    {rk::Patch, takePatchDownload, downloadPatchAgain},
    {rk::AchievementUpload, takeAchievementReply, sendAchievementAgain},
    {rk::News, takeNews, sendNewsAgain},
    {rk::RankingPage, takeRankingPage, askRankingPageAgain},
};

const RetryingKind* retryingKind(int kind)
{
    for (const RetryingKind& k : retryingKinds)
        if (k.kind == kind)
            return &k;
    return nullptr;
}

}

// One rule for every kind that retries: a failed transfer, a status outside 2xx, or a reply its
// handler cannot use holds the kind behind the back-off and sends it again; a usable reply ends
// the back-off. The kinds that do not retry, and why:
// - the login: its own three tries, 100 ms apart, then the connection-failure panel, whose
//   "Retry Connection" starts again; the player is waiting on the page;
// - a death: nothing waits for it, and sent again it could be counted twice;
// - the achievement synchronisation: asked once a login; the flags the login cleared stay clear,
//   and an achievement earned again is uploaded again;
// - the server choice: its asker is answered whatever comes, and keeps the address in force;
// - the name check and the registration: the new-profile page shows their failure and the player
//   chooses what to do next;
// - the logout: the game is quitting and waits for nothing.
void handleReply(int kind, int resultCode, std::string* response, long httpStatus)
{
    // An error page is no reply.
    if (resultCode == 0 && (httpStatus < 200 || httpStatus > 299))
        resultCode = CURLE_HTTP_RETURNED_ERROR;
    std::string none;
    std::string* reply = response ? response : &none;
    if (const RetryingKind* k = retryingKind(kind)) {
        if (resultCode == 0 && k->take(reply)) {
            endBackOff(kind);
        } else {
            backOffRequests(kind);
            k->again(reply);
        }
        return;
    }
    switch (kind) {
    case rk::Login: loginResult(resultCode, *reply); break;
    case rk::AchievementSync: syncResult(resultCode, *reply); break;
    case rk::ServerChoice: handleServerChoiceReply(resultCode, *reply); break;
    case rk::NameCheck: nameCheckResult(resultCode, *reply); break;
    case rk::Registration: registrationResult(resultCode, *reply); break;
    case rk::Logout: handleLogoutReply(resultCode); break;
    default: break;   // rk::Death, and kinds unknown
    }
}

void curlprocess()
{
    PROFILE_SCOPE("curlprocess");
    if (!curlMultiHandle)
        return;
    pumpTransfers();
    // Every transfer that has ended is taken before any reply is handled: a request a handler
    // queues completes on a later frame, never inside this one.
    std::vector<CompletedTransfer> ended;
    CompletedTransfer done;
    while (nextCompletedTransfer(done))
        ended.push_back(done);
    for (const CompletedTransfer& t : ended)
        handleReply(t.kind, t.resultCode, t.response, t.httpStatus);
    cutBackRequests();
}
