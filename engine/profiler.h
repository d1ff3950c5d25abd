// Per-frame profiler: named sections arranged by nesting, frame time.
#pragma once
#include <string>

extern float frameTime;   // the last frame's own duration in ms (startFrameTimer .. endFrameTimer)
extern bool showProfiling;

void startFrameTimer();
void endFrameTimer();
void beginProfile(std::string name);
void endProfile();

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
