// The menu pages: the backdrop, the page scheme's bars against the updates' hit boxes, the news
// window, options, the score and end-of-game pages, credits, restart and congratulations; every
// page's buttons swept over their drawn words.
#include "screens_fixture.h"
#include "../layout_boxes.h"

#include <climits>
#include <cmath>

#include "engine/camera.h"
#include "engine/main.h"
#include "game/achievements_page.h"
#include "game/credits.h"
#include "game/game_setup.h"
#include "game/levels.h"
#include "game/main_menu.h"
#include "game/options.h"
#include "game/score.h"
#include "game/score_screen.h"
#include "game/scoring.h"
#include "online/create_account.h"
#include "online/login.h"
#include "online/rankings.h"
#include "online/replies.h"
#include "screens/achievement_tile.h"
#include "screens/create_account_page.h"
#include "screens/credits_pages.h"
#include "screens/game_choice_pages.h"
#include "screens/main_menu_page.h"
#include "screens/menu_base.h"
#include "screens/online_menu_pages.h"
#include "screens/login_page.h"
#include "screens/options_page.h"
#include "screens/pause_popup.h"
#include "screens/ranking_page.h"
#include "screens/score_pages.h"

namespace {

class MenuPagesTest : public ScreensTest {
protected:
    // The settings the options test steps, put back afterwards.
    int settings[6] = {fullscreen, visualQuality, vSync, resetTutorialsPending, mouseFlip, colorblind};
    float volumes[2] = {musicVol, soundVol};

    void SetUp() override
    {
        ScreensTest::SetUp();
        musicLoopsStarted = true;   // the menu's update would start its loops
        gameVersion = "Version 1.2";
        username = loggedInName = "Quill";
        hasNews = levelNumber = bestCombo = 0;
        newsText.clear();
        newsLines.clear();
        optionsFromGame = false;
        scoreScreenSlide = gameTime = 0.0f;
        setScore(0);
        skillPointsBefore = skillPointsAfter = newRank = previousRank = -1;
    }
    void TearDown() override
    {
        musicLoopsStarted = false;
        gameVersion.clear();
        username.clear();
        loggedInName.clear();
        hasNews = 0;
        newsText.clear();
        newsLines.clear();
        displayModes.clear();
        displayModeIndex = -1;
        fullscreen = settings[0], visualQuality = settings[1], vSync = settings[2];
        resetTutorialsPending = settings[3], mouseFlip = settings[4], colorblind = settings[5];
        musicVol = volumes[0], soundVol = volumes[1];
        ScreensTest::TearDown();
    }
    // The page's texts in drawing order.
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const DrawCall& c : of(DrawOp::PrintShadowed))
            out.push_back(c.text);
        return out;
    }
    DrawCall text(const std::string& t) const
    {
        const std::vector<DrawCall> found = of(DrawOp::PrintShadowed, t);
        EXPECT_EQ(found.size(), 1u) << t;
        return found.empty() ? DrawCall() : found[0];
    }
    std::vector<DrawCall> bars() const { return of(DrawOp::Quad, "menuonoff.tga"); }
    // The news window's lines, drawn at their scale 0.475.
    std::vector<DrawCall> newsShown() const
    {
        std::vector<DrawCall> out;
        for (const DrawCall& c : of(DrawOp::PrintShadowed))
            if (c.scale == 0.475f)
                out.push_back(c);
        return out;
    }
    void render(void (*page)())
    {
        calls.clear();
        page();
    }
};

void expectBox(const DrawCall& quad, const LayoutRect& box)
{
    EXPECT_FLOAT_EQ(quad.x, (box.left + box.right) / 2.0f);
    EXPECT_FLOAT_EQ(quad.y, (box.top + box.bottom) / 2.0f);
    EXPECT_FLOAT_EQ(quad.w, box.right - box.left);
    EXPECT_FLOAT_EQ(quad.h, box.bottom - box.top);
}

// The page's update, with the pointer at (x, y), finds this button.
int hoveredAt(void (*update)(float), float x, float y)
{
    mouseX = static_cast<int>(x);
    mouseY = static_cast<int>(y);
    update(10.0f);
    return hoveredButton;
}

// Points on the drawn letters of a label: its top, middle and bottom rows at its two ends and
// its middle, one pixel in from the box the font gives it.
std::vector<std::pair<float, float>> pointsOn(const LayoutRect& letters)
{
    std::vector<std::pair<float, float>> points;
    for (float y : {letters.top + 1.0f, (letters.top + letters.bottom) / 2.0f, letters.bottom - 1.0f})
        for (float x : {letters.left + 1.0f, (letters.left + letters.right) / 2.0f, letters.right - 1.0f})
            points.push_back({x, y});
    return points;
}

