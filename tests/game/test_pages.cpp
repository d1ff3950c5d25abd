// The menu pages: their geometry, their hovered buttons and what a click on each does.
#include "board_fixture.h"
#include "../layout_boxes.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

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
#include "game/level_end.h"
#include "game/levels.h"
#include "game/powerups.h"
#include "game/scoring.h"
#include "game/main_menu.h"
#include "game/options.h"
#include "game/reports.h"
#include "game/score_screen.h"
#include "game/states.h"
#include "game/tutorials.h"
#include "online/create_account.h"
#include "online/login.h"
#include "online/rankings.h"
#include "online/requests.h"
#include "platform/messages.h"
#include "platform/settings_store.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> opened, started;
bool recordPage(const std::string& url) { return opened.push_back(url), true; }
int recordStart(const std::string& path) { return started.push_back(path), 4242; }

void pointAt(const LayoutRect& r)
{
    mouseX = static_cast<int>((r.left + r.right) / 2.0f);
    mouseY = static_cast<int>((r.top + r.bottom) / 2.0f);
}

int sections(const ProfileNode& node, const std::string& name)
{
    int n = 0;
    for (const ProfileNode& child : node.children)
        n += (child.name == name ? 1 : 0) + sections(child, name);
    return n;
}
// How many calls of an engine function (by its profiling section) the step made.
int callsOf(const std::string& name, const std::function<void()>& step)
{
    showProfiling = true;
    resetFrameProfile();
    step();
    const int n = sections(profileRoot, name);
    resetFrameProfile();
    showProfiling = false;
    return n;
}

