// The achievements page's update.
#pragma once

void UpdateAchieves(float dtMs);