// The drawn letters of a text: the font's box, and below the baseline the tails of g, j, p, q
// and y, which the game's face (set at 96 dpi) draws 0.3 of the font's height down.
LayoutRect drawnLetters(const DrawCall& text)
{
    LayoutRect letters = textBox(text.text, text.x, text.y, text.anchor, text.scale, *text.font);
    if (text.text.find_first_of("gjpqy") != std::string::npos)
        letters.bottom += 0.3f * text.font->height * text.scale;
    return letters;
}

} // namespace

TEST_F(MenuPagesTest, BackdropCornersFollowTheWidthAndTheOnlineState)
{
    for (const bool offline : {true, false}) {
        offlineMode = offline ? 99 : 0;
        render(renderMenuBase);
        const DrawCall status = text(offline ? "Offline Mode" : "Logged in as: Quill");
        EXPECT_FLOAT_EQ(status.x, 1680.0f - 16.8f);
        EXPECT_FLOAT_EQ(status.y, 16.8f);
        EXPECT_EQ(texts().size(), 2u);
        const DrawCall version = text("Version 1.2");
        EXPECT_FLOAT_EQ(version.x, 16.8f);
    }
    // A name being typed, or one that failed to log in or to register, is not the player's.
    username = "Newcomer";
    render(renderMenuBase);
    text("Logged in as: Quill");
    EXPECT_FLOAT_EQ(of(DrawOp::Quad, "titlegrid.tga")[0].h, 542.0f);
    const DrawCall logo = of(DrawOp::Quad, "tessarinelogo.tga")[0];
    EXPECT_NEAR(logo.w, 610.9f, 0.1f);
    EXPECT_NEAR(logo.h, 89.9f, 0.1f);
    // Wider than 16:9 the logo keeps the size it has on a 16:9 window of that height.
    screenWidth = 2400, screenHeight = 600;
    render(renderMenuBase);
    EXPECT_NEAR(of(DrawOp::Quad, "tessarinelogo.tga")[0].w, 600.0f * 16.0f / 9.0f / 2.75f, 0.1f);
    screenWidth = 1680, screenHeight = 1050;

    gameVersion.clear();
    render(renderMenuBase);
    EXPECT_EQ(texts().size(), 1u);
    // The intro: the maker's title under the fade, no backdrop.
    fadeLevel = 0.0f;
    render(renderIntro);
    EXPECT_TRUE(has(DrawOp::Quad, "voderivozudid.tga"));
    EXPECT_FALSE(has(DrawOp::Quad, "titlegrid.tga"));
    EXPECT_EQ(calls.back().op, DrawOp::ColourQuad);
}

// Each column page draws the hovered button's bar where its update finds it, with the
// description on the bottom line; a number of no button of the page draws neither.
TEST_F(MenuPagesTest, ColumnPagesLightTheBoxTheirUpdateHitTests)
{
    const struct {
        void (*draw)();
        void (*update)(float);
        const ColumnPage& page;
    } pages[] = {
        {renderMenu, UpdateMenu, mainMenuPage},
        {renderGametype, UpdateGametype, gameTypePage},
        {renderDifficulty, UpdateDifficulty, difficultyPage},
        {renderClassicModeSelect, UpdateClassicModeSelect, rankedChoicePage},
        {renderLevelSelect, UpdateLevelSelect, levelSelectBackPage},
    };
    for (const auto& p : pages) {
        for (int i = 0; i < p.page.count; ++i) {
            const ColumnButton& button = p.page.buttons[i];
            SCOPED_TRACE(button.label);
            hoveredButton = button.button;
            render(p.draw);
            ASSERT_EQ(bars().size(), 1u);
            const DrawCall bar = bars()[0];
            expectBox(bar, menuButtonRect(button.row));
            const DrawCall description = text(button.description);
            EXPECT_FLOAT_EQ(description.y, 1050.0f - 42.0f);
            EXPECT_FLOAT_EQ(description.scale, 0.5f);
            EXPECT_FLOAT_EQ(text(button.label).y, 525.0f + 54.0f * button.row);

            EXPECT_EQ(hoveredAt(p.update, bar.x, bar.y), button.button);
            EXPECT_NE(hoveredAt(p.update, std::floor(bar.x - bar.w / 2.0f), bar.y), button.button);
            EXPECT_NE(hoveredAt(p.update, bar.x, std::ceil(bar.y + bar.h / 2.0f)), button.button);
        }
        for (int none : {0, 5, 99}) {
            if (findColumnButton(p.page, none))
                continue;
            hoveredButton = none;
            render(p.draw);
            EXPECT_TRUE(bars().empty());
            for (const DrawCall& c : of(DrawOp::PrintShadowed))
                EXPECT_NE(c.y, 1050.0f - 42.0f) << c.text;
        }
        if (p.page.heading) {
            EXPECT_FLOAT_EQ(text(p.page.heading).y, 525.0f - 7.0f * 27.0f);
        }
    }
    // Rows without a button stay empty: "Back" is one row below "Rush", two below "Expert".
    EXPECT_FLOAT_EQ(findColumnButton(gameTypePage, 6)->row, 3.0f);
    EXPECT_FLOAT_EQ(findColumnButton(difficultyPage, 7)->row, 2.0f);
}

