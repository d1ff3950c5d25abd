// Every text of every page inside the window and clear of the others, measured with the game's
// own fonts at window shapes from square to 32:9: the menu pages in each of their panels and
// modes, the play screen's overlay in each game type with its popups, tutorials and panels.
#include "screens_fixture.h"
#include "../layout_boxes.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <tuple>

#include "engine/main.h"
#include "game/achieve_carousel.h"
#include "game/game_setup.h"
#include "game/levels.h"
#include "game/main_menu.h"
#include "game/options.h"
#include "game/score.h"
#include "game/scoring.h"
#include "online/create_account.h"
#include "online/login.h"
#include "online/query.h"
#include "online/rankings.h"
#include "online/replies.h"
#include "screens/achievement_tile.h"
#include "screens/create_account_page.h"
#include "screens/credits_pages.h"
#include "screens/game_choice_pages.h"
#include "screens/hud.h"
#include "screens/login_page.h"
#include "screens/main_menu_page.h"
#include "screens/online_menu_pages.h"
#include "screens/options_page.h"
#include "screens/patching_page.h"
#include "screens/pause_popup.h"
#include "screens/ranking_page.h"
#include "screens/score_pages.h"

namespace {

// What the scenes below change, put back after the test.
auto pageState()
{
    return std::tie(gameVersion, loggedInName, hasNews, newsText, newsLines, email, retypedPassword,
                    connectingDotsTimer, optionsFromGame, levelNumber, bestCombo, gameTime, skillPointsBefore,
                    skillPointsAfter, newRank, previousRank, rankingList, rankingScroll, rankingAtEnd, findingPlayer,
                    userId, achievementPage, comboLevel, comboPulse, countdownPulse, displayedScore,
                    blocksLanded, menuSpinAngle);
}

template <class... T>
std::tuple<T...> copyOf(const std::tuple<T&...>& references)
{
    return references;
}

struct Scene {
    std::string name;
    void (*draw)();
    std::function<void()> stage;
    bool tall = false;   // also swept on windows taller than wide
};

void playFrame()
{
    renderHUD();
    if (paused)
        renderPause();
}

// A page's state on top of the frame at rest: online, nothing hovered, no news, no search.
void page(int state, int popup = 1, int hovered = 0)
{
    gameState = state;
    popupId = popup;
    hoveredButton = hovered;
    offlineMode = 0;
    hasNews = 0;
    optionsFromGame = findingPlayer = false;
}

// Sixty rows of the mode, the player's own among them, two of the longest names the service takes.
void rankingRows(int mode, bool loaded)
{
    page(gs::Ranking);
    gameMode = mode;
    rankingList.clear();
    for (int i = 0; i < (loaded ? 60 : 0); ++i) {
        const std::string name = i == 44 ? std::string(32, 'W') : i == 48 ? "ExtraordinarilyLongPlayerName_32"
                                                                          : "player" + std::to_string(i + 1);
        rankingList.push_back(std::to_string(mode) + "," + name + "," + std::to_string(i + 1) + "," +
                              std::to_string(2400000 - i * 38211) + "," + std::to_string(100 + i) + ",12");
    }
    userId = "146";
    rankingScroll = loaded ? 42 : 0;
    rankingAtEnd = loaded;
}

// A busy frame of play in the mode: the longest title, a pulsing combo, a seven-digit score.
void play(int mode)
{
    page(gs::Game);
    gameMode = mode;
    levelNumber = 9;
    comboLevel = 13;
    comboPulse = countdownPulse = 1.4f;
    displayedScore = 1234567;
    personalBest = 1234567;
    blocksLanded = 0;
    gameTime = 3599000.0f;
}

void scoreValues(int mode, bool online)
{
    gameMode = mode;
    levelNumber = 9;
    setScore(1234567);
    bestCombo = 123;
    gameTime = 3599000.0f;
    offlineMode = online ? 0 : 99;
    skillPointsBefore = online ? 1200 : -1;
    skillPointsAfter = online ? 13545 : -1;
    newRank = online ? 42 : -1;
    previousRank = online ? 1045 : -1;
    performanceMean = 1000000;
    performanceSpread = 100000;
}

std::vector<Scene> scenes()
{
    std::vector<Scene> out = {
        {"menu offline", renderMenu, [] { page(gs::Menu), offlineMode = 99; }},
        {"menu news", renderMenu,
         [] {
             page(gs::Menu);
             hasNews = 1;
             newsText = "Weekly tournament: the rankings reset on Sunday.\r\n\r\nRanked games count double.";
         }},
        {"level select", renderLevelSelect, [] { page(gs::LevelSelect, 1, firstLevelButton + 9); }},
        {"options", renderOptions, [] { page(gs::Options, 1, optionsSaveButton); }, true},
        {"options from a game", renderOptions, [] { page(gs::Options), optionsFromGame = true; }, true},
        {"credits", renderCredits, [] { page(gs::Credits); }},
        {"restart", renderRestart, [] { page(gs::Restart); }},
        {"congratulations", renderGrats, [] { page(gs::Grats); }},
        {"patching", renderPatching, [] { page(gs::Patching); }},
        {"online menu", renderMultimenu, [] { page(gs::Multiplayer, 1, 1); }},
        {"lobby", renderMultilobby, [] { page(gs::Lobby); }},
        {"score page offline", renderScoreScreen, [] { page(gs::Score), scoreValues(gm::Normal, false); }},
        {"end of game", renderEndgame, [] { page(gs::Endgame), scoreValues(gm::Expert, true); }},
        {"level complete", playFrame,
         [] {
             play(gm::Normal);
             fusionPulseNotice = 1;
             levelCompleteTimer = 6200.0f;
             offlineMode = 99;
             cheeveToasts = {4, 9, 16};
             cheeveToastShown = {true, true, true};
         }},
        {"level complete, submitting", playFrame,
         [] {
             play(gm::Normal);
             fusionPulseNotice = 1;
             levelCompleteTimer = 1500.0f;
         }},
        {"achievement notices", playFrame,
         [] {
             play(gm::Normal);
             cheeveToasts = {2, 5, 9, 16, 18, 27};
             cheeveToastShown.assign(6, true);
             cheeveToastTimer = 3200.0f;
         }},
    };
    const std::pair<const char*, const ColumnPage*> columns[] = {
        {"main menu", &mainMenuPage}, {"game mode", &gameTypePage}, {"difficulty", &difficultyPage},
        {"play mode", &rankedChoicePage}};
    void (*const columnDraws[])() = {renderMenu, renderGametype, renderDifficulty, renderClassicModeSelect};
    for (int c = 0; c < 4; ++c)
        for (int i = 0; i < columns[c].second->count; ++i) {
            const int button = columns[c].second->buttons[i].button;
            out.push_back({std::string(columns[c].first) + " " + columns[c].second->buttons[i].label, columnDraws[c],
                           [button] { page(gs::Menu, 1, button); }});
        }
    for (int icon = 0; icon < 3; ++icon)
        out.push_back({"main menu icon " + std::to_string(icon), renderMenu,
                       [icon] { page(gs::Menu, 1, firstSocialButton + icon); }});
    for (int popup : {1, 2, 12, 11, 14})
        for (int offline : {0, 99})
            out.push_back({"login panel " + std::to_string(popup) + (offline ? " offline" : ""), renderLogin,
                           [popup, offline] {
                               page(gs::Login, popup);
                               offlineMode = offline;
                               connectingDotsTimer = 3500.0f;
                           }});
    for (int popup : {20, 1, 2, 3, 7, 10, 11, 5, 4})
        out.push_back({"new profile panel " + std::to_string(popup), renderCreateAcc,
                       [popup] { page(gs::NewProfile, popup); }});
    for (int mode = gm::Overall; mode <= gm::Meditation; ++mode) {
        const std::string name = std::string("ranking ") + rankingModeName(mode);
        out.push_back({name, renderRanking, [mode] { rankingRows(mode, true); }});
        out.push_back({name + " loading", renderRanking, [mode] { rankingRows(mode, false); }});
        out.push_back({name + " finding", renderRanking, [mode] { rankingRows(mode, false), findingPlayer = true; }});
        out.push_back({name + " offline", renderRanking, [mode] { rankingRows(mode, false), offlineMode = 99; }});
        out.push_back({std::string("score page ") + rankingModeName(mode), renderScoreScreen,
                       [mode] { page(gs::Score, 1, 2), scoreValues(mode, true); }});
    }
    for (int column : {1, 5, 9})
        out.push_back({"achievements " + std::to_string(column), renderAchieves, [column] {
                           page(gs::Achievements, 1, 7);
                           resetAchievementCarousel();
                           while (achievementPage < column) {
                               stepAchievementCarousel(1);
                               moveAchievementCarousel(100000.0f);
                           }
                       }});
    for (int mode : {gm::Normal, gm::Rush, gm::Survival, gm::Meditation}) {
        const std::string name = std::string("play ") + rankingModeName(mode);
        out.push_back({name, playFrame, [mode] { play(mode), fusionPulseNotice = 1; }});
        for (PauseForm form : {PauseForm::Menu, PauseForm::ResetPrompt, PauseForm::Waiting, PauseForm::ReplyArrived,
                               PauseForm::OfflineConfirm})
            out.push_back({name + " paused " + std::to_string(static_cast<int>(form)), playFrame, [mode, form] {
                               play(mode);
                               paused = true;
                               tutorialResetPrompt = form == PauseForm::ResetPrompt;
                               serverWaitPause = form == PauseForm::Waiting || form == PauseForm::ReplyArrived ||
                                                 form == PauseForm::OfflineConfirm;
                               continueReady = form == PauseForm::ReplyArrived;
                               serverWaitContinued = form == PauseForm::OfflineConfirm;
                               connectingDotsTimer = 3500.0f;
                           }});
        for (int card = tutorialPowerup; card <= tutorialMeditation; ++card)
            out.push_back({name + " tutorial " + std::to_string(card), playFrame, [mode, card] {
                               play(mode);
                               fusionPulseNotice = 1;
                               paused = tutorialOpen = true;
                               tutorialShown[card] = true;
                               if (card == tutorialCombo)
                                   tutorialShown[tutorialComboNow] = true;
                           }});
    }
    return out;
}

class TextFitTest : public ScreensTest {
protected:
    decltype(copyOf(pageState())) saved = copyOf(pageState());
    CarouselSlot carousel[10] = {};
    int score = getScore();

