// HTTP requests to the game's web service.
#pragma once
#include <curl/curl.h>

#include "engine/config.h"   // username and playerPassword, loaded with the settings

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

void curlQueue(std::string url, std::string* reply, int requestKind, long timeoutSeconds);
int curlPerform(std::string url, std::string* reply, long timeoutSeconds);
void curlprocess();
void handleReply(CurlRequest& request);
void logout();

// Per-frame updates of the online pages (login 27, new profile 22, rankings 49, patching 72).
void UpdateLogin(float dtMs);
void UpdateCreateAcc(float dtMs);
void UpdateRanking(float dtMs);
void UpdatePatching(float dtMs);
