// The rankings page's update: pages from the stand-in, parsing under the budget with a fake clock,
// "Find Me", the arrows' repeat and the drag.
#include "online_fixture.h"

#include "engine/window.h"
#include "game/input.h"
#include "game/layout.h"
#include "game/page_buttons.h"

namespace {

double fakeNow = 0.0;
double fakeStep = 0.0;   // every reading of the clock moves it on by this
double fakeClock()
{
    return fakeNow += fakeStep;
}

struct Rankings : OnlineTest {
    double (*savedClock)() = rankingClockMs;
    void SetUp() override
    {
        OnlineTest::SetUp();
        gameState = gs::Ranking;
        screenWidth = 1680;
        screenHeight = 1050;
        rankingClockMs = fakeClock;
        fakeNow = fakeStep = 0.0;
        leftButtonDown = false;
        mouseX = mouseY = 0;
    }
    void TearDown() override
    {
        rankingClockMs = savedClock;
        leftButtonDown = false;
        mouseHoldTime = 0.0f;
        userId.clear();
        OnlineTest::TearDown();
    }
    static std::string row(int mode, int id, const std::string& name = "p")
    {
        return std::to_string(mode) + "," + name + ",1,100," + std::to_string(id) + ",3";
    }
    static std::string body(int mode, int from, int count)
    {
        std::string text;
        for (int i = from; i < from + count; ++i)
            text += row(mode, i) + "\r\n";
        return text;
    }
    static void fill(int rows)
    {
        rankingList.clear();
        for (int i = 0; i < rows; ++i)
            rankingList.push_back(row(gameMode, i + 100));
    }
    static void pointAt(float x, float y) { mouseX = static_cast<int>(x), mouseY = static_cast<int>(y); }
    std::vector<std::string> pagesAsked() const
    {
        std::vector<std::string> urls;
        for (const CurlRequest& r : requests)
            if (r.kind == rk::RankingPage)
                urls.push_back(r.url);
        return urls;
    }
};

} // namespace

TEST_F(Rankings, SixtyRowsArriveInThreePagesUntilTheEnd)
{
    {
        std::lock_guard<std::mutex> lock(service.store.mutex);
        for (int i = 1; i <= 60; ++i) {
            Statement user(service.store, "INSERT INTO users(name, password_digest, email, created) "
                                          "VALUES(?1, 'x', 'q@x.org', 0)");
            user.bind(1, "player" + std::to_string(i)).step();
            Statement score(service.store, "INSERT INTO scores(user_id, mode, level, score, performance, details, "
                                           "created) VALUES(?1, 4, 1, ?2, 4, '', 0)");
            score.bind(1, static_cast<std::int64_t>(i)).bind(2, static_cast<std::int64_t>(100000 - i * 100)).step();
        }
    }
    gameMode = gm::Rush;
    restartRankingList();
    userId = "57";
    findingPlayer = true;
    ASSERT_TRUE(pumpUntil([] {
        UpdateRanking(16.0f);
        return rankingAtEnd && rankingReplies.empty();
    }));
    EXPECT_EQ(pagesAsked(), (std::vector<std::string>{"world_ranking_staggered.php?gamemode=4&offset=0",
                                                       "world_ranking_staggered.php?gamemode=4&offset=25",
                                                       "world_ranking_staggered.php?gamemode=4&offset=50",
                                                       "world_ranking_staggered.php?gamemode=4&offset=60"}));
    ASSERT_EQ(rankingList.size(), 60u);
    EXPECT_EQ(rankingList[59], "4,player60,60,940,60,1");
    UpdateRanking(16.0f);
    EXPECT_FALSE(findingPlayer);
    EXPECT_EQ(rankingScroll, 50);   // the last ten rows, 57th among them
    EXPECT_EQ(pagesAsked().size(), 4u);
}

// Each reading of the clock takes 1 ms: a frame parses rows until more than 10 ms have gone.
TEST_F(Rankings, ParsingSpreadsALargeBodyOverFrames)
{
    gameMode = gm::Normal;
    rankingAtEnd = true;   // nothing is asked for
    rankingReplies = {"", "x,garbage\r\n", body(gm::Normal, 0, 30) + "2,tail,1,1,1", body(gm::Rush, 0, 5),
                      body(gm::Normal, 30, 5)};
    fakeStep = 1.0;
    const std::size_t perFrame[] = {11, 22, 33, 35, 35};
    for (std::size_t expected : perFrame) {
        UpdateRanking(16.0f);
        EXPECT_EQ(rankingList.size(), expected);
    }
    EXPECT_TRUE(rankingReplies.empty());
    EXPECT_EQ(rankingParseCursor, 0u);
    EXPECT_EQ(rankingList[29], row(gm::Normal, 29));   // the unterminated tail is no row
    EXPECT_EQ(rankingList[30], row(gm::Normal, 30));
}

