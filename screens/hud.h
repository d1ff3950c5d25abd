// The heads-up display over the game field: readouts, the carried-colour cubes, the powerup panel,
// the achievement notices of play and, between stages, the level-complete panel.
#pragma once

void renderHUD();
void renderLevelCompletePanel();

// The two cubes' alphas: the carried colour fades in as markerAlpha climbs, the previous one out.
struct CubeAlphas {
    int previous = 0, current = 0;
};
CubeAlphas hudCubeAlphas(float markerAlpha);

// Opacity 0..255 of in-play notice k (1..6) of n at t ms after the award; 0 when not shown.
float noticeAlpha(int k, int n, float t);
// The level-complete panel's overlay and text opacities at T ms; the text is -1 while hidden.
float panelOverlayAlpha(float t);
float panelTextAlpha(float t);
// The centre y of tile k (1..m) of the panel's column of m tiles.
float panelTileY(int k, int m);