// The play screen's overlay at the current window: every piece on the screen, no HUD piece over
// another (in a Classic game with its powerup cards, and in a mode with a readout at the bottom
// left instead), the colour tutorial clear of the cube it shows, and the pieces sized by the width
// no larger than on a 16:9 window of that height.
void expectOverlayApart(const std::string& shape)
{
    const float w = static_cast<float>(screenWidth), h = static_cast<float>(screenHeight);
    const float u = mediumFont.height;
    const auto onScreen = [&](const LayoutRect& r) {
        return r.left >= 0.0f && r.top >= 0.0f && r.right <= w && r.bottom <= h;
    };
    std::vector<std::pair<std::string, LayoutRect>> common = {
        {"title", textBox("Level 10", hudInset(), hudTopLine(), 5, 1.0f, largeFont)},
        {"best", textBox("Personal Best: 1,234,567", hudInset(), hudTopLine() + 1.4f * u, 5, 0.75f, mediumFont)},
        {"combo", textBox("13x", w - hudInset(), hudTopLine(), 6, 1.4f, largeFont)},
        {"score", textBox("1,234,567", w - hudInset(), hudBottomLine(), 6, 1.0f, largeFont)},
        {"cube", carriedCubeRect()},
    };
    auto classic = common, timed = common;
    for (int kind = 0; kind < 3; ++kind)
        classic.push_back({"card " + std::to_string(kind), powerupCardRect(kind)});
    const float cardTop = powerupCardRect(0).top;
    classic.push_back({"name", textBox("Fusion Pulse", powerupCardTextX(), cardTop + 1.5f * u, 5, 1.0f, mediumFont)});
    classic.push_back(
        {"effect", textBox("Reduces mass to zero", powerupCardTextX(), cardTop + 2.5f * u, 5, 0.75f, mediumFont)});
    timed.push_back({"readout", textBox("Blocks: 100", hudInset(), hudBottomLine(), 5, 1.4f, largeFont)});
    for (const auto* pieces : {&classic, &timed})
        for (std::size_t i = 0; i < pieces->size(); ++i) {
            EXPECT_TRUE(onScreen((*pieces)[i].second)) << shape << ": " << (*pieces)[i].first;
            for (std::size_t j = i + 1; j < pieces->size(); ++j)
                EXPECT_FALSE(overlap((*pieces)[i].second, (*pieces)[j].second))
                    << shape << ": " << (*pieces)[i].first << " and " << (*pieces)[j].first;
        }
    for (int page = 0; page < 9; ++page)
        EXPECT_TRUE(onScreen(tutorialCardRect(page))) << shape << ": tutorial " << page;
    EXPECT_FALSE(overlap(tutorialCardRect(tutorialColour), carriedCubeRect())) << shape;
    EXPECT_FALSE(overlap(tutorialCardRect(tutorialPowerup), powerupCardRect(0))) << shape;
    EXPECT_TRUE(onScreen(powerupNoticeRect())) << shape;
    const float wide = 16.0f / 9.0f * h + 0.01f;
    EXPECT_LE(pointerSide(), 0.04f * wide) << shape;
    EXPECT_LE(powerupSlotSide(), 0.05f * wide) << shape;
    EXPECT_LE(powerupNoticeRect().right - powerupNoticeRect().left, 0.6f * wide) << shape;
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
        opened.clear();
        started.clear();
        screenWidth = 1680;
        screenHeight = 1050;
        mediumFont = Font();
        mediumFont.height = 27.0f;
        mediumFont.initialised = true;
        for (float& w : mediumFont.glyphWidths)
            w = 14.0f;
        hoveredButton = hoveredArrow = 0;
        optionsFromGame = displaySettingsChanged = restartStarted = false;
        resetTutorialsPending = quitLogoutsSent = 0;
        paused = tutorialOpen = tutorialResetPrompt = levelSelectPlay = false;
        for (bool& shown : tutorialShown)
            shown = false;
        tuteControl = tuteRush = tuteSurvival = tuteMeditation = 0;
        gameMode = gm::Overall;
        levelNumber = 0;
        popupId = 1;
        offlineMode = 0;
        displayModes = {Vector2(800, 600), Vector2(1280, 720), Vector2(1680, 1050)};
        displayModeIndex = 2;
    }
    void TearDown() override
    {
        webPageOpener = savedOpener;
        programStarter = savedStarter;
        mediumFont = largeFont = Font();
        gameState = gs::Intro;
        gameMode = gm::Overall;
        paused = tutorialOpen = tutorialResetPrompt = programRunning = false;
        quitLogoutsSent = 0;
        mouseFlip = colorblind = 0;   // settings the page changed
        displayModes.clear();
        platformClearMessages();
        resetTextures();
        BoardTest::TearDown();
    }
    int click(int state, int button, int arrow = 0)
    {
        gameState = state;
        hoveredButton = button;
        hoveredArrow = arrow;
        handleLeftButtonDown();
        return gameState;
    }
};

TEST_F(PagesTest, BarsFollowTheWidthRowsTheFontAndLevelColumnsTheHeight)
{
    const LayoutRect bar = menuButtonRect(0);
    EXPECT_FLOAT_EQ(bar.right - bar.left, 525.0f);
    EXPECT_FLOAT_EQ(bar.bottom - bar.top, 54.0f);   // 55/1680 of the width, but no more than the rows' 2u
    EXPECT_FLOAT_EQ(bar.top + 27.0f, 525.0f - 27.0f / 2.75f);
    EXPECT_FLOAT_EQ(menuButtonRect(-3).top, bar.top - 6.0f * 27.0f);
    screenWidth = 1281;   // odd: the pages centre on the integer half
    screenHeight = 720;
    EXPECT_FLOAT_EQ(levelButtonRect(1).left + levelButtonRect(1).right, 2.0f * (640.0f - 72.0f));
    EXPECT_FLOAT_EQ(levelButtonRect(6).left + levelButtonRect(6).right, 2.0f * (640.0f + 72.0f));

    // An edge is no hit (1600 wide, the bar's left edge is a whole pixel).
    screenWidth = 1600;
    pointAt(menuButtonRect(-2));
    mouseX = 550;
    ASSERT_FLOAT_EQ(menuButtonRect(-2).left, 550.0f);
    UpdateMenu(10.0f);
    EXPECT_EQ(hoveredButton, 0);
    ++mouseX;
    UpdateMenu(10.0f);
    EXPECT_EQ(hoveredButton, 2);
}

