// The intro's server question against the stand-in: asked only without a stored name.
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
    int serverQuestions()
    {
        int n = 0;
        for (const std::string& line : standInLog(service))
            n += line.rfind("which_server.php", 0) == 0 ? 1 : 0;
        return n;
    }
};

TEST_F(IntroServerTest, NoNameAndAnAnsweringServerLeadToANewProfile)
{
    UpdateIntro(1.0f);
    EXPECT_EQ(serverQuestions(), 1);
    EXPECT_EQ(gameState, gs::IntroToNewProfile);
    EXPECT_EQ(popupId, 20);
    EXPECT_EQ(offlineMode, 0);
}

TEST_F(IntroServerTest, AStoredNameLogsInWithoutAsking)
{
    username = "someone";
    playerPassword = "secret";
    UpdateIntro(1.0f);
    EXPECT_EQ(serverQuestions(), 0);
    EXPECT_EQ(gameState, gs::IntroToLogin);
    EXPECT_EQ(popupId, 13);
    EXPECT_EQ(playerPassword, "secret");
}

} // namespace
