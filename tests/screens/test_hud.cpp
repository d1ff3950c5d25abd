// The heads-up display: the carried-colour cubes, the achievement notices of play, and the
// level-complete panel with its grade.
#include "screens_fixture.h"

#include <climits>

#include "game/scoring.h"
#include "screens/hud.h"

namespace {

class HudTest : public ScreensTest {
protected:
    // Runs the HUD frame by frame (50 ms) up to `until`; returns when the lists were emptied
    // (-1 never) and collects the sound times and every notice centre drawn.
    float runNotices(std::vector<int> numbers, float until, std::vector<float>* soundTimes,
                     std::vector<float>* ys = nullptr)
    {
        cheeveToasts = numbers;
        cheeveToastShown.assign(numbers.size(), false);
        for (float t = 0.0f; t <= until; t += 50.0f) {
            cheeveToastTimer = t;
            calls.clear();
            renderHUD();
            for (std::size_t i = 0; i < sounds().size(); ++i)
                soundTimes->push_back(t);
            if (ys)
                for (const DrawCall& c : of(DrawOp::Quad, "achi-bg.tga"))
                    ys->push_back(c.y);
            if (cheeveToasts.empty())
                return t;
        }
        return -1.0f;
    }
};

} // namespace

TEST_F(HudTest, CarriedColourCubesCrossFadeWithTheMarker)
{
    EXPECT_EQ(hudCubeAlphas(0.0f).previous, 255);
    EXPECT_EQ(hudCubeAlphas(100.0f).current, 135);
    EXPECT_EQ(hudCubeAlphas(100.0f).previous, 120);
    EXPECT_EQ(hudCubeAlphas(189.0f).current, 255);

    // Before the first set-down only the carried colour's cube is drawn.
    loadTexture("red.tga");
    loadTexture("blue.tga");
    cursorColour = 3;
    renderHUD();
    EXPECT_EQ(of(DrawOp::Mesh).size(), 1u);
    previousCursorColour = 2;
    calls.clear();
    renderHUD();
    ASSERT_EQ(of(DrawOp::Chunk).size(), 2u);
    EXPECT_EQ(of(DrawOp::Chunk)[0].text, "blue.tga");   // the previous colour first, under the new one
    EXPECT_EQ(of(DrawOp::Chunk)[1].text, "red.tga");
}

TEST_F(HudTest, NoticesDropInSoundOnceFadeAndEmptyTheLists)
{
    std::vector<float> times, ys;
    EXPECT_EQ(runNotices({1}, 10000.0f, &times, &ys), 4500.0f);
    EXPECT_EQ(times, std::vector<float>{550.0f});
    EXPECT_FLOAT_EQ(ys.front(), 0.95f * 1050.0f * 0.125f);

    times.clear();
    ys.clear();
    EXPECT_EQ(runNotices({1, 2, 3}, 10000.0f, &times, &ys), 5500.0f);
    EXPECT_EQ(times, (std::vector<float>{550.0f, 1050.0f, 1550.0f}));
    EXPECT_FLOAT_EQ(*std::max_element(ys.begin(), ys.end()), 3.0f * 0.95f * 1050.0f * 0.125f);

    // Eight: eight sounds, six notices, the rest unseen when the sixth has faded.
    times.clear();
    ys.clear();
    EXPECT_EQ(runNotices({1, 2, 3, 4, 5, 6, 7, 8}, 10000.0f, &times, &ys), 7000.0f);
    EXPECT_EQ(times.size(), 8u);
    EXPECT_EQ(times.back(), 4050.0f);
    EXPECT_FLOAT_EQ(*std::max_element(ys.begin(), ys.end()), 6.0f * 0.95f * 1050.0f * 0.125f);

    EXPECT_FLOAT_EQ(noticeAlpha(1, 1, 4000.0f), 127.5f);
    EXPECT_EQ(noticeAlpha(7, 8, 1000.0f), 0.0f);

    // Numbers outside 1..27 draw nothing; lists of unequal length are read to the shorter.
    cheeveToasts = {0, 28, 5};
    cheeveToastShown = {false, false};
    cheeveToastTimer = 1600.0f;   // the third entry (5) would show by now
    calls.clear();
    renderHUD();
    EXPECT_TRUE(of(DrawOp::Quad, "achi-bg.tga").empty());
    EXPECT_EQ(sounds().size(), 2u);
}

