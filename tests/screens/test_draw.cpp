// The frame's composition over every game state, with the draw recorder.
#include "screens_fixture.h"

#include <map>

#include "engine/console.h"
#include "engine/profiler.h"
#include "game/backdrops.h"
#include "online/sealing.h"
#include "screens/draw.h"

namespace {

// The page of each state as the frame's state table gives it, in plain numbers.
const std::map<std::string, std::vector<int>> pageStates = {
    {"renderEndgame", {53, 55}},
    {"renderCredits", {6, 52}},
    {"renderGame", {3, 10, 29, 54, 57, 63}},
    {"renderScoreScreen", {32, 30, 31, 59}},
    {"renderGrats", {56, 58}},
    {"renderPatching", {72}},
    {"renderOptions", {4, 12, 13, 64}},
    {"renderMenu", {2, 9, 11, 16, 40, 43, 46, 51, 60, 61, 70}},
    {"renderGametype", {39, 45, 41, 42, 47, 48, 65}},
    {"renderDifficulty", {68, 66, 67, 76, 80}},
    {"renderLevelSelect", {78, 77, 79, 84}},
    {"renderClassicModeSelect", {81, 82, 83, 85}},
    {"renderMultimenu", {17, 18, 20, 25}},
    {"renderMultilobby", {19, 21}},
    {"renderCreateAcc", {22, 23, 24, 35, 36}},
    {"renderLogin", {27, 37, 38}},
    {"renderRanking", {49, 50, 62}},
    {"renderAchieves", {69, 71}},
    {"renderRestart", {8}},
    {"renderIntro", {1, 33, 34, 44}},
};

bool among(int s, std::initializer_list<int> set)
{
    for (int v : set)
        if (v == s)
            return true;
    return false;
}

} // namespace

TEST_F(ScreensTest, EveryStateHasThePageOfTheStateTable)
{
    std::map<int, std::string> expected;
    for (const auto& [name, states] : pageStates)
        for (int s : states)
            expected[s] = name;
    for (int s = 1; s <= 85; ++s) {
        const PageEntry* page = pageFor(s);
        if (expected.count(s)) {
            ASSERT_NE(page, nullptr) << s;
            EXPECT_EQ(page->name, expected[s]) << s;
        } else {
            EXPECT_EQ(page, nullptr) << s;   // 5, 7, 14, 15, 26, 28 and 73..75
        }
    }
}

TEST_F(ScreensTest, DrawInEveryStateBalancesItsProjectionsAndPlacesBackdropPopupPointerAndFade)
{
    loadTexture("cursor.tga");
    fadeLevel = 0.0f;
    paused = true;
    for (int s = 1; s <= 85; ++s) {
        gameState = s;
        const std::string backdrop = getBackgroundTexture();
        calls.clear();
        Draw();
        SCOPED_TRACE(s);

        int depth = 0, pushes = 0;
        for (const DrawCall& c : calls) {
            if (c.op == DrawOp::PushOrtho)
                ++depth, ++pushes;
            if (c.op == DrawOp::PopOrtho)
                --depth;
            ASSERT_GE(depth, 0);
        }
        EXPECT_EQ(depth, 0);

        const bool bare = among(s, {1, 33, 34, 44, 6, 52});
        // The congratulations page leaves the page's projection for its 3D scene and comes back.
        const bool scene = s == gs::Grats || s == gs::GratsToScore;
        EXPECT_EQ(pushes, bare ? 1 : scene ? 3 : 2);
        EXPECT_EQ(has(DrawOp::Quad, backdrop), !bare);
        EXPECT_EQ(has(DrawOp::Quad, "cursor.tga"), !bare);
        bool popup = false;
        for (const DrawCall& c : of(DrawOp::ColourQuad))
            popup = popup || c.alpha == 200.0f;
        EXPECT_EQ(popup, s == 3 || s == 63);

        // The fade is the frame's last quad: black, opaque at level 0, the screen's longer side.
        ASSERT_GE(calls.size(), 2u);
        const DrawCall& fade = calls[calls.size() - 2];
        EXPECT_EQ(fade.op, DrawOp::ColourQuad);
        EXPECT_EQ(fade.alpha, 255.0f);
        EXPECT_EQ(fade.w, 1680.0f);
        EXPECT_EQ(calls.back().op, DrawOp::PopOrtho);
    }

    // The login page hides the pointer only while "Logging In" shows.
    paused = false;
    gameState = gs::Login;
    for (int popup : {1, 11, 12, 13, 14}) {
        popupId = popup;
        calls.clear();
        Draw();
        EXPECT_EQ(has(DrawOp::Quad, "cursor.tga"), popup != 12 && popup != 13) << popup;
    }
}

TEST_F(ScreensTest, OverlaysComeAfterTheFadeInTheirOrderWithTheConsoleOnTop)
{
    gameState = gs::Menu;
    fadeLevel = 100.0f;
    buildConsoleCommands();
    showProfiling = showAtlas = showCurlConsole = true;
    showFps = showParticleCount = 1;
    consoleVisible = true;
    consoleInput = "";
    frameTimes = {20.0f, 20.0f};
    requests.emplace_back();
    requests.back().url = "news.php?x=1";
    Draw();
    showProfiling = showAtlas = showCurlConsole = false;
    showFps = showParticleCount = 0;
    requests.clear();

    int fade = -1;
    for (std::size_t i = 0; i < calls.size(); ++i)
        if (calls[i].op == DrawOp::ColourQuad && calls[i].alpha == 204.0f)
            fade = static_cast<int>(i);
    ASSERT_GE(fade, 0);
    const std::vector<int> order = {indexOf("FPS"), indexOf("50.000000"), indexOf("0/0"),
                                    indexOf(secureUrl + "news.php?x=1"), indexOf("4096 texel atlas"),
                                    indexOf(">>_")};
    int previous = fade;
    for (int at : order) {
        EXPECT_GT(at, previous);
        previous = at;
    }
    EXPECT_EQ(calls.back().op, DrawOp::PopOrtho);
}
