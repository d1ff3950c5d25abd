#include "board_fixture.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/main.h"
#include "engine/polyparticles.h"
#include "engine/profiler.h"
#include "engine/sound.h"
#include "engine/textures.h"
#include "engine/window.h"
#include "game/game_state.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/level_end.h"
#include "game/levels.h"
#include "game/mass.h"
#include "game/page_buttons.h"
#include "game/powerups.h"
#include "game/reports.h"
#include "game/score_screen.h"
#include "game/tutorials.h"
#include "game/states.h"
#include "online/requests.h"
#include "platform/messages.h"

class StateMachine : public BoardTest {
protected:
    void SetUp() override
    {
        BoardTest::SetUp();
        gameState = gs::Intro;
        fadeLevel = 0.0f;
        frameTimes.clear();
        frameTime = 16.0f;
        caretBlinkTime = 0;
        caretBlink = true;
        motionBlurSuspended = false;
        motionBlur = 1;
        particleDeg = 1.0f;
        particleSpritesDrawn = 0;
        timewarpActive = multiplierActive = false;
        quitLogoutsSent = 0;
        popupId = 1;
        gameMode = gm::Overall;
        levelNumber = 0;
        retryPending = false;
        scoreRequestSent = false;
        levelSelectPlay = false;
        offlineMode = 0;
        hoveredButton = 0;
        lastHoveredButton = -1;
        musicDelayTime = 0.0f;
        paused = false;
        levelCompleteTimer = 0.0f;
        leftButtonDown = rotateDragActive = false;
        leftHoldTime = rotateDragTime = 0;
        showBackdrops();
    }
    void TearDown() override
    {
        resetTextures();
        platformClearMessages();   // the quit fade's logout posts the quit message
        programRunning = false;
        gameState = gs::Intro;
        gameMode = gm::Overall;
        BoardTest::TearDown();
    }

    // Every backdrop counts as loaded, so stable pages fade in.
    void showBackdrops()
    {
        resetTextures();
        for (int i = 1; i <= 10; ++i) {
            TextureRecord r;
            r.name = "background" + std::to_string(i) + ".tga";
            textures.push_back(r);
        }
    }

    void frames(int n, float dt = 10.0f)
    {
        for (int i = 0; i < n; ++i) {
            frameTime = dt;
            Update(dt);
        }
    }

    // One fade step on its own: the target page's update, which may rewrite what the side action
    // set, does not run.
    void fadeStep(int state)
    {
        gameState = state;
        fadeLevel = 0.0f;
        UpdateFadeIn(10.0f);
    }

    // Runs frames until the state changes; returns the number of frames it took.
    int framesUntilStateLeaves(int state, float dt = 10.0f, int limit = 1000)
    {
        int n = 0;
        while (gameState == state && n < limit) {
            frames(1, dt);
            ++n;
        }
        return n;
    }
};

