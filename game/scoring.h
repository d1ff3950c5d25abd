// Group removal, combos and scoring: the globals the level start resets.
// Placeholder until group removal, combos and scoring are written.
#pragma once

extern int score;                 // the true score
extern int displayedScore;
extern int comboLevel;            // 1 at level start
extern int bestCombo;
extern int killCount;
extern int blockBonusTotal;
extern int placementsSinceMatch;  // blocks set down since the last removal
