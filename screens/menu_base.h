// The backdrop the menu pages share, and the intro page with the maker's title.
#pragma once

// The title grid, the game's logo, the player's status in the top-right corner ("Offline Mode" or
// "Logged in as: " and the name that logged in) and the version in the top-left corner, both 1 %
// of the width in from the edges.
void renderMenuBase();
// The maker's title image in the middle of the screen.
void DrawQuorvaneTitle();
// The intro states: the title under the fade, nothing else.
void renderIntro();

// The logo's size and centre, shared with the credits page.
struct LogoPlace {
    float x, y, w, h;
};
LogoPlace logoPlace();
