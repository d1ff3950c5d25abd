// The login, new-profile and ranking pages through the draw recorder.
#include "screens_fixture.h"

#include "engine/main.h"
#include "game/layout.h"
#include "online/create_account.h"
#include "online/query.h"
#include "online/rankings.h"
#include "screens/create_account_page.h"
#include "screens/login_page.h"
#include "screens/ranking_page.h"

namespace {

class AccountPagesTest : public ScreensTest {
protected:
    void SetUp() override
    {
        ScreensTest::SetUp();
        gameVersion.clear();
        username = "Quill";
        playerPassword = "abcdef";
        retypedPassword = "ab";
        email = "q@x.org";
        caretBlink = true;
        rankingList.clear();
        rankingScroll = 0;
        rankingAtEnd = findingPlayer = false;
    }
    void TearDown() override
    {
        username.clear();
        playerPassword.clear();
        retypedPassword.clear();
        email.clear();
        userId.clear();
        rankingList.clear();
        ScreensTest::TearDown();
    }
    // The page's own shadowed texts (the backdrop's status corner left out).
    std::vector<std::string> texts() const
    {
        std::vector<std::string> out;
        for (const DrawCall& c : of(DrawOp::PrintShadowed))
            if (c.text != "Offline Mode" && c.text.rfind("Logged in as: ", 0) != 0)
                out.push_back(c.text);
        return out;
    }
    // The rows of the bars drawn, each checked against the bar of menuButtonRect.
    std::vector<float> barRows() const
    {
        std::vector<float> rows;
        for (const DrawCall& bar : of(DrawOp::Quad, "menuonoff.tga"))
            for (float k : {1.0f, 3.0f, 4.0f}) {
                const LayoutRect box = menuButtonRect(k);
                if (bar.y == (box.top + box.bottom) / 2.0f && bar.w == box.right - box.left)
                    rows.push_back(k);
            }
        return rows;
    }
};

struct PanelCase {
    int popup, hovered, offline;
    std::vector<std::string> texts;
    std::vector<float> bars;
    int after;   // popupId once drawn
};

const char* const note = "(Minimum 4 characters. Press Enter to continue)";

} // namespace

TEST_F(AccountPagesTest, LoginPanels)
{
    connectingDotsTimer = 2500.0f;
    const PanelCase cases[] = {
        {1, 1, 0, {"Username:", "Quill_", note, "Create a New Profile", "Account Retrieval"}, {3.0f}, 1},
        {2, 2, 0, {"Password:", "******_", note, "Create a New Profile", "Account Retrieval"}, {4.0f}, 2},
        {13, 1, 0, {"Logging In.."}, {}, 12},
        {11, 1, 99,
         {"Unable to connect to game server.",
          "Online Ranking, Skillpoints and Achievements are unavailable in Offline Mode.", "Play in Offline Mode",
          "Retry Connection"},
         {4.0f}, 11},
        {11, 2, 0,
         {"Unable to connect to game server.", "You must log in successfully before offline mode is enabled.", "Quit",
          "Retry Connection"},
         {3.0f}, 11},
        {14, 2, 0, {"Login failed", "Back"}, {}, 14},
        {20, 1, 0, {}, {}, 20},
    };
    for (const PanelCase& c : cases) {
        popupId = c.popup;
        hoveredButton = c.hovered;
        offlineMode = c.offline;
        calls.clear();
        renderLogin();
        EXPECT_EQ(texts(), c.texts) << c.popup;
        EXPECT_EQ(barRows(), c.bars) << c.popup;
        EXPECT_EQ(popupId, c.after);
    }
    // The words start where the full "Logging In..." would if centred, whatever the dots.
    const std::pair<float, const char*> dots[] = {
        {999.9f, "Logging In"}, {1000.0f, "Logging In."}, {3999.0f, "Logging In..."}, {4000.0f, "Logging In"}};
    for (const auto& [t, words] : dots) {
        connectingDotsTimer = t;
        popupId = 12;
        calls.clear();
        renderLogin();
        ASSERT_EQ(texts(), std::vector<std::string>{words}) << t;
        EXPECT_FLOAT_EQ(of(DrawOp::PrintShadowed, words)[0].x, 840.0f - 13.0f * 8.0f);
    }
}

