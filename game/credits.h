// The credits and congratulations pages.
#pragma once

void UpdateCredits(float dtMs);
void UpdateGrats(float dtMs);
