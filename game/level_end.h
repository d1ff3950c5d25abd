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