    void SetUp() override
    {
        ScreensTest::SetUp();
        std::copy(std::begin(achieveCarousel), std::end(achieveCarousel), std::begin(carousel));
    }
    void TearDown() override
    {
        pageState() = saved;
        std::copy(std::begin(carousel), std::end(carousel), std::begin(achieveCarousel));
        setScore(score);
        ScreensTest::TearDown();
    }
};

// A text as it stands on the screen: its box as the game measures it.
struct Placed {
    std::string text;
    LayoutRect box;
    float blank;   // the width of a blank in its font and scale
};

// The texts of the recorded frame that show: shadows (drawn black under a text) and blank or
// transparent texts left out.
std::vector<Placed> shownTexts(const std::vector<DrawCall>& calls)
{
    std::vector<Placed> out;
    for (const DrawCall& c : calls) {
        const bool text = c.op == DrawOp::Print || c.op == DrawOp::PrintShadowed;
        const bool shadow = c.op == DrawOp::Print && c.r == 0.0f && c.g == 0.0f && c.b == 0.0f;
        if (!text || shadow || c.alpha <= 0.0f || c.text.find_first_not_of(' ') == std::string::npos)
            continue;
        out.push_back({c.text, textBox(c.text, c.x, c.y, c.anchor, c.scale, *c.font),
                       2.0f * freetype::getWidth(c.font, " ") * c.scale});
    }
    return out;
}

bool isArrow(const std::string& text) { return text == "<" || text == ">"; }

std::string describe(const Placed& p)
{
    return "\"" + p.text + "\" [" + std::to_string(static_cast<int>(p.box.left)) + "," +
           std::to_string(static_cast<int>(p.box.top)) + " - " + std::to_string(static_cast<int>(p.box.right)) + "," +
           std::to_string(static_cast<int>(p.box.bottom)) + "]";
}

} // namespace