TEST_F(StateMachine, StateKindsMatchThePages)
{
    for (int s : {gs::Intro, gs::Menu, gs::Game, gs::Options, gs::Credits, gs::NewProfile, gs::Login, gs::Score,
                  gs::GameType, gs::Ranking, gs::Grats, gs::Difficulty, gs::Achievements, gs::Patching,
                  gs::LevelSelect, gs::RankedChoice})
        EXPECT_TRUE(isStableState(s)) << s;
    const int pairs[][2] = {{gs::MenuToCredits, gs::Credits}, {gs::CreditsToMenu, gs::Menu},
                            {gs::IntroToNewProfile, gs::NewProfile}, {gs::RankingToMenu, gs::Menu},
                            {gs::AchievementsToMenu, gs::Menu}, {gs::MenuToRanking, gs::Ranking},
                            {gs::MenuToAchievements, gs::Achievements}, {gs::IntroToLogin, gs::Login},
                            {gs::LoginToNewProfile, gs::NewProfile}, {gs::LoginToMenu, gs::Menu},
                            {gs::NewProfileToLogin, gs::Login}, {gs::GameToMenu, gs::Menu},
                            {gs::GameOver, gs::Score}, {gs::ScoreToGame, gs::Game}, {gs::ScoreToMenu, gs::Menu},
                            {gs::GameToGrats, gs::Grats}, {gs::GratsToScore, gs::Score},
                            {gs::NewProfileToMenu, gs::Menu}, {gs::GameTypeToGame, gs::Game},
                            {gs::GameTypeToDifficulty, gs::Difficulty}, {gs::DifficultyToGameType, gs::GameType},
                            {gs::RankedChoiceToGame, gs::Game}, {gs::DifficultyToRankedChoice, gs::RankedChoice},
                            {gs::RankedChoiceToDifficulty, gs::Difficulty},
                            {gs::RankedChoiceToLevelSelect, gs::LevelSelect},
                            {gs::LevelSelectToRankedChoice, gs::RankedChoice}, {gs::LevelSelectToGame, gs::Game},
                            {gs::MenuToGameType, gs::GameType}, {gs::MenuToLogin, gs::Login},
                            {gs::GameTypeToMenu, gs::Menu}, {gs::MenuToOptions, gs::Options},
                            {gs::OptionsToMenu, gs::Menu}, {gs::OptionsToGame, gs::Game},
                            {gs::GameToOptions, gs::Options}, {gs::OptionsToRestart, gs::Restart}};
    for (const auto& p : pairs) {
        EXPECT_TRUE(isTransitionState(p[0])) << p[0];
        EXPECT_EQ(transitionTarget(p[0]), p[1]) << p[0];
    }
    EXPECT_TRUE(isTransitionState(gs::MenuQuit));
    EXPECT_EQ(transitionTarget(gs::MenuQuit), -1);
    // The restart prompt is neither; numbers that name no state are nothing.
    EXPECT_FALSE(isStableState(gs::Restart) || isTransitionState(gs::Restart));
    for (int s : {0, 5, 7, 9, 54, 86})
        EXPECT_FALSE(isStableState(s) || isTransitionState(s)) << s;
}

TEST_F(StateMachine, FullPageChangeFadesOutThenIn)
{
    gameState = gs::Menu;
    fadeLevel = fadeDuration;
    gameState = gs::MenuToCredits;
    // 50 frames of 10 ms bring the level to 0; the switch comes in the frame after.
    EXPECT_EQ(framesUntilStateLeaves(gs::MenuToCredits), 51);
    EXPECT_EQ(gameState, gs::Credits);
    EXPECT_FLOAT_EQ(fadeLevel, 0.0f);
    frames(49);
    EXPECT_LT(fadeLevel, fadeDuration);
    frames(1);
    EXPECT_FLOAT_EQ(fadeLevel, fadeDuration);
    frames(5);
    EXPECT_FLOAT_EQ(fadeLevel, fadeDuration);   // not raised further once shown
}

TEST_F(StateMachine, FadeIsNotClampedAndStartsFromTheLevelReached)
{
    gameState = gs::Menu;
    frames(3, 170.0f);
    EXPECT_FLOAT_EQ(fadeLevel, 510.0f);
    gameState = gs::MenuToOptions;       // a click while half faded in
    fadeLevel = 200.0f;
    EXPECT_EQ(framesUntilStateLeaves(gs::MenuToOptions), 21);
    EXPECT_EQ(gameState, gs::Options);
}

TEST_F(StateMachine, MeditationStartFadesAtHalfSpeed)
{
    gameState = gs::GameTypeToGame;
    gameMode = gm::Meditation;
    fadeLevel = fadeDuration;
    EXPECT_EQ(framesUntilStateLeaves(gs::GameTypeToGame), 101);
    EXPECT_EQ(gameState, gs::Game);
}

