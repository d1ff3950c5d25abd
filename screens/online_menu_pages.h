// The two pages of the multiplayer front-end that no path of the game reaches: the online menu
// and its lobby. They are drawn like the menu pages, under the game's name.
#pragma once

void renderMultimenu();
void renderMultilobby();
