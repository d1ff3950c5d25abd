// The rankings page's list and its scroll position.
#pragma once
#include <string>
#include <vector>

extern std::vector<std::string> rankingList;   // rows fetched so far
extern int rankingScroll;                      // first visible row; ten rows are visible
// One entry per game mode (gm::Overall to gm::Meditation), sized at start-up.
extern std::vector<bool> rankingFlagsByMode;
extern std::vector<std::vector<std::string>> rankingRowsByMode;

// The wheel on the rankings page: steps > 0 scrolls up one row, < 0 down one row.
void scrollRankings(int steps);
