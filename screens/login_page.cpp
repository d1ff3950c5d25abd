#include "screens/login_page.h"

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/game_state.h"
#include "game/layout.h"
#include "game/page_state.h"
#include "game/reports.h"
#include "online/requests.h"
#include "screens/entry_field.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"
#include "screens/pause_popup.h"

namespace {

constexpr const char* minimumNote = "(Minimum 4 characters. Press Enter to continue)";

void text(const char* words, float row, float scale)
{
    pageText(words, static_cast<float>(screenWidth / 2), menuRowY(row), 0, scale);
}

// A sentence under the panel's first line: wrapped where the window is too narrow for it.
void sentence(const char* words)
{
    drawSentence(words, static_cast<float>(screenWidth / 2), menuRowY(1.0f), 1.0f);
}

void bar(int button, float row)
{
    if (hoveredButton == button)
        drawHighlight(menuButtonRect(row));
}

void entryPanel()
{
    if (popupId == 1)
        drawEntryField({"Username:", 0.3f, username, 1.0f, minimumNote});
    else
        drawEntryField({"Password:", 0.3f, maskedText(playerPassword), 1.0f, minimumNote});
    bar(1, 3.0f);
    bar(2, 4.0f);
    text("Create a New Profile", 3.0f, 0.75f);
    text("Account Retrieval", 4.0f, 0.75f);
}

// The words stay where the full "Logging In..." would start if centred; the dots grow after them.
void loggingIn()
{
    const float x = static_cast<float>(screenWidth / 2) - freetype::getWidth(&mediumFont, "Logging In...");
    pageText("Logging In" + connectingDots(connectingDotsTimer), x, menuRowY(0.0f), 5, 1.0f);
}

// On this panel the first button is the lower one.
void connectionFailure()
{
    bar(1, 4.0f);
    bar(2, 3.0f);
    text("Unable to connect to game server.", 0.0f, 1.0f);
    if (offlineMode == 99) {
        sentence("Online Ranking, Skillpoints and Achievements are unavailable in Offline Mode.");
        text("Play in Offline Mode", 4.0f, 1.0f);
    } else {
        sentence("You must log in successfully before offline mode is enabled.");
        text("Quit", 4.0f, 1.0f);
    }
    text("Retry Connection", 3.0f, 1.0f);
}

} // namespace

void renderLogin()
{
    PROFILE_SCOPE("renderLogin");
    renderMenuBase();
    // The panel is on screen for a frame before the update blocks on the server's choice.
    if (popupId == 13)
        popupId = 12;
    switch (popupId) {
    case 1:
    case 2: entryPanel(); break;
    case 12: loggingIn(); break;
    case 11: connectionFailure(); break;
    case 14:
        bar(1, 1.0f);
        text("Login failed", 0.0f, 1.0f);
        text("Back", 1.0f, 1.0f);
        break;
    default: break;
    }
}
