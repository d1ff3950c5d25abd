#include "online/login.h"

#include "engine/config.h"
#include "engine/main.h"
#include "engine/profiler.h"
#include "engine/startup.h"
#include "game/game_state.h"
#include "game/layout.h"
#include "game/page_state.h"
#include "game/reports.h"
#include "online/query.h"
#include "online/requests.h"
#include "online/sealing.h"
#include "platform/messages.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

bool loginRequestSent = false;
std::string loginReply;
int loginRetries = 0;
std::string loggedInName;
int blockingResult = 0;
std::string serverChoiceReply;
bool serverChoicePending = false;
bool logoutPending = false;

namespace {

constexpr float dotsCycleMs = 4000.0f;
// A service that has not answered the logout within this has lost the session anyway; the player
// is not kept waiting for it.
constexpr long logoutTimeoutSeconds = 1;
std::string logoutReply;

bool startsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

using ServerChoiceAnswer = void (*)(int, const std::string&);
std::vector<ServerChoiceAnswer> serverChoiceAskers;

// The login goes out after the server choice, whatever its answer; a reply that is no address
// keeps the one in force.
void sendLogin(int resultCode, const std::string& reply)
{
    if (resultCode == CURLE_OK) {
        const std::string prefix = serverPrefixFrom(reply);
        if (!prefix.empty())
            secureUrl = prefix;
    }
    curlQueue(loginRequestText(), &loginReply, rk::Login, 5);
}

// The panel's buttons: the entry panels place their boxes with the small font's height, the
// message panels with the row's; on panel 11 the first button is the lower one.
int hoveredLoginButton()
{
    switch (popupId) {
    case 1:
    case 2:
        return pointerInside(entryButtonRect(3.0f)) ? 1 : pointerInside(entryButtonRect(4.0f)) ? 2 : 0;
    case 11:
        return pointerInside(menuButtonRect(4.0f)) ? 1 : pointerInside(menuButtonRect(3.0f)) ? 2 : 0;
    case 4:
    case 5:
    case 14:
        return pointerInside(menuButtonRect(1.0f)) ? 1 : 0;
    default:
        return 0;
    }
}

} // namespace

std::string serverPrefixFrom(const std::string& reply)
{
    std::size_t first = 0, last = reply.size();
    while (first < last && static_cast<unsigned char>(reply[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(reply[last - 1]) <= ' ')
        --last;
    const std::string text = reply.substr(first, last - first);
    if (!startsWith(text, "http://") && !startsWith(text, "https://"))
        return std::string();
    if (!endsWith(text, "secure.php?data="))
        return std::string();
    for (char c : text)
        if (static_cast<unsigned char>(c) <= ' ' || c == 127)
            return std::string();
    return text;
}

std::string loginRequestText()
{
    const std::string resolution = std::to_string(std::abs(screenWidth)) + "x" + std::to_string(std::abs(screenHeight));
    return buildRequest("login.php?version=rc2&build=direct", {{"&platform=", ""},
                                                               {"&username=", username},
                                                               {"&password=", playerPassword},
                                                               {"&glversion=", glVersion},
                                                               {"&videocard=", videoCard},
                                                               {"&manufacturer=", glVendor},
                                                               {"&res=", resolution},
                                                               {"&gameversion=", gameVersion},
                                                               {"&os=", osName},
                                                               {"&ram=", ramText},
                                                               {"&cpu=", cpuName},
                                                               {"&mac=", macAddress}});
}

void askServerChoice(void (*answered)(int resultCode, const std::string& reply))
{
    if (serverChoicePending) {
        // A page asks every frame until it is answered: once on the list is enough.
        if (std::find(serverChoiceAskers.begin(), serverChoiceAskers.end(), answered) == serverChoiceAskers.end())
            serverChoiceAskers.push_back(answered);
        return;
    }
    serverChoiceAskers.assign(1, answered);
    serverChoiceReply.clear();
    serverChoicePending = curlQueue("which_server.php", &serverChoiceReply, rk::ServerChoice, 30);
    if (!serverChoicePending)
        handleServerChoiceReply(CURLE_FAILED_INIT, std::string());
}

void handleServerChoiceReply(int resultCode, const std::string& reply)
{
    serverChoicePending = false;
    // An answer may ask again, which starts a new choice and empties serverChoiceReply: the askers
    // of this one are answered from their own copies.
    const std::vector<ServerChoiceAnswer> askers = std::move(serverChoiceAskers);
    serverChoiceAskers.clear();
    const std::string text = reply;
    for (ServerChoiceAnswer answered : askers)
        if (answered)
            answered(resultCode, text);
}

void logout()
{
    programRunning = false;
    if (logoutPending)
        return;
    if (offlineMode != 99) {
        logoutReply.clear();
        logoutPending = curlQueue(buildRequest("logout.php?beta2=1", {{"&userid=", userId}, {"&playhash=", playHash}}),
                                  &logoutReply, rk::Logout, logoutTimeoutSeconds);
    }
    if (!logoutPending)
        platformPostQuitMessage();
}

void handleLogoutReply(int resultCode)
{
    blockingResult = resultCode;
    if (!logoutPending)
        return;
    logoutPending = false;
    platformPostQuitMessage();
}

void UpdateLogin(float dtMs)
{
    PROFILE_SCOPE("UpdateLogin");
    advanceFrameTicker();
    if (popupId != 12) {
        hoveredButton = hoveredLoginButton();
        return;
    }
    connectingDotsTimer += dtMs;
    if (connectingDotsTimer > dotsCycleMs)
        connectingDotsTimer -= dotsCycleMs;
    if (loginRequestSent)
        return;
    // Offline, an attempt that nothing has sent is the player's own (Enter on the password):
    // it goes online as "Retry Connection" does rather than wait for a reply that never comes.
    if (offlineMode == 99) {
        offlineMode = 0;
        loginRetries = 0;
    }
    loginRequestSent = true;
    loginReply.clear();
    askServerChoice(sendLogin);
}
