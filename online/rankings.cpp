#include "online/rankings.h"

// Placeholder until the rankings page is written: it fills the list and owns its row type.
std::vector<std::string> rankingList;
int rankingScroll = 0;
// Set by the reply dispatch.
int rankingOffset = 0;
bool rankingRequestSent = false;
bool rankingAtEnd = false;
std::string rankingReply;
std::deque<std::string> rankingReplies;
std::vector<bool> rankingFlagsByMode;
std::vector<std::vector<std::string>> rankingRowsByMode;
bool findingPlayer = false;
float rankingDragOffset = 0.0f;

void restartRankingList()
{
    rankingOffset = 0;
    rankingAtEnd = false;
    rankingList.clear();
    // Pages still queued belong to the list being dropped.
    rankingReplies.clear();
    rankingScroll = 0;
}

void scrollRankings(int steps)
{
    if (steps > 0 && rankingScroll > 0)
        --rankingScroll;
    else if (steps < 0 && std::size_t(rankingScroll) + 10 < rankingList.size())
        ++rankingScroll;
}

// Placeholder until the rankings page is written.
void UpdateRanking(float) {}
