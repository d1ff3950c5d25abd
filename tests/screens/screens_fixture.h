// Shared set-up of the headless drawing tests: the draw recorder, fonts with fixed advances, every
// texture a page asks for "loaded", and the game state a frame reads put back to rest.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/asset_pack.h"
#include "engine/atlas.h"
#include "engine/config.h"
#include "engine/draw2d.h"
#include "engine/draw_recorder.h"
#include "engine/fonts.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "game/blocks.h"
#include "game/effects.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/intro.h"
#include "game/level_end.h"
#include "game/mass.h"
#include "game/page_buttons.h"
#include "game/play_achievements.h"
#include "game/pointing.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/requests.h"

// A font of fixed advances: every character `advance` pixels wide, `height` high.
inline void plainFont(Font& font, float height, float advance)
{
    font = Font();
    font.height = height;
    font.initialised = true;
    for (float& w : font.glyphWidths)
        w = advance;
}

class ScreensTest : public ::testing::Test {
protected:
    std::vector<DrawCall> calls;
    // The pack the game's fonts are measured from, read at the first useWindow.
    bool packRead = false;
    std::string savedPackPath;
    std::vector<AssetIndexEntry> savedIndex;

    // A window of that size with the game's three fonts as it sizes and measures them for it,
    // from the pack the build makes. Call under ASSERT_NO_FATAL_FAILURE.
    void useWindow(int w, int h)
    {
        screenWidth = w, screenHeight = h;
        if (!packRead) {
            const std::string pack = TS_BINARY_DIR "/run/data/assets.ass";
            savedPackPath = assetPackPath;
            savedIndex = assetIndex;
            packRead = true;
            assetPackPath = pack;
            readAssetIndex();
            closeAssetPack();
            ASSERT_FALSE(assetIndex.empty()) << "no asset pack at " << pack;
        }
        measureFonts();
        ASSERT_GT(mediumFont.glyphWidths['W'], 0.0f);
    }

    void SetUp() override
    {
        screenWidth = 1680;
        screenHeight = 1050;
        plainFont(largeFont, 34.0f, 20.0f);
        plainFont(mediumFont, 27.0f, 16.0f);
        plainFont(smallFont, 14.0f, 8.0f);
        resetTextures();
        fillAchievementTables();
        putFrameAtRest();
        drawRecorder = &calls;
    }
    void TearDown() override
    {
        drawRecorder = nullptr;
        if (packRead) {
            assetPackPath = savedPackPath;
            assetIndex = savedIndex;
        }
        resetTextures();
        // Pages Draw made and capabilities it turned on with no GL context would stand in the next
        // test's real one.
        deleteAtlasPages();
        enabledCapabilities.clear();
        // What a test turned on (a powerup, a popup, a tutorial) would show in the next one's frame.
        putFrameAtRest();
        offlineMode = 0;
        gameMode = gm::Overall;
        gameState = gs::Intro;
    }

    // The game state a frame reads, at rest: a game in play with nothing over it.
    static void putFrameAtRest()
    {
        for (bool& e : cheeveEarned)
            e = false;
        cheeveToasts.clear();
        cheeveToastShown.clear();
        cheeveToastTimer = 0.0f;
        gameState = gs::Game;
        gameMode = gm::Normal;
        popupId = 1;
        paused = tutorialOpen = tutorialResetPrompt = false;
        for (bool& t : tutorialShown)
            t = false;
        serverWaitPause = serverWaitContinued = continueReady = false;
        hoveredButton = 0;
        fadeLevel = fadeDuration;
        levelCompleteTimer = 0.0f;
        offlineMode = 99;
        scoreReplyReceived = levelSelectPlay = endBreakSoundPlayed = false;
        performanceGrade = finalPerformanceGrade = 0;
        performanceMean = performanceSpread = personalBest = -1;
        massLevel = 0.0f;
        massLimit = 54.0f;
        multiplierActive = timewarpActive = fusionPulseActive = false;
        powerupCharge = 0.0f;
        for (float& t : powerupNoticeTimers)
            t = 10000.0f;
        multiplierNotice = timewarpNotice = fusionPulseNotice = 0;
        cursorColour = previousCursorColour = pickedBlock = pickedFace = -1;
        markerAlpha = 0.0f;
        blockFlashLevel = 0.0f;
        consoleVisible = false;
        caretBlink = true;
        for (int i = 0; i < blockCount; ++i)
            resetBlock(i);
    }

    // A texture record, as streaming leaves it once the image has faded in.
    static void loadTexture(const std::string& name)
    {
        if (findTextureIndex(name) >= 0)
            return;
        TextureRecord record;
        record.name = name;
        record.fadeIn = 250.0f;
        record.width = record.height = 64.0f;
        textures.push_back(record);
    }

    std::vector<DrawCall> of(DrawOp op, const std::string& text = std::string()) const
    {
        std::vector<DrawCall> out;
        for (const DrawCall& c : calls)
            if (c.op == op && (text.empty() || c.text == text))
                out.push_back(c);
        return out;
    }
    bool has(DrawOp op, const std::string& text) const { return !of(op, text).empty(); }
    // Index of the first call with this text (any op), -1 when none.
    int indexOf(const std::string& text) const
    {
        for (std::size_t i = 0; i < calls.size(); ++i)
            if (calls[i].text == text)
                return static_cast<int>(i);
        return -1;
    }
    std::vector<std::string> sounds() const
    {
        std::vector<std::string> out;
        for (const DrawCall& c : of(DrawOp::Sound))
            out.push_back(c.text);
        return out;
    }
};
