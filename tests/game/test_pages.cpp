// The menu pages: their geometry, their hovered buttons and what a click on each does.
#include "board_fixture.h"

#include <cmath>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "engine/config.h"
#include "engine/fonts.h"
#include "engine/main.h"
#include "engine/profiler.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "game/achieve_carousel.h"
#include "game/game_setup.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/main_menu.h"
#include "game/options.h"
#include "game/page_buttons.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/scoring.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/login.h"
#include "online/rankings.h"
#include "online/replies.h"
#include "online/requests.h"
#include "online/sealing.h"
#include "platform/messages.h"

namespace {

std::vector<std::string> openedPages;
bool recordPage(const std::string& url)
{
    openedPages.push_back(url);
    return true;
}
std::vector<std::string> startedPrograms;
int recordStart(const std::string& path)
{
    startedPrograms.push_back(path);
    return 4242;
}

void pointAt(const LayoutRect& r)
{
    mouseX = static_cast<int>((r.left + r.right) / 2.0f);
    mouseY = static_cast<int>((r.top + r.bottom) / 2.0f);
}

int sectionsNamed(const ProfileNode& node, const std::string& name)
{
    int n = 0;
    for (const ProfileNode& child : node.children)
        n += (child.name == name ? 1 : 0) + sectionsNamed(child, name);
    return n;
}

// How many profiling sections of this name (the engine's calls of that name) the step ran.
int callsOf(const std::string& name, const std::function<void()>& step)
{
    const bool saved = showProfiling;
    showProfiling = true;
    resetFrameProfile();
    step();
    const int n = sectionsNamed(profileRoot, name);
    resetFrameProfile();
    showProfiling = saved;
    return n;
}

class PagesTest : public BoardTest {
protected:
    bool (*savedOpener)(const std::string&) = webPageOpener;
    int (*savedStarter)(const std::string&) = programStarter;

