// Group removal, combos and scoring.
#pragma once
#include "game/score.h"

extern int displayedScore;
extern int comboLevel;            // 1 at level start; climbs as a group's members vanish
extern int bestCombo;             // largest group removed in this game
extern int lastGroupSize;
extern int killCount;             // blocks removed in groups in this game
extern int blockBonusTotal;
extern int placementsSinceMatch;  // blocks set down since the last removal

inline constexpr int minimumGroupSize = 4;

// n x n x 100, tripled while the Multiplier runs.
int groupPoints(int n, bool multiplier);
// The frame's group step: the mode's mass factor, then a search from each unsettled block at
// rest; the first group of four or more starts its removal (at most one a frame). Returns the
// group's size, 0 when nothing was removed.
int updateGroupRemoval();
// What a group of n that starts removing brings: the mass cut, charge, points, counters, awards
// and its floating score text.
void scoreRemovedGroup(int n);
// Removing blocks count their delays down; each that reaches 0 leaves with its burst and a note
// one step higher than the member before it.
void retireRemovingBlocks(float dtMs);
