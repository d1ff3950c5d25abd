// The game's one random source. The rules draw in a fixed order, so tests seed it.
#pragma once

void seedRandom(unsigned seed);
int gameRandom();   // 0 .. RAND_MAX, as rand()
