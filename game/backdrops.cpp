#include "game/backdrops.h"

#include "engine/config.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/levels.h"
#include "game/states.h"

#include <initializer_list>

static bool isOneOf(int value, std::initializer_list<int> set)
{
    for (int v : set)
        if (v == value) return true;
    return false;
}

std::string getBackgroundTexture()
{
    const int level = levelNumber;
    const int mode = gameMode;
    const int state = gameState;
    // Play and the transitions that leave it.
    const bool inGame = isOneOf(state, {gs::Game, gs::GameToMenu, gs::GameOver, gs::GameToGrats, gs::GameToOptions});
    const bool playing = isOneOf(state, {gs::Game, gs::GameOver, gs::GameToMenu, gs::GameToOptions});
    if (!inGame || (level == 0 && mode != gm::Survival && mode != gm::Meditation)) return "background1.tga";
    if (level == 1 && mode != gm::Survival) return "background2.tga";
    if (level == 2) return "background3.tga";
    if (level == 3) return "background4.tga";
    if (level == 4) return "background5.tga";
    if (level == 5 || (mode == gm::Rush && playing)) return "background6.tga";
    if (level == 6) return "background7.tga";
    if (level == 7) return "background8.tga";
    if (level == 8 || (mode == gm::Survival && playing)) return "background9.tga";
    if (level == 9 || (mode == gm::Meditation && playing)) return "background10.tga";
    return "";
}

std::string getBlockTextureName(int colour, int hVariant)
{
    static const char* const baseNames[] = {"yellow", "blue", "red", "orange", "pink", "grey", "green"};
    if (colour < 1 || colour > 7) return "";
    if (colour == 6) return "grey.tga";
    std::string name = baseNames[colour - 1];
    if (hVariant) name += "H";
    if (colorblind) name += "CB";
    return name + ".tga";
}

void unloadUnusedBackgrounds() {}
