// The ending panel and its grade, the report queries and the server wait, tutorial pages and the
// pause popup, Survival stages, achievements and effects of play, and the score page.
#include "rules_fixture.h"

#include <climits>
#include <locale>

#include "game/page_buttons.h"
#include "game/play.h"
#include "game/score_screen.h"
#include "platform/settings_store.h"

namespace {
// A decimal comma: a report written through the player's locale would break its "&time=".
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};
} // namespace

class LevelEndTest : public RulesTest {
protected:
    TestScreen screen;
};

TEST_F(LevelEndTest, PerformanceGradeBands)
{
    const int rows[][4] = {
        {7999, 10000, 2000, 3}, {8000, 10000, 2000, 4},  {11999, 10000, 2000, 4},
        {12000, 10000, 2000, 5}, {14000, 10000, 2000, 6}, {16000, 10000, 2000, 7},
        {16000, 10000, 0, 4},    {16000, -1, 2000, 4},
        {INT_MAX, INT_MAX - 10, INT_MAX / 2, 4},   // band edges beyond the int range
    };
    for (const auto& r : rows)
        EXPECT_EQ(performanceGradeFor(r[0], r[1], r[2]), r[3]) << r[0] << " " << r[1] << " " << r[2];
    EXPECT_STREQ(performanceGradeName(3), "Fair");
    EXPECT_STREQ(performanceGradeName(7), "Epic");
}

// With no Draw at all the panel grades, holds the mass at 0 and moves on after 5000 ms.
TEST_F(LevelEndTest, PanelMovesOnAfterFiveSecondsToItsState)
{
    const struct {
        int mode, level;
        bool levelSelect, offline, announcement;
        int state;
    } rows[] = {
        {gm::Casual, 9, false, true, false, gs::GameToGrats},
        {gm::Casual, 9, true, false, false, gs::GameOver},   // level select: no reply to wait for
        {gm::Rush, 9, false, true, false, gs::GameOver},
        {gm::Survival, 1, false, true, false, gs::GameOver},
        {gm::Normal, 2, false, true, true, gs::Game},        // an announcement waits for a click
    };
    for (const auto& r : rows) {
        resetRules(r.mode);
        levelNumber = r.level;
        levelSelectPlay = r.levelSelect;
        offlineMode = r.offline ? 99 : 0;
        levelEnding = explosionFinished = r.mode == gm::Survival;
        if (r.announcement)
            cheeveToasts = {3};
        float t = 0.0f;
        bool massHeld = true;
        for (; gameState == gs::Game && t < 8000.0f; t += 100.0f) {
            UpdateGame(100.0f);
            massHeld = massHeld && massLevel == 0.0f;
        }
        EXPECT_EQ(gameState, r.state) << r.mode << " " << r.level;
        EXPECT_TRUE(massHeld && performanceGrade == 4) << r.mode;
        if (r.state != gs::Game) {
            EXPECT_FLOAT_EQ(t, 5100.0f) << r.mode;   // the first frame past 5000 ms
        } else {
            leftButtonDown = true;
            UpdateGame(100.0f);
            EXPECT_EQ(gameState, gs::GameOver);
            EXPECT_FALSE(leftButtonDown);
        }
        EXPECT_FALSE(levelEnding);   // Survival's explosion is reset as the game ends
    }
}