// Every page of buttons, on windows from 4:3 to 32:9 and one wider: no two of its boxes overlap,
// and the pointer in the middle of a box finds that box's button; the play screen's overlay too.
TEST_F(PagesTest, BoxesStayApartAtEveryWindowShape)
{
    static const int rankingButtons[] = {2, 3, 5, 6};   // the scroll column's arrows, "Back", "Find Me"
    const struct {
        void (*update)(float);
        const ColumnPage* column;
        LayoutRect (*more)(int);   // buttons first .. first + count - 1, beside the column's
        int first, count;
        int (*number)(int) = nullptr;   // the button of more(n), when not first + n - 1
    } pages[] = {
        {UpdateMenu, &mainMenuPage, nullptr, 0, 0},
        {UpdateGametype, &gameTypePage, nullptr, 0, 0},
        {UpdateDifficulty, &difficultyPage, nullptr, 0, 0},
        {UpdateClassicModeSelect, &rankedChoicePage, nullptr, 0, 0},
        {UpdateLevelSelect, &levelSelectBackPage, levelButtonRect, firstLevelButton, 10},
        {UpdateScoreScreen, nullptr, scorePageButtonRect, 1, 3},
        {UpdateRanking, nullptr, [](int n) { return rankingButtonRect(rankingButtons[n - 1]); }, 1, 4,
         [](int n) { return rankingButtons[n - 1]; }},
        {UpdateOptions, nullptr, [](int n) { return n == 1 ? optionsBackRect(optionsLabelX(optionsWidestLabel(), optionsWidestValue())) : optionsSaveRect(); }, 1, 2,
         [](int n) { return n == 1 ? optionsBackButton : optionsSaveButton; }},
    };
    const std::pair<int, int> windows[] = {{1024, 768},  {1280, 1024}, {1680, 1050}, {1280, 720}, {1920, 1080},
                                           {2560, 1080}, {3440, 1440}, {2560, 720},  {3840, 1080}, {2400, 600}};
    leftButtonDown = false;
    scoreScreenSlide = 0.0f;
    for (const auto& [w, h] : windows) {
        screenWidth = w, screenHeight = h;
        // The font follows the height, as the game builds it.
        mediumFont.height = std::floor(static_cast<float>(h) / 1050.0f * 27.5f);
        for (float& advance : mediumFont.glyphWidths)
            advance = 0.6f * mediumFont.height;
        largeFont = mediumFont;
        largeFont.height = std::floor(static_cast<float>(h) / 1050.0f * 68.75f);
        for (float& advance : largeFont.glyphWidths)
            advance = 0.6f * largeFont.height;
        expectOverlayApart(std::to_string(w) + "x" + std::to_string(h));
        // The options page's "Back" and "Save" stay clear of the last row and its arrows.
        EXPECT_GE(optionsSaveRect().top, optionsRowY(optionsRowCount - 1)) << w << "x" << h;
        // The pause popup's buttons stay inside its window, 0.6H by 0.3H.
        const float p = 0.3f * static_cast<float>(h), cx = static_cast<float>(w / 2);
        for (const LayoutRect& box : {pauseMenuButtonRect(1), resetPromptButtonRect(1), resetPromptButtonRect(2),
                                      offlineConfirmButtonRect(1), offlineConfirmButtonRect(2), serverWaitButtonRect()})
            EXPECT_TRUE(box.left >= cx - p && box.right <= cx + p) << w << "x" << h;
        for (const auto& page : pages) {
            std::vector<std::pair<int, LayoutRect>> boxes;
            for (int i = 0; page.column && i < page.column->count; ++i)
                boxes.push_back({page.column->buttons[i].button, menuButtonRect(page.column->buttons[i].row)});
            for (int n = 1; n <= page.count; ++n)
                boxes.push_back({page.number ? page.number(n) : page.first + n - 1, page.more(n)});
            for (std::size_t i = 0; i < boxes.size(); ++i) {
                const LayoutRect& a = boxes[i].second;
                for (std::size_t j = i + 1; j < boxes.size(); ++j)
                    EXPECT_FALSE(overlap(a, boxes[j].second))
                        << w << "x" << h << ": " << boxes[i].first << " and " << boxes[j].first;
                pointAt(a);
                page.update(10.0f);
                EXPECT_EQ(hoveredButton, boxes[i].first) << w << "x" << h;
            }
        }
    }
}

