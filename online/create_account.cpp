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
#include "online/requests.h"
#include "platform/messages.h"

std::string email;
std::string retypedPassword;
bool accountRequestSent = false;

namespace {

constexpr std::size_t maxEmailLength = 254;
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

// Takes the step's answer; false when its panel is no longer up, and the answer is not read.
bool answered(int panel, int resultCode)
{
    accountRequestSent = false;
    blockingResult = resultCode;
    return gameState == gs::NewProfile && popupId == panel;
}

} // namespace

void handleNameCheckReply(int resultCode, const std::string& reply)
{
    if (!answered(7, resultCode))
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
void handleRegistrationReply(int resultCode, const std::string& reply)
{
    if (!answered(10, resultCode))
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
        if (taken.size() >= maxEmailLength || !fieldTextFits(gs::NewProfile, 20, taken + c))
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