// A page on its way when the list starts again is dropped even when it is of the mode shown again:
// it answers an offset the new list has not reached.
TEST_F(Rankings, ToggledModeDropsThePageInFlight)
{
    curlQueueHook = [](const std::string& url, std::string*, int, long) {
        requests.emplace_back();
        requests.back().url = url;
        requests.back().kind = rk::RankingPage;
    };
    gameMode = gm::Casual;
    rankingOffset = 25;
    UpdateRanking(16.0f);
    EXPECT_TRUE(rankingRequestSent);
    rankingReplies = {body(gm::Casual, 0, 3)};
    rankingParseCursor = 5;
    gameMode = gm::Normal;
    restartRankingList();
    EXPECT_TRUE(rankingReplies.empty() && rankingParseCursor == 0);
    gameMode = gm::Casual;
    restartRankingList();
    UpdateRanking(16.0f);   // nothing more while the old page is on its way
    std::string late = "1 ROWS 2\r\n" + body(gm::Casual, 25, 2);
    handleReply(rk::RankingPage, 0, &late);
    EXPECT_EQ(rankingOffset, 0);
    EXPECT_TRUE(rankingReplies.empty());
    UpdateRanking(16.0f);
    curlQueueHook = nullptr;
    EXPECT_EQ(pagesAsked(), (std::vector<std::string>{"world_ranking_staggered.php?gamemode=1&offset=25",
                                                       "world_ranking_staggered.php?gamemode=1&offset=0"}));
    EXPECT_TRUE(rankingList.empty());

    std::string garbage = "? ROWS 2\r\n" + body(gm::Casual, 0, 2);
    handleReply(rk::RankingPage, 0, &garbage);
    EXPECT_TRUE(rankingReplies.empty() && !rankingRequestSent);
}

// Offline the page asks for nothing, and "Find Me" gives up.
TEST_F(Rankings, OfflineNothingIsAsked)
{
    offlineMode = 99;
    findingPlayer = true;
    for (int i = 0; i < 5; ++i)
        UpdateRanking(16.0f);
    EXPECT_TRUE(requests.empty());
    EXPECT_FALSE(findingPlayer);
}

TEST_F(Rankings, FindMeScrollsToThePlayerOrGivesUp)
{
    const struct {
        int rows, index;
        bool atEnd;
        int scroll;
        bool stillFinding;
    } cases[] = {{100, 2, true, 0, false}, {100, 57, true, 53, false}, {100, 98, true, 90, false},
                 {8, 5, true, 0, false},   {100, -1, false, 7, true},  {100, -1, true, 7, false}};
    gameMode = gm::Expert;
    for (const auto& c : cases) {
        fill(c.rows);
        rankingList[0] = "3,short,row";   // fewer than five pieces: skipped
        if (c.index >= 0)
            rankingList[static_cast<std::size_t>(c.index)] = row(gm::Expert, 4242, "me");
        userId = "4242";
        rankingAtEnd = c.atEnd;
        rankingRequestSent = true;
        rankingScroll = 7;
        findingPlayer = true;
        findingPlayerIndex = 0;
        UpdateRanking(16.0f);
        EXPECT_EQ(rankingScroll, c.scroll) << c.rows << " " << c.index;
        EXPECT_EQ(findingPlayer, c.stillFinding) << c.index;
        if (c.stillFinding) {
            EXPECT_EQ(findingPlayerIndex, rankingList.size());   // the next frame looks at new rows only
        }
    }
}

TEST_F(Rankings, ArrowsRepeatAndTheThumbDrags)
{
    gameMode = gm::Rush;
    rankingAtEnd = true;
    const RankingScrollBar bar = rankingScrollBar(25, 15);

    // Holding the down arrow: a step after 500 ms, then one every 100 ms (and a frame), never past
    // the last row.
    fill(13);
    rankingScroll = 0;
    const LayoutRect down = rankingButtonRect(3);
    pointAt((down.left + down.right) / 2.0f, (down.top + down.bottom) / 2.0f);
    leftButtonDown = true;
    mouseHoldTime = 0.0f;
    const std::pair<int, int> steps[] = {{500, 0}, {501, 1}, {601, 1}, {602, 2}, {703, 3}, {2000, 3}};
    int ms = 0;
    for (const auto& [until, scroll] : steps) {
        for (; ms < until; ++ms)
            UpdateRanking(1.0f);
        EXPECT_EQ(hoveredButton, 3);
        EXPECT_EQ(rankingScroll, scroll) << until;
    }

    // Dragging, grabbed 10 px below the thumb's top: above the track, past its end, and between.
    const struct {
        int rows;
        float below;   // pointer y below the track's top
        int scroll;
    } drags[] = {{40, 5.0f, 0}, {40, bar.trackLength - 1.0f, 30}, {1000, bar.trackLength - 1.0f, 990},
                 {40, 10.0f + 0.51f * (bar.trackLength - 10.0f / 40.0f * bar.trackLength), 15}};
    for (const auto& d : drags) {
        fill(d.rows);
        const RankingScrollBar b = rankingScrollBar(d.rows, 0);
        rankingDragOffset = 10.0f;
        pointAt(b.columnX, b.trackTop + d.below);
        UpdateRanking(1.0f);
        EXPECT_EQ(hoveredButton, 4);
        EXPECT_EQ(rankingScroll, d.scroll) << d.rows << " " << d.below;
    }
}
