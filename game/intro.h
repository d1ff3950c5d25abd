// The intro: the maker's title and the loading of the media.
#pragma once
#include <string>

// Per achievement number 1..27 (entry 0 stays empty): icon texture, title and description,
// filled once while the intro loads the media.
extern std::string cheeveIcons[28], cheeveTitles[28], cheeveDescriptions[28];
void fillAchievementTables();

void UpdateIntro(float dtMs);
