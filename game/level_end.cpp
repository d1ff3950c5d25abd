#include "game/level_end.h"

// Placeholder until level completion is written.
float levelCompleteTimer = 0.0f;
int performanceGrade = 0;
int finalPerformanceGrade = 0;
bool scoreRequestSent = false, scoreReplyReceived = false;
bool levelSelectPlay = false;
bool endBreakSoundPlayed = false;
float survivalCountdownElapsed = 0.0f;
float survivalSecondTimer = 0.0f;
int survivalStage = 1;

void updateSurvivalCountdown(float) {}
void updateLevelCleared(float) {}
void updateGameOverPanel(float) {}