TEST_F(PagesTest, EachPageFindsItsButtons)
{
    const struct {
        void (*update)(float);
        LayoutRect box;
        int button, arrow;
    } cases[] = {
        {UpdateMenu, socialIconRect(2), 10, 0},         {UpdateGametype, menuButtonRect(2), 0, 0},
        {UpdateLevelSelect, levelButtonRect(6), 16, 0}, {UpdateLevelSelect, menuButtonRect(4), 7, 0},
        {UpdateOptions, optionsArrowRect(0, -1, optionsWidestValue()), 1, -1}, {UpdateOptions, optionsArrowRect(7, 1, optionsWidestValue()), 10, 1},
        {UpdateOptions, optionsBackRect(optionsLabelX(optionsWidestLabel(), optionsWidestValue())), 8, 0},       {UpdateOptions, optionsSaveRect(), 9, 0},
    };
    for (const auto& c : cases) {
        pointAt(c.box);
        hoveredArrow = 5;
        c.update(10.0f);
        EXPECT_EQ(hoveredButton, c.button) << mouseX << "," << mouseY;
        if (c.update == UpdateOptions) {
            EXPECT_EQ(hoveredArrow, c.arrow) << c.button;
        }
    }
    mouseX = 1680 * 64 / 100;   // between a row's arrows
    mouseY = static_cast<int>(optionsRowY(3)) - 5;
    UpdateOptions(10.0f);
    EXPECT_EQ(hoveredButton + hoveredArrow, 0);
}

TEST_F(PagesTest, TheMenuStartsItsFiveLoopsOnce)
{
    musicLoopsStarted = false;
    EXPECT_EQ(callsOf("PlaySoundLoop", [] { UpdateMenu(5.0f); }), 5);
    EXPECT_EQ(callsOf("PlaySoundLoop", [] { UpdateMenu(5.0f); }), 0);
}

// Every page's buttons: the state each leads to and the step shown after.
TEST_F(PagesTest, ClicksLeadOnByPageAndStep)
{
    const struct {
        int state, popup, button, next, nextPopup;
        const char* page;   // the web page opened
    } cases[] = {
        {gs::Menu, 5, 2, gs::MenuToLogin, 1, ""},      {gs::Menu, 5, 4, gs::MenuToOptions, 5, ""},
        {gs::Menu, 5, 5, gs::MenuToCredits, 5, ""},    {gs::Menu, 5, 6, gs::MenuQuit, 5, ""},
        {gs::Menu, 5, 10, gs::Menu, 5, "contact.html"}, {gs::GameType, 1, 1, gs::GameTypeToDifficulty, 1, ""},
        {gs::GameType, 1, 6, gs::GameTypeToMenu, 1, ""}, {gs::Difficulty, 1, 7, gs::DifficultyToGameType, 1, ""},
        {gs::RankedChoice, 1, 1, gs::RankedChoiceToGame, 1, ""},
        {gs::RankedChoice, 1, 7, gs::RankedChoiceToDifficulty, 1, ""},
        {gs::LevelSelect, 1, 7, gs::LevelSelectToRankedChoice, 1, ""},
        {gs::Login, 14, 1, gs::Login, 1, ""},          {gs::Login, 11, 1, gs::LoginToMenu, 11, ""},
        {gs::Login, 1, 1, gs::LoginToNewProfile, 20, ""},
        {gs::Login, 11, 2, gs::Login, 13, ""},         {gs::Login, 2, 2, gs::Login, 2, "retrieve.html"},
        {gs::NewProfile, 4, 1, gs::NewProfile, 1, ""}, {gs::NewProfile, 6, 1, gs::NewProfileToMenu, 6, ""},
        {gs::NewProfile, 20, 1, gs::Login, 1, ""},     {gs::Credits, 1, 0, gs::CreditsToMenu, 1, ""},
        {gs::NewProfile, 11, 1, gs::NewProfile, 20, ""},   // "Error": the e-mail can be mended
    };
    for (const auto& c : cases) {
        opened.clear();
        popupId = c.popup;
        username = playerPassword = retypedPassword = "x";
        offlineMode = 99;
        EXPECT_EQ(click(c.state, c.button), c.next) << c.state << "/" << c.popup << " " << c.button;
        EXPECT_EQ(popupId, c.nextPopup) << c.state << "/" << c.popup << " " << c.button;
        EXPECT_EQ(opened, *c.page ? std::vector<std::string>{webPageUrl(c.page)} : std::vector<std::string>{});
        // A message's OK empties the fields.
        const bool cleared = c.popup == 14 || c.popup == 4 || (c.state == gs::NewProfile && c.popup == 11);
        EXPECT_EQ(username.empty() && playerPassword.empty() && retypedPassword.empty(), cleared) << c.popup;
        EXPECT_EQ(offlineMode, c.popup == 11 && c.button == 2 ? 0 : 99);   // "Retry Connection"
    }
}

