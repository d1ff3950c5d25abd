// Highscore, death and score reports and the per-game counters they send.
// Placeholder until the reports are written.
#pragma once

extern bool highscoreRequestSent, highscoreReplyReceived;
extern int dropCount;      // blocks set down in this level ("&drops=")
extern float gameTime;     // ms of play in this game
extern float apmTime;      // play seconds counted for the actions-per-minute figure

// Steps of play that the report work fills in; each does nothing yet.
void updateHighscoreRequest();       // first step of every frame of the game, paused or not
void queueDeathReport();             // once per explosion, after its last phase
void updateServerWait(float dtMs);   // reply waits and the server-wait pause, every frame
