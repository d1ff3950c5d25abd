#include "engine/profiler.h"

#include <gtest/gtest.h>

namespace {

struct ProfilerTest : ::testing::Test {
    void SetUp() override
    {
        showProfiling = true;
        profileGraphs.clear();
        profileTotals.clear();
        startFrameTimer();
    }
    void TearDown() override { showProfiling = false; }
};

ProfileNode timed(const char* name, float start, float end, std::vector<ProfileNode> children = {})
{
    ProfileNode node;
    node.name = name;
    node.start = start;
    node.end = end;
    node.children = std::move(children);
    return node;
}

const ProfileTotal* findTotal(const char* name)
{
    for (const ProfileTotal& total : profileTotals)
        if (total.name == name)
            return &total;
    return nullptr;
}

} // namespace

TEST_F(ProfilerTest, SectionsNestAndSurviveSiblingGrowth)
{
    beginProfile("Draw");
    beginProfile("renderHUD");
    // Many siblings under renderHUD make its children vector move repeatedly.
    for (int i = 0; i < 50; i++) {
        beginProfile("Render2D");
        endProfile();
    }
    endProfile();
    beginProfile("renderBlocks");
    endProfile();
    endProfile();
    { PROFILE_SCOPE("SwapBuffers"); }
    endFrameTimer();

    ASSERT_EQ(lastFrameProfile.children.size(), 2u);
    const ProfileNode& draw = lastFrameProfile.children[0];
    EXPECT_EQ(draw.name, "Draw");
    ASSERT_EQ(draw.children.size(), 2u);
    EXPECT_EQ(draw.children[0].name, "renderHUD");
    EXPECT_EQ(draw.children[0].children.size(), 50u);
    EXPECT_EQ(draw.children[1].name, "renderBlocks");
    EXPECT_EQ(lastFrameProfile.children[1].name, "SwapBuffers");
    EXPECT_LE(draw.start, draw.children[0].start);
    EXPECT_GE(draw.end, draw.children[1].end);
    EXPECT_TRUE(currentProfilePath.empty());
    EXPECT_EQ(currentProfileNode(), &profileRoot);
}

TEST_F(ProfilerTest, UnbalancedSectionsCannotEscapeTheFrame)
{
    // More ends than begins: the root stays current.
    endProfile();
    endProfile();
    EXPECT_EQ(currentProfileNode(), &profileRoot);
    beginProfile("A");
    endProfile();
    endProfile();
    EXPECT_EQ(currentProfileNode(), &profileRoot);

    // A begin without an end: the next frame starts at the root of an empty tree.
    beginProfile("Leaked");
    beginProfile("LeakedInner");
    endFrameTimer();
    startFrameTimer();
    EXPECT_EQ(currentProfileNode(), &profileRoot);
    EXPECT_TRUE(profileRoot.children.empty());
    beginProfile("Next");
    endProfile();
    endFrameTimer();
    ASSERT_EQ(lastFrameProfile.children.size(), 1u);
    EXPECT_EQ(lastFrameProfile.children[0].name, "Next");

    // Profiling switched off inside a section, then on again in a later frame.
    beginProfile("Open");
    showProfiling = false;
    endFrameTimer();
    startFrameTimer();
    showProfiling = true;
    beginProfile("After");
    endProfile();
    endFrameTimer();
    ASSERT_EQ(lastFrameProfile.children.size(), 1u);
    EXPECT_EQ(lastFrameProfile.children[0].name, "After");
}

TEST_F(ProfilerTest, HiddenProfilingBuildsNothingButTimesTheFrame)
{
    showProfiling = false;
    startFrameTimer();
    beginProfile("Draw");
    endProfile();
    EXPECT_TRUE(profileRoot.children.empty());
    frameTime = -1.0f;
    endFrameTimer();
    EXPECT_GE(frameTime, 0.0f);
    EXPECT_TRUE(lastFrameProfile.children.empty());
}

TEST_F(ProfilerTest, TotalsWalkSumsOwnTimesByName)
{
    // Draw 0..10 holds Render2D 1..3 and renderHUD 4..9, which holds Render2D 5..6.
    lastFrameProfile = timed("", 0, 0, {
        timed("Draw", 0, 10, {
            timed("Render2D", 1, 3),
            timed("renderHUD", 4, 9, {timed("Render2D", 5, 6)}),
        }),
        timed("SwapBuffers", 10, 12),
    });
    profileTotals.clear();
    float rootLength = sumProfileTotals(&lastFrameProfile);
    EXPECT_EQ(rootLength, 0.0f);
    EXPECT_EQ(lastFrameProfile.duration, -12.0f);   // the root is never timed
    EXPECT_EQ(findTotal(""), nullptr);

    ASSERT_EQ(profileTotals.size(), 4u);
    EXPECT_EQ(profileTotals[0].name, "Render2D");   // in order of the walk's first visit
    EXPECT_FLOAT_EQ(findTotal("Render2D")->total, 3.0f);
    EXPECT_FLOAT_EQ(findTotal("renderHUD")->total, 4.0f);
    EXPECT_FLOAT_EQ(findTotal("Draw")->total, 3.0f);
    EXPECT_FLOAT_EQ(findTotal("SwapBuffers")->total, 2.0f);
}

TEST_F(ProfilerTest, GraphsTakeOneValuePerFrameAndKeepOneHundred)
{
    lastFrameProfile = timed("", 0, 0, {timed("UpdateGame", 0, 2), timed("Draw", 2, 5)});
    updateProfileGraphs();
    ASSERT_EQ(profileGraphs.size(), 2u);
    EXPECT_EQ(profileGraphs[0].name, "UpdateGame");
    EXPECT_EQ(profileGraphs[0].history, std::vector<float>({2.0f}));

    // Draw did not run this frame: it gets a zero, UpdateGame its new total at the front.
    lastFrameProfile = timed("", 0, 0, {timed("UpdateGame", 0, 1)});
    updateProfileGraphs();
    EXPECT_EQ(profileGraphs[0].history, std::vector<float>({1.0f, 2.0f}));
    EXPECT_EQ(profileGraphs[1].history, std::vector<float>({0.0f, 3.0f}));
    EXPECT_FLOAT_EQ(profileGraphAverage(profileGraphs[0]), 1.5f);
    EXPECT_FLOAT_EQ(profileGraphMaximum(profileGraphs[1]), 3.0f);
    // Draw's first value (0.0) is left out of the visibility average, so both count.
    EXPECT_EQ(countVisibleProfileGraphs(), 2);

    for (int i = 0; i < 150; i++)
        updateProfileGraphs();
    EXPECT_EQ(profileGraphs[0].history.size(), profileHistoryLength);
    EXPECT_EQ(profileGraphs[0].history.front(), 1.0f);

    // A graph of nothing but zeros no longer counts.
    lastFrameProfile = timed("", 0, 0);
    for (int i = 0; i < 100; i++)
        updateProfileGraphs();
    EXPECT_EQ(countVisibleProfileGraphs(), 0);
    EXPECT_EQ(profileGraphAverage(ProfileGraph()), 0.0f);
}