TEST_F(StateMachine, StablePageWaitsForItsBackdrop)
{
    resetTextures();
    gameState = gs::Menu;
    frames(20);
    EXPECT_FLOAT_EQ(fadeLevel, 0.0f);
    // Transitions do not wait.
    fadeLevel = 30.0f;
    gameState = gs::MenuToGameType;
    frames(4);
    EXPECT_EQ(gameState, gs::GameType);
    // A backdrop the pack lacks never loads: the page shows without it.
    gameState = gs::Menu;
    fadeLevel = 0.0f;
    missingTexturePaths.push_back(texturePath("background1.tga"));
    frames(3);
    EXPECT_FLOAT_EQ(fadeLevel, 30.0f);
}

TEST_F(StateMachine, ScorePageWaitsForTheScoreReport)
{
    gameState = gs::Score;
    frames(10);
    EXPECT_FLOAT_EQ(fadeLevel, 0.0f);
    scoreRequestSent = true;
    frames(10);
    EXPECT_FLOAT_EQ(fadeLevel, 100.0f);
    fadeLevel = 0.0f;
    scoreRequestSent = false;
    offlineMode = 99;
    frames(1);
    EXPECT_FLOAT_EQ(fadeLevel, 10.0f);
}

TEST_F(StateMachine, SideActionsOfTheTransitions)
{
    fadeStep(gs::LoginToNewProfile);
    EXPECT_EQ(gameState, gs::NewProfile);
    EXPECT_EQ(popupId, 20);

    popupId = 13;
    fadeStep(gs::NewProfileToLogin);
    EXPECT_EQ(gameState, gs::Login);
    EXPECT_EQ(popupId, 13);
    popupId = 7;
    fadeStep(gs::NewProfileToLogin);
    EXPECT_EQ(popupId, 1);

    playerPassword = "secret";
    fadeStep(gs::MenuToLogin);
    EXPECT_EQ(gameState, gs::Login);
    EXPECT_TRUE(playerPassword.empty());

    optionsFromGame = true;
    fadeStep(gs::OptionsToGame);
    EXPECT_EQ(gameState, gs::Game);
    EXPECT_FALSE(optionsFromGame);

    for (int from : {gs::GameOver, gs::GratsToScore}) {
        scoreScreenSlideIn = false;
        scoreScreenSlide = 0.0f;
        fadeStep(from);
        EXPECT_EQ(gameState, gs::Score);
        EXPECT_TRUE(scoreScreenSlideIn);
        EXPECT_FLOAT_EQ(scoreScreenSlide, -static_cast<float>(screenWidth));
    }
}

TEST_F(StateMachine, RetryReplaysContinueAdvances)
{
    gameMode = gm::Casual;
    levelNumber = 3;
    highscoreReplyReceived = highscoreRequestSent = true;
    fadeStep(gs::ScoreToGame);
    EXPECT_EQ(gameState, gs::Game);
    EXPECT_EQ(levelNumber, 4);
    EXPECT_FALSE(highscoreReplyReceived || highscoreRequestSent);

    retryPending = true;
    fadeStep(gs::ScoreToGame);
    EXPECT_EQ(levelNumber, 4);
    EXPECT_FALSE(retryPending);

    levelNumber = 20;
    fadeStep(gs::ScoreToGame);
    EXPECT_EQ(levelNumber, 20);

    gameMode = gm::Survival;   // Survival never advances here
    levelNumber = 1;
    fadeStep(gs::ScoreToGame);
    EXPECT_EQ(levelNumber, 1);
}

// The quit fade sends the logout once, not every frame until the program has ended.
TEST_F(StateMachine, QuitSendsOneLogout)
{
    platformClearMessages();
    programRunning = true;
    gameState = gs::MenuQuit;
    fadeLevel = 20.0f;
    frames(2);
    EXPECT_TRUE(programRunning);
    EXPECT_EQ(platformPendingMessages(), 0);
    frames(1);
    EXPECT_FALSE(programRunning);
    EXPECT_EQ(platformPendingMessages(), 1);   // the quit message
    EXPECT_EQ(quitLogoutsSent, 1);

    programRunning = true;
    frames(30);
    EXPECT_TRUE(programRunning);
    EXPECT_EQ(platformPendingMessages(), 1);
    EXPECT_EQ(gameState, gs::MenuQuit);
    platformClearMessages();
}

