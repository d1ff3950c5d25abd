// The HUD's readouts and the powerup panel at their edge values.
#include "screens_fixture.h"

#include <climits>

#include "game/levels.h"
#include "game/scoring.h"
#include "screens/hud_readouts.h"
#include "screens/powerup_panel.h"

TEST_F(ScreensTest, MassWarningStartsAtSixtyPercentAndTheFusionEdgesReplaceIt)
{
    const float rows[][2] = {{59.9f, -1.0f}, {60.0f, 0.0f}, {75.0f, 75.0f}, {90.0f, 150.0f}, {120.0f, 150.0f}};
    for (const auto& row : rows) {
        massLevel = massLimit * row[0] / 100.0f;
        const MassWarning w = massWarning();
        EXPECT_EQ(w.texture.empty(), row[1] < 0.0f) << row[0];
        if (row[1] >= 0.0f) {
            EXPECT_NEAR(w.alpha, row[1], 0.01f) << row[0];
        }
    }
    fusionPulseActive = true;
    powerupCharge = 150.0f;
    EXPECT_EQ(massWarning().texture, "cooldownedges.tga");
    EXPECT_FLOAT_EQ(massWarning().alpha, 75.0f);
    fusionPulseActive = false;
    massLimit = 0.0f;   // a level without a limit warns of nothing
    EXPECT_TRUE(massWarning().texture.empty());
}

TEST_F(ScreensTest, ReadoutTextsAtTheirEdges)
{
    EXPECT_EQ(scoreText(1234567), "1,234,567");
    EXPECT_EQ(scoreText(999), "999");
    EXPECT_EQ(scoreText(0), "0");
    EXPECT_EQ(scoreText(-5000), "5,000");
    EXPECT_EQ(scoreText(INT_MIN), "2,147,483,648");

    gameMode = gm::Survival;
    // 59 500 ms and 400 ms left, then past the end of the stage.
    const float elapsed[] = {500.0f, 59600.0f, 61000.0f, 63500.0f};
    const char* const texts[] = {"1:00", "0:01", "0:01", "0:01"};
    for (int i = 0; i < 4; ++i) {
        survivalCountdownElapsed = elapsed[i];
        EXPECT_EQ(modeReadout(), texts[i]) << elapsed[i];
    }
    survivalCountdownElapsed = 0.0f;
    gameMode = gm::Rush;
    gameTime = 61999.0f;
    EXPECT_EQ(modeReadout(), "1:01");
    EXPECT_EQ(levelTitle(), "Rush");
    gameMode = gm::Meditation;
    blocksLanded = 37;
    EXPECT_EQ(modeReadout(), "Blocks: 63");
    gameMode = gm::Casual;
    levelNumber = 0;
    EXPECT_EQ(modeReadout(), "");
    EXPECT_EQ(levelTitle(), "Level 1");

    personalBest = -1;
    offlineMode = 0;
    EXPECT_EQ(personalBestText(), "Personal Best: Loading...");
    offlineMode = 99;
    EXPECT_EQ(personalBestText(), "Personal Best: Offline");
    personalBest = 0;
    EXPECT_EQ(personalBestText(), "Personal Best: 0");
    personalBest = 1234567;
    EXPECT_EQ(personalBestText(), "Personal Best: 1,234,567");

    // The combo shows from 1x; the APM bar is empty before any play time.
    comboLevel = 0;
    renderCombo();
    EXPECT_TRUE(of(DrawOp::PrintShadowed).empty());
    comboLevel = 12;
    renderCombo();
    EXPECT_TRUE(has(DrawOp::PrintShadowed, "12x"));
    actionCount = 100.0f;
    apmTime = 0.0f;
    EXPECT_EQ(apmBarWidth(), 0.0f);
    apmTime = 30.0f;
    EXPECT_FLOAT_EQ(apmBarWidth(), 168.0f);   // 200 a minute fills the bar
    apmTime = 0.0f;
    actionCount = 0.0f;
}

TEST_F(ScreensTest, PowerupSlotsFillGlowAndAnnounce)
{
    const float rows[][4] = {{0, 0, 0, 0},   {25, 0.5f, 0, 0}, {50, 1, 0, 0},     {100, 1, 0.5f, 0},
                             {150, 1, 1, 0}, {225, 1, 1, 0.5f}, {300, 1, 1, 1}, {400, 1, 1, 1}};
    for (const auto& row : rows)
        for (int slot = 0; slot < 3; ++slot)
            EXPECT_FLOAT_EQ(powerupFill(slot, row[0]), row[slot + 1]) << row[0] << " " << slot;

    for (const float charge : {0.0f, 49.0f, 50.0f, 150.0f, 300.0f}) {
        powerupCharge = charge;
        calls.clear();
        renderPowerups();
        const std::size_t lit = charge >= 300 ? 3 : charge >= 150 ? 2 : charge >= 50 ? 1 : 0;
        EXPECT_EQ(of(DrawOp::Quad, "powerupglow.tga").size(), lit) << charge;
        EXPECT_EQ(of(DrawOp::Quad, "pupmultiicon.tga").size(), 1u);
        // The fill is cropped from the slot's bottom: its top corners sit at the fraction.
        const DrawCall fill = of(DrawOp::QuadUV, "powerupcolor.tga")[0];
        EXPECT_FLOAT_EQ(fill.uv[0].y, powerupFill(0, charge));
        EXPECT_FLOAT_EQ(fill.h, 84.0f * powerupFill(0, charge));
    }
    EXPECT_FLOAT_EQ(powerupGlowAlpha(90.0f), 255.0f);
    EXPECT_NEAR(powerupGlowAlpha(270.0f), 0.0f, 1e-3f);

    timewarpActive = true;
    powerupNoticeTimers[0] = 0.0f;
    powerupNoticeTimers[2] = 3000.0f;
    fusionPulseNotice = 1;
    calls.clear();
    renderPowerups();
    EXPECT_EQ(of(DrawOp::QuadUV, "powerupcolor-on.tga").size(), 3u);
    EXPECT_FLOAT_EQ(of(DrawOp::Quad, "multinoty.tga")[0].alpha, 255.0f);
    EXPECT_FALSE(has(DrawOp::Quad, "fusionnoty.tga"));   // gone at 3000 ms
    EXPECT_FLOAT_EQ(powerupNoticeAlpha(1500.0f), 127.5f);
    EXPECT_TRUE(has(DrawOp::PrintShadowed, "Reduces mass to zero"));
}
