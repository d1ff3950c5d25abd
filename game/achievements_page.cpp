#include "game/achievements_page.h"

// Placeholder until the achievements page is written.
void UpdateAchieves(float) {}