TEST_F(StateMachine, FrameTimeAverageOverTheLast100Frames)
{
    frameTime = 10.0f;
    Update(10.0f);
    EXPECT_FLOAT_EQ(averageFrameTime, 10.0f);
    frameTime = 30.0f;
    Update(30.0f);
    EXPECT_FLOAT_EQ(averageFrameTime, 20.0f);
    EXPECT_FLOAT_EQ(framesPerSecond, 50.0f);

    for (int i = 0; i < 100; ++i) {
        frameTime = 5.0f;
        Update(5.0f);
    }
    EXPECT_EQ(frameTimes.size(), 100u);
    EXPECT_FLOAT_EQ(averageFrameTime, 5.0f);
    frameTime = 105.0f;
    Update(105.0f);
    EXPECT_FLOAT_EQ(averageFrameTime, (99 * 5.0f + 105.0f) / 100.0f);
    EXPECT_FLOAT_EQ(frameTimes.front(), 105.0f);
}

TEST_F(StateMachine, AStallAdvancesOnlyTheAverage)
{
    gameState = gs::Menu;
    frameTime = 1000.0f;
    Update(1000.0f);
    EXPECT_EQ(frameTimes.size(), 1u);
    EXPECT_FLOAT_EQ(fadeLevel, 0.0f);
    EXPECT_EQ(caretBlinkTime, 0);
    frameTime = 999.9f;
    Update(999.9f);
    EXPECT_FLOAT_EQ(fadeLevel, 999.9f);
    EXPECT_EQ(caretBlinkTime, 0);   // 999 whole ms passed 500: toggled and restarted
    EXPECT_FALSE(caretBlink);
}

TEST_F(StateMachine, CaretTogglesAfterMoreThan500WholeMs)
{
    gameState = gs::Menu;
    frames(5, 100.0f);
    EXPECT_EQ(caretBlinkTime, 500);
    EXPECT_TRUE(caretBlink);
    frames(1, 1.5f);
    EXPECT_EQ(caretBlinkTime, 0);
    EXPECT_FALSE(caretBlink);
}

// The profiler's tree of the frame shows what Update ran, and in which order.
class FrameWork : public StateMachine {
protected:
    void SetUp() override
    {
        StateMachine::SetUp();
        showProfiling = true;
    }
    void TearDown() override
    {
        resetFrameProfile();
        showProfiling = false;
        StateMachine::TearDown();
    }

    // The sections of the machine and the sound engine that one frame of Update opened, depth first.
    std::vector<std::string> frameSections(float dt = 10.0f)
    {
        resetFrameProfile();
        frameTime = dt;
        Update(dt);
        std::vector<std::string> names;
        collect(profileRoot, names);
        return names;
    }
    static void collect(const ProfileNode& node, std::vector<std::string>& names)
    {
        for (const ProfileNode& child : node.children) {
            if (child.name == "Update" || child.name == "UpdateFadeIn" || child.name == "UpdateSound" ||
                child.name == "PlaySoundA")
                names.push_back(child.name);
            collect(child, names);
        }
    }
    static int ticks(const std::vector<std::string>& names)
    {
        return static_cast<int>(std::count(names.begin(), names.end(), "PlaySoundA"));
    }
};

