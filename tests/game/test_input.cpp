#include "engine/config.h"
#include "engine/fonts.h"
#include "game/game_state.h"
#include "game/input.h"
#include "game/level_end.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/create_account.h"
#include "online/login.h"
#include "platform/messages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Keys held, and Caps Lock, as the platform would report them.
std::set<int> heldKeys;
short fakeKeyState(int vk)
{
    return short((heldKeys.count(vk) ? 0x8000 : 0) | (vk == VK_CAPITAL && heldKeys.count(-1) ? 1 : 0));
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        keyStateReader = fakeKeyState;
        heldKeys.clear();
        consoleVisible = false;
        username.clear();
        playerPassword.clear();
        retypedPassword.clear();
        email.clear();
        screenHeight = 720;
        mediumFont = Font();   // measures nothing: every character fits
        paused = tutorialOpen = leftButtonDown = rotateDragActive = false;
        levelCompleteTimer = actionCount = 0.0f;
        viewRotateCount = 0;
    }
    void TearDown() override
    {
        keyStateReader = platformGetKeyState;
        mediumFont = Font();
        gameState = gs::Intro;
        popupId = 1;
        mouseFlip = 0;
        paused = leftButtonDown = rotateDragActive = false;
    }
    static void type(const std::string& keys)
    {
        for (char c : keys)
            handleKeyDown(static_cast<unsigned char>(c));
    }
};

// Typing and Enter on each step; Enter is "\r", Backspace "\b".
TEST_F(InputTest, KeysTypeIntoTheFieldOfTheStepShownAndEnterMovesOn)
{
    const std::string at = std::string("A2") + char(VK_OEM_PERIOD), dash(1, char(VK_OEM_MINUS));
    const std::string plus(1, char(VK_OEM_PLUS));
    struct Case {
        int state, popup;
        std::string keys;
        std::set<int> held;   // -1: Caps Lock on
        std::string* field;
        std::string text;
        int next;
        std::string password = "";   // beforehand
    } cases[] = {
        {gs::NewProfile, 20, at, {VK_SHIFT}, &email, "A@.", 20},   // "@" and "." only in the e-mail field
        {gs::NewProfile, 20, at + "\r", {}, &email, "a2.", 20},    // three characters: Enter waits
        {gs::NewProfile, 20, plus + "A", {VK_SHIFT}, &email, "+A", 20},   // "+" only with Shift, only there
        {gs::NewProfile, 20, plus + "A", {}, &email, "a", 20},
        {gs::NewProfile, 1, plus + "A", {VK_SHIFT}, &username, "A", 1},
        {gs::NewProfile, 1, at + "B\r", {VK_SHIFT}, &username, "A2B", 1},
        {gs::NewProfile, 1, "NAME\r", {}, &username, "name", 8},
        {gs::Login, 2, "AB", {-1}, &playerPassword, "AB", 2},          // Caps Lock
        {gs::Login, 2, "AB", {-1, VK_SHIFT}, &playerPassword, "ab", 2},  // Shift flips it
        {gs::NewProfile, 2, dash + "ABC\r", {}, &playerPassword, "-abc", 3},
        {gs::NewProfile, 3, dash + "\r", {VK_SHIFT}, &retypedPassword, "_", 9, "_"},   // equal, at any length
        {gs::NewProfile, 3, "X\b\bABC\r", {}, &retypedPassword, "abc", 5, "abd"},   // Backspace stops at empty
        {gs::Login, 1, "NAME\r", {}, &username, "name", 2},
        {gs::Login, 2, "WOR\rD\r", {}, &playerPassword, "word", 13},
        {gs::Login, 13, "AB", {}, &username, "", 13},                    // no field on this step
    };
    for (Case& c : cases) {
        SetUp();
        gameState = c.state;
        popupId = c.popup;
        loginRequestSent = true;
        playerPassword = c.password;
        for (char k : c.keys) {
            heldKeys = k == '\r' || k == '\b' ? std::set<int>() : c.held;
            handleKeyDown(static_cast<unsigned char>(k));
        }
        EXPECT_EQ(*c.field, c.text) << c.state << "/" << c.popup << " " << c.keys;
        EXPECT_EQ(popupId, c.next) << c.state << "/" << c.popup << " " << c.keys;
        EXPECT_EQ(loginRequestSent, c.popup == c.next || c.next != 13);   // a new login attempt
    }
}

