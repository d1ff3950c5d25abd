// The background starfield.
#pragma once

void UpdateStarfield(float dtMs);
