#include "game/reports.h"

// Placeholder until the reports are written.
bool highscoreRequestSent = false, highscoreReplyReceived = false;
std::string sessionHash;
int dropCount = 0;
float gameTime = 0.0f;
float apmTime = 0.0f;
// Written by the reply dispatch; the reports and the server wait read them.
std::string highscoreReply, scoreReply;
int highscoreReplyFirst = -1, personalBest = -1, performanceMean = -1, performanceSpread = -1, previousRank = -1;
int scoreReplyFirst = -1, scoreReplySecond = -1, newRank = -1, skillPointsBefore = -1, skillPointsAfter = -1;
float requestWaitTimes[3] = {0.0f, 0.0f, 0.0f};
bool serverWaitPause = false;
bool continueReady = false;

void updateHighscoreRequest() {}
void queueDeathReport() {}
void updateServerWait(float) {}
