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
#include "engine/profiler.h"
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
    std::string savedUrl;
    void SetUp() override
    {
        savedUrl = secureUrl;
        secureUrl = "http://127.0.0.1:1/secure.php?data=";   // nothing listens: refused at once
        resetTextures();
        gameState = gs::Intro;
        popupId = 1;
        offlineMode = 0;
        startupPhase = 0;
        introTimer = 0.0f;
        introAssetsLoaded = true;   // the loading has its own test
        username.clear();
        playerPassword.clear();
    }
    void TearDown() override
    {
        secureUrl = savedUrl;
        resetTextures();
        gameState = gs::Intro;
        popupId = 1;
        offlineMode = 0;
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

TEST_F(IntroTest, TheTimerWaitsForStartUpAndTheTitle)
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
    username = "stored";
    for (float dt : {1000.0f, 1000.0f, 1000.0f, 500.0f})
        UpdateIntro(dt);
    EXPECT_EQ(gameState, gs::Intro);   // exactly 3500 ms is not past
    // A stored name goes to the login page without asking the (unreachable) server.
    UpdateIntro(1.0f);
    EXPECT_EQ(gameState, gs::IntroToLogin);
    EXPECT_EQ(popupId, 13);
    EXPECT_EQ(offlineMode, 0);
}

TEST_F(IntroTest, NoNameAndNoServerGoOffline)
{
    startupPhase = 2;
    titleLoaded();
    playerPassword = "secret";
    introTimer = introLength;
    UpdateIntro(1.0f);
    EXPECT_EQ(gameState, gs::IntroToLogin);
    EXPECT_EQ(popupId, 11);
    EXPECT_EQ(offlineMode, 99);
    EXPECT_TRUE(username.empty() && playerPassword.empty());
}

void collect(const ProfileNode& node, std::vector<std::string>& names)
{
    for (const ProfileNode& child : node.children) {
        if (child.name == "loadPolyparticleMesh" || child.name == "LoadSoundFile")
            names.push_back(child.name);
        collect(child, names);
    }
}

// On the real pack with a (silent) sound device: the meshes, the prototypes, then every sound,
// each decoded once, in the intro's order; then the achievement tables.
TEST_F(IntroTest, LoadsMeshesParticlesAndSoundsOnceInOrder)
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
    const bool savedProfiling = showProfiling;
    showProfiling = true;
    resetFrameProfile();
    UpdateIntro(16.0f);
    std::vector<std::string> calls;
    collect(profileRoot, calls);
    resetFrameProfile();
    UpdateIntro(16.0f);   // never again
    std::vector<std::string> again;
    collect(profileRoot, again);
    showProfiling = savedProfiling;

    std::vector<std::string> expected(2, "loadPolyparticleMesh");
    expected.insert(expected.end(), 16, "LoadSoundFile");
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(again.empty());
    EXPECT_GT(cubeMesh.meshCount, 0);
    EXPECT_GT(geosphereMesh.meshCount, 0);
    EXPECT_GT(particleMesh.meshCount, 0);
    EXPECT_FALSE(cubePolyparticles.particles.empty());
    EXPECT_GT(geospherePolyparticles.particles.size(), cubePolyparticles.particles.size());

    std::vector<std::string> decoded;
    for (const char* name : introSounds)
        if (std::find(decoded.begin(), decoded.end(), name) == decoded.end())
            decoded.push_back(name);
    EXPECT_EQ(soundBufferNames, decoded);   // "clunk-hardcore.ogg" once, first
    for (ALuint buffer : soundBuffers)
        EXPECT_NE(buffer, noSoundBuffer);

    EXPECT_TRUE(cheeveIcons[0].empty() && cheeveTitles[0].empty() && cheeveDescriptions[0].empty());
    const std::vector<std::string>& streamed = streamedTextureNames();
    for (int n = 1; n <= 27; ++n) {
        EXPECT_NE(std::find(streamed.begin(), streamed.end(), cheeveIcons[n]), streamed.end()) << cheeveIcons[n];
        EXPECT_FALSE(cheeveTitles[n].empty() || cheeveDescriptions[n].empty()) << n;
    }
    EXPECT_EQ(cheeveTitles[12] + " " + cheeveIcons[12], "Vexally Insane achi-vexallyinsane.tga");

    shutdownSound();
    releaseMeshSet(&cubeMesh);
    releaseMeshSet(&geosphereMesh);
    releaseMeshSet(&particleMesh);
    cubePolyparticles = geospherePolyparticles = PolyparticleSystem();
    closeAssetPack();
    assetPackPath = savedPath;
    assetIndex = savedIndex;
}

} // namespace
