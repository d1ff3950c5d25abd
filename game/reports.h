// Highscore, death and score reports, the per-game counters they send, and the server wait: an
// overdue reply pauses play with a popup that can go offline.
#pragma once
#include <string>

extern bool highscoreRequestSent, highscoreReplyReceived;
extern int dropCount;      // blocks set down in this level ("&drops=")
extern float gameTime;     // ms of play in this game
extern float apmTime;      // play seconds counted for the actions-per-minute figure
// Made when a game is started from the game-type page; sent with every death and score report.
extern std::string sessionHash;

// Reply targets of the highscore (kind 2) and score (kind 4) requests.
extern std::string highscoreReply, scoreReply;
// The highscore reply's five numbers and the score reply's, -1 until a reply gives them.
extern int highscoreReplyFirst, personalBest, performanceMean, performanceSpread, previousRank;
extern int scoreReplyFirst, scoreReplySecond, newRank, skillPointsBefore, skillPointsAfter;
// ms the highscore [0], achievement upload [1] and score [2] replies have been awaited.
extern float requestWaitTimes[3];
inline constexpr float serverWaitLimit = 10000.0f;
extern bool serverWaitPause;       // play is paused for an overdue reply
extern bool continueReady;         // a reply came during that pause
extern bool serverWaitContinued;   // the popup asks whether to go offline
extern float connectingDotsTimer;  // ms, 0..4000: the popup's "Connecting" dots

// Time-out of the three reports (request kinds rk::Highscore, rk::Death, rk::Score).
inline constexpr long reportTimeoutSeconds = 5;

// The query texts, every value URL-escaped. The death report gives its time in seconds with a
// fraction, the score report in whole milliseconds and with the latched grade.
std::string highscoreQuery();
std::string deathQuery();
std::string scoreQuery();
// truncate(actions / minutes of play): 0 before any play time, held to the int range.
int actionsPerMinute();

// Meditation is played without the menu's music: both loops go quiet at once.
void silenceMenuMusic();
// First step of every frame of the game, paused or not: asks for the player's standing in this
// mode and level while online, once per level and again after a transport failure.
void updateHighscoreRequest();
// A new game, or the next level from the score page: the highscore request goes out again and
// its wait starts from 0 (a retry after a transport failure keeps its wait).
void startHighscoreReport();
// Once per explosion, after its last phase, also offline (the request machinery drops it then).
void queueDeathReport();
// The ending panel's first frame: a new score report, unsent, with its numbers unknown and its
// wait at 0.
void resetScoreReport();
// Sends the score report once the grade is latched; empties the announcements waiting.
void queueScoreReport();
// Every frame: a wait grows only while its request is in flight and the game is online, and any
// answer ("fail" included) ends it; one past the limit pauses play with the popup.
void updateServerWait(float dtMs);
// The popup's frame while it is the topmost form: the dots and its buttons.
void updateServerWaitPopup(float dtMs);
// "Continue" in the go-offline confirmation: offline for the rest of the run, every wait ended.
void continueOffline();
