// The pause popup, the achievement tile and page, the developer overlays, the fade and the stars.
#include "screens_fixture.h"

#include <cmath>

#include "engine/camera.h"
#include "engine/console.h"
#include "game/achieve_carousel.h"
#include "game/layout.h"
#include "game/starfield.h"
#include "online/sealing.h"
#include "screens/achievement_tile.h"
#include "screens/backdrop.h"
#include "screens/console_overlay.h"
#include "screens/pause_popup.h"

namespace {

struct Box {
    float x, y, w, h;
};

// The popup's highlight boxes at 1680 x 1050 with u = 27 and labels 16 pixels a character, worked
// out from the popup's layout: P = 315, B = 50.4.
const struct {
    PauseForm form;
    int button;
    Box box;
} popupBoxes[] = {
    {PauseForm::Menu, 1, {840.0f, 525.0f - 12.15f - 45.5625f, 302.4f, 42.525f}},
    {PauseForm::Menu, 4, {840.0f, 525.0f - 12.15f + 91.125f, 302.4f, 42.525f}},
    {PauseForm::ResetPrompt, 1, {682.5f + 18.0f, 525.0f + 31.5f - 10.8f, 201.6f, 37.8f}},
    {PauseForm::ResetPrompt, 2, {997.5f - 12.0f, 525.0f + 31.5f - 10.8f, 201.6f, 37.8f}},
    {PauseForm::Waiting, 1, {840.0f, 525.0f + 126.0f - 10.8f, 403.2f, 37.8f}},
    {PauseForm::ReplyArrived, 1, {840.0f, 525.0f + 126.0f - 10.8f, 403.2f, 37.8f}},
    {PauseForm::OfflineConfirm, 1, {682.5f + 24.0f, 525.0f + 126.0f - 10.8f, 201.6f, 37.8f}},
    {PauseForm::OfflineConfirm, 2, {997.5f - 48.0f, 525.0f + 126.0f - 10.8f, 201.6f, 37.8f}},
};

void enterForm(PauseForm form)
{
    tutorialOpen = form == PauseForm::Tutorial;
    tutorialResetPrompt = form == PauseForm::ResetPrompt;
    serverWaitPause = form == PauseForm::Waiting || form == PauseForm::ReplyArrived || form == PauseForm::OfflineConfirm;
    continueReady = form == PauseForm::ReplyArrived;
    serverWaitContinued = form == PauseForm::OfflineConfirm;
}

} // namespace

TEST_F(ScreensTest, PopupFormsFollowTheirPrecedence)
{
    EXPECT_EQ(pauseForm(), PauseForm::Menu);
    serverWaitPause = true;
    EXPECT_EQ(pauseForm(), PauseForm::Waiting);
    continueReady = true;
    EXPECT_EQ(pauseForm(), PauseForm::ReplyArrived);
    serverWaitContinued = true;   // the confirmation, whatever the reply did
    EXPECT_EQ(pauseForm(), PauseForm::OfflineConfirm);
    tutorialResetPrompt = true;
    EXPECT_EQ(pauseForm(), PauseForm::ResetPrompt);
    tutorialOpen = true;
    EXPECT_EQ(pauseForm(), PauseForm::Tutorial);
    renderPause();
    EXPECT_FALSE(has(DrawOp::Quad, "popupwindow.tga"));
    EXPECT_TRUE(has(DrawOp::PrintShadowed, "Click to Continue"));

    const std::pair<float, const char*> dots[] = {{999.0f, ""}, {1000.0f, "."}, {2999.0f, ".."}, {3000.0f, "..."},
                                                  {4000.0f, ""}};
    for (const auto& [t, text] : dots)
        EXPECT_EQ(connectingDots(t), text) << t;
}

