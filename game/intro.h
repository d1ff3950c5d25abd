// The intro: the maker's title while the media load, then the way on to the login or new-profile
// page.
#pragma once
#include <string>

extern float introTimer;          // ms the title has been up; stands still while it is loading
extern bool introAssetsLoaded;    // the one-time loading has run
inline constexpr float introLength = 3500.0f;
inline constexpr const char* introTitleTexture = "voderivozudid.tga";

// Each achievement's icon, title and description, by number 1..27; entry 0 stays empty. Filled
// once by the intro.
extern std::string cheeveIcons[28];
extern std::string cheeveTitles[28];
extern std::string cheeveDescriptions[28];
void fillAchievementTables();

// The sounds the intro decodes, in their order (one of them twice: the second is a cache hit).
extern const char* const introSounds[16];

void UpdateIntro(float dtMs);