// Without a profile there is nothing to log in with: "Retry Connection" starts a new one instead.
TEST_F(PagesTest, RetryConnectionWithoutAProfileGoesToTheNewProfileStart)
{
    popupId = 11;
    username.clear();
    loginRequestSent = true;   // no attempt is started
    EXPECT_EQ(click(gs::Login, 2), gs::LoginToNewProfile);
    EXPECT_TRUE(popupId == 20 && loginRequestSent);
}

TEST_F(PagesTest, StartButtonsChooseTheModeAndCheckTheTutorial)
{
    const struct {
        int state, button, seen, next, mode, tutorial;
        bool practice;
    } cases[] = {
        {gs::GameType, 2, 0, gs::GameTypeToGame, gm::Survival, tutorialSurvival, false},
        {gs::GameType, 4, 1, gs::GameTypeToGame, gm::Rush, -1, false},
        {gs::GameType, 0, 0, gs::GameType, gm::Overall, -1, false},
        {gs::Difficulty, 1, 0, gs::DifficultyToRankedChoice, gm::Casual, tutorialControl, false},
        {gs::RankedChoice, 2, 0, gs::RankedChoiceToLevelSelect, gm::Overall, -1, true},
        {gs::LevelSelect, 11, 0, gs::LevelSelectToGame, gm::Overall, tutorialControl, true},
        {gs::LevelSelect, 20, 1, gs::LevelSelectToGame, gm::Overall, -1, true},
    };
    for (const auto& c : cases) {
        SetUp();
        tuteControl = tuteRush = tuteSurvival = tuteMeditation = c.seen;
        levelSelectPlay = highscoreReplyReceived = highscoreRequestSent = true;
        powerupCharge = 120.0f;
        EXPECT_EQ(click(c.state, c.button), c.next) << c.state << " " << c.button;
        EXPECT_EQ(gameMode, c.mode);
        EXPECT_EQ(levelSelectPlay, c.practice);
        EXPECT_EQ(tutorialOpen, c.tutorial >= 0) << c.state << " " << c.button;
        if (c.tutorial >= 0) {
            EXPECT_TRUE(tutorialShown[c.tutorial] && tutorialSetting(c.tutorial) == 1);
        }
        // A level starts paused on the controls page or, once seen, on the reset question.
        EXPECT_EQ(paused, c.tutorial >= 0 || c.state == gs::LevelSelect);
        EXPECT_EQ(tutorialResetPrompt, c.state == gs::LevelSelect && c.seen == 1);
        if (c.state == gs::LevelSelect) {
            EXPECT_EQ(levelNumber, c.button - 11);
        }
        if (c.state == gs::GameType) {   // on a button or not, the next game's bookkeeping
            EXPECT_FALSE(highscoreReplyReceived || highscoreRequestSent);
            EXPECT_FLOAT_EQ(powerupCharge, 0.0f);
            EXPECT_TRUE(std::regex_match(sessionHash, std::regex("[0-9]{14}[0-9a-f]{64}"))) << sessionHash;
        }
    }
}