TEST_F(ScreensTest, PopupHighlightsAreTheBoxesTheGameHitTests)
{
    for (const auto& row : popupBoxes) {
        enterForm(row.form);
        hoveredButton = row.button;
        calls.clear();
        renderPause();
        const std::vector<DrawCall> lit = of(DrawOp::Quad, "menuonoff.tga");
        ASSERT_EQ(lit.size(), 1u) << row.button;
        EXPECT_NEAR(lit[0].x, row.box.x, 0.01f);
        EXPECT_NEAR(lit[0].y, row.box.y, 0.01f);
        EXPECT_NEAR(lit[0].w, row.box.w, 0.01f);
        EXPECT_NEAR(lit[0].h, row.box.h, 0.01f);
        // The game's own test hits inside the drawn box and not on its edge.
        const LayoutRect rect = row.form == PauseForm::Menu          ? pauseMenuButtonRect(row.button)
                                : row.form == PauseForm::ResetPrompt ? resetPromptButtonRect(row.button)
                                : row.form == PauseForm::OfflineConfirm ? offlineConfirmButtonRect(row.button)
                                                                        : serverWaitButtonRect();
        mouseX = static_cast<int>(lit[0].x);
        mouseY = static_cast<int>(lit[0].y);
        EXPECT_TRUE(pointerInside(rect));
        mouseX = static_cast<int>(std::floor(lit[0].x - lit[0].w / 2.0f));
        EXPECT_FALSE(pointerInside(rect));
    }
    // A number the form has no button for lights nothing.
    for (PauseForm form : {PauseForm::ResetPrompt, PauseForm::Waiting, PauseForm::OfflineConfirm}) {
        enterForm(form);
        hoveredButton = 3;
        calls.clear();
        renderPause();
        EXPECT_FALSE(has(DrawOp::Quad, "menuonoff.tga"));
    }
}

TEST_F(ScreensTest, AchievementTileLayout)
{
    cheeveEarned[4] = true;
    drawAchievementTile(800.0f, 500.0f, 1.0f, 1.5f, 4);
    const float th = 131.25f, tw = th * 474.0f / 142.0f;
    EXPECT_FLOAT_EQ(of(DrawOp::Quad, "achi-bg.tga")[0].alpha, 255.0f);   // alpha held to 1
    EXPECT_FLOAT_EQ(of(DrawOp::Quad, "achi-epic.tga")[0].x, 800.0f - tw * 206.0f / 474.0f);
    EXPECT_FLOAT_EQ(of(DrawOp::Print, "Epic")[0].y, 500.0f - th * 21.0f / 142.0f);

    calls.clear();
    drawAchievementTile(800.0f, 500.0f, 1.0f, 1.0f, 5);
    EXPECT_TRUE(has(DrawOp::Quad, "achi-locked.tga"));
    EXPECT_TRUE(has(DrawOp::Print, "Legendary"));   // a locked tile keeps its title
    EXPECT_FLOAT_EQ(of(DrawOp::Print, "Achievement Locked")[0].y, 500.0f + th * 42.0f / 142.0f);
    calls.clear();
    drawAchievementTile(800.0f, 500.0f, 1.0f, 1.0f, 0);
    drawAchievementTile(800.0f, 500.0f, 1.0f, 1.0f, 28);
    EXPECT_TRUE(calls.empty());

    EXPECT_EQ(descriptionLineSteps({"one", "", " ", "two"}), (std::vector<float>{0.0f, 1.0f, 1.75f, 2.5f}));
    // A third description line pushes the status line one line lower.
    EXPECT_FLOAT_EQ(statusLineY(500.0f, th, 10.0f, {0.0f, 1.0f}), 500.0f + th * 42.0f / 142.0f);
    EXPECT_FLOAT_EQ(statusLineY(500.0f, th, 15.0f, {0.0f, 1.0f, 2.0f}), 545.0f);
}

TEST_F(ScreensTest, AchievementsCarouselDrawsFarColumnsFirstAndTheFrontOneLast)
{
    EXPECT_EQ(carouselColumnOrder(1), (std::vector<int>{3, 4, 5, 6, 7, 8, 9, 2, 1}));
    EXPECT_EQ(carouselColumnOrder(5), (std::vector<int>{1, 2, 3, 7, 8, 9, 4, 6, 5}));
    EXPECT_EQ(carouselColumnOrder(9), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));

    gameState = gs::Achievements;
    achievementPage = 1;
    for (int i = 1; i <= 9; ++i)
        achieveCarousel[i] = CarouselSlot{100.0f * i, i == 1 ? 1.3f : i == 2 ? -0.2f : 0.0f, 0.0f, 0.0f};
    renderAchieves();
    const std::vector<DrawCall> tiles = of(DrawOp::Quad, "achi-bg.tga");
    ASSERT_EQ(tiles.size(), 27u);
    // The front column last: 1 at the top, with its size from the scale and its alpha held to 1.
    const float th = 131.25f * 1.3f;
    EXPECT_FLOAT_EQ(tiles[24].y, 525.0f - 0.95f * th);
    EXPECT_FLOAT_EQ(tiles[24].h, th);
    EXPECT_FLOAT_EQ(tiles[24].alpha, 255.0f);
    // A column shrunk below 0 keeps three quarters of its size and is invisible.
    EXPECT_FLOAT_EQ(tiles[21].h, 131.25f * 0.75f);
    EXPECT_FLOAT_EQ(tiles[21].alpha, 0.0f);
    hoveredButton = 7;
    calls.clear();
    renderAchieves();
    const DrawCall bar = of(DrawOp::Quad, "menuonoff.tga")[0];
    EXPECT_FLOAT_EQ(bar.y, 525.0f + 27.0f * 9.0f - 27.0f / 2.75f);
    EXPECT_FLOAT_EQ(bar.w, 525.0f);
}

