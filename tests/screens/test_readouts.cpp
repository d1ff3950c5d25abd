// The HUD's readouts and the powerup panel at their edge values.
#include "screens_fixture.h"
#include "../layout_boxes.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <utility>

#include "engine/draw2d.h"
#include "game/layout.h"
#include "game/levels.h"
#include "game/scoring.h"
#include "screens/backdrop.h"
#include "screens/hud.h"
#include "screens/hud_readouts.h"
#include "screens/pause_popup.h"
#include "screens/powerup_panel.h"

TEST_F(ScreensTest, ReadoutsAtTheirEdges)
{
    // The mass warning from 60 % of the limit (alpha 0) to its full 150 at 90 %.
    const float fills[][2] = {{59.9f, -1.0f}, {60.0f, 0.0f}, {75.0f, 75.0f}, {120.0f, 150.0f}};
    for (const auto& row : fills) {
        massLevel = massLimit * row[0] / 100.0f;
        EXPECT_EQ(massWarning().texture.empty(), row[1] < 0.0f) << row[0];
        EXPECT_NEAR(massWarning().alpha, std::max(row[1], 0.0f), 0.01f) << row[0];
    }
    massLimit = 0.0f;   // a level without a limit warns of nothing
    EXPECT_TRUE(massWarning().texture.empty());

    EXPECT_EQ(scoreText(1234567), "1,234,567");
    EXPECT_EQ(scoreText(-5000), "5,000");
    EXPECT_EQ(scoreText(INT_MIN), "2,147,483,648");

    // 59 500 ms and 400 ms left, then past the end of the stage.
    gameMode = gm::Survival;
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
    gameMode = gm::Meditation;
    blocksLanded = 37;
    EXPECT_EQ(modeReadout(), "Blocks: 63");
    gameMode = gm::Casual;
    levelNumber = 0;
    EXPECT_EQ(levelTitle(), "Level 1");

    personalBest = -1;
    offlineMode = 0;
    EXPECT_EQ(personalBestText(), "Personal Best: Loading...");
    offlineMode = 99;
    EXPECT_EQ(personalBestText(), "Personal Best: Offline");

    // The APM bar is empty before any play time and full at 200 a minute.
    actionCount = 100.0f;
    apmTime = 0.0f;
    EXPECT_EQ(apmBarWidth(), 0.0f);
    apmTime = 30.0f;
    EXPECT_FLOAT_EQ(apmBarWidth(), 168.0f);
    apmTime = actionCount = 0.0f;
}

TEST_F(ScreensTest, PowerupSlotsFillGlowAndAnnounce)
{
    const float rows[][4] = {{0, 0, 0, 0}, {25, 0.5f, 0, 0}, {50, 1, 0, 0}, {100, 1, 0.5f, 0},
                             {150, 1, 1, 0}, {225, 1, 1, 0.5f}, {300, 1, 1, 1}, {400, 1, 1, 1}};
    for (const auto& row : rows) {
        for (int slot = 0; slot < 3; ++slot)
            EXPECT_FLOAT_EQ(powerupFill(slot, row[0]), row[slot + 1]) << row[0] << " " << slot;
        powerupCharge = row[0];
        calls.clear();
        renderPowerups();
        const std::size_t lit = row[0] >= 300 ? 3 : row[0] >= 150 ? 2 : row[0] >= 50 ? 1 : 0;
        EXPECT_EQ(of(DrawOp::Quad, "powerupglow.tga").size(), lit) << row[0];
        // The fill is cropped from the slot's bottom: its top corners sit at the fraction.
        const DrawCall fill = of(DrawOp::QuadUV, "powerupcolor.tga")[0];
        EXPECT_FLOAT_EQ(fill.uv[0].y, row[1]);
        EXPECT_FLOAT_EQ(fill.h, 84.0f * row[1]);
    }

    timewarpActive = true;
    powerupNoticeTimers[0] = 0.0f;
    powerupNoticeTimers[2] = 3000.0f;
    calls.clear();
    renderPowerups();
    EXPECT_EQ(of(DrawOp::QuadUV, "powerupcolor-on.tga").size(), 3u);
    EXPECT_FLOAT_EQ(of(DrawOp::Quad, "multinoty.tga")[0].alpha, 255.0f);
    EXPECT_FALSE(has(DrawOp::Quad, "fusionnoty.tga"));   // gone at 3000 ms
    EXPECT_FLOAT_EQ(powerupNoticeAlpha(1500.0f), 127.5f);
}

namespace {

// The box a recorded quad or text covers.
LayoutRect drawnBox(const DrawCall& c)
{
    if (c.op == DrawOp::Print || c.op == DrawOp::PrintShadowed)
        return textBox(c.text, c.x, c.y, c.anchor, c.scale, *c.font);
    LayoutRect r;
    anchorRect(c.x, c.y, c.w, c.h, c.anchor, r.left, r.top, r.right, r.bottom);
    return r;
}

} // namespace

