// Names for the game states and the game modes. `gameState` and `gameMode` stay plain ints;
// code and tests compare and set them only through these names.
#pragma once

// Every game state, grouped by the page that shows it. A page has one stable state (its update
// runs, the screen fades in) and transition states that leave it (the page stays drawn while the
// screen fades out, then the target becomes current). "To" names the transition's target.
namespace gs {
enum : int {
    // intro
    Intro = 1,                       // stable: maker's title, loading the media
    IntroToNewProfile = 34,          // -> NewProfile: no stored name, the server answers
    IntroToLogin = 44,               // -> Login: stored name, or the server unreachable
    // main menu
    Menu = 2,                        // stable
    MenuToOptions = 11,              // -> Options
    MenuToGameType = 40,             // -> GameType
    MenuToLogin = 43,                // -> Login (Switch Player), the typed password emptied
    MenuToCredits = 51,              // -> Credits
    MenuQuit = 60,                   // quit: logout ends the program
    MenuToRanking = 61,              // -> Ranking
    MenuToAchievements = 70,         // -> Achievements
    // game type
    GameType = 39,                   // stable: Classic, Survival, Meditation, Rush
    GameTypeToGame = 41,             // -> Game: a new Rush, Survival or Meditation game
    GameTypeToMenu = 42,             // -> Menu
    GameTypeToDifficulty = 65,       // -> Difficulty (Classic)
    // difficulty
    Difficulty = 68,                 // stable: Casual, Normal, Expert
    DifficultyToGameType = 67,       // -> GameType
    DifficultyToRankedChoice = 80,   // -> RankedChoice
    // ranked or practice
    RankedChoice = 81,               // stable
    RankedChoiceToLevelSelect = 82,  // -> LevelSelect (Practice)
    RankedChoiceToDifficulty = 83,   // -> Difficulty
    RankedChoiceToGame = 85,         // -> Game: a new ranked game
    // level select
    LevelSelect = 78,                // stable
    LevelSelectToGame = 79,          // -> Game: the chosen level, not a new game
    LevelSelectToRankedChoice = 84,  // -> RankedChoice
    // game
    Game = 3,                        // stable: play
    GameToMenu = 10,                 // -> Menu: quit the game
    GameOver = 29,                   // -> Score: play keeps updating while it fades
    GameToGrats = 57,                // -> Grats: Classic completed
    GameToOptions = 63,              // -> Options from the pause menu
    // congratulations
    Grats = 56,                      // stable
    GratsToScore = 58,               // -> Score: the page keeps updating while it fades
    // score
    Score = 32,                      // stable
    ScoreToGame = 30,                // -> Game: Retry or Continue
    ScoreToMenu = 31,                // -> Menu: Quit, or Continue after the last level
    // options
    Options = 4,                     // stable
    OptionsToMenu = 12,              // -> Menu
    OptionsToRestart = 13,           // -> Restart: a change that needs a restart
    OptionsToGame = 64,              // -> Game: back to the paused game
    // restart prompt
    Restart = 8,                     // neither stable nor transition: the program restarts
    // credits
    Credits = 6,                     // stable
    CreditsToMenu = 52,              // -> Menu
    // new profile
    NewProfile = 22,                 // stable
    NewProfileToMenu = 35,           // -> Menu
    NewProfileToLogin = 36,          // -> Login: a profile was registered
    // login
    Login = 27,                      // stable
    LoginToMenu = 37,                // -> Menu: logged in, or playing offline
    LoginToNewProfile = 38,          // -> NewProfile
    // world rankings
    Ranking = 49,                    // stable
    RankingToMenu = 62,              // -> Menu
    // achievements
    Achievements = 69,               // stable
    AchievementsToMenu = 71,         // -> Menu
    // patching
    Patching = 72,                   // stable: entered from a login reply that offers a patch

    // States the game never enters; the drawing still gives each one the page it belongs to.
    MenuToGame = 9,
    MenuToMultiplayer = 16,
    Multiplayer = 17,
    MultiplayerToMenu = 18,
    Lobby = 19,
    MultiplayerToLobby = 20,
    LobbyToMultiplayer = 21,
    NewProfileWait = 23,
    NewProfileToLobby = 24,
    MultiplayerToNewProfile = 25,
    IntroToMenu = 33,
    GameTypeAlt = 45,
    MenuToGameTypeAlt = 46,
    GameTypeWait = 47,
    GameTypeAltToMenu = 48,
    RankingWait = 50,
    Endgame = 53,
    GameToEndgame = 54,
    EndgameToScore = 55,
    ScoreToCredits = 59,
    DifficultyToGame = 66,
    DifficultyToLevelSelect = 76,
    LevelSelectToDifficulty = 77,
};
}

// The game modes; Overall (0) is the ranking list over every mode and the value before any game.
namespace gm {
enum : int {
    Overall = 0,
    Casual = 1,
    Normal = 2,
    Expert = 3,
    Rush = 4,
    Survival = 5,
    Meditation = 6,
};
inline constexpr int modeCount = Meditation + 1;   // Overall and the six modes

// Casual, Normal and Expert: the Classic difficulties.
inline bool isClassic(int mode) { return mode >= Casual && mode <= Expert; }
}
