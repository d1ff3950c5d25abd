#include "game/page_state.h"

int hoveredButton = 0;
int hoveredArrow = 0;
bool optionsFromGame = false;
int frameTicker = 0;

void advanceFrameTicker()
{
    frameTicker = (frameTicker + 1) % 60;
}
