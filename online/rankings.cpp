#include "online/rankings.h"

#include "engine/config.h"
#include "engine/profiler.h"
#include "engine/util.h"
#include "engine/window.h"
#include "game/game_types.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/page_state.h"
#include "game/main_menu.h"
#include "game/states.h"
#include "online/query.h"
#include "online/requests.h"
#include "platform/system.h"

#include <algorithm>
#include <cctype>
#include <cmath>

std::vector<std::string> rankingList;
int rankingScroll = 0;
int rankingOffset = 0;
bool rankingRequestSent = false;
bool rankingDropInFlight = false;
bool rankingAtEnd = false;
std::string rankingReply;
std::deque<std::string> rankingReplies;
std::size_t rankingParseCursor = 0;
std::vector<bool> rankingFlagsByMode;
std::vector<std::vector<std::string>> rankingRowsByMode;
bool findingPlayer = false;
std::size_t findingPlayerIndex = 0;
float rankingDragOffset = 0.0f;

namespace {

constexpr int shownRows = 10;

double counterMs()
{
    return platformMsSince(0);
}

std::string lowerCase(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::vector<std::string> rowFields(const std::string& row)
{
    std::vector<std::string> fields;
    split(row, ",", &fields);
    return fields;
}

int rowCount()
{
    return static_cast<int>(std::min<std::size_t>(rankingList.size(), 1u << 30));
}

// The player's row shows in the fifth line of the table where the list allows.
void scrollToRow(int index)
{
    const int rows = rowCount();
    if (index < 4)
        rankingScroll = 0;
    else if (index < rows - 4)
        rankingScroll = index - 4;
    else
        rankingScroll = rows - shownRows;
    if (rankingScroll + shownRows > rows)
        rankingScroll = rows - shownRows;
    if (rankingScroll < 0)
        rankingScroll = 0;
}

// Looks only at the rows loaded since the last frame; gives up once the whole list is in.
void findPlayer()
{
    if (!findingPlayer)
        return;
    const std::string player = lowerCase(userId);
    for (; findingPlayerIndex < rankingList.size(); ++findingPlayerIndex) {
        const std::vector<std::string> fields = rowFields(rankingList[findingPlayerIndex]);
        if (fields.size() < 5 || lowerCase(fields[4]) != player)
            continue;
        scrollToRow(static_cast<int>(findingPlayerIndex));
        findingPlayer = false;
        findingPlayerIndex = 0;
        return;
    }
    if ((rankingAtEnd || offlineMode == 99) && rankingReplies.empty()) {
        findingPlayer = false;
        findingPlayerIndex = 0;
    }
}

void requestNextPage()
{
    if (rankingAtEnd || rankingRequestSent)
        return;
    rankingRequestSent = true;
    rankingReply.clear();
    curlQueue(buildRequest("world_ranking_staggered.php?", {{"gamemode=", gameMode}, {"&offset=", rankingOffset}}),
              &rankingReply, rk::RankingPage, 20);
}

void dropFrontReply()
{
    rankingReplies.pop_front();
    rankingParseCursor = 0;
}

// Turns queued page bodies into rows until the queue is empty or the budget is spent; the front
// body and the cursor carry the rest to the next frame.
void parseReplies()
{
    if (rankingReplies.empty())
        return;
    const double start = rankingClockMs();
    while (!rankingReplies.empty()) {
        const std::string& body = rankingReplies.front();
        // An empty body is dropped before anything of it is read.
        if (body.empty() || body[0] - '0' != gameMode) {
            dropFrontReply();
            continue;
        }
        bool spent = false;
        while (rankingParseCursor < body.size()) {
            const std::size_t end = body.find("\r\n", rankingParseCursor);
            if (end == std::string::npos) {
                rankingParseCursor = body.size();   // an unterminated tail is no row
                break;
            }
            rankingList.push_back(body.substr(rankingParseCursor, end - rankingParseCursor));
            rankingParseCursor = end + 2;
            if (rankingClockMs() - start > rankingParseBudgetMs) {
                spent = true;
                break;
            }
        }
        if (rankingParseCursor >= body.size())
            dropFrontReply();
        if (spent)
            return;
    }
}

void repeatArrows(float dtMs)
{
    if (!leftButtonDown)
        return;
    mouseHoldTime += dtMs;
    if (mouseHoldTime <= 500.0f)
        return;
    mouseHoldTime = 400.0f;
    if (hoveredButton == 2)
        scrollRankings(1);
    else if (hoveredButton == 3)
        scrollRankings(-1);
}

void hover()
{
    if (pointerInside(rankingModeArrowRect(-1))) {
        hoveredButton = 1;
        hoveredArrow = -1;
    } else if (pointerInside(rankingModeArrowRect(1))) {
        hoveredButton = 1;
        hoveredArrow = 1;
    } else {
        hoveredButton = 0;
        for (int button : {2, 3, 5, 6}) {
            if (pointerInside(rankingButtonRect(button))) {
                hoveredButton = button;
                break;
            }
        }
    }
    const int rows = rowCount();
    if (rows > shownRows) {
        const RankingScrollBar bar = rankingScrollBar(rows, rankingScroll);
        if (pointerInside(bar.thumb) || pointerInside(bar.track))
            hoveredButton = 4;
    }
}

void drag()
{
    const int rows = rowCount();
    if (!leftButtonDown || hoveredButton != 4 || rows <= shownRows)
        return;
    dragStart = Vector2(static_cast<float>(mouseX), static_cast<float>(mouseY));
    const RankingScrollBar bar = rankingScrollBar(rows, rankingScroll);
    const float d = dragStart.y - bar.trackTop - rankingDragOffset;
    const float travel = bar.usableLength - bar.naturalThumb;
    if (d < 0.0f)
        rankingScroll = 0;
    else if (d > bar.trackLength - bar.naturalThumb)
        rankingScroll = rows - shownRows;
    else
        rankingScroll = static_cast<int>(std::floor(d / travel * static_cast<float>(rows - shownRows)));
    rankingScroll = std::min(rankingScroll, rows - shownRows);
}

} // namespace

double (*rankingClockMs)() = counterMs;

const char* rankingModeName(int mode)
{
    static const char* const names[] = {"Overall", "Casual", "Normal", "Expert", "Rush", "Survival", "Meditation"};
    return mode >= gm::Casual && mode <= gm::Meditation ? names[mode] : names[0];
}

void restartRankingList()
{
    rankingOffset = 0;
    rankingAtEnd = false;
    rankingList.clear();
    // Pages still queued or on their way belong to the list being dropped.
    rankingReplies.clear();
    rankingParseCursor = 0;
    if (rankingRequestSent)
        rankingDropInFlight = true;
    rankingScroll = 0;
    findingPlayerIndex = 0;
}

void scrollRankings(int steps)
{
    if (steps > 0 && rankingScroll > 0)
        --rankingScroll;
    else if (steps < 0 && std::size_t(rankingScroll) + shownRows < rankingList.size())
        ++rankingScroll;
}

RankingRowView rankingRowView(const std::string& row)
{
    RankingRowView view;
    const std::vector<std::string> fields = rowFields(row);
    if (fields.size() != 6)
        return view;
    view.valid = true;
    view.name = fields[1];
    view.points = groupDigits(fields[3]);
    const int player = parseWhole(userId);
    view.player = !userId.empty() && player != 0 && parseWhole(fields[4]) == player;
    return view;
}

void UpdateRanking(float dtMs)
{
    PROFILE_SCOPE("UpdateRanking");
    advanceFrameTicker();
    menuSpinAngle += dtMs / 2.5f;
    if (menuSpinAngle > 360.0f)
        menuSpinAngle -= 360.0f;
    findPlayer();
    // Offline nothing is asked for: the page says the ranking is unavailable.
    if (offlineMode != 99)
        requestNextPage();
    parseReplies();
    repeatArrows(dtMs);
    hover();
    drag();
}
