// The options page: nine setting rows with their values between "<" and ">", "Back" and "Save"
// (the values' texts are the game's, game/options.h).
#pragma once

void renderOptions();