// Past 16:9 the play screen's overlay is drawn where the layout puts it: the score on the bottom
// line; the powerup cards, the ready notice and the card's lines; a tutorial picture; the pointer.
// And, measured on the drawing alone: every piece on the screen, the HUD's pieces apart, and each
// drawn as large as on the 16:9 window of that height.
TEST_F(ScreensTest, WideWindowOverlayIsDrawnWhereTheLayoutPutsIt)
{
    screenWidth = 2400;
    screenHeight = 600;
    displayedScore = 12800;
    renderScore();
    ASSERT_EQ(of(DrawOp::Print, "12,800").size(), 2u);
    EXPECT_FLOAT_EQ(of(DrawOp::Print, "12,800")[1].y, hudBottomLine());

    calls.clear();
    powerupNoticeTimers[0] = 0.0f;
    multiplierNotice = 1;
    renderPowerups();
    const LayoutRect card = powerupCardRect(2);
    const DrawCall slot = of(DrawOp::Quad, "pupnukeicon.tga")[0];
    EXPECT_FLOAT_EQ(slot.x, (card.left + card.right) / 2.0f);
    EXPECT_FLOAT_EQ(slot.y, card.bottom);
    EXPECT_FLOAT_EQ(slot.w, card.right - card.left);
    const auto expectBox = [](const DrawCall& quad, const LayoutRect& box) {
        EXPECT_FLOAT_EQ(quad.x, (box.left + box.right) / 2.0f) << quad.text;
        EXPECT_FLOAT_EQ(quad.y, (box.top + box.bottom) / 2.0f) << quad.text;
        EXPECT_FLOAT_EQ(quad.w, box.right - box.left) << quad.text;
        EXPECT_FLOAT_EQ(quad.h, box.bottom - box.top) << quad.text;
    };
    expectBox(of(DrawOp::Quad, "multinoty.tga")[0], powerupNoticeRect());
    EXPECT_FLOAT_EQ(of(DrawOp::PrintShadowed, "Multiplier")[0].x, powerupCardTextX());

    calls.clear();
    tutorialShown[tutorialColour] = true;
    renderTutorial();
    expectBox(of(DrawOp::Quad, "tute-color.tga")[0], tutorialCardRect(tutorialColour));
    calls.clear();
    renderCursor();
    EXPECT_FLOAT_EQ(of(DrawOp::Quad)[0].w, pointerSide());

    for (const auto& [w, h] : {std::pair{2400, 600}, std::pair{2560, 720}}) {
        const std::string shape = std::to_string(w) + "x" + std::to_string(h);
        const auto frame = [&](int width) {
            screenWidth = width;
            screenHeight = h;
            mouseX = width / 2;
            mouseY = h / 4;
            calls.clear();
            renderHUD();
            renderTutorial();
            renderCursor();
            std::vector<DrawCall> drawn;
            for (const DrawCall& c : calls)
                if (c.op == DrawOp::Quad || c.op == DrawOp::QuadUV || c.op == DrawOp::Print ||
                    c.op == DrawOp::PrintShadowed)
                    drawn.push_back(c);
            return drawn;
        };
        const std::vector<DrawCall> basis = frame(static_cast<int>(std::lround(h * 16.0 / 9.0))), wide = frame(w);
        ASSERT_EQ(wide.size(), basis.size()) << shape;
        std::vector<std::pair<std::string, LayoutRect>> hud;   // each text (not its shadow), the cards, the notice
        for (std::size_t i = 0; i < wide.size(); ++i) {
            const DrawCall& c = wide[i];
            ASSERT_EQ(c.text, basis[i].text) << shape;
            const LayoutRect box = drawnBox(c), at169 = drawnBox(basis[i]);
            EXPECT_TRUE(box.left >= 0.0f && box.top >= 0.0f && box.right <= static_cast<float>(w) &&
                        box.bottom <= static_cast<float>(h))
                << shape << ": " << c.text;
            // Text boxes are whole pixels, so one may be a pixel off where it stands elsewhere.
            EXPECT_NEAR(box.right - box.left, at169.right - at169.left, 1.0f) << shape << ": " << c.text;
            EXPECT_NEAR(box.bottom - box.top, at169.bottom - at169.top, 1.0f) << shape << ": " << c.text;
            const bool text = c.op == DrawOp::Print || c.op == DrawOp::PrintShadowed;
            if (text && !hud.empty() && hud.back().first == c.text)
                hud.back().second = box;   // the shadow comes first
            else if (text || c.text == "powerupbg.tga" || c.text == "multinoty.tga")
                hud.push_back({c.text, box});
        }
        for (std::size_t i = 0; i < hud.size(); ++i)
            for (std::size_t j = i + 1; j < hud.size(); ++j)
                EXPECT_FALSE(overlap(hud[i].second, hud[j].second))
                    << shape << ": " << hud[i].first << " and " << hud[j].first;
    }
    displayedScore = 0;
}
