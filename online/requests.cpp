#include "online/requests.h"

#include "engine/main.h"
#include "platform/messages.h"

std::vector<CurlRequest> requests;
int offlineMode = 0;
CURLM* curlMultiHandle = nullptr;

// Placeholders until the request machinery is written: nothing is sent, every
// blocking request fails as a transport failure would.
void curlQueue(std::string, std::string*, int, long) {}
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

// Placeholders until the online pages are written.
void UpdateLogin(float) {}
void UpdateCreateAcc(float) {}
void UpdateRanking(float) {}
void UpdatePatching(float) {}