TEST_F(MenuPagesTest, LevelSelectColumnsStandATenthOfTheHeightFromTheMiddle)
{
    screenWidth = 1280;
    screenHeight = 1024;
    for (int level : {1, 6, 10}) {
        hoveredButton = firstLevelButton - 1 + level;
        render(renderLevelSelect);
        ASSERT_EQ(bars().size(), 1u);
        const DrawCall bar = bars()[0];
        EXPECT_FLOAT_EQ(bar.x, 640.0f + (level <= 5 ? -102.4f : 102.4f));
        EXPECT_FLOAT_EQ(bar.w, 4.0f / 3.0f * 1024.0f / 1680.0f * 200.0f);   // 5:4: a 4:3 window's bar
        EXPECT_FLOAT_EQ(text("Level " + std::to_string(level)).x, bar.x);
        EXPECT_EQ(texts().size(), 14u);   // heading, ten levels, Back, the two corners: no description
        EXPECT_EQ(hoveredAt(UpdateLevelSelect, bar.x, bar.y), firstLevelButton - 1 + level);
    }
}

TEST_F(MenuPagesTest, MainMenuIconsAndNews)
{
    // An icon: its description, no bar; the update finds it on the drawn icon.
    hoveredButton = 9;
    render(renderMenu);
    EXPECT_TRUE(bars().empty());
    EXPECT_FLOAT_EQ(text("Follow us on Facebook!").y, 1008.0f);
    const DrawCall icon = of(DrawOp::Quad, "social-facebook.tga")[0];
    EXPECT_EQ(hoveredAt(UpdateMenu, icon.x, icon.y), 9);
    EXPECT_FLOAT_EQ(of(DrawOp::Quad, "social-tsg.tga")[0].w, 43.0f);
    EXPECT_FALSE(has(DrawOp::Quad, "newswindow.tga"));

    // Announced but not come: the window and its spinner, no title.
    hasNews = 1;
    hoveredButton = 0;
    render(renderMenu);
    EXPECT_TRUE(has(DrawOp::Quad, "newswindow.tga"));
    EXPECT_TRUE(has(DrawOp::Quad, "loadingbar.tga"));
    EXPECT_FALSE(has(DrawOp::PrintShadowed, "News"));

    // The reply's "\r\n" line ends: wrapped once, blank lines a three-quarter step, the lines past
    // the window's lower margin left out.
    newsText = "Big news\r\n\r\nSecond paragraph\r\n";
    for (int i = 1; i <= 40; ++i)
        newsText += "line" + std::to_string(i) + "\r\n";
    render(renderMenu);
    EXPECT_FALSE(has(DrawOp::Quad, "loadingbar.tga"));
    ASSERT_GE(newsLines.size(), 43u);
    EXPECT_EQ(newsLines[0], "Big news");
    EXPECT_EQ(newsLines[1], "");
    for (const std::string& line : newsLines)
        EXPECT_EQ(line.find('\r'), std::string::npos);
    const float step = 1.75f * 0.475f * 27.0f;
    const float first = text("Big news").y;
    EXPECT_FLOAT_EQ(first, 525.0f - 0.15f * 1050.0f * 531.0f / 331.0f + 23.1f + 2.0f * 0.7f * 27.0f);
    EXPECT_FLOAT_EQ(text("Second paragraph").y, first + 1.75f * step);
    EXPECT_FLOAT_EQ(text("line1").y, first + 2.75f * step);
    const float windowBottom = 525.0f + 0.15f * 1050.0f * 531.0f / 331.0f - 23.1f;
    const std::vector<DrawCall> shown = newsShown();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().text, "line" + std::to_string(shown.size() - 3));
    EXPECT_LE(shown.back().y, windowBottom);
    EXPECT_GT(shown.back().y + step, windowBottom);   // the next line would pass it

    // Another login's news replaces it whole.
    newsText = "Something else";
    render(renderMenu);
    EXPECT_TRUE(has(DrawOp::PrintShadowed, "Something else"));
    EXPECT_FALSE(has(DrawOp::PrintShadowed, "Big news"));
    EXPECT_EQ(wrapNews("a\r\nb"), (std::vector<std::string>{"a", "b"}));
    // News the reply handler let through, in long lines: every line is drawn, so only so many are kept.
    std::string paragraphs;
    while (paragraphs.size() + 100 < maxNewsBytes)
        paragraphs += std::string(95, 'w').replace(10, 1, " ").replace(50, 1, " ") + "\r\n";
    EXPECT_EQ(wrapNews(paragraphs).size(), maxNewsLines);

    // A word wider than the window, of any bytes, is broken inside it.
    newsLines.clear();
    newsText.clear();
    for (int i = 0; i < 2000; ++i)
        newsText += static_cast<char>(i % 256 == ' ' || i % 256 == '\n' || i % 256 == 0 ? 'x' : i % 256);
    render(renderMenu);
    const float windowRight = 10.5f + 315.0f - 23.1f;
    ASSERT_GT(newsShown().size(), 5u);
    for (const DrawCall& line : newsShown()) {
        EXPECT_LE(line.x + 2.0f * freetype::getWidth(&mediumFont, line.text) * line.scale, windowRight);
        EXPECT_LE(line.y, windowBottom);
    }
}

