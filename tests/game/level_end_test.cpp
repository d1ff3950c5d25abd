// The ending panel and its grade, the reports and the server wait, tutorial pages and the pause
// popup, Survival stages, achievements and effects of play, and the score page.
#include "rules_fixture.h"

#include <climits>
#include <cstdlib>
#include <locale>

#include "engine/camera.h"
#include "game/page_buttons.h"
#include "game/play.h"
#include "game/score_screen.h"
#include "platform/settings_store.h"

namespace {

// A locale with a decimal comma: a report written through it would break its "&time=" field.
struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
};

const char* const pwHash = "30c952fab122c3f9759f02a6d95c3758b246b4fee239957b2d4fee46e26170c4";

} // namespace

// Pages opened here save the settings: into a folder of the test's own.
class LevelEndTest : public RulesTest {
protected:
    TestScreen screen;
    std::string folder, oldHome;
    bool hadHome = false;

    void SetUp() override
    {
        RulesTest::SetUp();
        char pattern[] = "/tmp/ts_level_end_XXXXXX";
        folder = mkdtemp(pattern);
        if (const char* old = getenv("XDG_CONFIG_HOME")) {
            hadHome = true;
            oldHome = old;
        }
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    void TearDown() override
    {
        if (hadHome)
            setenv("XDG_CONFIG_HOME", oldHome.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        (void)std::system(("rm -rf '" + folder + "'").c_str());
        RulesTest::TearDown();
    }
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
    const char* names[] = {"Fair", "Good", "Great", "Excellent", "Epic"};
    for (int grade = 3; grade <= 7; ++grade)
        EXPECT_STREQ(performanceGradeName(grade), names[grade - 3]);
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
        while (gameState == gs::Game && t < 8000.0f) {
            UpdateGame(100.0f);
            t += 100.0f;
            massHeld = massHeld && massLevel == 0.0f;
        }
        EXPECT_EQ(gameState, r.state) << r.mode << " " << r.level;
        EXPECT_TRUE(massHeld) << r.mode;
        EXPECT_EQ(performanceGrade, 4);
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
    const std::string tail = std::string("&sessionhash=20240102030405ab&userid=77&passwordHash=") + pwHash;
    EXPECT_EQ(highscore, "highscore.php?gamemode=2&level=4&username=a%26b%3Dc%20%25&userid=77");
    EXPECT_EQ(death, "death.php?gamemode=2&level=4&score=12345&time=61.2345" + counters + tail);
    EXPECT_EQ(score, "score.php?gamemode=2&level=4&score=12345&time=61234" + counters + "&performance=5" + tail);

    const struct {
        float actions, seconds;
        int apm;
    } apm[] = {{45.0f, 30.0f, 90}, {5.0f, 0.0f, 0}, {5.0f, -2.0f, 0}, {1e9f, 1e-6f, INT_MAX}};
    for (const auto& a : apm) {
        actionCount = a.actions;
        apmTime = a.seconds;
        EXPECT_EQ(actionsPerMinute(), a.apm) << a.seconds;
    }
}

TEST_F(LevelEndTest, HighscoreRequestOncePerLevelAndAgainAfterATransportFailure)
{
    putBlock(0, 0, 0, 0, 1);   // a board in play: no panel
    offlineMode = 0;
    for (int i = 0; i < 3; ++i)
        UpdateGame(16.0f);
    ASSERT_EQ(queuedKinds(), std::vector<int>{highscoreRequestKind});
    EXPECT_EQ(queuedRequests[0].timeoutSeconds, 5);
    highscoreRequestSent = highscoreReplyReceived = false;   // the dispatch after a transport failure
    UpdateGame(16.0f);
    UpdateGame(16.0f);
    EXPECT_EQ(queuedRequests.size(), 2u);

    resetRules(gm::Normal);   // offline
    putBlock(0, 0, 0, 0, 1);
    for (int i = 0; i < 3; ++i)
        UpdateGame(16.0f);
    EXPECT_TRUE(queuedRequests.empty());
}

// The dispatch answers every request at once; what goes out depends on the connection and the
// kind of game.
TEST_F(LevelEndTest, ReportsSentOnlineOfflineAndInLevelSelectPlay)
{
    const struct {
        int mode;
        bool offline, levelSelect;
        std::vector<int> kinds;
    } rows[] = {
        {gm::Survival, true, false, {deathRequestKind}},
        {gm::Survival, false, false, {highscoreRequestKind, deathRequestKind, scoreRequestKind}},
        {gm::Casual, false, true, {highscoreRequestKind}},
    };
    for (const auto& r : rows) {
        resetRules(r.mode);
        offlineMode = r.offline ? 99 : 0;
        levelSelectPlay = r.levelSelect;
        if (r.mode == gm::Survival) {
            putBlock(0, 0, 0, 0, 1);
            massLevel = 60.0f;
        }
        float t = 0.0f;
        for (; gameState == gs::Game && t < 10000.0f; t += 50.0f) {
            UpdateGame(50.0f);
            highscoreReplyReceived = highscoreRequestSent;
            scoreReplyReceived = scoreRequestSent;
        }
        EXPECT_EQ(gameState, gs::GameOver) << r.mode;
        EXPECT_EQ(queuedKinds(), r.kinds) << r.mode << r.offline;
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
    EXPECT_TRUE(paused);

    // A late "fail" is an answer: it ends the wait and offers "Resume".
    highscoreRequestSent = highscoreReplyReceived = true;
    UpdateGame(100.0f);
    EXPECT_TRUE(continueReady);
    EXPECT_FLOAT_EQ(requestWaitTimes[0], 0.0f);
    pressAt(serverWaitButtonRect());
    UpdateGame(100.0f);
    EXPECT_FALSE(paused || serverWaitPause || continueReady);

    // Going offline from the popup ends all three waits; "Back" first returns to the wait.
    requestWaitTimes[1] = 3000.0f;
    requestWaitTimes[2] = 12000.0f;
    UpdateGame(100.0f);
    ASSERT_TRUE(serverWaitPause);
    const LayoutRect steps[] = {serverWaitButtonRect(), offlineConfirmButtonRect(1), serverWaitButtonRect(),
                                offlineConfirmButtonRect(2)};
    const bool confirming[] = {true, false, true, false};
    for (int i = 0; i < 4; ++i) {
        pressAt(steps[i]);
        UpdateGame(100.0f);
        EXPECT_EQ(serverWaitContinued, confirming[i]) << i;
    }
    EXPECT_EQ(offlineMode, 99);
    EXPECT_FALSE(paused || serverWaitPause);
    for (float wait : requestWaitTimes)
        EXPECT_FLOAT_EQ(wait, 0.0f);

    // The panel's first frame forgets the last score reply, so the score page shows "Offline".
    // A panel's report is a new one: a wait left by a game abandoned mid-report starts again.
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
    std::string value;
    ASSERT_TRUE(settingsOpen(key, false));
    EXPECT_TRUE(settingsRead(key, "TuteCombo", value) && value == "1");
    EXPECT_TRUE(settingsRead(key, "TuteColor", value) && value == "0");
    settingsClose(key);

    // A held click closes the page only once it has been up for more than 1000 ms.
    cursorColour = -1;
    leftButtonDown = true;
    int frames = 0;
    for (; tutorialOpen && frames < 20; ++frames)
        UpdateGame(100.0f);
    EXPECT_EQ(frames, 11);
    EXPECT_FALSE(paused);

    // "Yes" to the reset question re-arms every page and opens the controls page.
    tutorialResetPrompt = paused = true;
    pressAt(resetPromptButtonRect(1));
    UpdateGame(16.0f);
    EXPECT_TRUE(tutorialOpen && tutorialShown[tutorialControl]);
    for (int page = 1; page < 9; ++page)
        EXPECT_EQ(tutorialSetting(page), 0) << page;

    // Escape pauses on the frame it goes down, and not while a page or the server wait is up.
    handleEscapeKey(false);
    handleEscapeKey(true);
    EXPECT_TRUE(paused && tutorialOpen);
    tutorialOpen = false;
    serverWaitPause = true;
    handleEscapeKey(false);
    handleEscapeKey(true);
    EXPECT_TRUE(paused);
    paused = serverWaitPause = false;
    const bool downs[] = {false, true, true, false, true};
    const bool pausedAfter[] = {false, true, true, true, false};
    for (int i = 0; i < 5; ++i) {
        handleEscapeKey(downs[i]);
        EXPECT_EQ(paused, pausedAfter[i]) << i;
    }

}

TEST_F(LevelEndTest, SurvivalStagesAtRealTime)
{
    resetRules(gm::Survival);
    putBlock(0, 0, 0, 0, 1);
    powerupCharge = 150.0f;
    startPowerup(powerupTimewarp, false);   // Timewarp must not stretch the countdown
    for (int stage = 1; stage <= 2; ++stage) {
        float t = 0.0f;
        for (; survivalStage == stage && t < 70000.0f; t += 100.0f) {
            massLevel = 5.4f;
            UpdateGame(100.0f);
        }
        EXPECT_FLOAT_EQ(t, 60000.0f);
        ASSERT_GE(floatys.size(), 2u);
        const Floaty& bonus = floatys[floatys.size() - 2];
        const Floaty& text = floatys.back();
        EXPECT_EQ(bonus.text, stage == 1 ? "+1000" : "+8000");
        EXPECT_TRUE(bonus.emphasised && bonus.golden);
        EXPECT_EQ(text.text, "Stage " + std::to_string(stage) + " Clear!");
        EXPECT_TRUE(text.emphasised && !text.golden);
        EXPECT_TRUE(fusionPulseActive);
        EXPECT_EQ(getScore(), 0);   // the bonus is shown, not added
    }
    EXPECT_EQ(powerupUseCounts[powerupFusionPulse], 0);
    survivalStage = 2000;   // the bonus outgrows an int
    survivalCountdownElapsed = survivalCountdownLength;
    updateSurvivalCountdown(0.0f);
    EXPECT_EQ(floatys[floatys.size() - 2].text, "+8000000000000");
}

TEST_F(LevelEndTest, AchievementsOfPlay)
{
    offlineMode = 0;
    const struct {
        int best, score;
        bool earned;
    } growth[] = {{-1, 500, false}, {0, 500, false}, {500, 500, false}, {400, 500, true}};
    for (const auto& g : growth) {
        queuedRequests.clear();
        personalBest = g.best;
        setScore(g.score);
        updatePlayAchievements(16.0f);
        EXPECT_EQ(awarded("personalgrowth"), g.earned) << g.best;
    }

    resetRules(gm::Survival);
    offlineMode = 0;
    apmTime = 299.9f;
    updatePlayAchievements(16.0f);
    EXPECT_FALSE(awarded("survivalist"));
    apmTime = 300.0f;
    updatePlayAchievements(16.0f);
    EXPECT_TRUE(awarded("survivalist"));

    // Ten seconds in the red zone without a break, within the stage that then ends.
    const float stretches[] = {9999.0f, 10000.0f};
    for (float stretch : stretches) {
        queuedRequests.clear();
        massLevel = 0.8f * massLimit;
        updatePlayAchievements(stretch);
        massLevel = 5.4f;
        updatePlayAchievements(16.0f);
        survivalCountdownElapsed = survivalCountdownLength;
        updateSurvivalCountdown(0.0f);
        EXPECT_EQ(awarded("youvegotredonyou"), stretch >= 10000.0f) << stretch;
    }
    EXPECT_FALSE(redZoneSurvived);
}

TEST_F(LevelEndTest, EffectsAgeAndCount)
{
    // A text lives a little over 5000 ms; expired texts leave one a frame.
    spawnFloaty(Vector2(0, 100), "a", false, false);
    int frames = 0;
    for (; !floatys.empty() && frames < 1000; ++frames)
        updatePlayEffects(10.0f, 10.0f);
    EXPECT_EQ(frames, 501);
    for (float age : {4995.0f, 4998.0f, 0.0f}) {
        spawnFloaty(Vector2(0, 100), "b", false, false);
        floatys.back().age = age;
    }
    updatePlayEffects(10.0f, 10.0f);
    EXPECT_EQ(floatys.size(), 2u);
    updatePlayEffects(10.0f, 10.0f);
    EXPECT_EQ(floatys.size(), 1u);
    EXPECT_FLOAT_EQ(floatys[0].position.y, 100.0f - 20.0f / 16.0f);

    const struct {
        int mode, shown, score;
        float dt;
        int after;
    } scores[] = {{gm::Normal, 0, 1000, 100.0f, 300},      {gm::Normal, 900, 1000, 100.0f, 1000},
                  {gm::Rush, 250000, 249750, 10.0f, 249900}, {gm::Rush, 249800, 249750, 10.0f, 249750},
                  {gm::Normal, INT_MAX - 5, INT_MAX, 100.0f, INT_MAX}};
    for (const auto& s : scores) {
        gameMode = s.mode;
        displayedScore = s.shown;
        setScore(s.score);
        updatePlayEffects(s.dt, s.dt);
        EXPECT_EQ(displayedScore, s.after) << s.shown;
    }

    // A scheme-1 right drag counts its hold, in real time under Timewarp.
    mouseHoldTime = 0.0f;
    rotateDragActive = timewarpActive = true;
    updatePlayEffects(25.0f, 100.0f);
    EXPECT_FLOAT_EQ(mouseHoldTime, 100.0f);

    // A fresh level turns at once in the negative direction; a drag decays to half its weight.
    orbitMomentum = orbitAxisWeights = Vector2(0, 0);
    timewarpActive = false;
    updateIdleTurn(16.0f);
    EXPECT_FLOAT_EQ(orbitMomentum.x, -0.5f);
    EXPECT_FLOAT_EQ(orbitMomentum.y, -0.5f);
    orbitMomentum = Vector2(5, -5);
    orbitAxisWeights = Vector2(1, 0.5f);
    for (int i = 0; i < 10; ++i)
        updateIdleTurn(16.0f);
    EXPECT_FLOAT_EQ(orbitMomentum.x, 0.5f);
    EXPECT_FLOAT_EQ(orbitMomentum.y, -0.25f);
}

TEST_F(LevelEndTest, ScorePageButtons)
{
    const struct {
        int mode, level, button, state;
        bool pressLeft;
    } rows[] = {
        {gm::Casual, 8, 2, gs::ScoreToGame, false}, {gm::Casual, 9, 2, gs::ScoreToMenu, false},
        {gm::Rush, 4, 2, gs::Score, true},          {gm::Survival, 1, 2, gs::Score, true},
        {gm::Meditation, 0, 2, gs::Score, true},    {gm::Normal, 3, 1, gs::ScoreToGame, false},
        {gm::Normal, 3, 3, gs::ScoreToMenu, false},
    };
    for (const auto& r : rows) {
        gameMode = r.mode;
        levelNumber = r.level;
        gameState = gs::Score;
        retryPending = false;
        powerupCharge = levelCompleteTimer = 100.0f;
        pressAt(scorePageButtonRect(r.button));
        UpdateScoreScreen(16.0f);
        EXPECT_EQ(hoveredButton, r.button);
        EXPECT_EQ(gameState, r.state) << r.mode << " " << r.level << " " << r.button;
        EXPECT_EQ(leftButtonDown, r.pressLeft);
        EXPECT_EQ(retryPending, r.button == 1);
        EXPECT_FLOAT_EQ(powerupCharge, r.button == 1 ? 0.0f : 100.0f);
        EXPECT_FLOAT_EQ(levelCompleteTimer, 0.0f);
    }
    hoveredButton = 0;
    leftButtonDown = false;
}