TEST_F(AccountPagesTest, NewProfilePanels)
{
    const PanelCase cases[] = {
        {20, 1, 0,
         {"Email:", "q@x.org_", "(Type or paste your email. Press Enter to continue)",
          "Email is used for account retrieval only.", "Use an Existing Profile"},
         {3.0f}, 20},
        {1, 1, 0, {"New Player Name:", "Quill_", note}, {}, 1},
        {2, 0, 0, {"New Password:", "******_", note}, {}, 2},
        {3, 0, 0, {"Retype Password:", "**_", note}, {}, 3},
        {8, 0, 0, {"Checking name availablility..."}, {}, 7},
        {9, 0, 0, {"Registering..."}, {}, 10},
        {11, 1, 0, {"Error", "Back"}, {1.0f}, 11},
        {5, 2, 0, {"Password does not match", "Back"}, {}, 5},
        {4, 1, 0, {"Name is taken", "Back"}, {1.0f}, 4},
        {13, 1, 0, {}, {}, 13},
    };
    for (const PanelCase& c : cases) {
        popupId = c.popup;
        hoveredButton = c.hovered;
        calls.clear();
        renderCreateAcc();
        EXPECT_EQ(texts(), c.texts) << c.popup;
        EXPECT_EQ(barRows(), c.bars) << c.popup;
        EXPECT_EQ(popupId, c.after);
    }
    // The e-mail box is 0.5 H wide with its text at 0.75; the others 0.3 H at 1.0. Without the
    // caret an empty field shows nothing.
    caretBlink = false;
    email.clear();
    for (const auto& [popup, width, scale] : {std::tuple{20, 525.0f, 0.75f}, std::tuple{1, 315.0f, 1.0f}}) {
        popupId = popup;
        calls.clear();
        renderCreateAcc();
        const DrawCall box = of(DrawOp::ColourQuad)[0];
        EXPECT_FLOAT_EQ(box.w, width);
        EXPECT_FLOAT_EQ(box.h, 1.75f * 27.0f);
        EXPECT_FLOAT_EQ(of(DrawOp::LineLoop)[0].w, width);
        DrawCall field;
        for (const DrawCall& c : of(DrawOp::PrintShadowed))
            if (c.anchor == 1)
                field = c;
        EXPECT_FLOAT_EQ(field.x, 840.0f - 0.45f * width);
        EXPECT_FLOAT_EQ(field.scale, scale);
        EXPECT_EQ(field.text, popup == 20 ? "" : "Quill");
    }
}

// At 1024x768 an e-mail of 254 characters shows its longest tail that fits the 384 px box, the
// caret after it inside the box; a name as wide as its box allows shows whole.
TEST_F(AccountPagesTest, TextWiderThanItsBoxShowsItsTail)
{
    screenWidth = 1024;
    screenHeight = 768;
    const struct {
        int popup;
        std::string* text;
        std::string typed;
        std::size_t shown;   // characters drawn
        float boxRight;
    } cases[] = {
        {20, &email, std::string(242, 'a') + "@example.com", 27, 512.0f + 192.0f},   // 27 x 12 px < 336 px
        {1, &username, std::string(12, 'n'), 12, 512.0f + 115.2f},                   // 12 x 16 px < 201.6 px
    };
    for (const auto& c : cases) {
        *c.text = c.typed;
        popupId = c.popup;
        calls.clear();
        renderCreateAcc();
        DrawCall field;
        for (const DrawCall& call : of(DrawOp::PrintShadowed))
            if (call.anchor == 1)
                field = call;
        ASSERT_EQ(field.text.size(), c.shown + 1) << c.popup;
        EXPECT_EQ(field.text, c.typed.substr(c.typed.size() - c.shown) + "_");
        EXPECT_LT(field.x + 2.0f * freetype::getWidth(&mediumFont, field.text) * field.scale, c.boxRight);
    }
}

