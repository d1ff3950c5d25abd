#include "online/login.h"

#include "engine/main.h"
#include "game/game_state.h"
#include "online/query.h"
#include "online/replies.h"
#include "online/requests.h"
#include "platform/messages.h"

bool loginRequestSent = false;
int blockingResult = 0;

void logout()
{
    std::string reply;
    blockingResult = curlPerform(buildRequest("logout.php?beta2=1", {{"&userid=", userId}, {"&playhash=", playHash}}),
                                 &reply, 5);
    platformPostQuitMessage();
    programRunning = false;
}

// Placeholder until the login page is written: an attempt ends at once in offline play.
void UpdateLogin(float)
{
    if (popupId == 13 || popupId == 12) {
        popupId = 11;
        offlineMode = 99;
    }
}

// Placeholder until the create-account page is written.
void UpdateCreateAcc(float) {}
