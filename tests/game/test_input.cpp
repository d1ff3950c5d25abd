#include "engine/config.h"
#include "engine/console.h"
#include "engine/fonts.h"
#include "engine/window.h"
#include "game/game_state.h"
#include "game/input.h"
#include "game/level_end.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/login.h"
#include "platform/messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Keys held and toggled, as the platform would report them.
std::set<int> heldKeys;
bool capsLock = false;
short fakeKeyState(int vk)
{
    short state = heldKeys.count(vk) ? short(0x8000) : short(0);
    if (vk == VK_CAPITAL && capsLock)
        state = short(state | 1);
    return state;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        keyStateReader = fakeKeyState;
        heldKeys.clear();
        capsLock = false;
        consoleVisible = false;
        consoleInput.clear();
        username.clear();
        playerPassword.clear();
        retypedPassword.clear();
        email.clear();
        screenHeight = 720;
        mediumFont = Font();   // measures nothing: every character fits
        paused = tutorialOpen = false;
        levelCompleteTimer = 0.0f;
        actionCount = 0.0f;
        viewRotateCount = 0;
        leftButtonDown = rotateDragActive = false;
        mouseFlip = 0;
    }
    void TearDown() override
    {
        keyStateReader = platformGetKeyState;
        heldKeys.clear();
        mediumFont = Font();
        gameState = gs::Intro;
        popupId = 1;
        mouseFlip = 0;
        paused = false;
        leftButtonDown = rotateDragActive = false;
    }
    void type(const std::string& keys, bool shift = false)
    {
        if (shift)
            heldKeys.insert(VK_SHIFT);
        for (char c : keys)
            handleKeyDown(static_cast<unsigned char>(c));
        heldKeys.erase(VK_SHIFT);
    }
};

TEST_F(InputTest, KeysTypeIntoTheFieldOfTheStepShown)
{
    struct Case {
        int state, popup;
        std::string keys;
        bool shift, caps;
        std::string* field;
        std::string expected;
    };
    const char period = static_cast<char>(VK_OEM_PERIOD), minus = static_cast<char>(VK_OEM_MINUS);
    const Case cases[] = {
        {gs::NewProfile, 20, "A2", true, false, &email, "A@"},      // "@" only in the e-mail field
        {gs::NewProfile, 1, "A2", true, false, &username, "A2"},
        {gs::Login, 1, "A2", true, false, &username, "A2"},
        {gs::NewProfile, 20, std::string("B") + period, false, false, &email, "b."},
        {gs::Login, 1, std::string("B") + period, false, false, &username, "b"},
        {gs::Login, 2, "AB", false, true, &playerPassword, "AB"},    // Caps Lock: upper case
        {gs::Login, 2, "AB", true, true, &playerPassword, "ab"},     // Shift flips it back
        {gs::NewProfile, 2, std::string(1, minus), false, false, &playerPassword, "-"},
        {gs::NewProfile, 3, std::string(1, minus), true, false, &retypedPassword, "_"},
        {gs::NewProfile, 1, std::string("A\b\b\b"), false, false, &username, ""},   // Backspace stops at empty
        {gs::Login, 13, "AB", false, false, &username, ""},           // no field on this step
        {gs::Menu, 1, "AB", false, false, &username, ""},
    };
    for (const Case& c : cases) {
        SetUp();
        gameState = c.state;
        popupId = c.popup;
        capsLock = c.caps;
        type(c.keys, c.shift);
        EXPECT_EQ(*c.field, c.expected) << c.state << "/" << c.popup << " " << c.keys;
    }
    handleKeyDown(256);   // out of range: ignored
    handleKeyDown(-1);
}

TEST_F(InputTest, EnterMovesOnWithFourCharactersAndTheRetypeCompares)
{
    struct Case {
        int state, popup;
        std::string* field;
        std::string text, password;
        int expectedPopup;
    };
    const Case cases[] = {
        {gs::NewProfile, 20, &email, "a@b", "", 20},    // three characters: stays
        {gs::NewProfile, 20, &email, "a@b.", "", 1},
        {gs::NewProfile, 1, &username, "name", "", 8},
        {gs::NewProfile, 2, &playerPassword, "pass", "pass", 3},
        {gs::NewProfile, 3, &retypedPassword, "abc", "abc", 9},     // any length: equal
        {gs::NewProfile, 3, &retypedPassword, "abcd", "abcde", 5},  // different
        {gs::Login, 1, &username, "name", "", 2},
        {gs::Login, 2, &playerPassword, "pas", "pas", 2},
    };
    for (const Case& c : cases) {
        SetUp();
        gameState = c.state;
        popupId = c.popup;
        playerPassword = c.password;
        *c.field = c.text;
        handleKeyDown(VK_RETURN);
        EXPECT_EQ(popupId, c.expectedPopup) << c.state << "/" << c.popup << " " << c.text;
    }
    // The login's password step starts an attempt.
    gameState = gs::Login;
    popupId = 2;
    playerPassword = "pass";
    loginAnswered = loginRequestSent = true;
    handleKeyDown(VK_RETURN);
    EXPECT_EQ(popupId, 13);
    EXPECT_FALSE(loginAnswered || loginRequestSent);
}

TEST_F(InputTest, PasswordsAreMeasuredAsStars)
{
    // Letters 2 px, stars 20 px: getWidth halves, the test doubles, so a star is 20 px of a
    // 0.3 x 720 x 0.875 = 189 px box.
    mediumFont.initialised = true;
    for (float& w : mediumFont.glyphWidths)
        w = 2.0f;
    mediumFont.glyphWidths[static_cast<int>('*')] = 20.0f;
    gameState = gs::Login;
    popupId = 2;
    type("ABCDEFGHIJKLMN");
    EXPECT_EQ(playerPassword.size(), 9u);   // nine stars = 180 px fit, ten would not
    popupId = 1;
    type("ABCDEFGHIJKLMN");
    EXPECT_EQ(username.size(), 14u);        // the name is measured as typed
}

