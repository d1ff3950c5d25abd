// The intro: waiting for the title, the one-time loading and the way on.
#include <AL/alut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "engine/asset_pack.h"
#include "engine/config.h"
#include "engine/meshes.h"
#include "engine/polyparticles.h"
#include "engine/sound.h"
#include "engine/startup.h"
#include "engine/texture_names.h"
#include "engine/textures.h"
#include "game/game_state.h"
#include "game/intro.h"
#include "game/states.h"
#include "online/requests.h"
#include "online/sealing.h"

namespace {

class IntroTest : public ::testing::Test {
protected:
    std::string savedUrl = secureUrl;
    void SetUp() override
    {
        secureUrl = "http://127.0.0.1:1/secure.php?data=";   // nothing listens: refused at once
        resetTextures();
        gameState = gs::Intro;
        offlineMode = startupPhase = 0;
        introTimer = 0.0f;
        introAssetsLoaded = true;   // the loading has its own test
    }
    void TearDown() override
    {
        secureUrl = savedUrl;
        resetTextures();
        gameState = gs::Intro;
        popupId = 1;
        offlineMode = startupPhase = 0;
        introTimer = 0.0f;
        username.clear();
        playerPassword.clear();
    }
    static void titleLoaded()
    {
        TextureRecord title;
        title.name = introTitleTexture;
        textures.push_back(title);
    }
};

// The timer waits for start-up and the title; then a stored name goes to the login page without
// asking the (unreachable) server, and no name goes offline.
TEST_F(IntroTest, WaitsForTheTitleThenLeadsOn)
{
    UpdateIntro(1000.0f);
    EXPECT_EQ(textureQueue.front().name, introTitleTexture);   // asked for first, then every texture
    EXPECT_GT(textureQueue.size(), 1u);
    titleLoaded();
    UpdateIntro(1000.0f);   // start-up not finished
    startupPhase = 2;
    resetTextures();
    UpdateIntro(1000.0f);   // the title still loading
    EXPECT_FLOAT_EQ(introTimer, 0.0f);
    titleLoaded();
    for (const char* name : {"stored", ""}) {
        username = name;
        playerPassword = "secret";
        gameState = gs::Intro;
        introTimer = 0.0f;
        for (float dt : {3000.0f, 500.0f})
            UpdateIntro(dt);
        EXPECT_EQ(gameState, gs::Intro);   // exactly 3500 ms is not past
        UpdateIntro(1.0f);
        EXPECT_EQ(gameState, gs::IntroToLogin);
        EXPECT_EQ(popupId, *name ? 13 : 11);
        EXPECT_EQ(offlineMode, *name ? 0 : 99);
        EXPECT_EQ(playerPassword, *name ? "secret" : "");
    }
}

// On the real pack with a (silent) sound device: meshes, prototypes and every sound load in one
// frame, each sound decoded once, in the intro's order; then the achievement tables.
TEST_F(IntroTest, LoadsTheMediaOnceInOrder)
{
    const std::string pack = std::string(TS_BINARY_DIR) + "/run/data/assets.ass";
    if (!std::ifstream(pack).good())
        GTEST_SKIP() << "no asset pack at " << pack;
    const std::string savedPath = assetPackPath;
    const std::vector<AssetIndexEntry> savedIndex = assetIndex;
    assetPackPath = pack;
    readAssetIndex();
    ASSERT_EQ(alutInit(nullptr, nullptr), AL_TRUE) << "set ALSOFT_DRIVERS=null";
    introAssetsLoaded = false;
    startupPhase = 2;
    titleLoaded();
    UpdateIntro(16.0f);
    UpdateIntro(16.0f);

    EXPECT_GT(geospherePolyparticles.particles.size(), cubePolyparticles.particles.size());
    EXPECT_GT(particleMesh.meshCount, 0);
    std::vector<std::string> decoded;
    for (const char* name : introSounds)
        if (std::find(decoded.begin(), decoded.end(), name) == decoded.end())
            decoded.push_back(name);
    EXPECT_EQ(soundBufferNames, decoded);   // "clunk-hardcore.ogg" once, first
    EXPECT_EQ(std::count(soundBuffers.begin(), soundBuffers.end(), noSoundBuffer), 0);

    EXPECT_TRUE(cheeveIcons[0].empty() && cheeveTitles[0].empty());
    const std::vector<std::string>& streamed = streamedTextureNames();
    for (int n = 1; n <= 27; ++n)
        EXPECT_NE(std::find(streamed.begin(), streamed.end(), cheeveIcons[n]), streamed.end()) << cheeveIcons[n];
    EXPECT_EQ(cheeveTitles[12] + " " + cheeveIcons[12], "Vexally Insane achi-vexallyinsane.tga");

    shutdownSound();
    for (MeshSet* mesh : {&cubeMesh, &geosphereMesh, &particleMesh})
        releaseMeshSet(mesh);
    cubePolyparticles = geospherePolyparticles = PolyparticleSystem();
    closeAssetPack();
    assetPackPath = savedPath;
    assetIndex = savedIndex;
}

} // namespace
