#include "game/page_buttons.h"

// Placeholder until the per-state click dispatcher is written.
int hoveredButton = 0;
int hoveredArrow = 0;
bool optionsFromGame = false;
int frameTicker = 0;