TEST_F(LevelEndTest, ReportQueriesAreGolden)
{
    gameMode = gm::Normal;
    levelNumber = 3;
    setScore(12345);
    gameTime = 61234.5f;
    apmTime = 30.0f;
    actionCount = 45.0f;
    mouseFlip = 1;
    dropCount = 17;
    viewRotateCount = 4;
    for (int k = 0; k < 3; ++k) {
        powerupReadyCounts[k] = 3 - k;
        powerupUseCounts[k] = 2 - k;
    }
    killCount = 52;
    finalPerformanceGrade = 5;
    sessionHash = "20240102030405ab";
    userId = "77";
    username = "a&b=c %";
    playerPassword = "pw";
    const std::locale saved = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
    const std::string highscore = highscoreQuery(), death = deathQuery(), score = scoreQuery();
    std::locale::global(saved);
    mouseFlip = 0;

    const std::string counters = "&apm=90&controls=1&drops=17&rotates=4&pup1earned=3&pup2earned=2&pup3earned=1"
                                 "&pup1used=2&pup2used=1&pup3used=0&kills=52";
    const std::string tail = "&sessionhash=20240102030405ab&userid=77&passwordHash="
                             "30c952fab122c3f9759f02a6d95c3758b246b4fee239957b2d4fee46e26170c4";
    EXPECT_EQ(highscore, "highscore.php?gamemode=2&level=4&username=a%26b%3Dc%20%25&userid=77");
    EXPECT_EQ(death, "death.php?gamemode=2&level=4&score=12345&time=61.2345" + counters + tail);
    EXPECT_EQ(score, "score.php?gamemode=2&level=4&score=12345&time=61234" + counters + "&performance=5" + tail);

    const struct {
        float actions, seconds;
        int apm;
    } apm[] = {{5.0f, 0.0f, 0}, {5.0f, -2.0f, 0}, {1e9f, 1e-6f, INT_MAX}};
    for (const auto& a : apm) {
        actionCount = a.actions;
        apmTime = a.seconds;
        EXPECT_EQ(actionsPerMinute(), a.apm) << a.seconds;
    }
}

TEST_F(LevelEndTest, ServerWaitMends)
{
    // Two online level-select games send no score report, so no wait grows at their panels, not
    // even at the second one's, held up 12 s by an announcement.
    resetRules(gm::Casual);
    offlineMode = 0;
    levelSelectPlay = true;
    for (int game = 0; game < 2; ++game) {
        gameState = gs::Game;
        levelCompleteTimer = 0.0f;
        cheeveToasts.assign(game, 3);
        for (int i = 0; i < 60 + 60 * game; ++i) {
            UpdateGame(100.0f);
            highscoreReplyReceived = true;
        }
    }
    EXPECT_FALSE(serverWaitPause);
    EXPECT_EQ(queuedKinds(), std::vector<int>{rk::Highscore});

    // Transport failures every frame: the request goes out again each time and its wait goes on.
    resetRules(gm::Normal);
    offlineMode = 0;
    putBlock(0, 0, 0, 0, 1);
    int frames = 0;
    for (; !serverWaitPause && frames < 200; ++frames) {
        UpdateGame(100.0f);
        highscoreRequestSent = highscoreReplyReceived = false;
    }
    EXPECT_EQ(frames, 101);
    EXPECT_EQ(queuedRequests.size(), 101u);

    // A late "fail" is an answer: it ends the wait and offers "Resume".
    highscoreRequestSent = highscoreReplyReceived = true;
    UpdateGame(100.0f);
    EXPECT_TRUE(continueReady && requestWaitTimes[0] == 0.0f);
    pressAt(serverWaitButtonRect());
    UpdateGame(100.0f);
    EXPECT_FALSE(paused || serverWaitPause || continueReady);

    // Going offline from the popup ends all three waits; "Back" first returns to the wait.
    requestWaitTimes[1] = 3000.0f;
    requestWaitTimes[2] = 12000.0f;
    UpdateGame(100.0f);
    const LayoutRect steps[] = {serverWaitButtonRect(), offlineConfirmButtonRect(1), serverWaitButtonRect(),
                                offlineConfirmButtonRect(2)};
    for (int i = 0; i < 4; ++i) {
        pressAt(steps[i]);
        UpdateGame(100.0f);
        EXPECT_EQ(serverWaitContinued, i % 2 == 0) << i;
    }
    EXPECT_TRUE(offlineMode == 99 && !paused && !serverWaitPause);
    for (float wait : requestWaitTimes)
        EXPECT_FLOAT_EQ(wait, 0.0f);

    // A panel starts a new report: the last reply's numbers are forgotten (so the score page
    // shows "Offline") and a wait left by an abandoned report starts again.
    resetRules(gm::Normal);
    clearBoard();
    scoreReplyFirst = scoreReplySecond = newRank = skillPointsBefore = skillPointsAfter = 7;
    requestWaitTimes[2] = 9000.0f;
    UpdateGame(16.0f);
    for (int n : {scoreReplyFirst, scoreReplySecond, newRank, skillPointsBefore, skillPointsAfter})
        EXPECT_EQ(n, -1);
    EXPECT_FLOAT_EQ(requestWaitTimes[2], 0.0f);
}

