#include "game/reports.h"

// Placeholder until the reports are written.
bool highscoreRequestSent = false, highscoreReplyReceived = false;
int dropCount = 0;
float gameTime = 0.0f;
float apmTime = 0.0f;

void updateHighscoreRequest() {}
void queueDeathReport() {}
void updateServerWait(float) {}