TEST_F(MenuPagesTest, OptionsValuesDimmingAndHighlights)
{
    displayModes = {Vector2(1280.0f, 720.0f), Vector2(1920.5f, 1080.0f)};
    displayModeIndex = 1;
    fullscreen = 1;
    visualQuality = 3;
    vSync = 0;
    resetTutorialsPending = 1;
    musicVol = 10.0f;
    soundVol = 0.0f;
    mouseFlip = 2;
    colorblind = 1;
    const char* const values[9] = {"1920.5x1080", "Fullscreen", "High", "Off", "Reset", "10", "0", "Single", "On"};
    for (int row = 0; row < 9; ++row)
        EXPECT_EQ(optionsValueText(row), values[row]) << row;
    mouseFlip = 7;
    visualQuality = 5;
    EXPECT_EQ(optionsValueText(7) + optionsValueText(2), "Normal");
    // No mode to show: the window's own size, and nothing is read outside the list.
    for (int index : {-1, 2}) {
        displayModeIndex = index;
        EXPECT_EQ(optionsValueText(0), "1680x1050");
    }
    displayModes.clear();
    displayModeIndex = 0;
    EXPECT_EQ(optionsValueText(0), "1680x1050");

    // From a paused game the four window rows are dimmed, arrows included.
    optionsFromGame = true;
    hoveredButton = 6;   // an arrow: no highlight anywhere
    render(renderOptions);
    EXPECT_TRUE(bars().empty());
    for (const DrawCall& c : of(DrawOp::PrintShadowed)) {
        const int row = static_cast<int>(std::lround((c.y - 420.0f) / (1.6f * 27.0f))) + 1;
        const bool dimmed = c.font == &mediumFont && row >= 0 && row <= 3;
        EXPECT_FLOAT_EQ(c.alpha, dimmed ? 128.0f : 255.0f) << c.text;
    }

    // Back's highlight sits right of the word's start by its unscaled half width; Save's on the
    // value column; both on the middle of the text line.
    const float y = 420.0f + 8.0f * 1.6f * 27.0f - 0.8f * 27.0f / 2.0f;
    for (const auto& [button, x] : {std::pair<int, float>{8, 504.0f + 32.0f}, {9, 1075.2f}}) {
        hoveredButton = button;
        render(renderOptions);
        ASSERT_EQ(bars().size(), 1u);
        EXPECT_FLOAT_EQ(bars()[0].x, x);
        EXPECT_FLOAT_EQ(bars()[0].y, y);
        EXPECT_FLOAT_EQ(bars()[0].w, 4.0f * 0.03f * 1680.0f);
    }
}

// A click on the top, middle or bottom row of the drawn "Back" or "Save", at either end or in the
// middle, leaves the page through its own hover and click.
TEST_F(MenuPagesTest, OptionsBackAndSaveLeaveFromAnyPointOfTheirWords)
{
    const struct {
        int w, h;
        const char* word;
    } cases[] = {{1280, 720, "Back"}, {1280, 720, "Save"}, {1024, 768, "Back"}, {1024, 768, "Save"}};
    for (const auto& c : cases) {
        ASSERT_NO_FATAL_FAILURE(useWindow(c.w, c.h));
        render(renderOptions);
        const DrawCall word = text(c.word);
        for (const auto& [x, y] : pointsOn(textBox(c.word, word.x, word.y, word.anchor, word.scale, *word.font))) {
            // Back reloads the stored settings, the window's size among them.
            screenWidth = c.w, screenHeight = c.h;
            gameState = gs::Options;
            displaySettingsChanged = false;
            resetTutorialsPending = 0;
            mouseX = static_cast<int>(x), mouseY = static_cast<int>(y);
            UpdateOptions(10.0f);
            handleLeftButtonDown();
            EXPECT_EQ(gameState, gs::OptionsToMenu) << c.w << "x" << c.h << " " << c.word << " at " << mouseX << ","
                                                    << mouseY;
        }
    }
}