    void SetUp() override
    {
        BoardTest::SetUp();
        webPageOpener = recordPage;
        programStarter = recordStart;
        openedPages.clear();
        startedPrograms.clear();
        screenWidth = 1680;
        screenHeight = 1050;
        mediumFont = Font();
        mediumFont.height = 27.0f;
        mediumFont.initialised = true;
        for (float& w : mediumFont.glyphWidths)
            w = 14.0f;
        hoveredButton = hoveredArrow = 0;
        optionsFromGame = displaySettingsChanged = false;
        resetTutorialsPending = 0;
        paused = tutorialOpen = tutorialResetPrompt = false;
        for (bool& shown : tutorialShown)
            shown = false;
        tuteControl = tuteRush = tuteSurvival = tuteMeditation = 0;
        gameMode = gm::Overall;
        levelNumber = 0;
        levelSelectPlay = false;
        popupId = 1;
        offlineMode = 0;
        quitLogoutsSent = 0;
        restartStarted = false;
        displayModes = {Vector2(800, 600), Vector2(1280, 720), Vector2(1680, 1050)};
        displayModeIndex = 2;
        platformClearMessages();
    }
    void TearDown() override
    {
        webPageOpener = savedOpener;
        programStarter = savedStarter;
        mediumFont = Font();
        gameState = gs::Intro;
        gameMode = gm::Overall;
        paused = tutorialOpen = tutorialResetPrompt = false;
        quitLogoutsSent = 0;
        restartStarted = false;
        programRunning = false;
        platformClearMessages();
        resetTextures();
        BoardTest::TearDown();
    }
    // A left click on the page of `state` with this button (and arrow) hovered.
    int click(int state, int button, int arrow = 0)
    {
        gameState = state;
        hoveredButton = button;
        hoveredArrow = arrow;
        handleLeftButtonDown();
        return gameState;
    }
};

TEST_F(PagesTest, StackedBarsScaleWithTheWidthAndTheLevelColumnsWithTheHeight)
{
    const LayoutRect bar = menuButtonRect(0);
    EXPECT_FLOAT_EQ(bar.right - bar.left, 525.0f);
    EXPECT_FLOAT_EQ(bar.bottom - bar.top, 55.0f);
    EXPECT_FLOAT_EQ((bar.left + bar.right) / 2.0f, 840.0f);
    EXPECT_FLOAT_EQ((bar.top + bar.bottom) / 2.0f, 525.0f - 27.0f / 2.75f);
    EXPECT_FLOAT_EQ(menuButtonRect(-3).top, bar.top - 6.0f * 27.0f);   // two font heights a row

    screenWidth = 1281;   // odd: the pages centre on the integer half
    screenHeight = 720;
    const LayoutRect left = levelButtonRect(1), right = levelButtonRect(6);
    EXPECT_FLOAT_EQ((left.left + left.right) / 2.0f, 640.0f - 72.0f);
    EXPECT_FLOAT_EQ((right.left + right.right) / 2.0f, 640.0f + 72.0f);
    EXPECT_FLOAT_EQ(right.right - right.left, 1281.0f / 1680.0f * 200.0f);
    EXPECT_FLOAT_EQ(levelButtonRect(5).top, levelButtonRect(10).top);
}

TEST_F(PagesTest, EachPageFindsItsButtonsAndAnEdgeIsNoHit)
{
    struct Case {
        int state;
        LayoutRect box;
        int button;
    };
    const Case cases[] = {
        {gs::Menu, menuButtonRect(-3), 1}, {gs::Menu, menuButtonRect(0), 7},   {gs::Menu, menuButtonRect(3), 6},
        {gs::Menu, socialIconRect(0), 8},  {gs::Menu, socialIconRect(2), 10},  {gs::Menu, menuButtonRect(4), 0},
        {gs::GameType, menuButtonRect(1), 4}, {gs::GameType, menuButtonRect(2), 0},
        {gs::GameType, menuButtonRect(3), 6}, {gs::Difficulty, menuButtonRect(1), 0},
        {gs::Difficulty, menuButtonRect(2), 7}, {gs::RankedChoice, menuButtonRect(-1), 2},
        {gs::RankedChoice, menuButtonRect(0), 0}, {gs::LevelSelect, levelButtonRect(6), 16},
        {gs::LevelSelect, levelButtonRect(1), 11}, {gs::LevelSelect, menuButtonRect(4), 7},
        {gs::LevelSelect, menuButtonRect(0), 0},
    };
    for (const Case& c : cases) {
        gameState = c.state;
        pointAt(c.box);
        hoveredButton = -1;
        switch (c.state) {
        case gs::Menu: UpdateMenu(10.0f); break;
        case gs::GameType: UpdateGametype(10.0f); break;
        case gs::Difficulty: UpdateDifficulty(10.0f); break;
        case gs::RankedChoice: UpdateClassicModeSelect(10.0f); break;
        default: UpdateLevelSelect(10.0f); break;
        }
        EXPECT_EQ(hoveredButton, c.button) << c.state << " " << mouseX << "," << mouseY;
    }
    // The bar's own edge and the pixel inside it (1600 wide: the edge falls on a whole pixel).
    screenWidth = 1600;
    const LayoutRect bar = menuButtonRect(-2);
    pointAt(bar);
    mouseX = static_cast<int>(bar.left);
    ASSERT_EQ(static_cast<float>(mouseX), bar.left);
    UpdateMenu(10.0f);
    EXPECT_EQ(hoveredButton, 0);
    ++mouseX;
    UpdateMenu(10.0f);
    EXPECT_EQ(hoveredButton, 2);
}

TEST_F(PagesTest, TheMenuStartsItsFiveLoopsOnceAndTurnsItsSpinner)
{
    musicLoopsStarted = false;
    menuSpinAngle = 359.0f;
    frameTicker = 59;
    levelCompleteTimer = 50.0f;
    EXPECT_EQ(callsOf("PlaySoundLoop", [] { UpdateMenu(5.0f); }), 5);
    EXPECT_FLOAT_EQ(menuSpinAngle, 1.0f);
    EXPECT_EQ(frameTicker, 0);
    EXPECT_FLOAT_EQ(levelCompleteTimer, 0.0f);
    EXPECT_EQ(callsOf("PlaySoundLoop", [] { UpdateMenu(5.0f); }), 0);
    EXPECT_TRUE(musicLoopsStarted);
}

TEST_F(PagesTest, MainMenuButtons)
{
    struct Case {
        int button;
        int next;
        std::string page;   // the web page opened, if any
    };
    const Case cases[] = {
        {1, gs::MenuToGameType, ""}, {2, gs::MenuToLogin, ""},      {3, gs::MenuToRanking, ""},
        {7, gs::MenuToAchievements, ""}, {4, gs::MenuToOptions, ""}, {5, gs::MenuToCredits, ""},
        {6, gs::MenuQuit, ""},       {8, gs::Menu, "twitter.html"}, {9, gs::Menu, "facebook.html"},
        {10, gs::Menu, "contact.html"}, {0, gs::Menu, ""},
    };
    for (const Case& c : cases) {
        openedPages.clear();
        popupId = 5;
        EXPECT_EQ(click(gs::Menu, c.button), c.next) << c.button;
        EXPECT_EQ(hoveredButton, 0);
        if (c.page.empty()) {
            EXPECT_TRUE(openedPages.empty()) << c.button;
        } else {
            ASSERT_EQ(openedPages.size(), 1u);
            EXPECT_EQ(openedPages[0], "http://" + serviceHost() + "/" + c.page);
        }
        if (c.button == 2) {
            EXPECT_EQ(popupId, 1);
        }
    }
    // The achievements open on page 1 with the carousel at rest.
    achievementPage = 6;
    click(gs::Menu, 7);
    EXPECT_EQ(achievementPage, 1);
    EXPECT_FLOAT_EQ(achieveCarousel[1].x, 840.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[1].scale, 1.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[2].targetScale, 0.75f);
    EXPECT_FLOAT_EQ(achieveCarousel[5].targetX, 840.0f + 1050.0f * 0.375f);
    EXPECT_FLOAT_EQ(achieveCarousel[5].scale, 0.0f);
}

// The ranking opens on a fresh list, as a change of mode does: not on the last mode's rows.
TEST_F(PagesTest, OnlineRankingStartsTheListAfresh)
{
    rankingList.assign(30, "row");
    rankingOffset = 30;
    rankingAtEnd = true;
    rankingScroll = 12;
    rankingReplies.assign(1, "1,a,b,5,u,x\r\n");
    click(gs::Menu, 3);
    EXPECT_TRUE(rankingList.empty());
    EXPECT_EQ(rankingOffset, 0);
    EXPECT_FALSE(rankingAtEnd);
    EXPECT_EQ(rankingScroll, 0);
    EXPECT_TRUE(rankingReplies.empty());
}

TEST_F(PagesTest, GameSetupPagesChooseTheModeAndCheckTheTutorial)
{
    struct Case {
        int state, button;
        int seen;          // the tutorial-seen setting before the click
        int next, mode;
        int tutorial;      // the page opened, -1 none
        bool practice;     // levelSelectPlay afterwards
    };
    const Case cases[] = {
        {gs::GameType, 1, 0, gs::GameTypeToDifficulty, gm::Overall, -1, false},
        {gs::GameType, 2, 0, gs::GameTypeToGame, gm::Survival, tutorialSurvival, false},
        {gs::GameType, 2, 1, gs::GameTypeToGame, gm::Survival, -1, false},
        {gs::GameType, 3, 0, gs::GameTypeToGame, gm::Meditation, tutorialMeditation, false},
        {gs::GameType, 4, 0, gs::GameTypeToGame, gm::Rush, tutorialRush, false},
        {gs::GameType, 6, 0, gs::GameTypeToMenu, gm::Overall, -1, false},
        {gs::GameType, 0, 0, gs::GameType, gm::Overall, -1, false},
        {gs::Difficulty, 1, 0, gs::DifficultyToRankedChoice, gm::Casual, tutorialControl, false},
        {gs::Difficulty, 3, 1, gs::DifficultyToRankedChoice, gm::Expert, -1, false},
        {gs::Difficulty, 7, 0, gs::DifficultyToGameType, gm::Overall, -1, false},
        {gs::RankedChoice, 1, 0, gs::RankedChoiceToGame, gm::Overall, -1, false},
        {gs::RankedChoice, 2, 0, gs::RankedChoiceToLevelSelect, gm::Overall, -1, true},
        {gs::RankedChoice, 7, 0, gs::RankedChoiceToDifficulty, gm::Overall, -1, false},
    };
    for (const Case& c : cases) {
        SetUp();
        tuteControl = tuteRush = tuteSurvival = tuteMeditation = c.seen;
        levelSelectPlay = true;
        highscoreReplyReceived = highscoreRequestSent = true;
        powerupCharge = 120.0f;
        sessionHash = "old";
        EXPECT_EQ(click(c.state, c.button), c.next) << c.state << " " << c.button;
        EXPECT_EQ(gameMode, c.mode) << c.state << " " << c.button;
        EXPECT_EQ(levelSelectPlay, c.practice) << c.state << " " << c.button;
        EXPECT_EQ(tutorialOpen, c.tutorial >= 0) << c.state << " " << c.button;
        EXPECT_EQ(paused, c.tutorial >= 0);
        for (int page = 0; page < 9; ++page)
            EXPECT_EQ(tutorialShown[page], page == c.tutorial) << c.state << " " << c.button << " " << page;
        if (c.tutorial >= 0) {
            EXPECT_EQ(tutorialSetting(c.tutorial), 1);
        }
        if (c.state == gs::GameType) {
            // Every click on the game-type page readies the next game, on a button or not.
            EXPECT_FALSE(highscoreReplyReceived || highscoreRequestSent);
            EXPECT_FLOAT_EQ(powerupCharge, 0.0f);
            EXPECT_TRUE(std::regex_match(sessionHash, std::regex("[0-9]{14}[0-9a-f]{64}"))) << sessionHash;
        }
    }
}

TEST_F(PagesTest, LevelSelectStartsTheLevelPausedOnATutorialOrTheResetQuestion)
{
    EXPECT_EQ(click(gs::LevelSelect, 11), gs::LevelSelectToGame);
    EXPECT_EQ(levelNumber, 0);
    EXPECT_TRUE(paused && tutorialOpen && tutorialShown[tutorialControl] && !tutorialResetPrompt);
    EXPECT_EQ(tuteControl, 1);

    SetUp();
    tuteControl = 1;
    EXPECT_EQ(click(gs::LevelSelect, 20), gs::LevelSelectToGame);
    EXPECT_EQ(levelNumber, 9);
    EXPECT_TRUE(paused && tutorialResetPrompt && !tutorialOpen);

    EXPECT_EQ(click(gs::LevelSelect, 7), gs::LevelSelectToRankedChoice);
    EXPECT_EQ(click(gs::LevelSelect, 10), gs::LevelSelect);
}

TEST_F(PagesTest, LoginAndNewProfileButtonsByStep)
{
    struct Case {
        int state, popup, button;
        int next, nextPopup;
        bool fieldsEmptied;
        std::string page;
    };
    const Case cases[] = {
        {gs::Login, 14, 1, gs::Login, 1, true, ""},
        {gs::Login, 5, 1, gs::Login, 1, true, ""},
        {gs::Login, 6, 1, gs::LoginToMenu, 6, false, ""},
        {gs::Login, 11, 1, gs::LoginToMenu, 11, false, ""},
        {gs::Login, 1, 1, gs::LoginToNewProfile, 20, false, ""},
        {gs::Login, 11, 2, gs::Login, 13, false, ""},
        {gs::Login, 2, 2, gs::Login, 2, false, "retrieve.html"},
        {gs::Login, 12, 1, gs::Login, 12, false, ""},
        {gs::NewProfile, 4, 1, gs::NewProfile, 1, true, ""},
        {gs::NewProfile, 11, 1, gs::NewProfile, 1, true, ""},
        {gs::NewProfile, 6, 1, gs::NewProfileToMenu, 6, false, ""},
        {gs::NewProfile, 20, 1, gs::Login, 1, false, ""},
        {gs::NewProfile, 20, 2, gs::NewProfile, 20, false, ""},
    };
    for (const Case& c : cases) {
        SetUp();
        username = "name";
        playerPassword = retypedPassword = "word";
        popupId = c.popup;
        offlineMode = 99;
        loginRetries = 3;
        loginAnswered = loginRequestSent = true;
        credentialsUnsaved = false;
        EXPECT_EQ(click(c.state, c.button), c.next) << c.state << "/" << c.popup << " " << c.button;
        EXPECT_EQ(popupId, c.nextPopup) << c.state << "/" << c.popup << " " << c.button;
        EXPECT_EQ(username.empty() && playerPassword.empty() && retypedPassword.empty(), c.fieldsEmptied);
        EXPECT_EQ(openedPages.size(), c.page.empty() ? 0u : 1u);
        if (!c.page.empty() && !openedPages.empty()) {
            EXPECT_EQ(openedPages[0], webPageUrl(c.page));
        }
        const bool retry = c.state == gs::Login && c.popup == 11 && c.button == 2;
        EXPECT_EQ(offlineMode, retry ? 0 : 99);
        EXPECT_EQ(loginRetries, retry ? 0 : 3);
        EXPECT_EQ(loginRequestSent, !retry);
        EXPECT_EQ(credentialsUnsaved, c.state == gs::NewProfile && c.popup == 20 && c.button == 1);
    }
}

TEST_F(PagesTest, RankingArrowsScrollAndTheThumbInFloat)
{
    rankingList.assign(40, "row");
    gameMode = gm::Overall;
    rankingScroll = 3;
    click(gs::Ranking, 1, -1);   // at the first mode: stays, but the list starts again
    EXPECT_EQ(gameMode, gm::Overall);
    EXPECT_TRUE(rankingList.empty());
    EXPECT_EQ(rankingScroll, 0);
    EXPECT_TRUE(leftButtonDown);
    gameMode = gm::Meditation;
    click(gs::Ranking, 1, 1);
    EXPECT_EQ(gameMode, gm::Meditation);
    click(gs::Ranking, 1, -1);
    EXPECT_EQ(gameMode, gm::Survival);

    rankingList.assign(12, "row");
    click(gs::Ranking, 3);
    click(gs::Ranking, 3);
    click(gs::Ranking, 3);
    EXPECT_EQ(rankingScroll, 2);   // the last ten rows stay in view
    click(gs::Ranking, 2);
    EXPECT_EQ(rankingScroll, 1);
    EXPECT_EQ(click(gs::Ranking, 6), gs::Ranking);
    EXPECT_TRUE(findingPlayer);
    EXPECT_EQ(click(gs::Ranking, 5), gs::RankingToMenu);

    // Eleven rows: a thumb of 10/11 of the track, not a zero-length one.
    const float rowHeight = 1050.0f / 3.4f / 11.0f;
    RankingScrollBar bar = rankingScrollBar(11, 1);
    EXPECT_NEAR(bar.thumb.bottom - bar.thumb.top, 10.0f / 11.0f * 8.0f * rowHeight, 1e-3);
    EXPECT_NEAR(bar.thumbOffset, 1.0f / 11.0f * 8.0f * rowHeight, 1e-3);
    rankingList.assign(11, "row");
    rankingScroll = 1;
    mouseX = static_cast<int>((bar.thumb.left + bar.thumb.right) / 2.0f);
    mouseY = static_cast<int>(bar.thumb.top) + 3;
    rankingDragOffset = -1.0f;
    click(gs::Ranking, 4);
    EXPECT_NEAR(rankingDragOffset, static_cast<float>(mouseY) - bar.trackTop - bar.thumbOffset, 1e-3);
    EXPECT_FLOAT_EQ(dragStart.y, static_cast<float>(mouseY));

    // A thousand rows: the thumb keeps half a row, and runs on the shortened track.
    bar = rankingScrollBar(1000, 990);
    const float length = 8.0f * rowHeight, natural = 10.0f / 1000.0f * length;
    EXPECT_NEAR(bar.thumb.bottom - bar.thumb.top, rowHeight / 2.0f, 1e-3);
    EXPECT_NEAR(bar.usableLength, length - (rowHeight / 2.0f - natural), 1e-3);
    EXPECT_NEAR(bar.thumbOffset, 0.99f * bar.usableLength, 1e-3);
    rankingList.assign(1000, "row");
    rankingScroll = 990;
    pointAt(bar.thumb);
    click(gs::Ranking, 4);
    EXPECT_NEAR(rankingDragOffset, static_cast<float>(mouseY) - bar.trackTop - bar.thumbOffset, 1e-3);
    mouseY = static_cast<int>(bar.thumb.top) - 2;   // on the track above the thumb: no grab
    rankingDragOffset = -1.0f;
    click(gs::Ranking, 4);
    EXPECT_FLOAT_EQ(rankingDragOffset, -1.0f);
}

TEST_F(PagesTest, OptionsFindTheArrowsAndButtons)
{
    struct Case {
        LayoutRect box;
        int button, arrow;
    };
    const Case cases[] = {
        {optionsArrowRect(0, -1), 1, -1}, {optionsArrowRect(0, 1), 1, 1},  {optionsArrowRect(5, 1), 6, 1},
        {optionsArrowRect(7, -1), 10, -1}, {optionsArrowRect(8, 1), 11, 1}, {optionsBackRect(), 8, 0},
        {optionsSaveRect(), 9, 0},
    };
    for (const Case& c : cases) {
        pointAt(c.box);
        UpdateOptions(10.0f);
        EXPECT_EQ(hoveredButton, c.button) << c.button;
        EXPECT_EQ(hoveredArrow, c.arrow) << c.button;
    }
    // Between a row's arrows nothing is hovered.
    mouseX = static_cast<int>(0.64f * 1680.0f);
    mouseY = static_cast<int>(optionsRowY(3)) - 5;
    UpdateOptions(10.0f);
    EXPECT_EQ(hoveredButton, 0);
    EXPECT_EQ(hoveredArrow, 0);
    // The arrows of row 0 stand one row step above 0.4 H; Save's box half a text height below
    // the baseline it is drawn on.
    EXPECT_FLOAT_EQ(optionsRowY(0), 0.4f * 1050.0f - 2.0f * 0.8f * 27.0f);
    EXPECT_NEAR(optionsSaveRect().bottom, std::trunc(optionsRowY(9) + 0.4f * 27.0f), 1.0f);
}

TEST_F(PagesTest, OptionsStepWrapAndClamp)
{
    struct Case {
        int button, arrow;
        std::function<void()> before;
        std::function<bool()> after;
        const char* what;
    };
    const Case cases[] = {
        {1, 1, [] { displayModeIndex = 2; }, [] { return displayModeIndex == 0; }, "resolution wraps right"},
        {1, -1, [] { displayModeIndex = 0; }, [] { return displayModeIndex == 2; }, "resolution wraps left"},
        {1, 1, [] { displayModeIndex = -1; }, [] { return displayModeIndex == 0; }, "unlisted size, right: first"},
        {1, -1, [] { displayModeIndex = -1; }, [] { return displayModeIndex == 2; }, "unlisted size, left: last"},
        {1, 1, [] { displayModes.clear(); displayModeIndex = -1; }, [] { return displayModeIndex == -1; },
         "no modes: nothing"},
        {2, -1, [] { fullscreen = 1; }, [] { return fullscreen == 0; }, "fullscreen toggles"},
        {4, 1, [] { vSync = 0; }, [] { return vSync == 1; }, "vsync toggles"},
        {3, 1, [] { visualQuality = 4; }, [] { return visualQuality == 4; }, "quality stops at Ultra"},
        {3, -1, [] { visualQuality = 1; }, [] { return visualQuality == 1; }, "quality stops at Low"},
        {3, -1, [] { visualQuality = 3; }, [] { return visualQuality == 2; }, "quality steps"},
        {5, 1, [] { resetTutorialsPending = 0; }, [] { return resetTutorialsPending == 1; }, "reset toggles"},
        {6, 1, [] { musicVol = 10; }, [] { return musicVol == 10.0f; }, "music stays at 10"},
        {6, -1, [] { musicVol = 0; }, [] { return musicVol == 0.0f; }, "music stays at 0"},
        {7, 1, [] { soundVol = 4; }, [] { return soundVol == 5.0f; }, "sound steps"},
        {10, 1, [] { mouseFlip = 2; }, [] { return mouseFlip == 0; }, "mouse wraps right"},
        {10, -1, [] { mouseFlip = 0; }, [] { return mouseFlip == 2; }, "mouse wraps left"},
        {11, 1, [] { colorblind = 1; }, [] { return colorblind == 0; }, "colour-blind toggles"},
    };
    for (const Case& c : cases) {
        SetUp();
        c.before();
        displaySettingsChanged = false;
        int samples = callsOf("PlaySoundA", [&] { EXPECT_EQ(click(gs::Options, c.button, c.arrow), gs::Options) << c.what; });
        EXPECT_TRUE(c.after()) << c.what;
        EXPECT_EQ(displaySettingsChanged, c.button <= 4) << c.what;
        EXPECT_EQ(hoveredButton, c.button) << c.what;   // the page keeps its hover
        // Only the sound row plays its sample.
        EXPECT_EQ(samples, c.button == 7 ? 1 : 0) << c.what;
    }
}

TEST_F(PagesTest, OptionsSaveAndBack)
{
    // Rows 1-4 are locked from the paused game and mark nothing.
    optionsFromGame = true;
    fullscreen = 1;
    visualQuality = 2;
    for (int button = 1; button <= 4; ++button)
        click(gs::Options, button, 1);
    EXPECT_EQ(displayModeIndex, 2);
    EXPECT_EQ(fullscreen, 1);
    EXPECT_EQ(visualQuality, 2);
    EXPECT_FALSE(displaySettingsChanged);
    EXPECT_EQ(click(gs::Options, optionsSaveButton), gs::OptionsToGame);

    // Volumes alone: Save goes back to the menu and stores them.
    SetUp();
    musicVol = 3;
    saveConfig();
    click(gs::Options, 6, 1);
    lastGroupSize = 7;
    EXPECT_EQ(click(gs::Options, optionsSaveButton), gs::OptionsToMenu);
    EXPECT_EQ(lastGroupSize, 0);
    musicVol = 0;
    loadConfig();
    EXPECT_FLOAT_EQ(musicVol, 4.0f);

    // Back restores the stored settings, and a touched window setting still restarts later.
    click(gs::Options, 2, 1);
    click(gs::Options, 6, 1);
    resetTutorialsPending = 1;
    EXPECT_EQ(click(gs::Options, optionsBackButton), gs::OptionsToMenu);
    EXPECT_FLOAT_EQ(musicVol, 4.0f);
    EXPECT_EQ(resetTutorialsPending, 0);
    EXPECT_TRUE(displaySettingsChanged);
    EXPECT_EQ(click(gs::Options, optionsSaveButton), gs::OptionsToRestart);

    // A pending reset clears the seen pages on Save and stays chosen.
    SetUp();
    tuteControl = tuteCombo = 1;
    click(gs::Options, 5, 1);
    click(gs::Options, optionsSaveButton);
    EXPECT_EQ(tuteControl + tuteCombo, 0);
    EXPECT_EQ(resetTutorialsPending, 1);
}

// The restart page runs until the quit message is taken: one new copy and one logout in all.
TEST_F(PagesTest, RestartStartsOneCopyAndLogsOutOnce)
{
    exePath = "/opt/tessarine/Tessarine";
    gameState = gs::Restart;
    for (int frame = 0; frame < 3; ++frame)
        UpdateRestart(16.0f);
    ASSERT_EQ(startedPrograms.size(), 1u);
    EXPECT_EQ(startedPrograms[0], exePath);
    EXPECT_EQ(quitLogoutsSent, 1);
    EXPECT_EQ(platformPendingMessages(), 1);   // one quit message
    EXPECT_FALSE(programRunning);
    click(gs::Restart, 1);                     // its button logs out through the same path
    EXPECT_EQ(quitLogoutsSent, 1);
}

// The whole way from the menu into a Survival game through the real frame update, clicking at
// the buttons' centres: play starts paused on the Survival tutorial.
TEST_F(PagesTest, WalkFromTheMenuIntoSurvival)
{
    for (int i = 1; i <= 10; ++i) {
        TextureRecord backdrop;
        backdrop.name = "background" + std::to_string(i) + ".tga";
        textures.push_back(backdrop);
    }
    gameState = gs::Menu;
    fadeLevel = fadeDuration;
    frameTime = 16.0f;
    auto runUntil = [](int state) {
        for (int frame = 0; frame < 200 && gameState != state; ++frame)
            Update(16.0f);
        return gameState;
    };
    pointAt(menuButtonRect(-3));
    Update(16.0f);
    ASSERT_EQ(hoveredButton, 1);
    handleLeftButtonDown();
    ASSERT_EQ(runUntil(gs::GameType), gs::GameType);
    pointAt(menuButtonRect(-1));
    Update(16.0f);
    ASSERT_EQ(hoveredButton, 2);
    handleLeftButtonDown();
    ASSERT_EQ(gameState, gs::GameTypeToGame);
    ASSERT_EQ(runUntil(gs::Game), gs::Game);
    Update(16.0f);
    EXPECT_EQ(gameMode, gm::Survival);
    EXPECT_TRUE(paused);
    EXPECT_TRUE(tutorialOpen && tutorialShown[tutorialSurvival]);
    EXPECT_EQ(tuteSurvival, 1);
}

} // namespace
