// Level completion, the end-of-game panel, the performance grade and the Survival stages.
#pragma once

extern float levelCompleteTimer;    // 0 in play; runs while the level-complete panel is up
extern int performanceGrade;        // 3 Fair .. 7 Epic, 0 none yet
extern int finalPerformanceGrade;   // the grade latched for the score report
extern bool scoreRequestSent, scoreReplyReceived;
extern bool levelSelectPlay;        // the game was started from the level-select page
extern bool endBreakSoundPlayed;
inline constexpr int lastClassicLevel = 9;
inline constexpr float levelCompleteMinimum = 5000.0f;   // ms the panel stays up at least

inline constexpr float survivalCountdownLength = 60000.0f;
extern float survivalCountdownElapsed;
extern float survivalSecondTimer;
extern int survivalStage;

// The grade of a score against the reference mean and band width of the highscore reply:
// 3 below mean - spread, 4 below mean + spread, 5, 6 one band each, 7 from mean + 3 spreads;
// 4 when either reference is missing.
int performanceGradeFor(int score, int mean, int spread);
// "Fair", "Good", "Great", "Excellent", "Epic" for 3..7; "Good" for anything else.
const char* performanceGradeName(int grade);
// Decides performanceGrade once a panel (while it is 0), from the score as it stands.
void settlePerformanceGrade();
// While the panel is up the mass stays at 0, so a long panel never explodes and replays a won level.
void holdMassForPanel();

// Survival: the stage clock at real time; every minute the stage ends with an automatic Fusion
// Pulse, the bonus and stage texts.
void updateSurvivalCountdown(float realDtMs);
// Classic and Rush: the panel after the last block.
void updateLevelCleared(float dtMs);
// Survival and Meditation: the panel after the final explosion.
void updateGameOverPanel(float dtMs);
