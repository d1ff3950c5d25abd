#include "engine/profiler.h"

#include "platform/system.h"

ProfileNode profileRoot;
std::vector<std::size_t> currentProfilePath;
ProfileNode lastFrameProfile;
std::vector<ProfileTotal> profileTotals;
std::vector<ProfileGraph> profileGraphs;
std::uint64_t frameStartCount = 0, frameEndCount = 0, counterFrequency = 1;
float frameTime = 0.0f;
bool showProfiling = false;

namespace {

float countToMilliseconds(std::uint64_t count)
{
    if (counterFrequency == 0)
        return 0.0f;
    double ticks = static_cast<double>(count) - static_cast<double>(frameStartCount);
    return static_cast<float>(ticks / static_cast<double>(counterFrequency) * 1000.0);
}

} // namespace

float profileMilliseconds()
{
    return countToMilliseconds(platformCounter());
}

ProfileNode* currentProfileNode()
{
    ProfileNode* node = &profileRoot;
    for (std::size_t index : currentProfilePath) {
        if (index >= node->children.size()) {
            // The tree was emptied under an open section: start again from the root.
            currentProfilePath.clear();
            return &profileRoot;
        }
        node = &node->children[index];
    }
    return node;
}

void resetFrameProfile()
{
    profileRoot.children.clear();
    // A section left open last frame (or across a change of showProfiling) must not
    // point into the emptied tree.
    currentProfilePath.clear();
    for (ProfileGraph& graph : profileGraphs)
        graph.seen = false;
}

void startFrameTimer()
{
    resetFrameProfile();
    counterFrequency = platformCounterFrequency();
    frameStartCount = platformCounter();
}

void endFrameTimer()
{
    frameEndCount = platformCounter();
    lastFrameProfile = profileRoot;
    frameTime = countToMilliseconds(frameEndCount);
}

void beginProfile(std::string name)
{
    if (!showProfiling)
        return;
    ProfileNode* parent = currentProfileNode();
    ProfileNode node;
    node.name = std::move(name);
    node.start = profileMilliseconds();
    parent->children.push_back(std::move(node));
    currentProfilePath.push_back(parent->children.size() - 1);
}

void endProfile()
{
    if (!showProfiling)
        return;
    ProfileNode* node = currentProfileNode();
    node->end = profileMilliseconds();
    // An unmatched end at the root leaves the root current.
    if (!currentProfilePath.empty())
        currentProfilePath.pop_back();
}

float sumProfileTotals(ProfileNode* node)
{
    float childTime = 0.0f;
    for (ProfileNode& child : node->children)
        childTime += sumProfileTotals(&child);
    node->duration = node->end - node->start - childTime;

    if (!node->name.empty()) {
        bool found = false;
        for (ProfileTotal& total : profileTotals) {
            if (total.name == node->name) {
                total.total += node->duration;
                found = true;
                break;
            }
        }
        if (!found)
            profileTotals.push_back(ProfileTotal{node->name, node->duration});
    }
    return node->end - node->start;
}

void updateProfileGraphs()
{
    profileTotals.clear();
    sumProfileTotals(&lastFrameProfile);

    for (ProfileGraph& graph : profileGraphs)
        graph.seen = false;
    for (const ProfileTotal& total : profileTotals) {
        ProfileGraph* graph = nullptr;
        for (ProfileGraph& candidate : profileGraphs) {
            if (candidate.name == total.name) {
                graph = &candidate;
                break;
            }
        }
        if (graph) {
            graph->history.insert(graph->history.begin(), total.total);
        } else {
            profileGraphs.push_back(ProfileGraph{total.name, false, {total.total}});
            graph = &profileGraphs.back();
        }
        graph->seen = true;
    }
    // A section that did not run last frame gets a zero, so every graph moves on by one value a frame.
    for (ProfileGraph& graph : profileGraphs) {
        if (!graph.seen)
            graph.history.insert(graph.history.begin(), 0.0f);
        if (graph.history.size() > profileHistoryLength)
            graph.history.resize(profileHistoryLength);
    }
}

float profileGraphAverage(const ProfileGraph& graph)
{
    if (graph.history.empty())
        return 0.0f;
    float sum = 0.0f;
    for (float value : graph.history)
        sum += value;
    return sum / static_cast<float>(graph.history.size());
}

float profileGraphMaximum(const ProfileGraph& graph)
{
    float maximum = 0.0f;
    for (float value : graph.history)
        if (value > maximum)
            maximum = value;
    return maximum;
}

int countVisibleProfileGraphs()
{
    int visible = 0;
    for (const ProfileGraph& graph : profileGraphs) {
        float sum = 0.0f;
        int count = 0;
        for (std::size_t i = 0; i < graph.history.size(); i++) {
            if (i == 0 && graph.history[i] == 0.0f)
                continue;
            sum += graph.history[i];
            count++;
        }
        if (count > 0 && sum / static_cast<float>(count) > 0.0001f)
            visible++;
    }
    return visible;
}
