// The world ranking: the pages fetched from the web service, the rankings page's list, its
// scroll position, "Find Me", and the page's per-frame update.
#pragma once
#include <cstddef>
#include <deque>
#include <string>
#include <vector>

extern std::vector<std::string> rankingList;   // rows fetched so far, one reply line each
extern int rankingScroll;                      // first visible row; ten rows are visible
extern int rankingOffset;                      // rows delivered so far for the current mode
extern bool rankingRequestSent;                // a page request is in flight
// The page request in flight belongs to a list started afresh since: its reply is dropped.
extern bool rankingDropInFlight;
extern bool rankingAtEnd;                      // the service said the list is complete
extern std::string rankingReply;               // reply target of the page request (kind 9)
inline constexpr int rankingRowsPerPage = 25;  // rows the service sends a page; more are not taken
inline constexpr int maxRankingRows = 10000;   // the list ends here whatever the service says
extern std::deque<std::string> rankingReplies; // page bodies waiting to become rows
extern std::size_t rankingParseCursor;         // where in the front body the next row starts
// One entry per game mode (gm::Overall to gm::Meditation), sized at start-up.
extern std::vector<bool> rankingFlagsByMode;
extern std::vector<std::vector<std::string>> rankingRowsByMode;
extern bool findingPlayer;                     // "Find Me": the player's row is being looked for
extern std::size_t findingPlayerIndex;         // the next row "Find Me" looks at
extern float rankingDragOffset;                // where on the scroll thumb the pointer grabbed it
// Milliseconds on a monotonic clock: what the row parsing measures its budget with.
extern double (*rankingClockMs)();
inline constexpr double rankingParseBudgetMs = 10.0;

// The mode's name over the page's table: "Overall" for any value but the six modes.
const char* rankingModeName(int mode);

// Starts the list of the current mode afresh: from offset 0, not at its end, no rows, at the top,
// nothing queued, and the page in flight (if any) to be dropped when it arrives.
void restartRankingList();

// One scroll step (the wheel and the page's arrows): steps > 0 scrolls up one row, < 0 down one
// row, keeping the last ten rows in view.
void scrollRankings(int steps);

// One ranking row as the page shows it. A row of six comma-separated fields (empty ones skipped)
// gives the name (field 2) and the skill points (field 4, grouped in threes); any other row reads
// "Error". `player` is set when the row's id (field 5) is the logged-in player's, as numbers.
struct RankingRowView {
    bool valid = false;
    std::string name = "Error";
    std::string points = "Error";
    bool player = false;
};
RankingRowView rankingRowView(const std::string& row);

// Per-frame update of the rankings page (49).
void UpdateRanking(float dtMs);
