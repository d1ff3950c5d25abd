#include "game/main_menu.h"

// Placeholder until the main menu update is written.
void UpdateMenu(float) {}
