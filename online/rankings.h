// The world ranking: the pages fetched from the web service, the rankings page's list and its
// scroll position.
// Placeholder until the rankings page is written: the reply dispatch fills the page queue.
#pragma once
#include <deque>
#include <string>
#include <vector>

extern std::vector<std::string> rankingList;   // rows fetched so far
extern int rankingScroll;                      // first visible row; ten rows are visible
extern int rankingOffset;                      // rows delivered so far for the current mode
extern bool rankingRequestSent;                // a page request is in flight
extern bool rankingAtEnd;                      // the service said the list is complete
extern std::string rankingReply;               // reply target of the page request (kind 9)
extern std::deque<std::string> rankingReplies; // page bodies waiting to become rows
// One entry per game mode (gm::Overall to gm::Meditation), sized at start-up.
extern std::vector<bool> rankingFlagsByMode;
extern std::vector<std::vector<std::string>> rankingRowsByMode;
extern bool findingPlayer;                     // "Find Me": the player's row is being looked for
extern float rankingDragOffset;                // where on the scroll thumb the pointer grabbed it

// Starts the list of the current mode afresh: from offset 0, not at its end, no rows, at the top.
void restartRankingList();

// One scroll step (the wheel and the page's arrows): steps > 0 scrolls up one row, < 0 down one
// row, keeping the last ten rows in view.
void scrollRankings(int steps);
// Per-frame update of the rankings page (49).
void UpdateRanking(float dtMs);