TEST_F(FrameWork, HoverTicksOnlyOnceThePageIsShown)
{
    mouseX = mouseY = -100;   // the menu's own hover test finds nothing: the test's values stand
    gameState = gs::Menu;
    fadeLevel = 100.0f;
    hoveredButton = 1;
    EXPECT_EQ(ticks(frameSections()), 0);   // still fading in
    EXPECT_EQ(lastHoveredButton, 1);

    fadeLevel = fadeDuration;
    hoveredButton = 2;
    const std::vector<std::string> names = frameSections();
    EXPECT_EQ(ticks(names), 1);
    // The sound pump runs before the fade; inside the fade the tick comes before the mix is applied.
    const std::vector<std::string> expected = {"Update", "UpdateSound", "UpdateFadeIn", "PlaySoundA",
                                               "UpdateSound"};
    EXPECT_EQ(names, expected);

    EXPECT_EQ(ticks(frameSections()), 0);   // the same button again
    hoveredButton = 0;
    EXPECT_EQ(ticks(frameSections()), 0);   // leaving a button
    hoveredButton = 3;
    EXPECT_EQ(ticks(frameSections()), 1);

    // A stall runs the pumps only.
    hoveredButton = 4;
    const std::vector<std::string> stall = frameSections(1000.0f);
    EXPECT_EQ(stall, (std::vector<std::string>{"Update", "UpdateSound"}));
    EXPECT_EQ(lastHoveredButton, 3);
}

TEST_F(StateMachine, HoldTimersDropTheFractionAndEndQuickDrags)
{
    gameState = gs::Menu;
    leftButtonDown = true;
    frames(4, 16.7f);
    EXPECT_EQ(leftHoldTime, 64);
    mouseFlip = 2;
    rotateDragActive = true;
    frames(5, 20.0f);
    EXPECT_EQ(rotateDragTime, 100);
    EXPECT_TRUE(rotateDragActive);
    frames(1, 20.0f);
    EXPECT_FALSE(rotateDragActive);
    mouseFlip = 0;
    leftButtonDown = false;
}

TEST_F(StateMachine, SlowFramesSpaceParticlesAndSuspendMotionBlurForTheRunOnly)
{
    particleSpritesDrawn = 40;
    frameTime = 40.0f;   // 25 frames a second
    Update(40.0f);
    EXPECT_FLOAT_EQ(particleDeg, 1.01f);
    EXPECT_EQ(particleSpritesDrawn, 0);
    EXPECT_FALSE(motionBlurSuspended);

    timewarpActive = true;
    particleSpritesDrawn = 40;
    Update(40.0f);
    EXPECT_FLOAT_EQ(particleDeg, 1.01f);   // not during Timewarp
    EXPECT_TRUE(motionBlurSuspended);
    EXPECT_FALSE(motionBlurEnabled());
    // The saved setting is left alone, so a settings save keeps the player's choice.
    EXPECT_EQ(motionBlur, 1);
}

class MusicMix : public StateMachine {
protected:
    std::vector<ALuint> savedSources;
    std::vector<float> savedVolumes, savedPitches;
    int savedMelody = -1, savedDrums = -1;
    float savedSoundVol = 10.0f, savedMusicVol = 10.0f;

    void SetUp() override
    {
        StateMachine::SetUp();
        savedSources = soundSources;
        savedVolumes = sourceVolumes;
        savedPitches = sourcePitches;
        savedMelody = menuMelodySource;
        savedDrums = menuDrumsSource;
        savedSoundVol = soundVol;
        savedMusicVol = musicVol;
        // Slots: 0 melody, 1 drums, 2 mass warning, 3 Timewarp ambience, 4 free (its source stopped).
        soundSources = {101, 102, 103, 104, 0};
        sourceVolumes = {0.0f, 0.2f, 0.0f, 0.0f, 0.3f};
        sourcePitches = {1.0f, 1.0f, 1.0f, 1.0f, 1.0f};
        menuMelodySource = 0;
        menuDrumsSource = 1;
        massIncreaseSource = 2;
        etherealSource = 3;
        musicVol = 10.0f;
        soundVol = 10.0f;
        musicDelayTime = musicDelay;
        massLevel = 0.0f;
        massLimit = 100.0f;
    }
    void TearDown() override
    {
        soundSources = savedSources;
        sourceVolumes = savedVolumes;
        sourcePitches = savedPitches;
        menuMelodySource = savedMelody;
        menuDrumsSource = savedDrums;
        massIncreaseSource = etherealSource = -1;
        soundVol = savedSoundVol;
        musicVol = savedMusicVol;
        paused = false;
        levelCompleteTimer = 0.0f;
        StateMachine::TearDown();
    }
};

