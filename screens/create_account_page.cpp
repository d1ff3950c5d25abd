#include "screens/create_account_page.h"

#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/fonts.h"
#include "engine/profiler.h"
#include "game/game_state.h"
#include "game/layout.h"
#include "game/page_state.h"
#include "online/create_account.h"
#include "screens/entry_field.h"
#include "screens/menu_base.h"
#include "screens/page_scheme.h"

namespace {

constexpr const char* minimumNote = "(Minimum 4 characters. Press Enter to continue)";

void text(const char* words, float row, float scale, const Font* font = &mediumFont)
{
    freetype::printShadowed(words, static_cast<float>(screenWidth / 2), menuRowY(row), 2.0f, 0, scale, 255, 255,
                            255, 255, font);
}

void bar(float row)
{
    if (hoveredButton == 1)
        drawHighlight(menuButtonRect(row));
}

void message(const char* words)
{
    bar(1.0f);
    text(words, 0.0f, 1.0f);
    text("Back", 1.0f, 1.0f);
}

} // namespace

void renderCreateAcc()
{
    PROFILE_SCOPE("renderCreateAcc");
    renderMenuBase();
    // The wait is on screen from the frame before the update sends its request.
    if (popupId == 8)
        popupId = 7;
    else if (popupId == 9)
        popupId = 10;
    switch (popupId) {
    case 20:
        drawEntryField({"Email:", 0.5f, email, 0.75f, "(Type or paste your email. Press Enter to continue)"});
        text("Email is used for account retrieval only.", 1.5f, 0.75f, &smallFont);
        bar(3.0f);
        text("Use an Existing Profile", 3.0f, 0.75f);
        break;
    case 1: drawEntryField({"New Player Name:", 0.3f, username, 1.0f, minimumNote}); break;
    case 2: drawEntryField({"New Password:", 0.3f, maskedText(playerPassword), 1.0f, minimumNote}); break;
    case 3: drawEntryField({"Retype Password:", 0.3f, maskedText(retypedPassword), 1.0f, minimumNote}); break;
    case 7: text("Checking name availablility...", 0.0f, 1.0f); break;
    case 10: text("Registering...", 0.0f, 1.0f); break;
    case 11: message("Error"); break;
    case 5: message("Password does not match"); break;
    case 4: message("Name is taken"); break;
    default: break;
    }
}
