// The intro's server question against the stand-in: an answer leads to a new profile.
#include "online_fixture.h"

#include "engine/startup.h"
#include "engine/textures.h"
#include "game/intro.h"

namespace {

struct IntroServerTest : OnlineTest {
    void SetUp() override
    {
        OnlineTest::SetUp();
        resetTextures();
        TextureRecord title;
        title.name = introTitleTexture;
        textures.push_back(title);
        startupPhase = 2;
        introAssetsLoaded = true;
        introTimer = introLength;
        gameState = gs::Intro;
        popupId = 1;
    }
    void TearDown() override
    {
        resetTextures();
        startupPhase = 0;
        introTimer = 0.0f;
        OnlineTest::TearDown();
    }
};

TEST_F(IntroServerTest, NoNameAndAnAnsweringServerLeadToANewProfile)
{
    UpdateIntro(1.0f);
    const std::vector<std::string> asked = standInLog(service);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].rfind("which_server.php", 0), 0u);
    EXPECT_EQ(gameState, gs::IntroToNewProfile);
    EXPECT_EQ(popupId, 20);
    EXPECT_EQ(offlineMode, 0);
}

} // namespace
