#include "online/rankings.h"

// Placeholder until the rankings page is written: it fills the list and owns its row type.
std::vector<std::string> rankingList;
int rankingScroll = 0;
std::vector<bool> rankingFlagsByMode;
std::vector<std::vector<std::string>> rankingRowsByMode;

void scrollRankings(int steps)
{
    if (steps > 0 && rankingScroll > 0)
        --rankingScroll;
    else if (steps < 0 && std::size_t(rankingScroll) + 10 < rankingList.size())
        ++rankingScroll;
}
