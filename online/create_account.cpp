#include "online/create_account.h"

#include "crypto/digest.h"
#include "engine/config.h"
#include "engine/profiler.h"
#include "engine/util.h"
#include "game/game_state.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/page_state.h"
#include "game/states.h"
#include "online/login.h"
#include "online/query.h"
#include "online/replies.h"
#include "online/requests.h"
#include "platform/messages.h"

std::string email;
std::string retypedPassword;

namespace {

constexpr long accountTimeoutSeconds = 5;
std::string accountReply;

bool held(int virtualKey)
{
    return (getKeyState(virtualKey) & 0x8000) != 0;
}

void send(const std::string& request, int kind)
{
    accountReply.clear();
    accountRequestSent = curlQueue(request, &accountReply, kind, accountTimeoutSeconds);
    if (!accountRequestSent) {
        blockingResult = CURLE_FAILED_INIT;
        popupId = 11;
    }
}

} // namespace

std::string pastedEmail(const std::string& clipboard)
{
    std::string text;
    for (char c : clipboard)
        if (c > ' ' && c < 127)
            text += c;
        else if (c == ' ' && !text.empty())
            text += c;
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    std::string taken;
    for (char c : text) {
        if (!fieldTextFits(gs::NewProfile, 20, taken + c))
            break;
        taken += c;
    }
    return taken;
}

void UpdateCreateAcc()
{
    PROFILE_SCOPE("UpdateCreateAcc");
    advanceFrameTicker();
    if (popupId == 7 && !accountRequestSent)
        send(buildRequest("checkname.php?", {{"username=", username}}), rk::NameCheck);
    else if (popupId == 10 && !accountRequestSent)
        send(buildRequest("reg.php?beta=1", {{"&username=", username},
                                             {"&passwordHash=", hashString(playerPassword)},
                                             {"&password=", playerPassword},
                                             {"&email=", email}}),
             rk::Registration);

    if (popupId == 11 || popupId == 4 || popupId == 5)
        hoveredButton = pointerInside(menuButtonRect(1.0f)) ? 1 : 0;
    else if (popupId == 20)
        hoveredButton = pointerInside(entryButtonRect(3.0f)) ? 1 : 0;

    const bool control = held(VK_CONTROL) || held(VK_LCONTROL) || held(VK_RCONTROL);
    if (popupId == 20 && control && held('V'))
        email = pastedEmail(getClipboardText());
}