TEST_F(MusicMix, MenuMelodyRisesToItsCapDrumsStaySilent)
{
    gameState = gs::Menu;
    updateMusicMix(3000.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.1f);
    EXPECT_FLOAT_EQ(sourceVolumes[1], 0.0f);
    for (int i = 0; i < 20; ++i)
        updateMusicMix(3000.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.45f);

    // Play brings the drums in; the quit fade takes the melody down with the screen.
    gameState = gs::Game;
    gameMode = gm::Casual;
    updateMusicMix(1000.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[1], 0.1f);
    gameState = gs::MenuQuit;
    fadeLevel = 100.0f;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.2f);
}

TEST_F(MusicMix, MeditationSlowsThePitch)
{
    gameState = gs::Game;
    gameMode = gm::Meditation;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourcePitches[0], 0.6f);
    EXPECT_FLOAT_EQ(sourcePitches[1], 0.6f);
    gameState = gs::Menu;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourcePitches[0], 1.0f);
}

// A handle whose source has stopped, or one beyond the lists, must not be written through: the
// slot may belong to another sound by then.
TEST_F(MusicMix, StaleHandlesAreNeverWrittenThrough)
{
    gameState = gs::Menu;
    menuMelodySource = 4;   // the free slot
    menuDrumsSource = 9;    // beyond the lists
    massIncreaseSource = 4;
    etherealSource = 40;
    for (int i = 0; i < 10; ++i)
        updateMusicMix(3000.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[4], 0.3f);
    EXPECT_FLOAT_EQ(sourcePitches[4], 1.0f);
    EXPECT_EQ(sourceVolumes.size(), 5u);
    // The mix's own loops are forgotten once stale, so a sound that later takes the slot is safe.
    EXPECT_EQ(massIncreaseSource, -1);
    EXPECT_EQ(etherealSource, -1);
}

// The melody follows the screen down when the music is to stop with it: quitting, the restart
// prompt, and leaving or starting a Meditation game.
TEST_F(MusicMix, MelodyFollowsTheFadeOnlyWhereItShould)
{
    sourceVolumes[0] = 0.45f;
    gameMode = gm::Meditation;
    gameState = gs::GameTypeToGame;
    fadeLevel = 250.0f;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.45f);   // still below the screen's level
    fadeLevel = 100.0f;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.2f);
    fadeLevel = -5.0f;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.0f);

    // Starting any other game keeps the melody up through the fade.
    sourceVolumes[0] = 0.45f;
    gameMode = gm::Rush;
    fadeLevel = 100.0f;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.45f);
    gameState = gs::OptionsToRestart;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.2f);
}

TEST_F(MusicMix, MassWarningAndTimewarpLoopsPlayOnlyInPlay)
{
    gameState = gs::Game;
    gameMode = gm::Casual;
    massLevel = 75.0f;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[2], 0.0f);
    massLevel = 90.0f;   // 15 of the last 25 percent
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[2], 0.6f);
    soundVol = 5.0f;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[2], 0.3f);
    soundVol = 10.0f;
    massLevel = 140.0f;  // past the limit: full volume, no more
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[2], 1.0f);

    timewarpActive = true;
    updateMusicMix(100.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[3], 0.1f);
    updateMusicMix(100.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[3], 0.15f);
    timewarpActive = false;
    updateMusicMix(100.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[3], 0.05f);

    gameState = gs::GameToMenu;   // leaving play silences both at once
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[2], 0.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[3], 0.0f);
}