TEST_F(HudTest, PerformanceGradesFollowTheBandsIn64Bits)
{
    const int rows[][2] = {{7999, 3}, {8000, 4}, {11999, 4}, {12000, 5}, {14000, 6}, {16000, 7}};
    for (const auto& row : rows)
        EXPECT_EQ(performanceGradeFor(row[0], 10000, 2000), row[1]) << row[0];
    EXPECT_EQ(performanceGradeFor(50000, 10000, 0), 4);
    EXPECT_EQ(performanceGradeFor(50000, 10000, -1), 4);
    EXPECT_EQ(performanceGradeFor(50000, -1, 2000), 4);
    // Band edges past INT_MAX: 32-bit sums would wrap negative and call these scores Epic.
    EXPECT_EQ(performanceGradeFor(INT_MAX - 5, INT_MAX - 10, INT_MAX / 2), 4);
    EXPECT_EQ(performanceGradeFor(0, INT_MAX, INT_MAX / 2), 3);
    EXPECT_EQ(performanceGradeFor(INT_MAX, INT_MAX / 4, INT_MAX / 4), 7);
}

TEST_F(HudTest, LevelCompletePanelFadesItsTextsSoundsOnceAndDecidesTheGradeOnce)
{
    EXPECT_FLOAT_EQ(panelOverlayAlpha(250.0f), 50.0f);
    EXPECT_FLOAT_EQ(panelOverlayAlpha(500.0f), 100.0f);
    EXPECT_FLOAT_EQ(panelTextAlpha(500.0f), -1.0f);   // T = 500: only the overlay
    EXPECT_FLOAT_EQ(panelTextAlpha(525.0f), 127.5f);
    EXPECT_FLOAT_EQ(panelTextAlpha(4500.0f), 127.5f);
    EXPECT_FLOAT_EQ(panelTextAlpha(5000.0f), -1.0f);

    performanceMean = 10000;
    performanceSpread = 2000;
    setScore(12500);
    offlineMode = 0;
    massLevel = 30.0f;
    int played = 0;
    for (float t = 100.0f; t < 5000.0f; t += 100.0f) {
        levelCompleteTimer = t;
        calls.clear();
        renderHUD();
        played += static_cast<int>(sounds().size());
        EXPECT_EQ(massLevel, 0.0f);
        const bool note = has(DrawOp::PrintShadowed, t <= 3000.0f ? "Submitting score..." : "Connecting to server...");
        EXPECT_TRUE(note) << t;
        if (t == 4500.0f) {
            EXPECT_FLOAT_EQ(of(DrawOp::PrintShadowed, "Level Complete")[0].alpha, 127.5f);
        }
        setScore(30000);   // the grade was decided on the first frame
    }
    EXPECT_EQ(played, 1);
    EXPECT_EQ(performanceGrade, 5);
    // Once the game has latched it, the grade shown is the latched one, in its own colour.
    finalPerformanceGrade = performanceGrade;
    levelCompleteTimer = 1000.0f;
    calls.clear();
    renderHUD();
    ASSERT_FALSE(of(DrawOp::PrintShadowed, "Great").empty());
    EXPECT_EQ(of(DrawOp::PrintShadowed, "Great")[0].g, 210.0f);

    // Offline and in level-select play there is nothing to wait for.
    for (int online : {99, 0}) {
        offlineMode = online;
        levelSelectPlay = online == 0;
        calls.clear();
        renderHUD();
        EXPECT_FALSE(has(DrawOp::PrintShadowed, "Connecting to server..."));
    }
}

TEST_F(HudTest, EarnedTilesShowOnceThePanelCanEndAlsoOffline)
{
    cheeveToasts = {4, 9};
    cheeveToastShown = {true, false};
    auto tilesAt = [&](float t) {
        levelCompleteTimer = t;
        calls.clear();
        renderHUD();
        return of(DrawOp::Quad, "achi-bg.tga");
    };
    // Online, no reply: the panel cannot end, so no tiles and no "Click to Continue".
    offlineMode = 0;
    EXPECT_TRUE(tilesAt(6500.0f).empty());
    EXPECT_FALSE(has(DrawOp::PrintShadowed, "Click to Continue"));

    // Offline with entries pending: the tiles come, a half-second apart, centred as a column.
    offlineMode = 99;
    EXPECT_TRUE(tilesAt(5400.0f).empty());
    EXPECT_EQ(tilesAt(5600.0f).size(), 1u);
    const std::vector<DrawCall> both = tilesAt(6100.0f);
    ASSERT_EQ(both.size(), 2u);
    EXPECT_FLOAT_EQ(both[0].y, 525.0f - 0.5f * 0.95f * 1050.0f * 0.125f);
    EXPECT_FLOAT_EQ(both[1].y, 525.0f + 0.5f * 0.95f * 1050.0f * 0.125f);
    EXPECT_TRUE(has(DrawOp::PrintShadowed, "Click to Continue"));
    EXPECT_TRUE(cheeveToastShown[1]);

    // A level-select Classic level reports nothing: it may end too; a Survival one waits.
    offlineMode = 0;
    levelSelectPlay = true;
    EXPECT_EQ(tilesAt(6100.0f).size(), 2u);
    gameMode = gm::Survival;
    EXPECT_TRUE(tilesAt(6100.0f).empty());
}