// Every page's buttons swept at window shapes from 9:16 to 32:9, with the game's own fonts: the
// page's update finds each button on every point of its drawn label, and not a text line above or
// below it.
TEST_F(MenuPagesTest, EveryButtonAnswersOnItsDrawnWord)
{
    struct Button {
        std::string label;
        int number;
    };
    const auto column = [](const ColumnPage& page) {
        std::vector<Button> buttons;
        for (int i = 0; i < page.count; ++i)
            buttons.push_back({page.buttons[i].label, page.buttons[i].button});
        return buttons;
    };
    std::vector<Button> levels = column(levelSelectBackPage);
    for (int n = 1; n <= 10; ++n)
        levels.push_back({"Level " + std::to_string(n), firstLevelButton + n - 1});
    const struct {
        int state, popup;
        bool paused, resetPrompt, serverWait, continued;
        void (*draw)();
        void (*update)(float);
        std::vector<Button> buttons;
    } pages[] = {
        {gs::Menu, 1, false, false, false, false, renderMenu, UpdateMenu, column(mainMenuPage)},
        {gs::GameType, 1, false, false, false, false, renderGametype, UpdateGametype, column(gameTypePage)},
        {gs::Difficulty, 1, false, false, false, false, renderDifficulty, UpdateDifficulty, column(difficultyPage)},
        {gs::RankedChoice, 1, false, false, false, false, renderClassicModeSelect, UpdateClassicModeSelect,
         column(rankedChoicePage)},
        {gs::LevelSelect, 1, false, false, false, false, renderLevelSelect, UpdateLevelSelect, levels},
        {gs::Options, 1, false, false, false, false, renderOptions, UpdateOptions,
         {{"Back", optionsBackButton}, {"Save", optionsSaveButton}}},
        {gs::Score, 1, false, false, false, false, renderScoreScreen, UpdateScoreScreen,
         {{"Retry", 1}, {"Continue", 2}, {"Quit", 3}}},
        {gs::Achievements, 1, false, false, false, false, renderAchieves, UpdateAchieves, {{"Back", 7}}},
        {gs::Ranking, 1, false, false, false, false, renderRanking, UpdateRanking,
         {{"Back", 5}, {"Find Me", 6}, {"<", 1}, {">", 1}}},
        {gs::Login, 1, false, false, false, false, renderLogin, UpdateLogin,
         {{"Create a New Profile", 1}, {"Account Retrieval", 2}}},
        {gs::Login, 11, false, false, false, false, renderLogin, UpdateLogin,
         {{"Play in Offline Mode", 1}, {"Retry Connection", 2}}},
        {gs::Login, 14, false, false, false, false, renderLogin, UpdateLogin, {{"Back", 1}}},
        {gs::NewProfile, 20, false, false, false, false, renderCreateAcc, [](float) { UpdateCreateAcc(); },
         {{"Use an Existing Profile", 1}}},
        {gs::NewProfile, 4, false, false, false, false, renderCreateAcc, [](float) { UpdateCreateAcc(); },
         {{"Back", 1}}},
        {gs::Game, 1, true, false, false, false, renderPause, updatePausePopup,
         {{"Resume", 1}, {"Restart", 2}, {"Options", 3}, {"Quit", 4}}},
        {gs::Game, 1, true, true, false, false, renderPause, updatePausePopup, {{"Yes", 1}, {"No", 2}}},
        {gs::Game, 1, true, false, true, false, renderPause, updatePausePopup, {{"Continue in offline mode", 1}}},
        {gs::Game, 1, true, false, true, true, renderPause, updatePausePopup, {{"Back", 1}, {"Continue", 2}}},
    };
    const std::pair<int, int> windows[] = {{1080, 1920}, {768, 1024},  {1024, 1024}, {1280, 1024}, {1024, 768},
                                           {1280, 720},  {1680, 1050}, {2560, 1080},  {3840, 1080}};
    // A stacked bar's height, hovering the main menu's first button.
    const auto barHeight = [this](int w, int h) {
        useWindow(w, h);
        gameState = gs::Menu;
        hoveredButton = mainMenuPage.buttons[0].button;
        render(renderMenu);
        return bars().empty() ? 0.0f : bars()[0].h;
    };
    for (const auto& [w, h] : windows) {
        // Below 4:3 the words keep their size and so do the bars: as tall as on the 4:3 window
        // of that height.
        if (3 * w < 4 * h) {
            EXPECT_FLOAT_EQ(barHeight(w, h), barHeight(4 * h / 3, h)) << w << "x" << h;
        }
        ASSERT_NO_FATAL_FAILURE(useWindow(w, h));
        const float line = mediumFont.height;
        for (const auto& page : pages) {
            gameState = page.state;
            popupId = page.popup;
            paused = page.paused, tutorialResetPrompt = page.resetPrompt;
            serverWaitPause = page.serverWait, serverWaitContinued = page.continued;
            hoveredButton = 0;
            render(page.draw);
            for (const Button& button : page.buttons) {
                SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " state " + std::to_string(page.state) +
                             " popup " + std::to_string(page.popup) + " " + button.label);
                const LayoutRect letters = drawnLetters(text(button.label));
                for (const auto& [x, y] : pointsOn(letters))
                    EXPECT_EQ(hoveredAt(page.update, x, y), button.number) << "at " << x << "," << y;
                const float middle = (letters.left + letters.right) / 2.0f;
                EXPECT_NE(hoveredAt(page.update, middle, letters.top - line), button.number);
                EXPECT_NE(hoveredAt(page.update, middle, letters.bottom + line), button.number);
            }
        }
    }
    paused = tutorialResetPrompt = serverWaitPause = serverWaitContinued = false;
}

