// Group removal, combos and scoring.
#pragma once

// The true score. Memory holds it with a constant offset added, so a memory editor finds no
// plain value; every rule reads and writes true values through these two.
int getScore();
void setScore(int value);

extern int displayedScore;
extern int comboLevel;            // 1 at level start
extern int bestCombo;
extern int killCount;
extern int blockBonusTotal;
extern int placementsSinceMatch;  // blocks set down since the last removal
