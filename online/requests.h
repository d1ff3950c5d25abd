// HTTP requests to the game's web service.
#pragma once
#include <curl/curl.h>

#include <string>
#include <vector>

struct CurlRequest {
    std::string url;            // as the caller built it, before sealing
    int kind = 0;
    void* handle = nullptr;     // the transfer
    std::string* reply = nullptr;
    std::string status;
    int result = 0;
    bool done = false;
};

extern std::vector<CurlRequest> requests;
extern int offlineMode;         // 99 while playing offline, 0 online
// The libcurl multi handle, made by start-up; asynchronous requests start only while it exists.
extern CURLM* curlMultiHandle;
extern std::string username;     // the profile's user name (kept in the settings)
extern std::string playerPassword; // the plain password, opened from the stored one
extern std::string userId;         // the account id of this login, sent as "&userid="
extern std::string deathReply;     // reply target of the death report (kind 3); never read

// A test's recorder: while set, curlQueue hands every request to it instead of sending.
extern void (*curlQueueHook)(const std::string& url, std::string* reply, int requestKind,
                             long timeoutSeconds);

void curlQueue(std::string url, std::string* reply, int requestKind, long timeoutSeconds);
int curlPerform(std::string url, std::string* reply, long timeoutSeconds);
void curlprocess();
void handleReply(CurlRequest& request);
void logout();
// Sends an achievement key earned in play, once per run.
void awardAchievement(std::string key);
// Once a frame of play: the wait for the last achievement upload.
void updateAchievementUpload(float dtMs);

// Per-frame updates of the online pages (login 27, new profile 22, rankings 49, patching 72).
void UpdateLogin(float dtMs);
void UpdateCreateAcc(float dtMs);
void UpdateRanking(float dtMs);
void UpdatePatching(float dtMs);
