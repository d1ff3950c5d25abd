#include "online/requests.h"

std::vector<CurlRequest> requests;
int offlineMode = 0;
CURLM* curlMultiHandle = nullptr;
std::string username;
std::string playerPassword;

// Placeholders until the request machinery is written: nothing is sent, every
// blocking request fails as a transport failure would.
void curlQueue(std::string, std::string*, int, long) {}
int curlPerform(std::string, std::string*, long) { return 7; }
void curlprocess() {}
void handleReply(CurlRequest&) {}
void logout() {}

// Placeholders until the online pages are written.
void UpdateLogin(float) {}
void UpdateCreateAcc(float) {}
void UpdateRanking(float) {}
void UpdatePatching(float) {}
