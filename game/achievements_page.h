// The achievements page: its update (the button under the pointer and the carousel's motion) and
// its clicks.
#pragma once

// Buttons: 1 the left arrow, 2 the right arrow, 7 "Back" (menuButtonRect(4.5)).
inline constexpr float achievementsBackRow = 4.5f;

void UpdateAchieves(float dtMs);
// An arrow steps the carousel while it is at rest; "Back" leaves at any time.
void clickAchievements();
