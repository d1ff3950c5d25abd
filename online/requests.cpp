#include "online/requests.h"

#include "crypto/crypto.h"
#include "engine/main.h"
#include "game/level_end.h"
#include "online/query.h"
#include "platform/messages.h"

std::vector<CurlRequest> requests;
int offlineMode = 0;
CURLM* curlMultiHandle = nullptr;
std::string username;
std::string playerPassword;
std::string userId;
std::string deathReply;
void (*curlQueueHook)(const std::string&, std::string*, int, long) = nullptr;

// Placeholders until the request machinery is written: nothing is sent (a test's recorder sees
// the request), every blocking request fails as a transport failure would.
void curlQueue(std::string url, std::string* reply, int requestKind, long timeoutSeconds)
{
    if (curlQueueHook)
        curlQueueHook(url, reply, requestKind, timeoutSeconds);
}
int curlPerform(std::string, std::string*, long) { return 7; }
void curlprocess() {}
void handleReply(CurlRequest&) {}

// The logout request itself is a placeholder until the request machinery is written; ending the
// program is real: the main loop ends on the quit message and no further window pass starts.
void logout()
{
    platformPostQuitMessage();
    programRunning = false;
}

// Placeholder until achievements are sent: the upload is handed to curlQueue (which sends
// nothing yet) on every award; the earned keys and the announcements come with the real one.
static std::string achievementReply;
void awardAchievement(std::string key)
{
    if (offlineMode == 99 || levelSelectPlay)
        return;
    curlQueue(buildRequest("client_cheeve.php?", {{"userid=", userId},
                                                  {"&passwordHash=", hashString(playerPassword)},
                                                  {"&cheeve=", key}}),
              &achievementReply, 6, 5);
}
// Placeholder: nothing waits.
void updateAchievementUpload(float) {}

// Placeholders until the online pages are written.
void UpdateLogin(float) {}
void UpdateCreateAcc(float) {}
void UpdateRanking(float) {}
void UpdatePatching(float) {}