// On a 4:3 window the long values ("1024x768", "Fullscreen") keep half a text height from both
// arrows, and stepping a value leaves the arrows where they were; 16:10 keeps 0.06 W.
TEST_F(MenuPagesTest, OptionsArrowsClearTheValues)
{
    displayModes = {Vector2(800.0f, 600.0f), Vector2(1024.0f, 768.0f)};
    displayModeIndex = 1;
    fullscreen = 1;
    EXPECT_FLOAT_EQ(optionsValueX() - optionsArrowX(-1, optionsWidestValue()), 0.06f * 1680.0f);
    screenWidth = 1024, screenHeight = 768;
    plainFont(mediumFont, 20.0f, 12.8f);
    const float gap = 0.5f * optionsTextScale * 20.0f;
    render(renderOptions);
    const std::vector<DrawCall> left = of(DrawOp::PrintShadowed, "<"), right = of(DrawOp::PrintShadowed, ">");
    ASSERT_EQ(left.size(), 9u);
    for (int row = 0; row < 9; ++row) {
        const ScreenRect value = freetype::bbox(optionsValueText(row).c_str(), optionsValueX(), left[row].y,
                                                &mediumFont, 0, optionsTextScale);
        const ScreenRect l = freetype::bbox("<", left[row].x, left[row].y, &mediumFont, 0, optionsTextScale);
        const ScreenRect r = freetype::bbox(">", right[row].x, right[row].y, &mediumFont, 0, optionsTextScale);
        EXPECT_GE(value.left - l.right, gap - 1) << row;
        EXPECT_GE(r.left - value.right, gap - 1) << row;
    }
    for (const int mode : {0, 1}) {
        displayModeIndex = mode;
        fullscreen = mode;
        EXPECT_FLOAT_EQ(optionsArrowX(-1, optionsWidestValue()), left[0].x);
    }
}

TEST_F(MenuPagesTest, ScoreScreenRowsAndButtons)
{
    const float xR = 840.0f + 252.0f;
    offlineMode = 0;
    gameMode = gm::Normal;
    levelNumber = 4;
    setScore(-1234567);
    bestCombo = INT_MIN;
    gameTime = 125400.0f;
    render(renderScoreScreen);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Logged in as: Quill", "Version 1.2", "Level: 5", "Score: ", "1,234,567",
                                                 "Highest Combo:", "x2147483648", "Time:", "2:05", "Skillpoints", "Loading...",
                                                 "Normal Rank:", "Loading...", "Retry", "Continue", "Quit"}));

    // The signed columns, read right to left from xR.
    const struct {
        int before, after, rank, previous;
        std::vector<std::string> skill, rankTexts;
    } rows[] = {
        {100, 250, 42, 45, {"Skillpoints Earned:", "150", " +"}, {"Normal Rank:", "3", " +", "#42"}},
        {250, 100, 42, 41, {"Skillpoints Lost:", "150", " -"}, {"Normal Rank:", "1", " -", "#42"}},
        {7, 7, 7, -1, {"Skillpoints:", "No Change"}, {"Normal Rank:", "#7"}},
        {7, 7, 7, 7, {"Skillpoints:", "No Change"}, {"Normal Rank:", "#7"}},
        {INT_MIN, INT_MAX, INT_MAX, 1, {"Skillpoints Earned:", "4,294,967,295", " +"},
         {"Normal Rank:", "2147483646", " -", "#2147483647"}},
    };
    for (const auto& row : rows) {
        skillPointsBefore = row.before, skillPointsAfter = row.after, newRank = row.rank, previousRank = row.previous;
        render(renderScoreScreen);
        std::vector<std::string> all = texts();
        const std::vector<std::string> middle(all.begin() + 9, all.end() - 3);
        std::vector<std::string> expected = row.skill;
        expected.insert(expected.end(), row.rankTexts.begin(), row.rankTexts.end());
        EXPECT_EQ(middle, expected);
        // Each right-column text ends where the one right of it starts (the longest row's sized
        // down to clear its label).
        float end = xR;
        for (std::size_t i = row.skill.size() + 1; i < expected.size(); ++i) {
            const DrawCall c = of(DrawOp::PrintShadowed, expected[i]).back();
            EXPECT_FLOAT_EQ(c.x, end) << expected[i];
            end -= 16.0f * static_cast<float>(expected[i].size()) * c.scale;
        }
    }
    EXPECT_FLOAT_EQ(text(" -").g, 0.0f);

    // Offline without a reply, in level-select play, in Rush with "Continue" hovered.
    offlineMode = 99;
    skillPointsAfter = newRank = -1;
    render(renderScoreScreen);
    EXPECT_EQ(of(DrawOp::PrintShadowed, "Offline").size(), 2u);
    levelSelectPlay = true;
    render(renderScoreScreen);
    EXPECT_FALSE(has(DrawOp::PrintShadowed, "Offline") || has(DrawOp::PrintShadowed, "Normal Rank:"));
    levelSelectPlay = false;
    for (int mode : {gm::Rush, gm::Survival, gm::Meditation}) {
        gameMode = mode;
        hoveredButton = 2;
        render(renderScoreScreen);
        EXPECT_FALSE(has(DrawOp::PrintShadowed, "Continue"));
        EXPECT_TRUE(bars().empty());
    }
    EXPECT_EQ(text("Meditation").y, 525.0f - 7.0f * 27.0f);

    // The highlights are the update's boxes.
    gameMode = gm::Normal;
    for (int button = 1; button <= 3; ++button) {
        hoveredButton = button;
        render(renderScoreScreen);
        ASSERT_EQ(bars().size(), 1u);
        expectBox(bars()[0], scorePageButtonRect(button));
        EXPECT_EQ(hoveredAt(UpdateScoreScreen, bars()[0].x, bars()[0].y), button);
    }
    EXPECT_FLOAT_EQ(bars()[0].x, xR - 32.0f);
}