TEST_F(MusicMix, PausePanelAndPowerupsTemperTheMusic)
{
    // For the first 300 ms of music handling the melody is left where it starts.
    musicDelayTime = 0.0f;
    gameState = gs::Menu;
    updateMusicMix(200.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.0f);
    EXPECT_FLOAT_EQ(musicDelayTime, 200.0f);
    updateMusicMix(200.0f);
    updateMusicMix(3000.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.1f);

    // Paused play: both loops are held at a quarter of the cap.
    gameState = gs::Game;
    gameMode = gm::Casual;
    paused = true;
    sourceVolumes[0] = 0.45f;
    sourceVolumes[1] = 0.45f;
    updateMusicMix(10.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.1125f);
    EXPECT_FLOAT_EQ(sourceVolumes[1], 0.1125f);
    paused = false;

    // The level-complete panel: the melody sinks, the drums stop.
    sourceVolumes[0] = 0.45f;
    levelCompleteTimer = 100.0f;
    updateMusicMix(200.0f);
    EXPECT_FLOAT_EQ(sourceVolumes[0], 0.35f);
    EXPECT_FLOAT_EQ(sourceVolumes[1], 0.0f);
    levelCompleteTimer = 0.0f;

    // Timewarp lowers the pitch to 0.6 at most, the Multiplier holds it, afterwards it recovers.
    timewarpActive = true;
    updateMusicMix(200.0f);
    EXPECT_FLOAT_EQ(sourcePitches[0], 0.9f);
    updateMusicMix(2000.0f);
    EXPECT_FLOAT_EQ(sourcePitches[1], 0.6f);
    timewarpActive = false;
    multiplierActive = true;
    updateMusicMix(100.0f);
    EXPECT_FLOAT_EQ(sourcePitches[0], 0.6f);
    multiplierActive = false;
    updateMusicMix(100.0f);
    EXPECT_FLOAT_EQ(sourcePitches[0], 0.8f);
    updateMusicMix(500.0f);
    EXPECT_FLOAT_EQ(sourcePitches[0], 1.0f);
}

// A scripted session: intro, login, menu, a Rush game, back to the menu and quit, each page
// change going through its fade.
TEST_F(StateMachine, ScriptedWalkThroughThePages)
{
    auto settle = [&] { frames(60); };
    settle();
    EXPECT_EQ(gameState, gs::Intro);
    EXPECT_GE(fadeLevel, fadeDuration);

    gameState = gs::IntroToLogin;   // the intro heads for the login page
    EXPECT_EQ(framesUntilStateLeaves(gs::IntroToLogin), 51);
    EXPECT_EQ(gameState, gs::Login);
    settle();
    gameState = gs::LoginToMenu;   // logged in
    EXPECT_EQ(framesUntilStateLeaves(gs::LoginToMenu), 51);
    EXPECT_EQ(gameState, gs::Menu);
    settle();

    hoveredButton = 1;
    frames(1);
    EXPECT_EQ(lastHoveredButton, 1);
    gameState = gs::MenuToGameType;   // Play
    framesUntilStateLeaves(gs::MenuToGameType);
    EXPECT_EQ(gameState, gs::GameType);
    settle();
    gameMode = gm::Rush;
    gameState = gs::GameTypeToGame;   // a Rush game
    framesUntilStateLeaves(gs::GameTypeToGame);
    EXPECT_EQ(gameState, gs::Game);
    EXPECT_EQ(levelNumber, 4);
    EXPECT_FLOAT_EQ(fadeLevel, 0.0f);
    settle();
    EXPECT_GE(fadeLevel, fadeDuration);

    gameState = gs::GameToMenu;   // quit to the menu
    framesUntilStateLeaves(gs::GameToMenu);
    EXPECT_EQ(gameState, gs::Menu);
    settle();
    gameState = gs::MenuQuit;
    frames(80);
    EXPECT_EQ(gameState, gs::MenuQuit);
    EXPECT_EQ(quitLogoutsSent, 1);
}