TEST_F(AccountPagesTest, RankingRowsThumbAndSpinner)
{
    // Without an id nothing lights up: not the header, not a row that reads "Error" (its id 0).
    gameMode = gm::Overall;
    userId = "";
    offlineMode = 0;
    rankingList = {"0,short", "0,ann,3,12,x,1"};
    renderRanking();
    EXPECT_TRUE(has(DrawOp::PrintShadowed, "Overall"));
    EXPECT_TRUE(has(DrawOp::Quad, "loadingbar.tga"));
    ASSERT_EQ(of(DrawOp::Print).size(), 9u);
    for (const DrawCall& c : of(DrawOp::Print))
        EXPECT_EQ(c.b, 255.0f) << c.text;
    // Offline the list never comes: no spinner, and the page says why.
    offlineMode = 99;
    calls.clear();
    renderRanking();
    EXPECT_FALSE(has(DrawOp::Quad, "loadingbar.tga"));
    EXPECT_TRUE(has(DrawOp::PrintShadowed, "Online Ranking is unavailable in Offline Mode."));

    rankingList.clear();
    for (int i = 1; i <= 25; ++i)   // ids read as numbers: "0118" is row 18's 118
        rankingList.push_back("0,p" + std::to_string(i) + ",1,1234567," + std::to_string(i + 100) + ",1");
    rankingList[19] = "0,broken,,1,120";   // an empty field, so not six pieces
    rankingScroll = 15;
    rankingAtEnd = true;
    findingPlayer = true;
    userId = "0118";
    calls.clear();
    renderRanking();
    EXPECT_FALSE(has(DrawOp::Quad, "loadingbar.tga"));
    EXPECT_TRUE(has(DrawOp::PrintShadowed, "Finding..."));
    const std::vector<DrawCall> printed = of(DrawOp::Print);
    ASSERT_EQ(printed.size(), 33u);
    EXPECT_EQ(printed[3].text, "16");
    EXPECT_EQ(printed[30].text, "25");
    EXPECT_EQ(printed[4].text, "p16");
    EXPECT_EQ(printed[5].text, "1,234,567");
    EXPECT_EQ(printed[15].text, "20");
    EXPECT_EQ(printed[16].text, "Error");
    EXPECT_EQ(printed[17].text, "Error");
    for (const DrawCall& c : printed)
        EXPECT_EQ(c.b, c.text == "p18" ? 0.0f : 255.0f) << c.text;

    const RankingScrollBar bar = rankingScrollBar(25, 15);
    std::vector<DrawCall> thumbs;
    for (const DrawCall& c : of(DrawOp::ColourQuad))
        if (c.anchor == 7)
            thumbs.push_back(c);
    ASSERT_EQ(thumbs.size(), 1u);
    EXPECT_FLOAT_EQ(thumbs[0].h, 3.2f * bar.rowHeight);
    EXPECT_FLOAT_EQ(thumbs[0].y + thumbs[0].h, bar.trackTop + bar.trackLength);
}

// A name as long as the service takes, of wide letters, is cut short of the skill points and
// ends in "..."; one that fits is drawn whole. Skill points too long for their column are cut
// short of the scroll column; a negative number keeps its sign out of the grouping.
TEST_F(AccountPagesTest, RankingNamesAndSkillPointsAreCutToTheirColumns)
{
    mediumFont.glyphWidths[static_cast<int>('W')] = 40.0f;
    const std::string wide(32, 'W');
    rankingList = {"0," + wide + ",1,1234,100,1", "0,WWWWWWWWWW,2,1000,101,1", "0,ann,3," + std::string(50, '9') + ",102,1",
                   "0,bob,4,-123,103,1"};
    renderRanking();
    const std::vector<DrawCall> printed = of(DrawOp::Print);
    ASSERT_EQ(printed.size(), 15u);
    const DrawCall& long50 = printed[11];
    const RankingScrollBar bar = rankingScrollBar(4, 0);
    EXPECT_EQ(long50.text.substr(long50.text.size() - 3), "...");
    EXPECT_EQ(long50.text.substr(0, 4), "99,9");
    EXPECT_LE(long50.x + 2.0f * freetype::getWidth(&mediumFont, long50.text) * long50.scale,
              bar.columnX - bar.rowHeight / 2.0f);
    EXPECT_EQ(printed[14].text, "-123");
    const DrawCall& cut = printed[4];
    const DrawCall& points = printed[5];
    ASSERT_GE(cut.text.size(), 4u);
    EXPECT_EQ(cut.text.substr(cut.text.size() - 3), "...");
    EXPECT_EQ(cut.text.find_first_not_of('W'), cut.text.size() - 3);
    const float end = cut.x + 2.0f * freetype::getWidth(&mediumFont, cut.text) * cut.scale;
    const float room = 0.5f * rankingScrollBar(2, 0).tableWidth;   // up to a twentieth of the table short of the points
    EXPECT_LE(end, cut.x + room);
    EXPECT_GT(end, cut.x + room - 40.0f * cut.scale);   // no letter more than needed is cut
    EXPECT_LT(end, points.x);
    EXPECT_EQ(printed[7].text, "WWWWWWWWWW");
}