TEST_F(MenuPagesTest, EndgameGradesRowsAndLabels)
{
    const std::pair<long long, const char*> grades[] = {
        {799, "Fair"}, {800, "Good"}, {1199, "Good"}, {1200, "Great"}, {1400, "Excellent"}, {1600, "Epic"}};
    for (const auto& [score, name] : grades)
        EXPECT_STREQ(endgameGrade(score, 1000, 200).name, name) << score;
    // Sums and differences past what 32 bits hold.
    EXPECT_STREQ(endgameGrade(INT_MAX, INT_MAX, INT_MAX).name, "Good");
    EXPECT_STREQ(endgameGrade(0, INT_MIN, INT_MAX).name, "Great");

    setScore(1500);
    performanceMean = 1000;
    performanceSpread = -1;
    newRank = 9;
    previousRank = 12;
    const std::pair<int, const char*> labels[] = {{gm::Casual, ""},          {gm::Normal, "Novice Rank:"},
                                                  {gm::Rush, "Sabotage Rank:"}, {gm::Survival, "Survival Rank:"},
                                                  {gm::Meditation, ""}};
    for (const auto& [mode, label] : labels) {
        gameMode = mode;
        render(renderEndgame);
        EXPECT_FALSE(has(DrawOp::PrintShadowed, "Performance: "));
        std::string atRankRow = "(none)";
        for (const DrawCall& c : of(DrawOp::PrintShadowed))
            if (c.y == 525.0f + 6.0f * 27.0f && c.x == 840.0f - 252.0f)
                atRankRow = c.text;
        EXPECT_EQ(atRankRow, label);
        EXPECT_TRUE(has(DrawOp::PrintShadowed, mode == gm::Survival ? "Survival" : "Level: 1"));
    }
    performanceSpread = 200;
    newRank = 0;
    render(renderEndgame);
    EXPECT_EQ(text("Excellent").b, 223.0f);
    EXPECT_FALSE(has(DrawOp::PrintShadowed, "#0"));
}

