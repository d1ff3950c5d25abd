// Level completion, the end-of-game panel and the Survival stages.
// Placeholder until level completion is written.
#pragma once

extern float levelCompleteTimer;    // 0 in play; runs while the level-complete panel is up
extern int performanceGrade;
extern int finalPerformanceGrade;
extern bool scoreRequestSent, scoreReplyReceived;
extern bool levelSelectPlay;        // the game was started from the level-select page
extern bool endBreakSoundPlayed;
extern float survivalCountdownElapsed;
extern float survivalSecondTimer;
extern int survivalStage;

// Steps of play that the level-end work fills in; each does nothing yet.
void updateSurvivalCountdown(float realDtMs);   // the stage clock at real time
void updateLevelCleared(float dtMs);            // Classic and Rush: the panel after the last block
void updateGameOverPanel(float dtMs);           // Survival and Meditation: the panel after the explosion
