#include "engine/config.h"
#include "engine/texture_names.h"
#include "game/backdrops.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/levels.h"
#include "game/states.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

TEST(Backdrops, TheBackdropFollowsLevelModeAndState)
{
    const int savedState = gameState, savedMode = gameMode, savedLevel = levelNumber;
    gameState = gs::Menu;
    gameMode = gm::Normal;
    levelNumber = 7;
    EXPECT_EQ(getBackgroundTexture(), "background1.tga");
    gameState = gs::Game;
    levelNumber = 1;
    EXPECT_EQ(getBackgroundTexture(), "background2.tga");
    gameMode = gm::Survival;  // Survival starts at level 1
    EXPECT_EQ(getBackgroundTexture(), "background9.tga");
    gameMode = gm::Rush;
    levelNumber = 5;
    EXPECT_EQ(getBackgroundTexture(), "background6.tga");
    levelNumber = 4;
    EXPECT_EQ(getBackgroundTexture(), "background5.tga");
    levelNumber = 12;
    EXPECT_EQ(getBackgroundTexture(), "background6.tga");
    gameState = gs::GameToGrats;  // in game, but not one of Rush's own states
    EXPECT_EQ(getBackgroundTexture(), "");
    gameMode = gm::Meditation;
    levelNumber = 0;
    gameState = gs::Game;
    EXPECT_EQ(getBackgroundTexture(), "background10.tga");
    gameState = savedState;
    gameMode = savedMode;
    levelNumber = savedLevel;
}

TEST(Backdrops, BlockNamesHaveTheirVariantsAndAreAllQueuedByTheIntro)
{
    const int saved = colorblind;
    colorblind = 1;
    EXPECT_EQ(getBlockTextureName(6, 1), "grey.tga");
    EXPECT_EQ(getBlockTextureName(4, 1), "orangeHCB.tga");
    EXPECT_EQ(getBlockTextureName(1, 0), "yellowCB.tga");
    colorblind = 0;
    EXPECT_EQ(getBlockTextureName(4, 1), "orangeH.tga");
    EXPECT_EQ(getBlockTextureName(7, 0), "green.tga");
    EXPECT_EQ(getBlockTextureName(0, 0), "");
    EXPECT_EQ(getBlockTextureName(8, 1), "");

    const std::vector<std::string>& names = streamedTextureNames();
    EXPECT_EQ(names.size(), 122u);
    int listed = 0;
    for (int blind = 0; blind <= 1; ++blind)
        for (int colour = 1; colour <= 7; ++colour)
            for (int h = 0; h <= 1; ++h) {
                colorblind = blind;
                const std::string name = getBlockTextureName(colour, h);
                listed += std::find(names.begin(), names.end(), name) != names.end();
            }
    EXPECT_EQ(listed, 28);
    colorblind = saved;
}