// The drawing shows an open page above everything: a click on it reaches nothing beneath.
TEST_F(LevelEndTest, AnOpenPageTakesTheClickFromThePopupBeneath)
{
    openTutorialPage(tutorialCombo);
    serverWaitPause = true;
    pressAt(pauseMenuButtonRect(4));   // "Quit", where the server wait's button also sits
    UpdateGame(500.0f);
    EXPECT_TRUE(tutorialOpen);
    UpdateGame(600.0f);
    EXPECT_FALSE(tutorialOpen || leftButtonDown || serverWaitContinued);
    EXPECT_TRUE(paused);   // the server wait still holds play
    EXPECT_EQ(gameState, gs::Game);
}

TEST_F(LevelEndTest, TutorialTriggersGuardAndReset)
{
    tuteComboNow = tuteColor = tuteCrit = tutePup = tuteCombo = 0;
    placementsSinceMatch = 5;
    cursorColour = 2;
    markerAlpha = 255.0f;
    apmTime = 2.0f;
    massLevel = 0.85f * massLimit;
    // Page 3 opens first, page 4 waits for it, page 5 takes its place; then 1 and 2 replace in turn.
    checkRemovalTutorials();
    EXPECT_EQ(std::vector<int>({tuteComboNow, tuteColor, tuteCrit}), std::vector<int>({1, 0, 1}));
    checkPowerupTutorial();
    comboLevel = lastGroupSize = 4;
    checkComboTutorial();
    for (int page = 0; page < 9; ++page)
        EXPECT_EQ(tutorialShown[page], page == tutorialCombo) << page;
    SettingsKey key;
    std::string combo;
    EXPECT_TRUE(settingsOpen(key, false) && settingsRead(key, "TuteCombo", combo) && combo == "1");
    settingsClose(key);

    // A held click closes the page only once it has been up for more than 1000 ms. A reset
    // question the page stood over goes with it: play resumes with the pages just shown.
    cursorColour = -1;
    leftButtonDown = tutorialResetPrompt = true;
    int frames = 0;
    for (; tutorialOpen && frames < 20; ++frames)
        UpdateGame(100.0f);
    EXPECT_EQ(frames, 11);
    EXPECT_FALSE(paused || tutorialResetPrompt);

    // "Yes" to the reset question re-arms every page and opens the controls page.
    tutorialResetPrompt = paused = true;
    pressAt(resetPromptButtonRect(1));
    UpdateGame(16.0f);
    EXPECT_TRUE(tutorialOpen && tutorialShown[tutorialControl]);
    for (int page = 1; page < 9; ++page)
        EXPECT_EQ(tutorialSetting(page), 0) << page;

    // Escape pauses on the frame it goes down, and not while a page, the reset question or the
    // server wait is on screen; their flags alone, with play going on, hold nothing.
    // {page open, reset question, server wait, Escape down, paused after}
    const bool escape[][5] = {{1, 0, 0, 1, 1}, {0, 0, 1, 0, 1}, {0, 0, 1, 1, 1}, {0, 0, 0, 0, 1}, {0, 0, 0, 1, 0},
                              {0, 0, 0, 1, 0}, {0, 1, 0, 0, 0}, {0, 1, 0, 1, 1}, {0, 1, 0, 0, 1}, {0, 1, 0, 1, 1},
                              {0, 0, 0, 0, 1}, {0, 0, 0, 1, 0}, {0, 0, 1, 0, 0}, {0, 0, 1, 1, 1}};
    for (const auto& e : escape) {
        tutorialOpen = e[0];
        tutorialResetPrompt = e[1];
        serverWaitPause = e[2];
        handleEscapeKey(e[3]);
        EXPECT_EQ(paused, e[4]) << (&e - escape);
    }

    // "No" with an overdue reply behind the question brings up the wait's popup, whose "Resume"
    // then leaves nothing behind to hold play.
    for (int page = 0; page < 9; ++page)
        tutorialSetting(page) = 1;   // no page opens in the frame play resumes
    tutorialOpen = false;
    tutorialResetPrompt = paused = serverWaitPause = continueReady = true;
    pressAt(resetPromptButtonRect(2));
    UpdateGame(16.0f);
    EXPECT_TRUE(paused && serverWaitPause && !tutorialResetPrompt);
    pressAt(serverWaitButtonRect());
    UpdateGame(16.0f);
    EXPECT_FALSE(paused || serverWaitPause);
}