// The ranking opens on a fresh list, as a change of mode does, not on the last mode's rows; the
// achievements open on page 1 at rest.
TEST_F(PagesTest, RankingAndAchievementsOpenAfresh)
{
    rankingList.assign(30, "row");
    rankingOffset = rankingScroll = 12;
    rankingAtEnd = true;
    click(gs::Menu, 3);
    EXPECT_TRUE(rankingList.empty() && !rankingAtEnd);
    EXPECT_EQ(rankingOffset + rankingScroll, 0);
    achievementPage = 6;
    click(gs::Menu, 7);
    EXPECT_EQ(achievementPage, 1);
    EXPECT_FLOAT_EQ(achieveCarousel[1].x, 840.0f);
    EXPECT_FLOAT_EQ(achieveCarousel[2].scale, 0.75f);
    EXPECT_FLOAT_EQ(achieveCarousel[5].x, 840.0f + 1050.0f * 0.375f);
}

TEST_F(PagesTest, RankingModesAndTheThumbInFloat)
{
    rankingList.assign(40, "row");
    rankingScroll = 3;
    click(gs::Ranking, 1, -1);   // at the first mode it stays, and the list starts again
    EXPECT_EQ(gameMode, gm::Overall);
    EXPECT_TRUE(rankingList.empty() && leftButtonDown);
    gameMode = gm::Meditation;
    click(gs::Ranking, 1, 1);
    EXPECT_EQ(gameMode, gm::Meditation);

    // 11 rows: the thumb is 10/11 of the track (not 0); the grab is measured from its top.
    const float row = 1050.0f / 3.4f / 11.0f;
    for (int rows : {11, 1000}) {
        const RankingScrollBar bar = rankingScrollBar(rows, rows - 10);
        const float natural = 10.0f / rows * 8.0f * row;
        EXPECT_NEAR(bar.thumb.bottom - bar.thumb.top, std::max(natural, row / 2.0f), 1e-3) << rows;
        // At its minimum the thumb runs on a track shortened by what the minimum added.
        EXPECT_NEAR(bar.usableLength, 8.0f * row - std::max(0.0f, row / 2.0f - natural), 1e-3) << rows;
        rankingList.assign(rows, "row");
        rankingScroll = rows - 10;
        pointAt(bar.thumb);
        click(gs::Ranking, 4);
        EXPECT_NEAR(rankingDragOffset, mouseY - bar.trackTop - bar.thumbOffset, 1e-3) << rows;
    }
}

TEST_F(PagesTest, OptionsStepWrapAndClamp)
{
    const struct {
        int button, arrow;
        std::function<void()> before;
        std::function<bool()> after;
    } cases[] = {
        {1, 1, [] {}, [] { return displayModeIndex == 0; }},
        {1, -1, [] { displayModeIndex = -1; }, [] { return displayModeIndex == 2; }},
        {1, 1, [] { displayModes.clear(); }, [] { return displayModeIndex == 2; }},   // no modes: nothing
        {2, -1, [] { fullscreen = 1; }, [] { return fullscreen == 0; }},
        {3, 1, [] { visualQuality = 4; }, [] { return visualQuality == 4; }},
        {6, -1, [] { musicVol = 0; }, [] { return musicVol == 0.0f; }},
        {7, 1, [] { soundVol = 10; }, [] { return soundVol == 10.0f; }},
        {10, -1, [] { mouseFlip = 0; }, [] { return mouseFlip == 2; }},
    };
    for (const auto& c : cases) {
        SetUp();
        c.before();
        const int samples = callsOf("PlaySoundA", [&] { EXPECT_EQ(click(gs::Options, c.button, c.arrow), gs::Options); });
        EXPECT_TRUE(c.after()) << c.button << " " << c.arrow;
        EXPECT_EQ(displaySettingsChanged, c.button <= 4) << c.button;
        EXPECT_EQ(samples, c.button == 7 ? 1 : 0);   // the sound row plays its sample, even at 10
        EXPECT_EQ(hoveredButton, c.button);          // the page keeps its hover
    }
}