// At every window shape, every text a page draws lies inside the window, no two texts overlap,
// and a step arrow keeps a blank's width from every other text on its line; the options page on
// windows taller than wide too.
TEST_F(TextFitTest, EveryTextOfEveryPageFitsTheWindowAndStandsApart)
{
    const std::pair<int, int> windows[] = {{1080, 1920}, {768, 1024},  {1024, 1024}, {1280, 1024}, {1024, 768},
                                           {1280, 720},  {1680, 1050}, {1920, 1080}, {2560, 1080}, {3840, 1080}};
    gameVersion = "Version 1.2.3";
    username = loggedInName = "ExtraordinarilyLongPlayerName_32";
    email = "someone.with.a.long.address@example.org";
    playerPassword = retypedPassword = "secret12";
    displayModes = {Vector2(1024.0f, 768.0f), Vector2(3840.0f, 1080.0f)};
    displayModeIndex = 1;
    for (const auto& [w, h] : windows) {
        ASSERT_NO_FATAL_FAILURE(useWindow(w, h));
        const std::string shape = std::to_string(w) + "x" + std::to_string(h) + " ";
        for (const Scene& scene : scenes()) {
            if (w < h && !scene.tall)
                continue;
            putFrameAtRest();
            scene.stage();
            calls.clear();
            scene.draw();
            const std::vector<Placed> texts = shownTexts(calls);
            EXPECT_FALSE(texts.empty()) << shape << scene.name;
            for (std::size_t i = 0; i < texts.size(); ++i) {
                const Placed& a = texts[i];
                EXPECT_TRUE(a.box.left >= 0.0f && a.box.top >= 0.0f && a.box.right <= static_cast<float>(w) &&
                            a.box.bottom <= static_cast<float>(h))
                    << shape << scene.name << ": " << describe(a) << " leaves the window";
                for (std::size_t j = i + 1; j < texts.size(); ++j) {
                    const Placed& b = texts[j];
                    EXPECT_FALSE(overlap(a.box, b.box)) << shape << scene.name << ": " << describe(a) << " over "
                                                        << describe(b);
                    if (!isArrow(a.text) && !isArrow(b.text))
                        continue;
                    // An arrow stands a word apart: a blank's width either side (a pixel less for
                    // the boxes' whole pixels).
                    const Placed& arrow = isArrow(a.text) ? a : b;
                    const Placed& other = isArrow(a.text) ? b : a;
                    LayoutRect room = arrow.box;
                    room.left -= arrow.blank - 1.0f;
                    room.right += arrow.blank - 1.0f;
                    EXPECT_FALSE(overlap(room, other.box))
                        << shape << scene.name << ": " << describe(other) << " too close to " << describe(arrow);
                }
            }
        }
    }
}