// The bonus is the stage cubed times 1000, shown and never added; it outgrows an int.
TEST_F(LevelEndTest, SurvivalStageEnds)
{
    resetRules(gm::Survival);
    const std::pair<int, const char*> stages[] = {{2, "+8000"}, {2000, "+8000000000000"}};
    for (const auto& [stage, bonus] : stages) {
        survivalStage = stage;
        survivalCountdownElapsed = survivalCountdownLength;
        updateSurvivalCountdown(0.0f);
        ASSERT_EQ(floatys.size() % 2, 0u);
        EXPECT_EQ(floatys[floatys.size() - 2].text, bonus);
        EXPECT_TRUE(floatys[floatys.size() - 2].golden && !floatys.back().golden);
        EXPECT_EQ(floatys.back().text, "Stage " + std::to_string(stage) + " Clear!");
    }
    EXPECT_TRUE(fusionPulseActive && getScore() == 0 && powerupUseCounts[powerupFusionPulse] == 0);
}

TEST_F(LevelEndTest, AchievementsOfPlay)
{
    offlineMode = 0;
    for (int best : {-1, 400}) {   // a personal best is known only from the highscore reply
        personalBest = best;
        setScore(500);
        updatePlayAchievements(16.0f);
        EXPECT_EQ(awarded("personalgrowth"), best > 0);
    }
    // Ten seconds in the red zone without a break, within the stage that then ends.
    resetRules(gm::Survival);
    offlineMode = 0;
    for (float stretch : {9999.0f, 10000.0f}) {
        massLevel = 0.8f * massLimit;
        updatePlayAchievements(stretch);
        massLevel = 5.4f;
        updatePlayAchievements(16.0f);
        survivalCountdownElapsed = survivalCountdownLength;
        updateSurvivalCountdown(0.0f);
        EXPECT_EQ(awarded("youvegotredonyou"), stretch >= 10000.0f) << stretch;
    }
}

TEST_F(LevelEndTest, EffectsShownScoreAndHold)
{
    // The readout never passes the score, counting either way, however near the int limit.
    const int scores[][4] = {{gm::Normal, 900, 1000, 1000}, {gm::Rush, 250000, 249500, 249500},
                             {gm::Normal, INT_MAX - 5, INT_MAX, INT_MAX}};
    for (const auto& r : scores) {
        gameMode = r[0];
        displayedScore = r[1];
        setScore(r[2]);
        updatePlayEffects(100.0f, 100.0f);
        EXPECT_EQ(displayedScore, r[3]) << r[1];
    }
    // A scheme-1 right drag counts its hold, in real time under Timewarp.
    rotateDragActive = timewarpActive = true;
    mouseHoldTime = 0.0f;
    updatePlayEffects(25.0f, 100.0f);
    EXPECT_FLOAT_EQ(mouseHoldTime, 100.0f);
}

TEST_F(LevelEndTest, ScorePageContinue)
{
    // mode, level, state after Continue, the press left set
    const int rows[][4] = {{gm::Casual, 8, gs::ScoreToGame, 0}, {gm::Casual, 9, gs::ScoreToMenu, 0},
                           {gm::Rush, 4, gs::Score, 1}, {gm::Meditation, 0, gs::Score, 1}};
    for (const auto& r : rows) {
        gameMode = r[0];
        levelNumber = r[1];
        gameState = gs::Score;
        pressAt(scorePageButtonRect(2));
        UpdateScoreScreen(16.0f);
        EXPECT_EQ(gameState, r[2]) << r[0] << " " << r[1];
        EXPECT_EQ(leftButtonDown, r[3] == 1);
    }
    hoveredButton = 0;
    leftButtonDown = false;
}
