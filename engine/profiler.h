// Per-frame profiler: named sections arranged by nesting, their own times summed by name,
// and the recent sums of each name for the overlay.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// One timed section; times are ms since the frame's start. The root has an empty name and is never timed.
// Nodes hold their children by value, so the open section is found by its path of child indices,
// never by a pointer into a vector that may move.
struct ProfileNode {
    std::string name;
    float start = 0.0f;
    float end = 0.0f;
    float duration = 0.0f;   // own time: end - start less each direct child's; set by sumProfileTotals
    std::vector<ProfileNode> children;
};

// The summed own time of every section of one name in one frame.
struct ProfileTotal {
    std::string name;
    float total = 0.0f;
};

// The recent totals of one name, newest first, at most profileHistoryLength values.
struct ProfileGraph {
    std::string name;
    bool seen = false;       // the name had a total in the frame last entered
    std::vector<float> history;
};

constexpr std::size_t profileHistoryLength = 100;

extern ProfileNode profileRoot;
extern std::vector<std::size_t> currentProfilePath;   // child indices from the root to the open section
extern ProfileNode lastFrameProfile;                   // the tree of the last finished frame
extern std::vector<ProfileTotal> profileTotals;
extern std::vector<ProfileGraph> profileGraphs;        // in order of first appearance
extern std::uint64_t frameStartCount, frameEndCount, counterFrequency;
extern float frameTime;   // the last frame's length in ms (startFrameTimer .. endFrameTimer)
extern bool showProfiling;

void startFrameTimer();
void resetFrameProfile();
void endFrameTimer();
void beginProfile(std::string name);
void endProfile();
// The section now open (the root when none is).
ProfileNode* currentProfileNode();
// Milliseconds since the frame's start.
float profileMilliseconds();

// Totals walk: sets the durations of node and its descendants, adds each named node's own time to
// profileTotals, returns node's end - start.
float sumProfileTotals(ProfileNode* node);
// Rebuilds profileTotals from lastFrameProfile and enters one value per graph at the front of its
// history: its total, or 0.0 when its section did not run; histories are cut to profileHistoryLength.
void updateProfileGraphs();
// The average of a history over all its values (0 when empty) and its largest value (from 0).
float profileGraphAverage(const ProfileGraph& graph);
float profileGraphMaximum(const ProfileGraph& graph);
// The graphs the overlay's background is sized for: those whose average, leaving out a first value
// of exactly 0.0, is above 0.0001.
int countVisibleProfileGraphs();

// Opens a section for the rest of the enclosing scope, so every return closes it.
struct ProfileScope {
    explicit ProfileScope(const char* name) { beginProfile(name); }
    ~ProfileScope() { endProfile(); }
    ProfileScope(const ProfileScope&) = delete;
    ProfileScope& operator=(const ProfileScope&) = delete;
};
#define PROFILE_CONCAT2(a, b) a##b
#define PROFILE_CONCAT(a, b) PROFILE_CONCAT2(a, b)
#define PROFILE_SCOPE(name) ProfileScope PROFILE_CONCAT(profileScope_, __LINE__)(name)
