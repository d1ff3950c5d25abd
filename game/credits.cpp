#include "game/credits.h"

// Placeholders until the credits and congratulations pages are written.
void UpdateCredits(float) {}
void UpdateGrats(float) {}
