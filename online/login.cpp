#include "online/login.h"

#include "engine/main.h"
#include "game/game_state.h"
#include "game/layout.h"
#include "game/page_buttons.h"
#include "online/query.h"
#include "online/replies.h"
#include "online/requests.h"
#include "platform/messages.h"

bool loginRequestSent = false;
bool loginAnswered = false;
bool credentialsUnsaved = false;
int blockingResult = 0;
std::string email;
std::string retypedPassword;

void logout()
{
    std::string reply;
    blockingResult = curlPerform(buildRequest("logout.php?beta2=1", {{"&userid=", userId}, {"&playhash=", playHash}}),
                                 &reply, 5);
    platformPostQuitMessage();
    programRunning = false;
}

// Placeholder until the login page is written: an attempt ends at once in offline play, whose
// notice offers "Play in Offline Mode" (button 1, the lower bar) and "Retry Connection" (2).
void UpdateLogin(float)
{
    advanceFrameTicker();
    if (popupId == 13 || popupId == 12) {
        popupId = 11;
        offlineMode = 99;
    }
    hoveredButton = 0;
    if (popupId == 11) {
        if (pointerInside(menuButtonRect(4.0f)))
            hoveredButton = 1;
        else if (pointerInside(menuButtonRect(3.0f)))
            hoveredButton = 2;
    }
}

// Placeholder until the create-account page is written: the name check and the registration
// answer as an unreachable server would, with the error step.
void UpdateCreateAcc(float)
{
    advanceFrameTicker();
    if (popupId == 8 || popupId == 7 || popupId == 9 || popupId == 10)
        popupId = 11;
}
