// Highscore, death and score reports and the per-game counters they send.
// Placeholder until the reports are written.
#pragma once
#include <string>

extern bool highscoreRequestSent, highscoreReplyReceived;
// This game's session: the local time (14 digits) followed by a digest of a random number.
extern std::string sessionHash;
extern int dropCount;      // blocks set down in this level ("&drops=")
extern float gameTime;     // ms of play in this game
extern float apmTime;      // play seconds counted for the actions-per-minute figure

// Reply targets of the highscore (kind 2) and score (kind 4) requests.
extern std::string highscoreReply, scoreReply;
// The highscore reply's five numbers and the score reply's, -1 until a reply gives them.
extern int highscoreReplyFirst, personalBest, performanceMean, performanceSpread, previousRank;
extern int scoreReplyFirst, scoreReplySecond, newRank, skillPointsBefore, skillPointsAfter;
// ms the highscore [0], achievement upload [1] and score [2] replies have been awaited.
extern float requestWaitTimes[3];
extern bool serverWaitPause;   // play is paused for an overdue reply
extern bool continueReady;     // a reply came during that pause
// Steps of play that the report work fills in; each does nothing yet.
void updateHighscoreRequest();       // first step of every frame of the game, paused or not
void queueDeathReport();             // once per explosion, after its last phase
void updateServerWait(float dtMs);   // reply waits and the server-wait pause, every frame
