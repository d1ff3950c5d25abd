#include "online/achievements.h"

#include "crypto/digest.h"
#include "engine/config.h"
#include "game/level_end.h"
#include "game/play_achievements.h"
#include "game/reports.h"
#include "online/query.h"
#include "online/requests.h"

#include <list>

std::string lastAwardedKey;
bool achievementReplyReceived = false;

namespace {

const char* const achievementKeys[achievementCount] = {
    "lightheaded", "chainreaction", "personalgrowth", "epic", "legendary", "tessarine",
    "massaddict", "learnedtoplay", "zorvicpro", "zorvicmaster", "zorvicexpert", "zorvicallyinsane",
    "holdstill", "quicksave", "ambidextrous", "elitist", "betatester", "classicallytrained",
    "quorvane", "killstreak", "buttonmasher", "zenmaster", "intothevoid", "enlightenment",
    "survivalist", "youvegotredonyou", "lastmanstanding",
};

// One record per key at most: a key is uploaded again only after its earlier upload ended, so
// the record (and the reply text a finished request still points at) is reused, never freed.
struct AchievementUpload {
    std::string key;
    std::string reply;
    bool pending = false;
};
std::list<AchievementUpload> uploads;

std::string uploadRequest(const std::string& key)
{
    return buildRequest("client_cheeve.php?", {{"userid=", userId},
                                               {"&passwordHash=", hashString(playerPassword)},
                                               {"&cheeve=", key}});
}

void refreshReceived()
{
    achievementReplyReceived = pendingAchievementUploads() == 0;
}

void sendUpload(AchievementUpload& upload)
{
    int number = cheeveKeyNumber(upload.key);
    if (offlineMode == 99 || levelSelectPlay || cheeveEarned[number]) {
        upload.pending = false;
        refreshReceived();
        return;
    }
    lastAwardedKey = upload.key;
    upload.reply.clear();
    upload.pending = true;
    achievementReplyReceived = false;
    curlQueue(uploadRequest(upload.key), &upload.reply, rk::AchievementUpload, 5);
    cheeveEarned[number] = true;
    cheeveToasts.clear();
    cheeveToastShown.clear();
    cheeveToastTimer = 0.0f;
}

}

int cheeveKeyNumber(const std::string& key)
{
    for (int i = 0; i < achievementCount; ++i)
        if (key == achievementKeys[i])
            return i + 1;
    return 0;
}

std::string cheeveKeyName(int number)
{
    return number >= 1 && number <= achievementCount ? achievementKeys[number - 1] : "";
}

int pendingAchievementUploads()
{
    int count = 0;
    for (const AchievementUpload& u : uploads)
        count += u.pending ? 1 : 0;
    return count;
}

void resetAchievementUploads()
{
    uploads.clear();
    lastAwardedKey.clear();
    achievementReplyReceived = false;
}

void awardAchievement(const std::string& key)
{
    // An empty or unknown key would be sent as it stands and earn number 0.
    if (cheeveKeyNumber(key) == 0)
        return;
    if (offlineMode == 99 || levelSelectPlay || cheeveEarned[cheeveKeyNumber(key)])
        return;
    AchievementUpload* upload = nullptr;
    for (AchievementUpload& u : uploads)
        if (u.key == key && !u.pending)
            upload = &u;
    if (!upload) {
        uploads.push_back(AchievementUpload{key, std::string(), false});
        upload = &uploads.back();
    }
    sendUpload(*upload);
}

void updateAchievementUpload(float dtMs)
{
    for (const AchievementUpload& u : uploads) {
        if (!u.pending)
            continue;
        std::string text = uploadRequest(u.key);
        for (const CurlRequest& r : requests) {
            if (!r.done && r.url == text) {
                requestWaitTimes[1] += dtMs;
                return;
            }
        }
    }
}

namespace {

AchievementUpload* uploadOf(const std::string* reply)
{
    for (AchievementUpload& u : uploads)
        if (&u.reply == reply && u.pending)
            return &u;
    return nullptr;
}

}

bool takeAchievementReply(std::string* response)
{
    AchievementUpload* upload = uploadOf(response);
    if (!upload)
        return true;   // no upload waits for it: nothing to send again
    if (upload->reply.empty())
        return false;
    upload->pending = false;
    refreshReceived();
    // "fail" is an answer too: the wait ends, and the popup may offer to resume.
    requestWaitTimes[1] = 0.0f;
    if (serverWaitPause)
        continueReady = true;
    if (upload->reply == "fail")
        return true;
    if (lastAwardedKey == upload->key)
        lastAwardedKey.clear();
    for (const std::string& field : replyFields(upload->reply)) {
        int n = parseWhole(field);
        if (n >= 1 && n <= achievementCount)
            announceAchievement(n);
    }
    return true;
}

void sendAchievementAgain(std::string* response)
{
    // Sent again with its own key, until the service answers.
    if (AchievementUpload* upload = uploadOf(response)) {
        cheeveEarned[cheeveKeyNumber(upload->key)] = false;
        sendUpload(*upload);
    }
}

void announceAchievement(int number)
{
    // A confirmation after the last batch faded would otherwise start already faded.
    if (cheeveToasts.empty())
        cheeveToastTimer = 0.0f;
    cheeveToasts.push_back(number);
    cheeveToastShown.push_back(false);
}
