// Highscore, death and score reports and the per-game counters they send.
// Placeholder until the reports are written.
#pragma once

extern bool highscoreRequestSent, highscoreReplyReceived;
extern int dropCount;      // blocks set down in this level ("&drops=")
extern float gameTime;     // ms of play in this game
extern float apmTime;      // play seconds counted for the actions-per-minute figure