TEST_F(ScreensTest, ConsoleCompletesTheLastMatchingWordAndListsTheChoices)
{
    buildConsoleCommands();
    const char* const top = "set, show, hide, flush, reload, config";
    const struct {
        const char* input;
        const char* suggestion;
        const char* hints;
    } rows[] = {
        {"set ", "", "smalltextures, motionblur, atlassize, particledeg"},
        {"sh", "show ", top},
        {"s", "show ", top},   // "set" and "show" both match: the last wins
        {"xyz", "", top},
        {"", "", top},
        {"show f", "show fps ", "fps, particlecount, profiling, atlas, curl, debug"},
        {"set motionblur 1", "set motionblur 1 ", "0, 1"},
        {"set bogus 1", "", "smalltextures, motionblur, atlassize, particledeg"},   // no such second word
    };
    for (const auto& row : rows) {
        const ConsoleCompletion c = completeConsoleLine(row.input, consoleCommands);
        EXPECT_EQ(c.suggestion, row.suggestion) << row.input;
        EXPECT_EQ(c.hints, row.hints) << row.input;
    }
    EXPECT_EQ(completeConsoleLine("x", {}).hints, "");

    EXPECT_EQ(fpsText({}), "0.000000");
    EXPECT_EQ(fpsText({0.0f, 0.0f}), "0.000000");
    EXPECT_EQ(fpsText({20.0f, 30.0f}), "40.000000");
}

TEST_F(ScreensTest, RequestConsoleShowsRequestsInFlightWithTheirSecretsHidden)
{
    EXPECT_EQ(maskSecrets("login.php?password=pw&passwordHash=abc&user=passwordless&x=1"),
              "login.php?password=***&passwordHash=***&user=passwordless&x=1");
    requests.resize(3);
    requests[0].url = "news.php?";
    requests[0].done = true;
    requests[1].url = "reg.php?username=a&password=secret";
    requests[2].url = "score.php?score=5";
    renderCurlConsole();
    requests.clear();
    const std::vector<DrawCall> lines = of(DrawOp::Print);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, secureUrl + "reg.php?username=a&password=***");
    EXPECT_FLOAT_EQ(lines[0].y, 0.03f * 1050.0f);
    EXPECT_FLOAT_EQ(lines[1].y, 0.03f * 1050.0f + 4.0f * 14.0f);
}

TEST_F(ScreensTest, FadeClampsAndCoversAPortraitWindow)
{
    fadeLevel = -5.0f;
    EXPECT_FLOAT_EQ(fadeQuadAlpha(), 255.0f);
    EXPECT_EQ(fadeLevel, 0.0f);
    fadeLevel = 600.0f;
    renderFadeIn();
    EXPECT_EQ(fadeLevel, fadeDuration);
    EXPECT_TRUE(calls.empty());
    screenWidth = 600;
    screenHeight = 1000;
    fadeLevel = 250.0f;
    renderFadeIn();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].w, 1000.0f);
    EXPECT_EQ(calls[0].h, 1000.0f);
    EXPECT_EQ(calls[0].alpha, 127.0f);
}

TEST_F(ScreensTest, StarsStandAlongTheViewFromTheEyeClampedToTheField)
{
    const Vector3 eye(0.0f, -20.0f * blockSize, 0.0f), up(0.0f, 0.0f, 1.0f);
    const struct {
        Vector3 star, drawn;
    } rows[] = {
        {{100.0f, 0.0f, 50.0f}, {100.0f, 0.0f, 50.0f}},
        {{-3000.0f, 5000.0f, 2500.0f}, {-2000.0f, 2000.0f, 2000.0f}},
        {{0.0f, -5000.0f, 0.0f}, {0.0f, -640.0f, 0.0f}},
    };
    for (const auto& row : rows) {
        Star s;
        s.position = row.star;
        const Vector3 p = starPoint(s, eye, up);
        EXPECT_FLOAT_EQ(p.x, row.drawn.x);
        EXPECT_FLOAT_EQ(p.y, row.drawn.y);
        EXPECT_FLOAT_EQ(p.z, row.drawn.z);
    }
    EXPECT_EQ(starAlpha(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(starAlpha(500.0f), 127.5f);
    EXPECT_EQ(starAlpha(1000.0f), 255.0f);
    EXPECT_EQ(starAlpha(5000.0f), 255.0f);
}