TEST_F(InputTest, TheConsoleSwallowsKeys)
{
    gameState = gs::Login;
    popupId = 1;
    heldKeys.insert(VK_LCONTROL);
    handleKeyDown(VK_OEM_3);
    heldKeys.clear();
    ASSERT_TRUE(consoleVisible);
    type("SHOW");
    handleKeyDown(VK_SPACE);
    type("FP\b");
    EXPECT_EQ(consoleInput, "show f");
    EXPECT_EQ(username, "");             // nothing reached the page
    consoleSuggestion = "show fps";
    handleKeyDown(VK_TAB);
    EXPECT_EQ(consoleInput, "show fps");
    showFps = 0;
    handleKeyDown(VK_RETURN);
    EXPECT_EQ(showFps, 1);
    EXPECT_FALSE(consoleVisible);
    EXPECT_EQ(consoleInput, "");

    heldKeys.insert(VK_LCONTROL);
    handleKeyDown(VK_OEM_3);
    heldKeys.clear();
    handleKeyDown(VK_RETURN);            // an empty line still closes it
    EXPECT_FALSE(consoleVisible);
    showFps = 0;
}

// One release of either button for every scheme, hold, panel and state: what it counts.
TEST_F(InputTest, ReleasesCountActionsAndRotations)
{
    struct Case {
        int scheme;
        bool left;
        float hold;
        float panel;   // levelCompleteTimer
        int state;
        float actions;
        int rotations;
    };
    const Case cases[] = {
        // scheme 0: a long left hold in play is a rotation; every right release is an action
        {0, true, 150, 0, gs::Game, 0, 0},   {0, true, 200, 0, gs::Game, 0, 0},
        {0, true, 250, 0, gs::Game, 1, 1},   {0, true, 250, 10, gs::Game, 0, 0},
        {0, true, 250, 0, gs::Score, 0, 0},  {0, false, 150, 0, gs::Game, 1, 0},
        {0, false, 250, 0, gs::Game, 1, 0},  {0, false, 150, 10, gs::Game, 0, 0},
        {0, false, 150, 0, gs::Menu, 1, 0},
        // schemes 1 and 2: the buttons swap
        {1, true, 150, 0, gs::Game, 1, 0},   {1, true, 250, 0, gs::Game, 1, 0},
        {1, true, 250, 10, gs::Game, 0, 0},  {1, false, 150, 0, gs::Game, 0, 0},
        {1, false, 200, 0, gs::Game, 0, 0},  {1, false, 250, 0, gs::Game, 1, 1},
        {1, false, 250, 10, gs::Game, 0, 0}, {1, false, 250, 0, gs::Score, 0, 0},
        {2, true, 250, 0, gs::Game, 1, 0},   {2, false, 250, 0, gs::Game, 1, 1},
        {2, false, 150, 0, gs::Game, 0, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        mouseFlip = c.scheme;
        mouseHoldTime = c.hold;
        levelCompleteTimer = c.panel;
        gameState = c.state;
        leftHoldTime = 1000;   // no quick click
        c.left ? handleLeftButtonUp() : handleRightButtonUp();
        EXPECT_FLOAT_EQ(actionCount, c.actions) << c.scheme << c.left << " " << c.hold << " " << c.panel << " " << c.state;
        EXPECT_EQ(viewRotateCount, c.rotations) << c.scheme << c.left << " " << c.hold << " " << c.panel << " " << c.state;
    }
    // Paused or with a tutorial open nothing counts.
    SetUp();
    gameState = gs::Game;
    mouseFlip = 1;
    paused = true;
    handleLeftButtonUp();
    EXPECT_FLOAT_EQ(actionCount, 0.0f);
}

TEST_F(InputTest, QuickClicksStartADragOnlyWhenNotPaused)
{
    gameState = gs::Game;
    mouseFlip = 2;
    for (bool pause : {false, true}) {
        paused = pause;
        rotateDragActive = false;
        handleLeftButtonDown();
        EXPECT_TRUE(leftButtonDown);
        leftHoldTime += 150;   // Update's hold timer
        handleLeftButtonUp();
        EXPECT_EQ(rotateDragActive, !pause) << pause;
        EXPECT_FALSE(leftButtonDown);
    }
    // The right button starts a drag in the play states only.
    rotateDragActive = false;
    gameState = gs::Menu;
    handleRightButtonDown();
    EXPECT_FALSE(rotateDragActive);
    gameState = gs::Grats;
    handleRightButtonDown();
    EXPECT_TRUE(rotateDragActive);
}

// Which hold turns the view, by mouse scheme: the left button in schemes 0 and 2, the rotate
// drag in scheme 1, and neither flag alone in the other schemes.
TEST(ViewDragging, FollowsTheMouseScheme)
{
    struct Case {
        int scheme;
        bool left, rotate, turns;
    };
    const Case cases[] = {
        {0, true, false, true},  {0, false, true, false}, {2, true, false, true}, {2, false, true, false},
        {1, true, false, false}, {1, false, true, true},  {1, false, false, false},
    };
    for (const Case& c : cases) {
        mouseFlip = c.scheme;
        leftButtonDown = c.left;
        rotateDragActive = c.rotate;
        EXPECT_EQ(viewDragging(), c.turns) << c.scheme << " " << c.left << " " << c.rotate;
    }
    mouseFlip = 0;
    leftButtonDown = rotateDragActive = false;
}

} // namespace