// On 4:3 and 5:4 windows, where the text (which follows the height) is wide for the width, each
// row's label ends at least a text height short of its value; 16:10 and 16:9 keep their columns.
TEST_F(MenuPagesTest, ScoreLabelsClearTheirValuesOnNarrowWindows)
{
    offlineMode = 0;
    gameMode = gm::Normal;
    setScore(1234567);
    skillPointsBefore = 1200, skillPointsAfter = 1315;
    previousRank = 45, newRank = 42;
    performanceMean = 1000000, performanceSpread = 100000;   // "Excellent"
    const struct {
        int w, h;
        float column;   // the columns' distance from the middle
    } windows[] = {{1024, 768, 0.24f * 768.0f}, {1280, 1024, 0.24f * 1024.0f}, {1680, 1050, 252.0f},
                   {1280, 720, 192.0f},         {1920, 1080, 288.0f}};
    for (const auto& win : windows) {
        ASSERT_NO_FATAL_FAILURE(useWindow(win.w, win.h));
        const float u = mediumFont.height;
        for (void (*page)() : {renderScoreScreen, renderEndgame}) {
            render(page);
            EXPECT_FLOAT_EQ(text("Time:").x, static_cast<float>(win.w / 2) - win.column) << win.w;
            for (const DrawCall& label : of(DrawOp::PrintShadowed)) {
                if (label.anchor != 5 || label.font != &mediumFont)
                    continue;
                const float end = label.x + 2.0f * freetype::getWidth(&mediumFont, label.text);
                for (const DrawCall& value : of(DrawOp::PrintShadowed))
                    if (value.anchor == 6 && value.y == label.y) {
                        const float start = value.x - 2.0f * freetype::getWidth(&mediumFont, value.text) * value.scale;
                        EXPECT_GE(start - end, u) << win.w << "x" << win.h << " " << label.text << value.text;
                    }
            }
        }
    }
}

TEST_F(MenuPagesTest, CreditsRestartAndTheOnlinePages)
{
    render(renderCredits);
    EXPECT_FALSE(has(DrawOp::Quad, "titlegrid.tga"));
    const DrawCall logo = of(DrawOp::Quad, "tessarinelogo.tga")[0];
    EXPECT_FLOAT_EQ(logo.y, 126.0f);
    const float edge = 126.0f + logo.h / 2.0f;
    EXPECT_FLOAT_EQ(text("Developed by Quorvane").y, edge + 1.25f * 27.0f);
    EXPECT_FLOAT_EQ(text("Family, Friends & Caffeine").y, edge + 23.0f * 1.25f * 27.0f);
    EXPECT_EQ(texts().size(), static_cast<std::size_t>(creditLineCount));

    // "Restart?" clears the notice by a line and a half, on wide, square and tall windows.
    for (const auto& [w, h] : {std::pair<int, int>{1920, 1080}, {1280, 1024}, {720, 1280}, {300, 1200}}) {
        ASSERT_NO_FATAL_FAILURE(useWindow(w, h));
        render(renderRestart);
        const float gap = text("Restart?").y - text("Please restart the game to update your settings.").y;
        EXPECT_GE(gap, 1.5f * mediumFont.height) << w << "x" << h;
        EXPECT_LT(gap, 1.5f * mediumFont.height + restartRowUnit()) << w << "x" << h;
    }

    // The online menu's first bar shows only with a name to log in as.
    hoveredButton = 1;
    for (const bool named : {false, true}) {
        username = named ? "Quill" : "";
        render(renderMultimenu);
        EXPECT_EQ(bars().size(), named ? 1u : 0u);
    }
    render(renderMultilobby);
    EXPECT_EQ(texts().size(), 5u);
}

TEST_F(MenuPagesTest, CongratulationsCubesTakeTheirColoursTextureOrWaitForIt)
{
    const Camera saved = camera;
    loadTexture("yellow.tga");
    loadTexture("blueCB.tga");
    loadTexture("");   // were the empty name asked for, this record would answer and draw
    gratsParticles.assign(5, GratsParticle());
    const int colours[5] = {0, 2, 2, 3, 9};   // yellow, blue twice (once loaded), red (loading), none
    for (int i = 0; i < 5; ++i)
        gratsParticles[static_cast<std::size_t>(i)].colourIndex = colours[i];
    colorblind = 1;
    EXPECT_EQ(gratsCubeTexture(0), "yellowCB.tga");
    EXPECT_EQ(gratsCubeTexture(-99), "yellowCB.tga");
    EXPECT_EQ(gratsCubeTexture(9), "");
    colorblind = 0;
    render(renderGrats);
    std::vector<std::string> chunks;
    for (const DrawCall& c : of(DrawOp::Chunk))
        if (c.text != "motionblur")   // the page's blur pass, not a cube
            chunks.push_back(c.text);
    EXPECT_EQ(chunks, (std::vector<std::string>{"yellow.tga"}));
    colorblind = 1;
    render(renderGrats);
    chunks.clear();
    for (const DrawCall& c : of(DrawOp::Chunk))
        if (c.text != "motionblur")   // the page's blur pass, not a cube
            chunks.push_back(c.text);
    EXPECT_EQ(chunks, (std::vector<std::string>{"blueCB.tga", "blueCB.tga"}));
    EXPECT_EQ(of(DrawOp::Mesh).size(), 2u);
    for (const TextureRecord& queued : textureQueue)
        EXPECT_FALSE(queued.name.empty());
    EXPECT_TRUE(has(DrawOp::Quad, "gratz.tga"));
    EXPECT_FLOAT_EQ(text("Click to Continue").y, 1008.0f);
    colorblind = 0;
    gratsParticles.clear();
    camera = saved;
}