// A sentence too long for the window keeps its font, its size and its words, set on two lines of
// about equal length under the first; where it fits it stays the one line it always was.
TEST_F(TextFitTest, ALongSentenceWrapsInItsOwnFontWhereItWouldNotFit)
{
    const std::string sentence = "Online Ranking, Skillpoints and Achievements are unavailable in Offline Mode.";
    const struct {
        int w, h;
        std::size_t lines;
    } windows[] = {{1920, 1080, 1}, {2560, 1080, 1}, {1024, 768, 2}, {1024, 1024, 2}, {1280, 1024, 2}};
    for (const auto& win : windows) {
        ASSERT_NO_FATAL_FAILURE(useWindow(win.w, win.h));
        page(gs::Login, 11);
        offlineMode = 99;
        calls.clear();
        renderLogin();
        std::vector<DrawCall> lines;
        for (const DrawCall& c : of(DrawOp::PrintShadowed))
            if (c.y >= menuRowY(1.0f) && c.y < menuRowY(2.0f))
                lines.push_back(c);
        ASSERT_EQ(lines.size(), win.lines) << win.w << "x" << win.h;
        std::string words;
        float longest = 0.0f, shortest = 1e9f;
        for (const DrawCall& line : lines) {
            words += (words.empty() ? "" : " ") + line.text;
            EXPECT_EQ(line.font, &mediumFont);
            EXPECT_EQ(line.scale, 1.0f);
            EXPECT_EQ(line.x, static_cast<float>(win.w / 2));
            const float width = 2.0f * freetype::getWidth(&mediumFont, line.text);
            longest = std::max(longest, width), shortest = std::min(shortest, width);
        }
        EXPECT_EQ(words, sentence);
        EXPECT_EQ(lines[0].y, menuRowY(1.0f));
        EXPECT_LT(longest, 1.5f * shortest) << win.w << "x" << win.h;
    }
}
