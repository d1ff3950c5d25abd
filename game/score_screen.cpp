#include "game/score_screen.h"

// Placeholder until the score screen update is written.
float scoreScreenSlide = 0.0f;
bool scoreScreenSlideIn = false;
bool retryPending = false;

void UpdateScoreScreen(float) {}
