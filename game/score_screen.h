// The score page: its update and the values the fade into it sets.
#pragma once

extern float scoreScreenSlide;     // pixels added to the page's x positions while it slides in
extern bool scoreScreenSlideIn;    // the page slides in from the left
extern bool retryPending;          // Retry: the fade back into play keeps the level

// The score page's frame: hover over "Retry", "Continue" (Classic only) and "Quit", and a held
// press over one of them acts.
void UpdateScoreScreen(float dtMs);