// At 1024x768, 16 px a character and W 60 px: the e-mail field takes up to 254 characters however
// narrow its box; the name field keeps to its box (201.6 px) and takes no character after one it
// refused until Backspace shortens it, and from then on every one that fits, even where the text
// is typed back to what it was at the refusal.
TEST_F(InputTest, FieldsTakeNoCharacterAfterOneTheyRefused)
{
    const std::string a60(60, 'A'), a300(300, 'A');
    const struct {
        int popup;
        std::string keys;
        std::string kept;
    } cases[] = {
        {20, a60, std::string(60, 'a')}, {20, a300, std::string(254, 'a')},
        {1, "WWWWI", "www"},   // the I would fit, but follows a refused W
        {1, "WWWWI\bI", "wwi"},
        {1, "WWWWI\bWI", "wwwi"},
    };
    for (const auto& c : cases) {
        SetUp();
        screenHeight = 768;
        mediumFont.initialised = true;
        for (float& w : mediumFont.glyphWidths)
            w = 16.0f;
        mediumFont.glyphWidths[static_cast<int>('w')] = 60.0f;
        gameState = gs::NewProfile;
        popupId = c.popup;
        type(c.keys);
        EXPECT_EQ(c.popup == 20 ? email : username, c.kept) << c.keys;
    }
}

// One release of either button by scheme, hold (150, 200, 250 ms), level-complete panel and state.
TEST_F(InputTest, ReleasesCountActionsAndRotations)
{
    struct Case {
        int scheme;
        bool left;
        float hold, panel;
        int state;
        float actions;
        int rotations;
    } cases[] = {
        {0, true, 150, 0, gs::Game, 0, 0},    {0, true, 200, 0, gs::Game, 0, 0},    {0, true, 250, 0, gs::Game, 1, 1},
        {0, true, 250, 10, gs::Game, 0, 0},   {0, true, 250, 0, gs::Score, 0, 0},   {0, false, 150, 0, gs::Game, 1, 0},
        {0, false, 250, 0, gs::Menu, 1, 0},   {0, false, 150, 10, gs::Game, 0, 0},  {1, true, 150, 0, gs::Game, 1, 0},
        {1, true, 250, 10, gs::Game, 0, 0},   {1, false, 200, 0, gs::Game, 0, 0},   {1, false, 250, 0, gs::Game, 1, 1},
        {1, false, 250, 0, gs::Score, 0, 0},  {2, true, 250, 0, gs::Game, 1, 0},    {2, false, 250, 0, gs::Game, 1, 1},
        {2, false, 150, 0, gs::Game, 0, 0},
    };
    for (const Case& c : cases) {
        SetUp();
        mouseFlip = c.scheme;
        mouseHoldTime = c.hold;
        levelCompleteTimer = c.panel;
        gameState = c.state;
        leftHoldTime = 1000;
        c.left ? handleLeftButtonUp() : handleRightButtonUp();
        EXPECT_FLOAT_EQ(actionCount, c.actions) << c.scheme << c.left << " " << c.hold << " " << c.panel << " " << c.state;
        EXPECT_EQ(viewRotateCount, c.rotations) << c.scheme << c.left << " " << c.hold << " " << c.panel << " " << c.state;
    }
}

TEST_F(InputTest, APausedQuickClickStartsNoDrag)
{
    gameState = gs::Game;
    mouseFlip = 2;
    for (bool pause : {false, true}) {
        paused = pause;
        rotateDragActive = false;
        handleLeftButtonDown();
        leftHoldTime += 150;   // Update's hold timer
        handleLeftButtonUp();
        EXPECT_EQ(rotateDragActive, !pause);
        EXPECT_FALSE(leftButtonDown);
    }
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
