#include "game/scoring.h"

// Placeholder until group removal, combos and scoring are written.
int score = 0;
int displayedScore = 0;
int comboLevel = 1;
int bestCombo = 0;
int killCount = 0;
int blockBonusTotal = 0;
int placementsSinceMatch = 0;