TEST_F(PagesTest, OptionsSaveAndBack)
{
    optionsFromGame = true;   // the window rows are locked from the game
    fullscreen = 1;
    for (int button = 1; button <= 4; ++button)
        click(gs::Options, button, 1);
    EXPECT_EQ(displayModeIndex + fullscreen, 2 + 1);
    EXPECT_FALSE(displaySettingsChanged);
    EXPECT_EQ(click(gs::Options, optionsSaveButton), gs::OptionsToGame);

    SetUp();
    musicVol = 3;
    tuteControl = 1;
    click(gs::Options, 6, 1);
    click(gs::Options, 5, 1);
    lastGroupSize = 7;
    EXPECT_EQ(click(gs::Options, optionsSaveButton), gs::OptionsToMenu);
    EXPECT_EQ(lastGroupSize + tuteControl, 0);
    EXPECT_EQ(resetTutorialsPending, 1);   // stays chosen
    click(gs::Options, 2, 1);               // Back undoes the change but not the restart it needs
    click(gs::Options, 6, 1);
    EXPECT_EQ(click(gs::Options, optionsBackButton), gs::OptionsToMenu);
    EXPECT_FLOAT_EQ(musicVol, 4.0f);
    EXPECT_EQ(resetTutorialsPending, 0);
    EXPECT_EQ(click(gs::Options, optionsSaveButton), gs::OptionsToRestart);

    // Save is the player's: it replaces a settings file the game could not read (a link to /dev/zero).
    const fs::path path = settingsPath();
    fs::remove(path);
    fs::create_symlink("/dev/zero", path);
    loadConfig();
    ASSERT_NE(settingsUnreadNote, "");
    click(gs::Options, optionsSaveButton);
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
}

// The restart page runs until the quit message is taken: one new copy and one logout in all.
TEST_F(PagesTest, RestartStartsOneCopyAndLogsOutOnce)
{
    exePath = "/opt/tessarine/Tessarine";
    for (int frame = 0; frame < 3; ++frame)
        UpdateRestart(16.0f);
    click(gs::Restart, 1);
    EXPECT_EQ(started, std::vector<std::string>{exePath});
    EXPECT_EQ(quitLogoutsSent, 1);
    EXPECT_EQ(platformPendingMessages(), 1);
}

// From the menu into a Survival game through the real frame update, clicking at the buttons'
// centres: play starts paused on the Survival tutorial.
TEST_F(PagesTest, WalkFromTheMenuIntoSurvival)
{
    for (int i = 1; i <= 10; ++i) {
        TextureRecord backdrop;
        backdrop.name = "background" + std::to_string(i) + ".tga";
        textures.push_back(backdrop);
    }
    gameState = gs::Menu;
    fadeLevel = fadeDuration;
    auto clickAt = [](const LayoutRect& box, int until) {
        pointAt(box);
        Update(16.0f);
        handleLeftButtonDown();
        for (int frame = 0; frame < 200 && gameState != until; ++frame)
            Update(16.0f);
        return gameState;
    };
    ASSERT_EQ(clickAt(menuButtonRect(-3), gs::GameType), gs::GameType);
    ASSERT_EQ(clickAt(menuButtonRect(-1), gs::Game), gs::Game);
    Update(16.0f);
    EXPECT_EQ(gameMode, gm::Survival);
    EXPECT_TRUE(paused && tutorialOpen && tutorialShown[tutorialSurvival]);
}

} // namespace
