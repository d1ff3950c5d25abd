// The powerup panel of Classic play: three slots that fill with the meter and glow when their
// powerup can be bought, the "ready" notices and the cards that name a powerup.
#pragma once

void renderPowerups();

// How full slot 0 (Multiplier), 1 (Timewarp) or 2 (Fusion Pulse) is at this charge: 0..1.
float powerupFill(int slot, float charge);
// The glow's alpha 0..255 at the pulse's phase (degrees).
float powerupGlowAlpha(float angleDegrees);
// The "ready" notice's alpha at t ms; -1 once it is gone (from 3000 ms).
float powerupNoticeAlpha(float t);
